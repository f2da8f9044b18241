// What is SQLite's own in TSqliteTable: declared types, the key, error texts, transactions.
#include "db/SqliteTable.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <functional>

#include "db/TestBackends.h"

namespace glint {
namespace {

// The first column of the first row `sql` gives, as text.
std::string Query(TSqliteConnection& connection, const std::string& sql) {
  sqlite3_stmt* stmt = nullptr;
  EXPECT_EQ(sqlite3_prepare_v2(connection.Handle(), sql.c_str(), -1, &stmt, nullptr), SQLITE_OK)
      << sql;
  std::string text;
  if (sqlite3_step(stmt) == SQLITE_ROW)
    if (auto* column = sqlite3_column_text(stmt, 0)) text = reinterpret_cast<const char*>(column);
  sqlite3_finalize(stmt);
  return text;
}

class SqliteTable : public testing::Test {
 protected:
  void SetUp() override { FConnection.Open(":memory:"); }
  // Opens `table` after running `sql`.
  TSqliteTable& Open(const std::string& sql, const std::string& table = "t") {
    FConnection.ExecSql(sql);
    FTable.SetConnection(&FConnection);
    FTable.SetTableName(table);
    FTable.Open();
    return FTable;
  }
  TSqliteConnection FConnection;
  TSqliteTable FTable;
};

// INT PRIMARY KEY and composite keys are no rowid alias: the program writes them.
TEST_F(SqliteTable, DeclaredTypesGiveFieldTypesAndTheKey) {
  const struct {
    const char* column;
    TFieldType type;
    bool readOnly;
  } kColumns[] = {
      {"k INTEGER PRIMARY KEY", TFieldType::Integer, true},
      {"k INT PRIMARY KEY", TFieldType::Integer, false},
      {"k BIGINT", TFieldType::Integer, false},
      {"k DATETIME", TFieldType::Date, false},
      {"k VARCHAR(20)", TFieldType::Text, false},
      {"k CLOB", TFieldType::Text, false},
      {"k", TFieldType::Blob, false},
      {"k DOUBLE PRECISION", TFieldType::Float, false},
      {"k NUMERIC(10,2)", TFieldType::Float, false},
      {"k INTEGER, j, PRIMARY KEY (k, j)", TFieldType::Integer, false},
  };
  for (const auto& c : kColumns) {
    SCOPED_TRACE(c.column);
    Open(std::string("DROP TABLE IF EXISTS t; CREATE TABLE t (") + c.column + ")");
    EXPECT_EQ(FTable.Fields(0).DataType(), c.type);
    EXPECT_EQ(FTable.Fields(0).ReadOnly(), c.readOnly);
    FTable.Close();
  }
}

// SQLite's message and the table's name reach the exception; a refused post writes
// nothing and leaves the record to fix or cancel.
TEST_F(SqliteTable, ErrorsCarrySqliteMessageAndTableName) {
  const struct {
    const char* what;
    const char* sql;
    std::function<void(TSqliteTable&)> act;
    const char* message;
  } kCases[] = {
      {"missing table", "",
       [](TSqliteTable& t) {
         t.SetTableName("nosuch");
         t.Open();
       },
       "Table 'nosuch': no such table: nosuch"},
      {"not null", "CREATE TABLE t (id INTEGER PRIMARY KEY, s TEXT NOT NULL)",
       [](TSqliteTable& t) {
         t.Open();
         t.Append();
         t.Post();
       },
       "Table 't': NOT NULL constraint failed: t.s"},
      {"unique on edit", "CREATE TABLE t (s TEXT UNIQUE); INSERT INTO t VALUES ('a'), ('b')",
       [](TSqliteTable& t) {
         t.Open();
         t.Last();
         t.Edit();
         t.Fields(0).SetValue("a");
         t.Post();
       },
       "Table 't': UNIQUE constraint failed: t.s"},
      {"row gone", "CREATE TABLE t (s TEXT); INSERT INTO t VALUES ('a')",
       [](TSqliteTable& t) {
         t.Open();
         t.Edit();
         t.Connection()->ExecSql("DELETE FROM t");
         t.Post();
       },
       "Table 't': the record is no longer in the table"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.what);
    TSqliteConnection connection;
    connection.Open(":memory:");
    connection.ExecSql(c.sql);
    TSqliteTable table;
    table.SetConnection(&connection);
    table.SetTableName("t");
    try {
      c.act(table);
      ADD_FAILURE() << "no exception";
    } catch (const ESqliteError& e) {
      EXPECT_EQ(std::string(e.Message()).rfind(c.message, 0), 0u) << e.Message();
      EXPECT_EQ(e.TableName(), table.TableName());
    }
    EXPECT_NE(table.State(), TDataSetState::Browse);  // closed, or still inserting/editing
  }
}

// SQLite keeps any value in any column. Each source value is read as its field holds it, or
// as stored when the field's type cannot hold it exactly; it is copied into a new record and
// written again by an edit of another field, and both rows then hold the literal as inserted
// (compared by quote(): SQLite's own v = literal would put the literal's type in for v's).
TEST_F(SqliteTable, ValuesAreCopiedAndRewrittenAsStored) {
  const struct {
    const char *type, *literal, *read;
  } kCases[] = {
      {"NUMERIC", "123456789012345678", "stored int 123456789012345678"},
      {"NUMERIC", "9223372036854775807", "stored int 9223372036854775807"},
      {"NUMERIC", "-9223372036854775808", "stored int -9223372036854775808"},
      {"NUMERIC(10,2)", "-9007199254740992", "float -9007199254740992"},
      {"NUMERIC", "2.5", "float 2.5"},
      {"BOOLEAN", "'yes'", "stored \"yes\""},
      {"DATE", "'2020-01-02 10:30'", "stored \"2020-01-02 10:30\""},
      {"DATE", "'2023-02-29'", "stored \"2023-02-29\""},
      {"DATE", "1700000000", "stored int 1700000000"},
      {"DATE", "2460000.5", "stored float 2460000.5"},
      {"INTEGER", "1.5", "stored float 1.5"},
      {"INTEGER", "x'00ff'", "stored blob \"\\0\\xFF\""},
      {"REAL", "'n/a'", "stored \"n/a\""},
      {"", "5", "stored int 5"},
      {"", "0.1", "stored float 0.1"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(std::string(c.type) + " " + c.literal);
    Open(std::string("DROP TABLE IF EXISTS t; CREATE TABLE t (id INTEGER PRIMARY KEY, v ") +
         c.type + ", w TEXT); INSERT INTO t (v) VALUES (" + c.literal + ")");
    EXPECT_EQ(Show(FTable.Fields(1).Value()), c.read);
    const TValue source = FTable.Fields(1).Value();
    FTable.Append();
    FTable.Fields(1).SetValue(source);
    FTable.Post();
    FTable.First();
    FTable.Edit();
    FTable.Fields(2).SetValue("edited");
    FTable.Post();
    const std::string inserted = Query(FConnection, std::string("SELECT typeof(") + c.literal +
                                                        ") || ' ' || quote(" + c.literal + ")");
    EXPECT_EQ(Query(FConnection, "SELECT group_concat(typeof(v) || ' ' || quote(v), ', ') FROM t"),
              inserted + ", " + inserted);
    FTable.Close();
  }
}

// A double would make these two the same number.
TEST_F(SqliteTable, LocateTellsIntegersADoubleWouldRound) {
  Open(
      "CREATE TABLE t (v NUMERIC); INSERT INTO t VALUES (123456789012345678), "
      "(1.2345678901234568e17)");
  EXPECT_EQ(FTable.Fields(0).AsString(), "123456789012345678");
  ASSERT_TRUE(FTable.Locate("v", std::int64_t{123456789012345680}));
  EXPECT_EQ(FTable.RecNo(), 2);
  ASSERT_TRUE(FTable.Locate("v", std::int64_t{123456789012345678}));
  EXPECT_EQ(FTable.RecNo(), 1);
}

// A failed post must not leave its transaction open: the connection could not begin another,
// and every later post would join the dead one and never reach the file.
TEST_F(SqliteTable, FailedPostRollsItsTransactionBack) {
  Open("CREATE TABLE t (id INTEGER PRIMARY KEY, s TEXT NOT NULL)");
  FTable.Append();
  EXPECT_THROW(FTable.Post(), ESqliteError);
  FTable.Cancel();
  EXPECT_NO_THROW(FConnection.ExecSql("BEGIN; COMMIT"));
  AddRecord(FTable, {{"s", "kept"}});
  EXPECT_NE(sqlite3_get_autocommit(FConnection.Handle()), 0);  // committed
}

TEST_F(SqliteTable, PostJoinsTheCallersTransaction) {
  Open("CREATE TABLE t (id INTEGER PRIMARY KEY, s TEXT)");
  FConnection.ExecSql("BEGIN");
  AddRecord(FTable, {{"s", "rolled back"}});
  FConnection.ExecSql("ROLLBACK");
  FTable.Close();
  FTable.Open();
  EXPECT_TRUE(FTable.IsEmpty());
}

TEST_F(SqliteTable, ClosingTheConnectionClosesItsTables) {
  Open("CREATE TABLE t (s TEXT)");
  FConnection.Close();
  EXPECT_FALSE(FTable.Active());
  {
    TSqliteConnection temporary;
    temporary.Open(":memory:");
    FTable.SetConnection(&temporary);
  }
  EXPECT_EQ(FTable.Connection(), nullptr);
}

}  // namespace
}  // namespace glint
