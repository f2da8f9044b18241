// db/SqliteTable.h: TSqliteConnection, one open SQLite database (a file, or ":memory:"),
// and TSqliteTable, a dataset over one table of it.
//
// Fields follow the declared column types, checked in this order: a type containing DATE
// is Date, INT Integer, CHAR, CLOB or TEXT Text, BLOB (or no type) Blob, anything else
// (REAL, FLOAT, DOUBLE, NUMERIC) Float. Dates are stored as text "YYYY-MM-DD" (ISO 8601:
// SQLite's date functions read it and it sorts by date). A stored value its field's type
// cannot hold exactly (SQLite keeps any value in any column: a date with a time, 'yes' in a
// BOOLEAN, an integer past 2^53 in a NUMERIC) reads as a TStoredValue, written back in the
// storage class it was read in. An INTEGER PRIMARY KEY column is the table's key:
// read-only, and SQLite assigns it (the rowid) when a record is inserted.
//
// Records are read in rowid order when the table opens and stay cached. Post writes one
// record in a transaction of its own (or within the caller's, when the connection has
// one open) through statements prepared once per open; the dataset keeps the rowid SQLite
// gave it and reads the record again by rowid only when the cursor comes back to it. A null field
// is written as NULL: column defaults do not apply. Edits are written by rowid, so tables WITHOUT
// ROWID do not open.
//
// Ownership: a table uses the connection set with SetConnection (not owned; free-notified),
// or else opens its own on the file named by SetDatabaseName. Closing or freeing a
// connection closes the tables open on it first.
// Failure: SQLite's errors raise ESqliteError with SQLite's message and result code, and
// the table's (or the database file's) name; a failed Post rolls back and leaves the
// dataset in its insert or edit state with nothing written.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "db/DataSet.h"

struct sqlite3;

namespace glint {

class GLINT_DUP_API ESqliteError : public EDatabaseError {
 public:
  ESqliteError(std::string message, int errorCode, std::string tableName)
      : EDatabaseError(std::move(message)),
        FErrorCode(errorCode),
        FTableName(std::move(tableName)) {}
  int ErrorCode() const { return FErrorCode; }  // SQLite's extended result code
  const std::string& TableName() const { return FTableName; }

 private:
  int FErrorCode;
  std::string FTableName;
};

enum class TSqliteOpenMode { ReadWrite, Create };

class TSqliteTable;

class GLINT_DUP_API TSqliteConnection : public TComponent {
 public:
  explicit TSqliteConnection(TComponent* owner = nullptr);
  ~TSqliteConnection() override;

  // Opens `fileName` (":memory:": a new private database in memory), closing the database
  // open before. ReadWrite fails on a missing file; Create makes it.
  void Open(const std::string& fileName, TSqliteOpenMode mode = TSqliteOpenMode::ReadWrite);
  void Close();
  bool Connected() const { return FHandle != nullptr; }
  const std::string& FileName() const { return FFileName; }
  sqlite3* Handle() const { return FHandle; }
  // Runs SQL statements (separated by ';').
  void ExecSql(const std::string& sql);

 private:
  friend class TSqliteTable;
  sqlite3* FHandle = nullptr;
  std::string FFileName;
  std::vector<TSqliteTable*> FTables;  // open on this connection
};

class GLINT_DUP_API TSqliteTable : public TDataSet {
 public:
  explicit TSqliteTable(TComponent* owner = nullptr);
  ~TSqliteTable() override;

  // These three raise EDatabaseError while the table is open.
  TSqliteConnection* Connection() const { return FConnection; }
  void SetConnection(TSqliteConnection* connection);
  const std::string& DatabaseName() const { return FDatabaseName; }
  void SetDatabaseName(std::string fileName);
  const std::string& TableName() const { return FTableName; }
  void SetTableName(std::string tableName);

 protected:
  void InternalOpen(std::vector<TFieldDef>& defs, std::vector<TRecord>& records) override;
  void InternalClose() override;
  void InternalPost(TRecord& record, bool inserting) override;
  bool CanFetch() const override { return true; }
  bool InternalFetch(TRecord& record) const override;
  std::string DisplayName() const override;
  void Notification(TComponent* component, TOperation operation) override;

 private:
  struct TOpenState;
  void CheckInactive() const;
  std::unique_ptr<TSqliteConnection> FOwnConnection;
  TSqliteConnection* FConnection = nullptr;
  std::string FDatabaseName;
  std::string FTableName;
  std::unique_ptr<TOpenState> FOpen;  // the statements and column layout while open
};

}  // namespace glint
