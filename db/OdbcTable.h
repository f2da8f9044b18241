// db/OdbcTable.h: TOdbcTable, a dataset over one table of any ODBC data source, opened by a
// connection string ("Driver=...;Database=..." or "DSN=..."): odbc32 on Windows, the
// unixODBC driver manager elsewhere.
//
// Fields follow the columns' SQL types as the driver reports them: integer types (and BIT)
// are Integer; REAL, FLOAT, DOUBLE, DECIMAL and NUMERIC Float; character types Text; DATE
// and TIMESTAMP Date; binary types Blob; any other type Text. A value its field's type cannot
// hold exactly (a time of day in a TIMESTAMP, text in an integer column of a store that
// allows it) reads as a TStoredValue holding its text, and is written back as that text.
// Over SQLite, which keeps any value in any column, numbers are read as text (an integer a
// double would round stays an integer, 'n/a' in a REAL column stays text), a column declared
// without a type is a Blob, and text holding a NUL byte is written as a blob. SQLite's
// driver itself passes doubles through text of 15 significant digits.
// A one-column integer primary key is the table's key: the records are read in its order,
// edited by it and read again by it; when the driver reports it auto-assigned it is
// read-only and the database assigns it on insert (read back with the DBMS's own
// last-identity query, else the table's largest key within the same transaction). A post
// refuses a key that is not an integer, unless it is left null for the database to assign.
// A table without such a key, or whose key holds null or text in some row (SQLite allows
// both outside its rowid), opens and takes new records, and its records cannot be edited.
//
// Records are read when the table opens. Each Post is one transaction of its own
// (autocommit off, then commit or roll back).
//
// Ownership: the table opens its own connection on Open and closes it on Close.
// Failure: the driver's errors raise EOdbcError with its diagnostics (SQLSTATE, native
// error code, message) and the table's name; the connection string is never shown, as it
// may hold a password. A failed Post is rolled back and leaves the dataset in its insert or
// edit state with nothing written.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "db/DataSet.h"

namespace glint {

class GLINT_DUP_API EOdbcError : public EDatabaseError {
 public:
  EOdbcError(std::string message, std::string sqlState, long nativeError, std::string tableName)
      : EDatabaseError(std::move(message)),
        FSqlState(std::move(sqlState)),
        FNativeError(nativeError),
        FTableName(std::move(tableName)) {}
  // The first diagnostic record's five-character state ("23000"); "" when the failure is
  // the dataset's own.
  const std::string& SqlState() const { return FSqlState; }
  long NativeError() const { return FNativeError; }
  const std::string& TableName() const { return FTableName; }

 private:
  std::string FSqlState;
  long FNativeError;
  std::string FTableName;
};

class GLINT_DUP_API TOdbcTable : public TDataSet {
 public:
  explicit TOdbcTable(TComponent* owner = nullptr);
  ~TOdbcTable() override;

  // Both raise EDatabaseError while the table is open.
  const std::string& ConnectionString() const { return FConnectionString; }
  void SetConnectionString(std::string connectionString);
  const std::string& TableName() const { return FTableName; }
  void SetTableName(std::string tableName);

 protected:
  void InternalOpen(std::vector<TFieldDef>& defs, std::vector<TRecord>& records) override;
  void InternalClose() override;
  void InternalPost(TRecord& record, bool inserting) override;
  bool CanFetch() const override;
  bool InternalFetch(TRecord& record) const override;
  std::string DisplayName() const override;

 private:
  struct TOpenState;
  void CheckInactive() const;
  [[noreturn]] void Refuse(const std::string& message) const;

  std::string FConnectionString;
  std::string FTableName;
  std::unique_ptr<TOpenState> FOpen;  // the connection, statements and layout while open
};

}  // namespace glint
