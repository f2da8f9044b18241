// What is ODBC's own in TOdbcTable: column types, the key, diagnostics, transactions.
#include "db/OdbcTable.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>

#include "db/TestBackends.h"
#include "db/TestOdbcFile.h"

namespace glint {
namespace {

class OdbcTable : public testing::Test {
 protected:
  TOdbcTable& Open(const std::string& sql, const std::string& table = "t") {
    FFile.Exec(sql);
    FTable.SetConnectionString(FFile.ConnectionString());
    FTable.SetTableName(table);
    FTable.Open();
    return FTable;
  }
  TOdbcTestFile FFile{"glint-odbc-table"};
  TOdbcTable FTable;
};

// The SQLite driver reports each declared type as an SQL type; only the INTEGER PRIMARY
// KEY is auto-assigned.
TEST_F(OdbcTable, SqlTypesGiveFieldTypesAndTheKey) {
  Open(
      "CREATE TABLE t (k INTEGER PRIMARY KEY, i BIGINT, r REAL, n NUMERIC(10,2), c VARCHAR(20), "
      "t TEXT, d DATE, ts TIMESTAMP, b BLOB)");
  const struct {
    TFieldType type;
    bool readOnly;
  } kExpected[] = {
      {TFieldType::Integer, true}, {TFieldType::Integer, false}, {TFieldType::Float, false},
      {TFieldType::Float, false},  {TFieldType::Text, false},    {TFieldType::Text, false},
      {TFieldType::Date, false},   {TFieldType::Date, false},    {TFieldType::Blob, false}};
  ASSERT_EQ(FTable.FieldCount(), 9);
  for (int i = 0; i < 9; ++i) {
    SCOPED_TRACE(FTable.Fields(i).FieldName());
    EXPECT_EQ(FTable.Fields(i).DataType(), kExpected[i].type);
    EXPECT_EQ(FTable.Fields(i).ReadOnly(), kExpected[i].readOnly);
  }
}

// The driver's diagnostics and the table's name reach the exception; the file is unchanged
// and the dataset stays closed, or inserting or editing, to fix or cancel.
TEST_F(OdbcTable, ErrorsCarryDiagnosticsAndChangeNothing) {
  const struct {
    const char* what;
    const char* sql;
    std::function<void(TOdbcTable&)> act;
    const char *message, *state;
    long native;
  } kCases[] = {
      {"missing table", "CREATE TABLE other (s TEXT)",
       [](TOdbcTable& t) {
         t.SetTableName("nosuch");
         t.Open();
       },
       "Table 'nosuch': [SQLite]no such table: nosuch (1) (SQLSTATE HY000, native error 1)",
       "HY000", 1},
      {"not null", "CREATE TABLE t (id INTEGER PRIMARY KEY, s TEXT NOT NULL)",
       [](TOdbcTable& t) {
         t.Open();
         t.Append();
         t.Post();
       },
       "Table 't': [SQLite]NOT NULL constraint failed: t.s (19) (SQLSTATE HY000, native error 19)",
       "HY000", 19},
      {"unique on edit",
       "CREATE TABLE t (id INTEGER PRIMARY KEY, s TEXT UNIQUE); INSERT INTO t (s) VALUES ('a'); "
       "INSERT INTO t (s) VALUES ('b')",
       [](TOdbcTable& t) {
         t.Open();
         t.Last();
         t.Edit();
         t.Fields(1).SetValue("a");
         t.Post();
       },
       "Table 't': [SQLite]UNIQUE constraint failed: t.s (19) (SQLSTATE HY000, native error 19)",
       "HY000", 19},
      {"edit without a key", "CREATE TABLE t (s TEXT); INSERT INTO t VALUES ('a')",
       [](TOdbcTable& t) {
         t.Open();
         t.Edit();
         t.Fields(0).SetValue("b");
         t.Post();
       },
       "Table 't': has no one-column integer primary key", "", 0},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.what);
    TOdbcTestFile file("glint-odbc-error");
    file.Exec(c.sql);
    const std::string before = file.Bytes();
    TOdbcTable table;
    table.SetConnectionString(file.ConnectionString());
    table.SetTableName("t");
    try {
      c.act(table);
      ADD_FAILURE() << "no exception";
    } catch (const EOdbcError& e) {
      EXPECT_EQ(std::string(e.Message()).rfind(c.message, 0), 0u) << e.Message();
      EXPECT_EQ(e.SqlState(), c.state);
      EXPECT_EQ(e.NativeError(), c.native);
      EXPECT_EQ(e.TableName(), table.TableName());
    }
    EXPECT_NE(table.State(), TDataSetState::Browse);
    table.Close();
    EXPECT_EQ(file.Bytes(), before);
  }
}

TEST_F(OdbcTable, ABadConnectionStringIsReportedWithoutShowingIt) {
  FTable.SetConnectionString("Driver=/nonexistent/driver.so;PWD=secret");
  FTable.SetTableName("t");
  try {
    FTable.Open();
    ADD_FAILURE() << "no exception";
  } catch (const EOdbcError& e) {
    EXPECT_EQ(e.SqlState(), "01000") << e.Message();
    EXPECT_EQ(std::string(e.Message()).find("secret"), std::string::npos) << e.Message();
  }
  EXPECT_FALSE(FTable.Active());
}

// A failed post must end its transaction: later posts would otherwise join it and be lost
// with it when the connection closes.
TEST_F(OdbcTable, FailedPostRollsBackAndLaterPostsAreKept) {
  Open("CREATE TABLE t (id INTEGER PRIMARY KEY, s TEXT NOT NULL)");
  FTable.Append();
  EXPECT_THROW(FTable.Post(), EOdbcError);
  FTable.Cancel();
  AddRecord(FTable, {{"s", "kept"}});
  EXPECT_EQ(FTable.FieldByName("id").AsString(), "1");
  FTable.Close();
  FTable.Open();
  EXPECT_EQ(FTable.RecordCount(), 1);
  EXPECT_EQ(FTable.FieldByName("s").AsString(), "kept");
}

// SQLite keeps any value in any column: what a field's type cannot hold is read as stored,
// copied into a new record, and reads the same from the file again.
TEST_F(OdbcTable, ValuesAreCopiedAsStored) {
  const struct {
    const char *type, *literal, *read;
  } kCases[] = {
      {"NUMERIC", "123456789012345678", "stored int 123456789012345678"},
      {"NUMERIC", "2.5", "float 2.5"},
      {"REAL", "'n/a'", "stored \"n/a\""},
      {"INTEGER", "1.5", "stored \"1.5\""},
      {"DATE", "'2020-01-02 10:30'", "stored \"2020-01-02 10:30\""},
      {"", "x'00ff'", "\"\\0\\xFF\""},
      {"TEXT", "x'00ff'", "\"\\0\\xFF\""},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(std::string(c.type) + " " + c.literal);
    FTable.Close();
    Open(std::string("DROP TABLE IF EXISTS t; CREATE TABLE t (id INTEGER PRIMARY KEY, v ") +
         c.type + "); INSERT INTO t (v) VALUES (" + c.literal + ")");
    EXPECT_EQ(Show(FTable.Fields(1).Value()), c.read);
    const TValue source = FTable.Fields(1).Value();
    AddRecord(FTable, {{"v", source}});
    FTable.Close();
    FTable.Open();
    FTable.Last();
    EXPECT_EQ(Show(FTable.Fields(1).Value()), c.read);
  }
}

// The update found no row: refused and rolled back, so the next post commits on its own.
TEST_F(OdbcTable, EditOfARecordDeletedMeanwhileIsRefused) {
  Open("CREATE TABLE t (id INTEGER PRIMARY KEY, s TEXT); INSERT INTO t (s) VALUES ('a')");
  FTable.Edit();
  FTable.Fields(1).SetValue("b");
  FFile.Exec("DELETE FROM t");
  try {
    FTable.Post();
    ADD_FAILURE() << "no exception";
  } catch (const EOdbcError& e) {
    EXPECT_EQ(std::string(e.Message()), "Table 't': the record is no longer in the table");
  }
  EXPECT_EQ(FTable.State(), TDataSetState::Edit);
  FTable.Cancel();
  AddRecord(FTable, {{"s", "c"}});
  FTable.Close();
  FTable.Open();
  EXPECT_EQ(FTable.RecordCount(), 1);
  EXPECT_EQ(FTable.Fields(1).AsString(), "c");
}

// A record posted and moved away from is read again by its key; one deleted meanwhile is
// reported, not shown as empty.
TEST_F(OdbcTable, PostedRecordsAreReadAgainByTheirKey) {
  Open("CREATE TABLE t (id INTEGER PRIMARY KEY, s TEXT, ts TIMESTAMP)");
  AddRecord(FTable, {{"s", "one"}});
  AddRecord(FTable,
            {{"s", "two"}, {"ts", TValue(TStoredValue{std::string("2020-01-02 10:30:00")})}});
  FTable.First();
  EXPECT_EQ(Values(FTable), (std::vector<std::string>{"int 1", Show("one"), "null"}));
  FTable.Last();
  EXPECT_EQ(Values(FTable),
            (std::vector<std::string>{"int 2", Show("two"), "stored \"2020-01-02 10:30:00\""}));
  FFile.Exec("DELETE FROM t WHERE id = 1");
  FTable.First();
  EXPECT_THROW(FTable.Fields(1).Value(), EDatabaseError);
}

// Each value, inserted and written by an edit, reads back exactly: as the posted record read
// again by its key, and from a fresh open. Long values come from the driver in parts; an empty
// string is not null. The names hold a quote and a space, which every statement must quote.
TEST_F(OdbcTable, ValuesRoundTripExactly) {
  const std::string longText = std::string(9000, 'x') + "\xc3\xa9";
  std::string longBlob(10000, '\0');
  for (std::size_t i = 0; i < longBlob.size(); i += 7) longBlob[i] = static_cast<char>(i);
  const struct {
    const char* type;
    TValue value;
  } kCases[] = {
      {"INTEGER", std::numeric_limits<std::int64_t>::max()},
      {"INTEGER", std::numeric_limits<std::int64_t>::min()},
      {"TEXT", std::string()},
      {"TEXT", std::string("gr\xc3\xbc\xc3\x9f\x65 \xe2\x82\xac")},
      {"TEXT", longText},
      {"BLOB", std::string("\0a\0", 3)},
      {"BLOB", longBlob},
      {"DATE", 45000.0},
      {"REAL", TStoredValue{std::string("nan")}},
      {"REAL", std::numeric_limits<double>::infinity()},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(std::string(c.type) + " " + Show(c.value).substr(0, 40));
    FTable.Close();
    Open(std::string("DROP TABLE IF EXISTS \"t \"\"1\"; CREATE TABLE \"t \"\"1\" (id INTEGER "
                     "PRIMARY KEY, \"v \"\"\" ") +
             c.type + "); INSERT INTO \"t \"\"1\" VALUES (1, NULL)",
         "t \"1");
    AddRecord(FTable, {{"v \"", c.value}});
    FTable.First();
    FTable.Edit();
    FTable.Fields(1).SetValue(c.value);
    FTable.Post();
    FTable.Last();
    EXPECT_EQ(Show(FTable.Fields(1).Value()), Show(c.value));
    FTable.Close();
    FTable.Open();
    for (FTable.First(); !FTable.Eof(); FTable.Next())
      EXPECT_EQ(Show(FTable.Fields(1).Value()), Show(c.value));
  }
}

// SQLite lets a key other than the rowid hold null. A record found by its key must not be
// confused with another: the update of one whose key is null would write to the row whose
// key is the record's position, and a new record left without a key would be read back as
// whichever row has its rowid as key; an edit may not make a key null either.
TEST_F(OdbcTable, AKeyThatCanBeNullNeverReachesAnotherRow) {
  Open(
      "CREATE TABLE t (id INT PRIMARY KEY, s TEXT); INSERT INTO t VALUES (NULL, 'null key'); "
      "INSERT INTO t VALUES (0, 'zero')");
  FTable.Edit();
  FTable.Fields(1).SetValue("edited");
  EXPECT_THROW(FTable.Post(), EOdbcError);
  FTable.Cancel();
  FTable.Close();

  Open("DELETE FROM t; INSERT INTO t VALUES (2, 'two')");
  const std::string before = FFile.Bytes();
  FTable.Append();
  FTable.Fields(1).SetValue("new");
  EXPECT_THROW(FTable.Post(), EOdbcError);
  FTable.Cancel();
  FTable.Edit();
  FTable.Fields(0).Clear();
  EXPECT_THROW(FTable.Post(), EOdbcError);
  FTable.Cancel();
  FTable.Close();
  EXPECT_TRUE(FFile.Bytes() == before);
  FTable.Open();
  EXPECT_EQ(Values(FTable), (std::vector<std::string>{"int 2", Show("two")}));
}

}  // namespace
}  // namespace glint
