#include "rtl/StringList.h"

#include <algorithm>
#include <cstdio>

#include "rtl/Files.h"
#include "rtl/SysUtils.h"

namespace glint {

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0, i = 0, n = text.size();
  while (i < n) {
    char c = text[i];
    if (c == '\r' || c == '\n') {
      lines.emplace_back(text.substr(start, i - start));
      if (c == '\r' && i + 1 < n && text[i + 1] == '\n') ++i;
      start = ++i;
    } else {
      ++i;
    }
  }
  if (start < n) lines.emplace_back(text.substr(start));
  return lines;
}

void TStringList::CheckIndex(int index) const {
  if (index < 0 || index >= Count())
    throw EStringListError(Format("List index out of bounds (%d)", index));
}

const std::string& TStringList::Strings(int index) const {
  CheckIndex(index);
  return FItems[static_cast<std::size_t>(index)];
}

void TStringList::SetStrings(int index, std::string value) {
  CheckIndex(index);
  FItems[static_cast<std::size_t>(index)] = std::move(value);
}

TObject* TStringList::Objects(int index) const {
  CheckIndex(index);
  return FObjects.empty() ? nullptr : FObjects[static_cast<std::size_t>(index)];
}

void TStringList::SetObjects(int index, TObject* object) {
  CheckIndex(index);
  if (FObjects.empty()) {
    if (!object) return;
    FObjects.assign(FItems.size(), nullptr);
  }
  FObjects[static_cast<std::size_t>(index)] = object;
}

bool TStringList::Find(std::string_view value, int& index) const {
  auto it = std::lower_bound(FItems.begin(), FItems.end(), value,
                             [](const std::string& a, std::string_view b) { return a < b; });
  index = static_cast<int>(it - FItems.begin());
  return it != FItems.end() && *it == value;
}

int TStringList::Add(std::string value) { return AddObject(std::move(value), nullptr); }

int TStringList::AddObject(std::string value, TObject* object) {
  int index = Count();
  if (FSorted && Find(value, index)) {
    if (FDuplicates == TDuplicates::Ignore) return -1;
    if (FDuplicates == TDuplicates::Error)
      throw EStringListError("String list does not allow duplicates");
  }
  FItems.insert(FItems.begin() + index, std::move(value));
  if (!FObjects.empty() || object) {
    if (FObjects.empty()) FObjects.assign(FItems.size() - 1, nullptr);
    FObjects.insert(FObjects.begin() + index, object);
  }
  return index;
}

void TStringList::Insert(int index, std::string value) {
  if (FSorted) throw EStringListError("Operation not allowed on sorted string list");
  if (index < 0 || index > Count())
    throw EStringListError(Format("List index out of bounds (%d)", index));
  FItems.insert(FItems.begin() + index, std::move(value));
  if (!FObjects.empty()) FObjects.insert(FObjects.begin() + index, nullptr);
}

void TStringList::Delete(int index) {
  CheckIndex(index);
  FItems.erase(FItems.begin() + index);
  if (!FObjects.empty()) FObjects.erase(FObjects.begin() + index);
}

void TStringList::Clear() {
  FItems.clear();
  FObjects.clear();
}

void TStringList::Exchange(int a, int b) {
  CheckIndex(a);
  CheckIndex(b);
  std::swap(FItems[static_cast<std::size_t>(a)], FItems[static_cast<std::size_t>(b)]);
  if (!FObjects.empty())
    std::swap(FObjects[static_cast<std::size_t>(a)], FObjects[static_cast<std::size_t>(b)]);
}

int TStringList::IndexOf(std::string_view value) const {
  if (FSorted) {
    int index;
    return Find(value, index) ? index : -1;
  }
  auto it = std::find(FItems.begin(), FItems.end(), value);
  return it == FItems.end() ? -1 : static_cast<int>(it - FItems.begin());
}

int TStringList::IndexOfName(std::string_view name) const {
  for (std::size_t i = 0; i < FItems.size(); ++i) {
    const std::string& s = FItems[i];
    std::size_t eq = s.find('=');
    if (eq != std::string::npos && CompareText(std::string_view(s).substr(0, eq), name) == 0)
      return static_cast<int>(i);
  }
  return -1;
}

std::string TStringList::Values(std::string_view name) const {
  int i = IndexOfName(name);
  if (i < 0) return {};
  const std::string& s = FItems[static_cast<std::size_t>(i)];
  return s.substr(s.find('=') + 1);
}

void TStringList::SetSorted(bool sorted) {
  if (sorted && !FSorted) {
    // Keep each object with its string while sorting.
    std::vector<std::size_t> order(FItems.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [this](std::size_t a, std::size_t b) { return FItems[a] < FItems[b]; });
    std::vector<std::string> items;
    std::vector<TObject*> objects;
    items.reserve(order.size());
    for (std::size_t i : order) {
      items.push_back(std::move(FItems[i]));
      if (!FObjects.empty()) objects.push_back(FObjects[i]);
    }
    FItems = std::move(items);
    FObjects = std::move(objects);
  }
  FSorted = sorted;
}

std::string TStringList::Text() const {
  std::size_t size = 0;
  for (const auto& s : FItems) size += s.size() + 2;
  std::string out;
  out.reserve(size);
  for (const auto& s : FItems) {
    out += s;
    out += "\r\n";
  }
  return out;
}

void TStringList::SetText(std::string_view text) {
  Clear();
  if (!FSorted) {
    FItems = SplitLines(text);
    return;
  }
  for (auto& line : SplitLines(text)) Add(std::move(line));
}

void TStringList::LoadFromFile(const std::string& fileName) { SetText(ReadWholeFile(fileName)); }

void TStringList::SaveToFile(const std::string& fileName) const {
  TFilePtr f(std::fopen(fileName.c_str(), "wb"));
  if (!f) throw EInOutError(Format("Cannot create file \"%s\"", fileName.c_str()));
  std::string text = Text();
  if (std::fwrite(text.data(), 1, text.size(), f.get()) != text.size() ||
      std::fclose(f.release()) != 0)
    throw EInOutError(Format("Cannot write file \"%s\"", fileName.c_str()));
}

}  // namespace glint
