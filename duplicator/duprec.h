// duplicator/duprec.h: TQZDuplicator, a non-visual data-access component that copies the
// current record of its DataSet into a new record.
//
// Execute remembers the current record's values, appends a new record (at the end, where
// the table shows it when read again in key order), sets the chosen fields to the
// remembered values and leaves the dataset in insert state: the user's form shows the
// copy, ready to be edited and then posted or cancelled. A value its field's type cannot
// hold (a TStoredValue) is copied as stored. Fields names the fields to copy; empty means
// every field the program can write, never a key the database assigns.
//
// Ownership: DataSet is not owned; it becomes null when that dataset is freed.
// Failure: Execute raises EDatabaseError, changing nothing, when there is no DataSet, when
// it is closed, empty or already inserting or editing, and when Fields names a field it
// lacks or one that cannot be written. Every check comes before the insert.
#pragma once

#include "db/DataSet.h"
#include "rtl/StringList.h"

namespace glint {

class GLINT_DUP_API TQZDuplicator : public TComponent {
 public:
  explicit TQZDuplicator(TComponent* owner = nullptr);

  TDataSet* DataSet() const { return FDataSet; }
  void SetDataSet(TDataSet* dataSet);
  TStringList& Fields() { return FFields; }
  const TStringList& Fields() const { return FFields; }
  void SetFields(const TStringList& fields) { FFields = fields; }

  void Execute();

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  [[noreturn]] void Error(const std::string& message) const;

  TDataSet* FDataSet = nullptr;
  TStringList FFields;
};

}  // namespace glint

// The package registration procedure: puts TQZDuplicator on the palette page "Data Access".
extern "C" GLINT_DUP_API void Register();
