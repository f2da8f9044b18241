// What is SQLite's own in TSqliteTable: declared types, the key, error texts, transactions.
#include "db/SqliteTable.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "db/TestBackends.h"

namespace glint {
namespace {

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
      {"bad stored date", "CREATE TABLE t (d DATE); INSERT INTO t VALUES ('31/12/2020')",
       [](TSqliteTable& t) { t.Open(); }, "Table 't': field 'd' of row 1 holds '31/12/2020'"},
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
