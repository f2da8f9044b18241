// rtl/StringList.h: TStringList, the ordered list of single-byte strings that
// report lines, the unit map and row details are kept in.
//
// Text is split at CR LF, a lone CR or a lone LF; a final line without an end
// mark counts and a final end mark adds no empty line. Indexed access outside
// 0..Count-1 raises EStringListError "List index out of bounds (%d)". A sorted
// list keeps ordinal (byte) order and, by default, ignores an Add of a string
// it already holds exactly. Each string may carry an object pointer, which the
// list does not own.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "rtl/Component.h"

namespace glint {

enum class TDuplicates { Ignore, Accept, Error };

class TStringList : public TObject {
 public:
  TStringList() = default;

  int Count() const { return static_cast<int>(FItems.size()); }
  const std::string& Strings(int index) const;
  void SetStrings(int index, std::string value);
  const std::string& operator[](int index) const { return Strings(index); }
  TObject* Objects(int index) const;
  void SetObjects(int index, TObject* object);

  // Appends (or, when sorted, inserts in order); returns the index, or -1
  // when a sorted list ignored an exact duplicate.
  int Add(std::string value);
  int AddObject(std::string value, TObject* object);
  void Insert(int index, std::string value);
  void Delete(int index);
  void Clear();
  void Exchange(int a, int b);

  int IndexOf(std::string_view value) const;
  // Index of the first entry "name=..." (name compared ASCII case-insensitively,
  // as unit names are); -1 when none.
  int IndexOfName(std::string_view name) const;
  // The text after "name=" of the first such entry; "" when none.
  std::string Values(std::string_view name) const;

  bool Sorted() const { return FSorted; }
  void SetSorted(bool sorted);
  TDuplicates Duplicates() const { return FDuplicates; }
  void SetDuplicates(TDuplicates duplicates) { FDuplicates = duplicates; }

  // Lines joined, each followed by CR LF.
  std::string Text() const;
  void SetText(std::string_view text);

  // Raise EInOutError naming the file when it cannot be read or written.
  void LoadFromFile(const std::string& fileName);
  void SaveToFile(const std::string& fileName) const;

  std::vector<std::string>& Items() { return FItems; }
  const std::vector<std::string>& Items() const { return FItems; }

 private:
  void CheckIndex(int index) const;
  // Binary search in a sorted list: true and the index when found, else
  // false and the insertion point.
  bool Find(std::string_view value, int& index) const;

  std::vector<std::string> FItems;
  std::vector<TObject*> FObjects;  // empty until an object is first set
  bool FSorted = false;
  TDuplicates FDuplicates = TDuplicates::Ignore;
};

// Splits text into lines with the list's line-end rules.
std::vector<std::string> SplitLines(std::string_view text);

}  // namespace glint
