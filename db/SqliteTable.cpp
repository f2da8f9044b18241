// db/SqliteTable.cpp: TSqliteConnection and TSqliteTable over SQLite's C interface.
#include "db/SqliteTable.h"

#include <sqlite3.h>

#include <algorithm>
#include <limits>

namespace glint {

// Outside the anonymous namespace: TOpenState, a member of an exported class, holds them.
struct TSqliteFinalize {
  void operator()(sqlite3_stmt* stmt) const { sqlite3_finalize(stmt); }
};
using TStatement = std::unique_ptr<sqlite3_stmt, TSqliteFinalize>;

namespace {

// `what` names the table or file the failure concerns; SQLite's own message follows.
[[noreturn]] void Fail(sqlite3* db, int rc, const std::string& what, const std::string& table) {
  throw ESqliteError(what + ": " + (db ? sqlite3_errmsg(db) : sqlite3_errstr(rc)), rc, table);
}

std::string Quote(const std::string& name) {
  std::string quoted = "\"";
  for (char c : name) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + '"';
}

TFieldType TypeOf(const std::string& declared) {
  const std::string type = UpperCase(declared);
  auto has = [&](const char* word) { return type.find(word) != std::string::npos; };
  if (has("DATE")) return TFieldType::Date;
  if (has("INT")) return TFieldType::Integer;
  if (has("CHAR") || has("CLOB") || has("TEXT")) return TFieldType::Text;
  if (has("BLOB") || type.empty()) return TFieldType::Blob;
  return TFieldType::Float;
}

std::string ColumnBytes(sqlite3_stmt* stmt, int column, bool blob) {
  const void* data = blob ? sqlite3_column_blob(stmt, column) : sqlite3_column_text(stmt, column);
  const int size = sqlite3_column_bytes(stmt, column);
  return data ? std::string(static_cast<const char*>(data), static_cast<std::size_t>(size)) : "";
}

// Can a Float field hold this stored integer as a double? Only if the double is exact and
// SQLite stores that double back as the integer, which it does not for the two extremes.
bool FloatHoldsExactly(std::int64_t value) {
  const double d = static_cast<double>(value);
  return value != std::numeric_limits<std::int64_t>::min() && d < 0x1p63 &&
         static_cast<std::int64_t>(d) == value;
}

// The value at `column` as a field of `type` holds it, else as it is stored. Text in a Blob
// field, or a blob in a Text field, reads as its bytes, as it always has: both types hold
// bytes (and write them in their own storage class).
TValue ReadValue(sqlite3_stmt* stmt, int column, TFieldType type) {
  const bool bytes = type == TFieldType::Text || type == TFieldType::Blob;
  switch (sqlite3_column_type(stmt, column)) {
    case SQLITE_NULL:
      return {};
    case SQLITE_INTEGER: {
      const std::int64_t i = sqlite3_column_int64(stmt, column);
      if (type == TFieldType::Integer) return i;
      if (type == TFieldType::Float && FloatHoldsExactly(i)) return static_cast<double>(i);
      return TStoredValue{i};
    }
    case SQLITE_FLOAT: {
      const double d = sqlite3_column_double(stmt, column);
      if (type == TFieldType::Float) return d;
      return TStoredValue{d};
    }
    case SQLITE_TEXT: {
      std::string text = ColumnBytes(stmt, column, false);
      double date = 0;
      if (bytes) return text;
      if (type == TFieldType::Date && TryIsoToDate(text, date)) return date;
      return TStoredValue{std::move(text)};
    }
    default: {
      std::string blob = ColumnBytes(stmt, column, true);
      if (bytes) return blob;
      return TStoredValue{std::move(blob), true};
    }
  }
}

// The record outlives the step, so SQLite may read the bytes in place.
int BindBytes(sqlite3_stmt* stmt, int parameter, const std::string& bytes, bool blob) {
  if (!blob)
    return sqlite3_bind_text64(stmt, parameter, bytes.data(), bytes.size(), SQLITE_STATIC,
                               SQLITE_UTF8);
  return bytes.empty()
             ? sqlite3_bind_zeroblob(stmt, parameter, 0)
             : sqlite3_bind_blob64(stmt, parameter, bytes.data(), bytes.size(), SQLITE_STATIC);
}

// A value as stored goes back in the storage class it was read in: the column's affinity
// kept it in that class when it was first written, and keeps it there again.
int BindStored(sqlite3_stmt* stmt, int parameter, const TStoredValue& stored) {
  if (auto* i = std::get_if<std::int64_t>(&stored.Value))
    return sqlite3_bind_int64(stmt, parameter, *i);
  if (auto* d = std::get_if<double>(&stored.Value)) return sqlite3_bind_double(stmt, parameter, *d);
  return BindBytes(stmt, parameter, std::get<std::string>(stored.Value), stored.Blob);
}

}  // namespace

struct TSqliteTable::TOpenState {
  TSqliteConnection* Connection = nullptr;
  std::vector<int> Written;  // the fields INSERT and UPDATE bind, in order
  int Key = -1;              // the INTEGER PRIMARY KEY field, if any
  TStatement Insert, Update, Fetch, Begin, Commit, Rollback;
  std::vector<std::string> DateText;  // the bound text of Date fields, per written field

  sqlite3* Db() const { return Connection->Handle(); }
};

TSqliteConnection::TSqliteConnection(TComponent* owner) : TComponent(owner) {}

TSqliteConnection::~TSqliteConnection() { Close(); }

void TSqliteConnection::Open(const std::string& fileName, TSqliteOpenMode mode) {
  Close();
  int flags = SQLITE_OPEN_READWRITE;
  if (mode == TSqliteOpenMode::Create) flags |= SQLITE_OPEN_CREATE;
  sqlite3* db = nullptr;
  const int rc = sqlite3_open_v2(fileName.c_str(), &db, flags, nullptr);
  if (rc != SQLITE_OK) {
    const std::string message = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    sqlite3_close_v2(db);
    throw ESqliteError("Database '" + fileName + "': " + message, rc, "");
  }
  sqlite3_extended_result_codes(db, 1);
  FHandle = db;
  FFileName = fileName;
}

void TSqliteConnection::Close() {
  while (!FTables.empty()) FTables.back()->Close();  // each unlists itself
  sqlite3_close_v2(FHandle);
  FHandle = nullptr;
}

void TSqliteConnection::ExecSql(const std::string& sql) {
  if (!FHandle) throw EDatabaseError("Database: not connected");
  char* error = nullptr;
  const int rc = sqlite3_exec(FHandle, sql.c_str(), nullptr, nullptr, &error);
  if (rc == SQLITE_OK) return;
  const std::string message = error ? error : sqlite3_errstr(rc);
  sqlite3_free(error);
  throw ESqliteError("Database '" + FFileName + "': " + message, rc, "");
}

TSqliteTable::TSqliteTable(TComponent* owner) : TDataSet(owner) {}

TSqliteTable::~TSqliteTable() { Close(); }

std::string TSqliteTable::DisplayName() const {
  return Name().empty() ? "Table '" + FTableName + "'" : Name();
}

void TSqliteTable::CheckInactive() const {
  if (Active()) DatabaseError("cannot perform this operation on an open dataset");
}

void TSqliteTable::SetConnection(TSqliteConnection* connection) {
  CheckInactive();
  if (FConnection) FConnection->RemoveFreeNotification(this);
  FConnection = connection;
  if (FConnection) FConnection->FreeNotification(this);
}

void TSqliteTable::SetDatabaseName(std::string fileName) {
  CheckInactive();
  FDatabaseName = std::move(fileName);
}

void TSqliteTable::SetTableName(std::string tableName) {
  CheckInactive();
  FTableName = std::move(tableName);
}

void TSqliteTable::Notification(TComponent* component, TOperation operation) {
  TDataSet::Notification(component, operation);
  if (operation == TOperation::Remove && component == FConnection) {
    Close();
    FConnection = nullptr;
  }
}

void TSqliteTable::InternalOpen(std::vector<TFieldDef>& defs, std::vector<TRecord>& records) {
  if (FTableName.empty()) DatabaseError("no table name");
  auto open = std::make_unique<TOpenState>();
  std::unique_ptr<TSqliteConnection> own;
  if (FConnection) {
    if (!FConnection->Connected()) DatabaseError("the connection is not open");
    open->Connection = FConnection;
  } else {
    if (FDatabaseName.empty()) DatabaseError("neither a connection nor a database name");
    own = std::make_unique<TSqliteConnection>();
    own->Open(FDatabaseName);
    open->Connection = own.get();
  }
  sqlite3* db = open->Db();
  const std::string what = "Table '" + FTableName + "'";
  auto prepare = [&](const std::string& sql) {
    sqlite3_stmt* stmt = nullptr;
    const int rc = sqlite3_prepare_v3(db, sql.c_str(), static_cast<int>(sql.size()),
                                      SQLITE_PREPARE_PERSISTENT, &stmt, nullptr);
    if (rc != SQLITE_OK) Fail(db, rc, what, FTableName);
    return TStatement(stmt);
  };

  // Columns: cid, name, type, notnull, dflt_value, pk.
  TStatement info = prepare("PRAGMA table_info(" + Quote(FTableName) + ")");
  std::vector<bool> integerKey;
  int keyParts = 0;
  while (sqlite3_step(info.get()) == SQLITE_ROW) {
    const std::string type = ColumnBytes(info.get(), 2, false);
    defs.push_back({ColumnBytes(info.get(), 1, false), TypeOf(type), false});
    integerKey.push_back(sqlite3_column_int(info.get(), 5) > 0 && UpperCase(type) == "INTEGER");
    keyParts += sqlite3_column_int(info.get(), 5) > 0;
  }
  if (defs.empty()) prepare("SELECT * FROM " + Quote(FTableName));  // SQLite's "no such table"
  // Only a lone INTEGER PRIMARY KEY stands for the rowid.
  const auto key = std::find(integerKey.begin(), integerKey.end(), true);
  if (keyParts == 1 && key != integerKey.end()) {
    open->Key = static_cast<int>(key - integerKey.begin());
    defs[static_cast<std::size_t>(open->Key)].ReadOnly = true;
  }

  std::string columns, insertColumns, marks, assignments;
  for (std::size_t i = 0; i < defs.size(); ++i) {
    columns += ", " + Quote(defs[i].Name);
    if (defs[i].ReadOnly) continue;
    const std::string sep = open->Written.empty() ? "" : ", ";
    insertColumns += sep + Quote(defs[i].Name);
    marks += sep + "?";
    assignments += sep + Quote(defs[i].Name) + " = ?";
    open->Written.push_back(static_cast<int>(i));
  }

  TStatement select =
      prepare("SELECT rowid" + columns + " FROM " + Quote(FTableName) + " ORDER BY rowid");
  int rc;
  while ((rc = sqlite3_step(select.get())) == SQLITE_ROW) {
    TRecord record{std::vector<TValue>(defs.size()), sqlite3_column_int64(select.get(), 0)};
    for (std::size_t i = 0; i < defs.size(); ++i)
      record.Values[i] = ReadValue(select.get(), static_cast<int>(i) + 1, defs[i].DataType);
    records.push_back(std::move(record));
  }
  if (rc != SQLITE_DONE) Fail(db, rc, what, FTableName);

  const std::string table = Quote(FTableName);
  open->Insert = prepare(open->Written.empty() ? "INSERT INTO " + table + " DEFAULT VALUES"
                                               : "INSERT INTO " + table + " (" + insertColumns +
                                                     ") VALUES (" + marks + ")");
  if (!open->Written.empty())
    open->Update = prepare("UPDATE " + table + " SET " + assignments + " WHERE rowid = ?");
  open->Fetch = prepare("SELECT " + columns.substr(2) + " FROM " + table + " WHERE rowid = ?");
  open->DateText.resize(open->Written.size());
  open->Begin = prepare("BEGIN");
  open->Commit = prepare("COMMIT");
  open->Rollback = prepare("ROLLBACK");
  open->Connection->FTables.push_back(this);
  FOpen = std::move(open);
  FOwnConnection = std::move(own);
}

void TSqliteTable::InternalClose() {
  if (FOpen) {
    auto& tables = FOpen->Connection->FTables;
    tables.erase(std::remove(tables.begin(), tables.end(), this), tables.end());
  }
  FOpen.reset();
  FOwnConnection.reset();
}

bool TSqliteTable::InternalFetch(TRecord& record) const {
  sqlite3_stmt* fetch = FOpen->Fetch.get();
  sqlite3_bind_int64(fetch, 1, record.Id);
  const int rc = sqlite3_step(fetch);
  if (rc == SQLITE_ROW) {
    record.Values.resize(static_cast<std::size_t>(FieldCount()));
    for (int i = 0; i < FieldCount(); ++i)
      record.Values[static_cast<std::size_t>(i)] = ReadValue(fetch, i, Fields(i).DataType());
  }
  sqlite3_reset(fetch);
  if (rc != SQLITE_ROW && rc != SQLITE_DONE)
    Fail(FOpen->Db(), rc, "Table '" + FTableName + "'", FTableName);
  return rc == SQLITE_ROW;
}

void TSqliteTable::InternalPost(TRecord& record, bool inserting) {
  TOpenState& open = *FOpen;
  sqlite3* db = open.Db();
  auto what = [&] { return "Table '" + FTableName + "'"; };
  // Steps `stmt` once; on failure raises with the message SQLite gave for it.
  auto run = [&](sqlite3_stmt* stmt) {
    const int rc = sqlite3_step(stmt);
    if (rc == SQLITE_DONE || rc == SQLITE_ROW) return (void)sqlite3_reset(stmt);
    const std::string message = what() + ": " + sqlite3_errmsg(db);
    sqlite3_reset(stmt);
    throw ESqliteError(message, rc, FTableName);
  };
  sqlite3_stmt* write = inserting ? open.Insert.get() : open.Update.get();
  if (!write) return;  // an edit of a table whose only column is its key

  int parameter = 0;
  for (int field : open.Written) {
    const TValue& value = record.Values[static_cast<std::size_t>(field)];
    const TFieldType type = Fields(field).DataType();
    ++parameter;
    int rc = SQLITE_OK;
    if (auto* i = std::get_if<std::int64_t>(&value)) {
      rc = sqlite3_bind_int64(write, parameter, *i);
    } else if (auto* d = std::get_if<double>(&value); d && type == TFieldType::Date) {
      std::string& date = open.DateText[static_cast<std::size_t>(parameter - 1)];
      date = DateToIso(*d);
      rc = sqlite3_bind_text(write, parameter, date.data(), static_cast<int>(date.size()),
                             SQLITE_STATIC);
    } else if (d) {
      rc = sqlite3_bind_double(write, parameter, *d);
    } else if (auto* s = std::get_if<std::string>(&value)) {
      rc = BindBytes(write, parameter, *s, type == TFieldType::Blob);
    } else if (auto* stored = std::get_if<TStoredValue>(&value)) {
      rc = BindStored(write, parameter, *stored);
    } else {
      rc = sqlite3_bind_null(write, parameter);
    }
    if (rc != SQLITE_OK) Fail(db, rc, what(), FTableName);
  }
  if (!inserting) sqlite3_bind_int64(write, ++parameter, record.Id);

  // Inside a transaction the caller opened, the record joins it.
  const bool own = sqlite3_get_autocommit(db) != 0;
  if (own) run(open.Begin.get());
  try {
    run(write);
    if (!inserting && sqlite3_changes(db) == 0)
      throw ESqliteError(what() + ": the record is no longer in the table", SQLITE_NOTFOUND,
                         FTableName);
    if (own) run(open.Commit.get());
  } catch (...) {
    if (own && !sqlite3_get_autocommit(db)) {
      sqlite3_step(open.Rollback.get());
      sqlite3_reset(open.Rollback.get());
    }
    throw;
  }
  if (!inserting) return;
  record.Id = sqlite3_last_insert_rowid(db);
  if (open.Key >= 0) record.Values[static_cast<std::size_t>(open.Key)] = record.Id;
}

}  // namespace glint
