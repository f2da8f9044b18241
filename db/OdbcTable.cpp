// db/OdbcTable.cpp: TOdbcTable over the ODBC 3 C interface. The build names the platform's
// ODBC headers in GLINT_ODBC_HEADER (db/OdbcSql_win.h or db/OdbcSql_posix.h).
#include "db/OdbcTable.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <limits>

#include GLINT_ODBC_HEADER

namespace glint {

namespace {

// An ODBC handle, freed with its kind.
class THandle {
 public:
  THandle(SQLSMALLINT type, SQLHANDLE parent) : FType(type) {
    if (!SQL_SUCCEEDED(SQLAllocHandle(type, parent, &FHandle))) FHandle = SQL_NULL_HANDLE;
  }
  ~THandle() {
    if (FHandle != SQL_NULL_HANDLE) SQLFreeHandle(FType, FHandle);
  }
  THandle(const THandle&) = delete;
  THandle& operator=(const THandle&) = delete;
  SQLHANDLE Get() const { return FHandle; }
  SQLSMALLINT Type() const { return FType; }

 private:
  SQLSMALLINT FType;
  SQLHANDLE FHandle = SQL_NULL_HANDLE;
};

// Every diagnostic record of `handle` after `what`, the first one's state and native code
// kept apart for the caller.
[[noreturn]] void Fail(const THandle& handle, SQLRETURN rc, const std::string& what,
                       const std::string& table) {
  std::string message, state;
  long native = 0;
  for (SQLSMALLINT i = 1;; ++i) {
    SQLCHAR recordState[6] = {};
    SQLINTEGER recordNative = 0;
    SQLCHAR text[1024] = {};
    SQLSMALLINT length = 0;
    if (!SQL_SUCCEEDED(SQLGetDiagRec(handle.Type(), handle.Get(), i, recordState, &recordNative,
                                     text, sizeof text, &length)))
      break;
    if (i == 1) {
      state = reinterpret_cast<const char*>(recordState);
      native = static_cast<long>(recordNative);
    }
    message += (i == 1 ? "" : "; ") + std::string(reinterpret_cast<const char*>(text));
  }
  if (state.empty())
    throw EOdbcError(what + ": the ODBC call failed (return code " + std::to_string(rc) + ")", "",
                     0, table);
  throw EOdbcError(what + ": " + message + " (SQLSTATE " + state + ", native error " +
                       std::to_string(native) + ")",
                   state, native, table);
}

TFieldType TypeOf(SQLSMALLINT sqlType) {
  switch (sqlType) {
    case SQL_BIT:
    case SQL_TINYINT:
    case SQL_SMALLINT:
    case SQL_INTEGER:
    case SQL_BIGINT:
      return TFieldType::Integer;
    case SQL_REAL:
    case SQL_FLOAT:
    case SQL_DOUBLE:
    case SQL_DECIMAL:
    case SQL_NUMERIC:
      return TFieldType::Float;
    case SQL_DATE:
    case SQL_TIMESTAMP:
    case SQL_TYPE_DATE:
    case SQL_TYPE_TIMESTAMP:
      return TFieldType::Date;
    case SQL_BINARY:
    case SQL_VARBINARY:
    case SQL_LONGVARBINARY:
      return TFieldType::Blob;
    default:
      return TFieldType::Text;
  }
}

// What the kit knows of a DBMS, by its name as SQLGetInfo gives it:
// - LastIdentity: the query that reads the key the database assigned to this connection's
//   last insert;
// - IntegerKeyAssigned: a one-column INTEGER primary key is assigned by the database though
//   the driver does not say so (SQLite's rowid alias, which its driver reports as
//   auto-assigned only with AUTOINCREMENT);
// - Untyped: the type name the driver reports for a column declared without a type, which
//   may hold any value: a Blob field, read and written as bytes;
// - Loose: any column may hold any value, so numbers are read as text and kept as stored
//   when their field's type cannot hold them (SQLite's driver reads 'n/a' in a REAL column
//   as 0.0, and an integer past 2^53 as a rounded double), and character data is read as
//   binary, which gives its bytes unchanged where reading it as characters turns a blob
//   kept in a text column into hex digits.
struct TDbmsTraits {
  const char* Name;
  const char* LastIdentity;
  bool IntegerKeyAssigned;
  const char* Untyped;
  bool Loose;
};

TDbmsTraits TraitsOf(const std::string& dbms) {
  constexpr TDbmsTraits kTraits[] = {
      {"SQLite", "SELECT last_insert_rowid()", true, "varchar", true},
      {"MySQL", "SELECT LAST_INSERT_ID()", false, nullptr, false},
      {"MariaDB", "SELECT LAST_INSERT_ID()", false, nullptr, false},
      {"Microsoft SQL Server", "SELECT @@IDENTITY", false, nullptr, false},
      {"PostgreSQL", "SELECT lastval()", false, nullptr, false},
  };
  for (const TDbmsTraits& traits : kTraits)
    if (dbms == traits.Name) return traits;
  return {"", "", false, nullptr, false};
}

// The bytes of column `column` of the current row, text (`cType` SQL_C_CHAR) or binary;
// false for null. Long values come in parts.
bool ReadBytes(const THandle& stmt, SQLUSMALLINT column, SQLSMALLINT cType, std::string& bytes,
               const std::string& what, const std::string& table) {
  bytes.clear();
  char part[4096];
  const SQLLEN terminator = cType == SQL_C_CHAR ? 1 : 0;
  for (;;) {
    SQLLEN length = 0;
    const SQLRETURN rc = SQLGetData(stmt.Get(), column, cType, part, sizeof part, &length);
    if (rc == SQL_NO_DATA) return true;
    if (!SQL_SUCCEEDED(rc)) Fail(stmt, rc, what, table);
    if (length == SQL_NULL_DATA) return false;
    const SQLLEN room = static_cast<SQLLEN>(sizeof part) - terminator;
    const bool whole = length != SQL_NO_TOTAL && length <= room;
    bytes.append(part, static_cast<std::size_t>(whole ? length : room));
    if (whole) return true;
  }
}

// Column `column` of the current row as a field of `type` holds it, else as stored text.
// Integers and dates come as text, which is exact in every driver; floats as doubles.
TValue ReadValue(const THandle& stmt, SQLUSMALLINT column, TFieldType type, bool loose,
                 const std::string& what, const std::string& table) {
  std::string bytes;
  if (type == TFieldType::Float && !loose) {
    double d = 0;
    SQLLEN length = 0;
    const SQLRETURN rc = SQLGetData(stmt.Get(), column, SQL_C_DOUBLE, &d, 0, &length);
    if (!SQL_SUCCEEDED(rc)) Fail(stmt, rc, what, table);
    if (length == SQL_NULL_DATA) return {};
    return d;
  }
  if (!ReadBytes(stmt, column, type == TFieldType::Blob || loose ? SQL_C_BINARY : SQL_C_CHAR, bytes,
                 what, table))
    return {};
  // Read as bytes, a blob kept in another column shows by its NUL bytes, as no text has one.
  auto asStored = [&] {
    const bool blob = loose && bytes.find('\0') != std::string::npos;
    return TStoredValue{std::move(bytes), blob};
  };
  if (type == TFieldType::Integer) {
    std::int64_t i = 0;
    const char* end = bytes.data() + bytes.size();
    auto [ptr, ec] = std::from_chars(bytes.data(), end, i);
    if (ec == std::errc() && ptr == end && !bytes.empty()) return i;
    return asStored();
  }
  if (type == TFieldType::Float) {
    const char* end = bytes.data() + bytes.size();
    std::int64_t i = 0;
    double d = 0;
    if (auto [ptr, ec] = std::from_chars(bytes.data(), end, i); ec == std::errc() && ptr == end) {
      // A double that reads back as the same integer, else the integer as stored.
      const double asDouble = static_cast<double>(i);
      if (i != std::numeric_limits<std::int64_t>::min() && asDouble < 0x1p63 &&
          static_cast<std::int64_t>(asDouble) == i)
        return asDouble;
      return TStoredValue{i};
    }
    // SQLite stores no NaN (it becomes null), so "nan" is text a double would turn to null.
    if (auto [ptr, ec] = std::from_chars(bytes.data(), end, d);
        ec == std::errc() && ptr == end && !std::isnan(d))
      return d;
    return asStored();
  }
  if (type == TFieldType::Date) {
    double date = 0;
    if (TryIsoToDate(bytes, date)) return date;
    return asStored();
  }
  return bytes;
}

// A day number and the date ODBC passes for it.
SQL_DATE_STRUCT DateStruct(double date) {
  using namespace std::chrono;
  const year_month_day ymd(sys_days(year(1899) / December / 30) +
                           days(static_cast<int>(std::floor(date))));
  SQL_DATE_STRUCT d{};
  d.year = static_cast<SQLSMALLINT>(static_cast<int>(ymd.year()));
  d.month = static_cast<SQLUSMALLINT>(static_cast<unsigned>(ymd.month()));
  d.day = static_cast<SQLUSMALLINT>(static_cast<unsigned>(ymd.day()));
  return d;
}

}  // namespace

struct TOdbcTable::TOpenState {
  THandle Env{SQL_HANDLE_ENV, SQL_NULL_HANDLE};
  std::unique_ptr<THandle> Dbc;  // allocated once the environment has its ODBC version
  bool Connected = false;
  std::vector<SQLSMALLINT> SqlTypes;  // per field, as the driver described the column
  std::vector<int> Written;           // the fields INSERT and UPDATE bind, in order
  int Key = -1;                       // the one-column integer primary key, if any
  bool KeyAssigned = false;           // the database gives the key a value when left null
  bool Loose = false;                 // see TDbmsTraits
  std::unique_ptr<THandle> Insert, Update, Fetch, LastId;
  // What the bound parameters point at until the statement has run.
  std::vector<SQLLEN> Lengths;
  std::vector<SQL_DATE_STRUCT> Dates;
  SQLBIGINT KeyParameter = 0;

  ~TOpenState() {
    Insert.reset();
    Update.reset();
    Fetch.reset();
    LastId.reset();
    if (Connected) {
      SQLEndTran(SQL_HANDLE_DBC, Dbc->Get(), SQL_ROLLBACK);
      SQLDisconnect(Dbc->Get());
    }
  }
};

TOdbcTable::TOdbcTable(TComponent* owner) : TDataSet(owner) {}

TOdbcTable::~TOdbcTable() { Close(); }

std::string TOdbcTable::DisplayName() const {
  return Name().empty() ? "Table '" + FTableName + "'" : Name();
}

void TOdbcTable::CheckInactive() const {
  if (Active()) DatabaseError("cannot perform this operation on an open dataset");
}

void TOdbcTable::Refuse(const std::string& message) const {
  throw EOdbcError("Table '" + FTableName + "': " + message, "", 0, FTableName);
}

void TOdbcTable::SetConnectionString(std::string connectionString) {
  CheckInactive();
  FConnectionString = std::move(connectionString);
}

void TOdbcTable::SetTableName(std::string tableName) {
  CheckInactive();
  FTableName = std::move(tableName);
}

bool TOdbcTable::CanFetch() const { return FOpen && FOpen->Key >= 0; }

void TOdbcTable::InternalOpen(std::vector<TFieldDef>& defs, std::vector<TRecord>& records) {
  if (FTableName.empty()) DatabaseError("no table name");
  if (FConnectionString.empty()) DatabaseError("no connection string");
  const std::string what = "Table '" + FTableName + "'";
  auto open = std::make_unique<TOpenState>();
  if (open->Env.Get() == SQL_NULL_HANDLE) Refuse("no ODBC environment could be made");
  SQLRETURN rc = SQLSetEnvAttr(open->Env.Get(), SQL_ATTR_ODBC_VERSION,
                               reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
  if (!SQL_SUCCEEDED(rc)) Fail(open->Env, rc, what, FTableName);
  open->Dbc = std::make_unique<THandle>(SQL_HANDLE_DBC, open->Env.Get());
  const THandle& dbc = *open->Dbc;
  if (dbc.Get() == SQL_NULL_HANDLE) Fail(open->Env, SQL_ERROR, what, FTableName);
  std::string connection = FConnectionString;
  rc = SQLDriverConnect(dbc.Get(), nullptr, reinterpret_cast<SQLCHAR*>(connection.data()), SQL_NTS,
                        nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT);
  if (!SQL_SUCCEEDED(rc)) Fail(dbc, rc, what, FTableName);
  open->Connected = true;

  auto info = [&](SQLUSMALLINT kind) {
    char text[256] = {};
    SQLSMALLINT length = 0;
    SQLGetInfo(dbc.Get(), kind, text, sizeof text, &length);
    return std::string(text);
  };
  std::string quote = info(SQL_IDENTIFIER_QUOTE_CHAR);
  if (quote == " ") quote.clear();  // the driver quotes no names
  auto name = [&](const std::string& raw) {
    if (quote.empty()) return raw;
    std::string quoted = quote;
    for (char c : raw) quoted += c == quote[0] ? quote + quote : std::string(1, c);
    return quoted + quote;
  };
  const std::string table = name(FTableName);
  auto statement = [&] {
    auto stmt = std::make_unique<THandle>(SQL_HANDLE_STMT, dbc.Get());
    if (stmt->Get() == SQL_NULL_HANDLE) Fail(dbc, SQL_ERROR, what, FTableName);
    return stmt;
  };
  auto check = [&](const THandle& handle, SQLRETURN result) {
    if (!SQL_SUCCEEDED(result)) Fail(handle, result, what, FTableName);
  };

  // The columns as the driver describes them, from a query that reads no row.
  auto describe = statement();
  std::string sql = "SELECT * FROM " + table + " WHERE 1 = 0";
  check(*describe, SQLExecDirect(describe->Get(), reinterpret_cast<SQLCHAR*>(sql.data()), SQL_NTS));
  SQLSMALLINT columns = 0;
  check(*describe, SQLNumResultCols(describe->Get(), &columns));
  const TDbmsTraits traits = TraitsOf(info(SQL_DBMS_NAME));
  open->Loose = traits.Loose;
  std::vector<bool> autoUnique;
  for (SQLUSMALLINT i = 1; i <= columns; ++i) {
    SQLCHAR columnName[256] = {};
    SQLSMALLINT nameLength = 0, sqlType = 0, digits = 0, nullable = 0;
    SQLULEN size = 0;
    check(*describe, SQLDescribeCol(describe->Get(), i, columnName, sizeof columnName, &nameLength,
                                    &sqlType, &size, &digits, &nullable));
    SQLLEN isAuto = SQL_FALSE;
    SQLColAttribute(describe->Get(), i, SQL_DESC_AUTO_UNIQUE_VALUE, nullptr, 0, nullptr, &isAuto);
    char typeName[64] = {};
    SQLSMALLINT typeLength = 0;
    SQLColAttribute(describe->Get(), i, SQL_DESC_TYPE_NAME, typeName, sizeof typeName, &typeLength,
                    nullptr);
    if (traits.IntegerKeyAssigned && UpperCase(typeName) == "INTEGER") isAuto = SQL_TRUE;
    const bool untyped = traits.Untyped && std::string(typeName) == traits.Untyped;
    defs.push_back({reinterpret_cast<const char*>(columnName),
                    untyped ? TFieldType::Blob : TypeOf(sqlType), false});
    open->SqlTypes.push_back(sqlType);
    autoUnique.push_back(isAuto == SQL_TRUE);
  }
  describe.reset();

  // The primary key; only one integer column serves as the record's Id.
  auto keys = statement();
  std::vector<std::string> keyColumns;
  if (SQL_SUCCEEDED(SQLPrimaryKeys(keys->Get(), nullptr, 0, nullptr, 0,
                                   reinterpret_cast<SQLCHAR*>(FTableName.data()), SQL_NTS))) {
    std::string column;
    while (SQL_SUCCEEDED(SQLFetch(keys->Get())))
      if (ReadBytes(*keys, 4, SQL_C_CHAR, column, what, FTableName)) keyColumns.push_back(column);
  }
  keys.reset();
  if (keyColumns.size() == 1) {
    for (std::size_t i = 0; i < defs.size(); ++i)
      if (CompareText(defs[i].Name, keyColumns[0]) == 0 &&
          defs[i].DataType == TFieldType::Integer) {
        open->Key = static_cast<int>(i);
        defs[i].ReadOnly = autoUnique[i];
        // SQLite gives a value only to its rowid; any other key left null stays null.
        open->KeyAssigned = autoUnique[i] || !traits.IntegerKeyAssigned;
      }
  }

  std::string list, insertColumns, marks, assignments;
  for (std::size_t i = 0; i < defs.size(); ++i) {
    list += (i ? ", " : "") + name(defs[i].Name);
    if (defs[i].ReadOnly) continue;
    const std::string sep = open->Written.empty() ? "" : ", ";
    insertColumns += sep + name(defs[i].Name);
    marks += sep + "?";
    assignments += sep + name(defs[i].Name) + " = ?";
    open->Written.push_back(static_cast<int>(i));
  }
  const std::string keyName =
      open->Key >= 0 ? name(defs[static_cast<std::size_t>(open->Key)].Name) : "";

  auto read = statement();
  sql = "SELECT " + list + " FROM " + table + (keyName.empty() ? "" : " ORDER BY " + keyName);
  check(*read, SQLExecDirect(read->Get(), reinterpret_cast<SQLCHAR*>(sql.data()), SQL_NTS));
  bool keyed = open->Key >= 0;
  while ((rc = SQLFetch(read->Get())) != SQL_NO_DATA) {
    check(*read, rc);
    TRecord record{std::vector<TValue>(defs.size()), static_cast<std::int64_t>(records.size())};
    for (std::size_t i = 0; i < defs.size(); ++i)
      record.Values[i] = ReadValue(*read, static_cast<SQLUSMALLINT>(i + 1), defs[i].DataType,
                                   open->Loose, what, FTableName);
    if (open->Key >= 0) {
      auto* id = std::get_if<std::int64_t>(&record.Values[static_cast<std::size_t>(open->Key)]);
      if (id) record.Id = *id;
      keyed = keyed && id;
    }
    records.push_back(std::move(record));
  }
  read.reset();
  // A key holding null or text (SQLite allows both outside the rowid) finds no record by it,
  // and its record's Id, its position, could be another row's key: no key then.
  if (!keyed) open->Key = -1;

  // Each post is a transaction of its own from here on.
  check(dbc, SQLSetConnectAttr(dbc.Get(), SQL_ATTR_AUTOCOMMIT,
                               reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0));
  auto prepare = [&](const std::string& text) {
    auto stmt = statement();
    std::string copy = text;
    check(*stmt, SQLPrepare(stmt->Get(), reinterpret_cast<SQLCHAR*>(copy.data()), SQL_NTS));
    return stmt;
  };
  open->Insert = prepare(open->Written.empty() ? "INSERT INTO " + table + " DEFAULT VALUES"
                                               : "INSERT INTO " + table + " (" + insertColumns +
                                                     ") VALUES (" + marks + ")");
  if (open->Key >= 0) {
    if (!open->Written.empty())
      open->Update =
          prepare("UPDATE " + table + " SET " + assignments + " WHERE " + keyName + " = ?");
    open->Fetch = prepare("SELECT " + list + " FROM " + table + " WHERE " + keyName + " = ?");
    std::string last = traits.LastIdentity;
    if (last.empty()) last = "SELECT MAX(" + keyName + ") FROM " + table;
    open->LastId = prepare(last);
  }
  open->Lengths.resize(open->Written.size() + 1);
  open->Dates.resize(open->Written.size());
  FOpen = std::move(open);
}

void TOdbcTable::InternalClose() { FOpen.reset(); }

bool TOdbcTable::InternalFetch(TRecord& record) const {
  TOpenState& open = *FOpen;
  const THandle& fetch = *open.Fetch;
  const std::string what = "Table '" + FTableName + "'";
  open.KeyParameter = record.Id;
  SQLRETURN rc = SQLBindParameter(fetch.Get(), 1, SQL_PARAM_INPUT, SQL_C_SBIGINT, SQL_BIGINT, 0, 0,
                                  &open.KeyParameter, 0, nullptr);
  if (SQL_SUCCEEDED(rc)) rc = SQLExecute(fetch.Get());
  if (!SQL_SUCCEEDED(rc)) Fail(fetch, rc, what, FTableName);
  // The read began a transaction; ending it lets other connections write again.
  struct TEnd {
    const TOpenState& Open;
    ~TEnd() {
      SQLFreeStmt(Open.Fetch->Get(), SQL_CLOSE);
      SQLEndTran(SQL_HANDLE_DBC, Open.Dbc->Get(), SQL_COMMIT);
    }
  } end{open};
  rc = SQLFetch(fetch.Get());
  if (rc == SQL_NO_DATA) return false;
  if (!SQL_SUCCEEDED(rc)) Fail(fetch, rc, what, FTableName);
  record.Values.resize(static_cast<std::size_t>(FieldCount()));
  for (int i = 0; i < FieldCount(); ++i)
    record.Values[static_cast<std::size_t>(i)] =
        ReadValue(fetch, static_cast<SQLUSMALLINT>(i + 1), Fields(i).DataType(), open.Loose, what,
                  FTableName);
  return true;
}

void TOdbcTable::InternalPost(TRecord& record, bool inserting) {
  TOpenState& open = *FOpen;
  const std::string what = "Table '" + FTableName + "'";
  if (!inserting && open.Key < 0)
    Refuse("has no one-column integer primary key, so its records cannot be edited");
  if (!inserting && !open.Update) return;  // an edit of a table whose only column is its key
  const THandle& write = inserting ? *open.Insert : *open.Update;
  // The record is found by its key afterwards, so it must be an integer, or left null for
  // the database to assign.
  if (open.Key >= 0) {
    const TValue& keyValue = record.Values[static_cast<std::size_t>(open.Key)];
    const bool assigned = inserting && open.KeyAssigned && keyValue.index() == 0;
    if (!assigned && !std::holds_alternative<std::int64_t>(keyValue))
      Refuse("the key field '" + Fields(open.Key).FieldName() + "' needs an integer value");
  }

  SQLUSMALLINT parameter = 0;
  auto bind = [&](SQLSMALLINT cType, SQLSMALLINT sqlType, SQLULEN size, const void* data,
                  SQLLEN length) {
    SQLLEN& indicator = open.Lengths[parameter];
    indicator = length;
    ++parameter;
    const SQLRETURN rc =
        SQLBindParameter(write.Get(), parameter, SQL_PARAM_INPUT, cType, sqlType, size, 0,
                         const_cast<void*>(data), length > 0 ? length : 0, &indicator);
    if (!SQL_SUCCEEDED(rc)) Fail(write, rc, what, FTableName);
  };
  auto bindBytes = [&](const std::string& bytes, bool blob, SQLSMALLINT sqlType) {
    bind(blob ? SQL_C_BINARY : SQL_C_CHAR, sqlType, std::max<SQLULEN>(bytes.size(), 1),
         bytes.data(), static_cast<SQLLEN>(bytes.size()));
  };
  for (int field : open.Written) {
    TValue& value = record.Values[static_cast<std::size_t>(field)];
    const TFieldType type = Fields(field).DataType();
    const SQLSMALLINT sqlType = open.SqlTypes[static_cast<std::size_t>(field)];
    if (auto* i = std::get_if<std::int64_t>(&value)) {
      bind(SQL_C_SBIGINT, SQL_BIGINT, 0, i, 0);
    } else if (auto* d = std::get_if<double>(&value); d && type == TFieldType::Date) {
      SQL_DATE_STRUCT& date = open.Dates[parameter];
      date = DateStruct(*d);
      bind(SQL_C_TYPE_DATE, SQL_TYPE_DATE, 10, &date, 0);
    } else if (d) {
      bind(SQL_C_DOUBLE, SQL_DOUBLE, 0, d, 0);
    } else if (auto* s = std::get_if<std::string>(&value)) {
      // The SQLite driver ends character data at a NUL: bytes holding one were a blob.
      const bool blob =
          type == TFieldType::Blob || (open.Loose && s->find('\0') != std::string::npos);
      bindBytes(*s, blob, blob && type != TFieldType::Blob ? SQL_LONGVARBINARY : sqlType);
    } else if (auto* stored = std::get_if<TStoredValue>(&value)) {
      if (auto* si = std::get_if<std::int64_t>(&stored->Value)) {
        bind(SQL_C_SBIGINT, SQL_BIGINT, 0, si, 0);
      } else if (auto* sd = std::get_if<double>(&stored->Value)) {
        bind(SQL_C_DOUBLE, SQL_DOUBLE, 0, sd, 0);
      } else {
        bindBytes(std::get<std::string>(stored->Value), stored->Blob,
                  stored->Blob ? SQL_LONGVARBINARY : SQL_LONGVARCHAR);
      }
    } else {
      bind(SQL_C_CHAR, sqlType, 1, nullptr, SQL_NULL_DATA);
    }
  }
  SQLBIGINT key = record.Id;
  if (!inserting) bind(SQL_C_SBIGINT, SQL_BIGINT, 0, &key, 0);

  const SQLHDBC dbc = open.Dbc->Get();
  try {
    SQLRETURN rc = SQLExecute(write.Get());
    if (!inserting) {
      SQLLEN rows = 0;
      if (rc != SQL_NO_DATA && SQL_SUCCEEDED(rc)) SQLRowCount(write.Get(), &rows);
      if (rc == SQL_NO_DATA || (SQL_SUCCEEDED(rc) && rows == 0))
        Refuse("the record is no longer in the table");
    }
    if (!SQL_SUCCEEDED(rc)) Fail(write, rc, what, FTableName);
    SQLFreeStmt(write.Get(), SQL_CLOSE);
    if (inserting && open.Key >= 0) {
      const auto keyField = static_cast<std::size_t>(open.Key);
      if (auto* written = std::get_if<std::int64_t>(&record.Values[keyField])) {
        key = *written;
      } else {
        const THandle& last = *open.LastId;
        rc = SQLExecute(last.Get());
        if (SQL_SUCCEEDED(rc)) rc = SQLFetch(last.Get());
        SQLLEN length = 0;
        if (SQL_SUCCEEDED(rc)) rc = SQLGetData(last.Get(), 1, SQL_C_SBIGINT, &key, 0, &length);
        if (!SQL_SUCCEEDED(rc)) Fail(last, rc, what, FTableName);
        if (length == SQL_NULL_DATA) Refuse("the database gave the new record no key");
        SQLFreeStmt(last.Get(), SQL_CLOSE);
      }
    }
    rc = SQLEndTran(SQL_HANDLE_DBC, dbc, SQL_COMMIT);
    if (!SQL_SUCCEEDED(rc)) Fail(*open.Dbc, rc, what, FTableName);
  } catch (...) {
    SQLFreeStmt(write.Get(), SQL_CLOSE);
    if (open.LastId) SQLFreeStmt(open.LastId->Get(), SQL_CLOSE);
    SQLEndTran(SQL_HANDLE_DBC, dbc, SQL_ROLLBACK);
    throw;
  }
  if (open.Key < 0) return;
  if (!inserting) {
    // A key the program wrote may have changed: the record is found by its new value now.
    if (auto* written =
            std::get_if<std::int64_t>(&record.Values[static_cast<std::size_t>(open.Key)]))
      record.Id = *written;
    return;
  }
  record.Id = key;
  record.Values[static_cast<std::size_t>(open.Key)] = std::int64_t{key};
}

}  // namespace glint
