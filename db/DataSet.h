// db/DataSet.h: the dataset layer the data-access components are written against.
// TDataSet presents the records of a table one at a time through its fields, in the
// states browse, insert and edit; TMemDataSet (db/MemDataSet.h) keeps its records in
// memory and TSqliteTable (db/SqliteTable.h) in a table of an SQLite database.
//
// Ownership: a dataset owns its TField objects, which exist only while it is open.
// Opening caches every record; Post writes the record to the implementation's store
// first, so the dataset never shows what the store refused. A store that can read a
// record again by its Id (InternalFetch) keeps only the Id of each posted record: the
// posted record stays current and readable, and a posted record moved to again is read
// from the store, so posting many records costs no memory per record beyond its Id.
// Failure: misuse and store errors raise EDatabaseError (or a subclass) with a message a
// user can read; a failed operation leaves the state, the cursor and the data as they were.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "rtl/Component.h"
#include "rtl/SysUtils.h"

// Set by the build to export the classes from the Duplicator package (and to import them
// in its users); empty in the static libraries.
#ifndef GLINT_DUP_API
#define GLINT_DUP_API
#endif

namespace glint {

class GLINT_DUP_API EDatabaseError : public Exception {
  using Exception::Exception;
};

enum class TFieldType { Integer, Float, Text, Date, Blob };
GLINT_DUP_API const char* FieldTypeName(TFieldType type);

// A value the store holds that its field's type cannot hold exactly. SQLite keeps any value
// in any column whatever its declared type ('yes' in a BOOLEAN, a time of day in a DATE, 1.5
// in an INTEGER, 123456789012345678 in a NUMERIC, which a double would round). It is kept as
// stored, no field type converts it, and writing it stores it as it was, so copying or
// editing a record never changes what the store held.
struct TStoredValue {
  std::variant<std::int64_t, double, std::string> Value;
  bool Blob = false;  // the bytes are a blob, not text
  bool operator==(const TStoredValue&) const = default;
};

// A field's value: null, an integer (Integer), a double (Float, and Date as a TDateTime
// day number: days since 30 December 1899), bytes (Text and Blob), or a value as stored.
using TValue = std::variant<std::monostate, std::int64_t, double, std::string, TStoredValue>;

// A day number as "YYYY-MM-DD" and back; the time of day is dropped.
GLINT_DUP_API std::string DateToIso(double date);
GLINT_DUP_API bool TryIsoToDate(std::string_view text, double& date);

struct TFieldDef {
  std::string Name;
  TFieldType DataType = TFieldType::Text;
  // The store assigns it when a record is inserted (an auto-increment key); the program
  // cannot write it.
  bool ReadOnly = false;
};

// One record: its values in field order and the store's own id for it (SQLite: the rowid).
struct TRecord {
  std::vector<TValue> Values;
  std::int64_t Id = 0;
};

class TDataSet;

class GLINT_DUP_API TField {
 public:
  TField(TDataSet& dataSet, int index, TFieldDef def)
      : FDataSet(dataSet), FIndex(index), FDef(std::move(def)) {}

  const std::string& FieldName() const { return FDef.Name; }
  TFieldType DataType() const { return FDef.DataType; }
  bool ReadOnly() const { return FDef.ReadOnly; }
  int Index() const { return FIndex; }
  TDataSet& DataSet() const { return FDataSet; }

  // The value in the record being inserted or edited, else in the current record (null
  // when there is none).
  const TValue& Value() const;
  bool IsNull() const { return std::holds_alternative<std::monostate>(Value()); }
  // Raises unless the dataset is in insert or edit state, the field is writable and the
  // value suits its type (a Float or Date field also takes an integer, any field a value as
  // stored).
  void SetValue(TValue value);
  void Clear() { SetValue(TValue{}); }
  // Null reads as ""; a float in the shortest form that reads back exactly, a date as
  // YYYY-MM-DD, text and blobs as their bytes; a value as stored by the same rules.
  std::string AsString() const;
  // The reverse of AsString; "" makes a non-text field null. Text that does not fit the
  // type raises EConvertError ("'x' is not a valid integer value").
  void SetAsString(std::string_view text);

  // `value` converted to this field's type; raises when it does not suit.
  TValue Fit(TValue value) const;

 private:
  TDataSet& FDataSet;
  int FIndex;
  TFieldDef FDef;
};

enum class TDataSetState { Inactive, Browse, Insert, Edit };

class GLINT_DUP_API TDataSet : public TComponent {
 public:
  explicit TDataSet(TComponent* owner);
  // Implementations close themselves in their own destructors (InternalClose is virtual).
  ~TDataSet() override;

  bool Active() const { return FState != TDataSetState::Inactive; }
  void SetActive(bool active) { active ? Open() : Close(); }
  void Open();
  // Drops a pending insert or edit.
  void Close();
  TDataSetState State() const { return FState; }

  int FieldCount() const { return static_cast<int>(FFields.size()); }
  TField& Fields(int index) const { return *FFields.at(static_cast<std::size_t>(index)); }
  // By name, ASCII case folded; nullptr (FindField) or EDatabaseError when absent.
  TField* FindField(std::string_view name) const;
  TField& FieldByName(std::string_view name) const;

  // No record, not counting one being inserted.
  bool IsEmpty() const { return FRecords.empty(); }
  int RecordCount() const { return static_cast<int>(FRecords.size()); }
  int RecNo() const { return FCurrent + 1; }  // 0 when empty
  bool Bof() const { return FBof; }
  bool Eof() const { return FEof; }

  // Moving away from a pending insert or edit posts it when a field was set, else cancels.
  void First();
  void Last();
  void Next();  // at the last record it sets Eof and stays
  void Prior();
  // Moves to the first record whose field equals `value` converted to the field's type, or
  // holds it as stored; false (staying) when none does. A value the type cannot take raises.
  bool Locate(std::string_view fieldName, const TValue& value);

  // A new, all-null record at the end (Append) or before the current one (Insert).
  void Append();
  void Insert();
  void Edit();
  void Post();
  void Cancel();

 protected:
  // Fills in the fields and every record of the store; raises to stay closed.
  virtual void InternalOpen(std::vector<TFieldDef>& defs, std::vector<TRecord>& records) = 0;
  virtual void InternalClose() {}
  // Writes `record` (a new one when `inserting`) and on success sets its Id and the
  // values of the read-only fields the store assigned. Raises, storing nothing, on failure.
  virtual void InternalPost(TRecord& record, bool inserting) = 0;
  // Whether InternalFetch can read a record again by its Id; posted records are kept whole
  // when it cannot.
  virtual bool CanFetch() const { return false; }
  // Fills record.Values (empty on entry) with the stored record record.Id; false when the
  // store no longer holds it. Raises on a store error.
  virtual bool InternalFetch(TRecord& record) const { return false; }

  // The dataset's name for messages.
  virtual std::string DisplayName() const;
  [[noreturn]] void DatabaseError(const std::string& message) const;

 private:
  friend class TField;
  const TValue& ValueOf(int field) const;
  void SetValueOf(int field, TValue value);
  void CheckActive() const;
  void CheckBrowseMode();
  void StartInsert(int position);
  void MoveTo(int index);
  // FRecords[index]'s values, read from the store when the cache holds only its Id.
  const std::vector<TValue>& RecordValues(int index) const;

  std::vector<std::unique_ptr<TField>> FFields;
  // Every record in cursor order; one holding no values (a table has at least one field)
  // was posted and is read from the store by its Id when needed.
  std::vector<TRecord> FRecords;
  mutable TRecord FShown;  // the values of FRecords[FShownAt] when it holds none
  mutable int FShownAt = -1;
  TRecord FBuffer;    // the record being inserted or edited
  int FCurrent = -1;  // index into FRecords; -1 when empty
  int FInsertAt = 0;  // where a posted insert goes in FRecords
  TDataSetState FState = TDataSetState::Inactive;
  bool FBof = true;
  bool FEof = true;
  bool FModified = false;
};

}  // namespace glint
