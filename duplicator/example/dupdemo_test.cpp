// dupdemo run as a user would run it, on an SQLite file made for each case.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "db/SqliteTable.h"
#include "db/TestOdbcFile.h"
#include "tests/support/RunProgram_posix.h"

namespace glint {
namespace {

namespace fs = std::filesystem;

using test_support::ReadFile;

// Makes `db` afresh with `sql`.
void MakeDatabase(const fs::path& db, const char* sql) {
  fs::remove(db);
  TSqliteConnection connection;
  connection.Open(db.string(), TSqliteOpenMode::Create);
  connection.ExecSql(sql);
}

// Runs dupdemo on `db`, named as a file or (`odbc`) by an ODBC connection string, with
// `args` after it; its exit status, and its output in `output`.
int RunDupdemo(const fs::path& db, const std::string& args, std::string& output,
               bool odbc = false) {
  const std::string source =
      odbc ? "--odbc '" + TOdbcTestFile::ConnectionStringFor(db.string()) + "'"
           : "'" + db.string() + "'";
  const test_support::TRunResult run = test_support::RunProgram(
      std::string("'") + GLINT_DUPDEMO_PATH + "' " + source + " " + args, db.parent_path());
  output = run.Out + run.Err;
  return run.Status;
}

// Each case, on the file and through ODBC: the arguments after the database and table, the
// exit status, a line it prints (standard output, then standard error) and the rows the
// table then holds.
TEST(Dupdemo, ReportsWhatItDidAndFailsClearly) {
  const struct {
    const char* args;
    int status;
    const char* output;
    int rows;
  } kCases[] = {
      {"2 name=Bob", 0, "Added    id=4, name='Bob', born=1990-01-02, photo=(3 bytes)", 4},
      {"--fields born 2 name=Bob", 0, "Added    id=4, name='Bob', born=1990-01-02, photo=null", 4},
      {"2 born=", 0, "Added    id=4, name='Ann', born=null", 4},
      {"9 name=Bob", 1, "dupdemo: Table 'people' has no record with id = 9", 3},
      {"2 nick=Bob", 1, "dupdemo: Table 'people': field 'nick' not found", 3},
      {"2 born=yesterday", 1, "dupdemo: 'yesterday' is not a valid date (YYYY-MM-DD)", 3},
      {"2 name=", 1, "CHECK constraint failed: name <> ''", 3},
      {"--fields id 2 name=Bob", 1, "field 'id' cannot be written", 3},
      {"two name=Bob", 2, "dupdemo: KEY must be an integer, not 'two'", 3},
      {"2", 2, "TABLE KEY FIELD=VALUE (see dupdemo --help)", 3},
  };
  const test_support::TTempDir dir("dupdemo_test_");
  const fs::path db = dir / "people.db";
  for (const bool odbc : {false, true})
    for (const auto& c : kCases) {
      SCOPED_TRACE(std::string(odbc ? "odbc " : "file ") + c.args);
      MakeDatabase(db,
                   "CREATE TABLE people (id INTEGER PRIMARY KEY, name TEXT CHECK (name <> ''), "
                   "born DATE, photo);"
                   "INSERT INTO people VALUES (1, 'Al', NULL, NULL), (2, 'Ann', '1990-01-02', "
                   "x'00ff01'), (3, 'Cy', NULL, NULL)");
      const std::string before = ReadFile(db);
      std::string output;
      EXPECT_EQ(RunDupdemo(db, std::string("people ") + c.args, output, odbc), c.status) << output;
      EXPECT_NE(output.find(c.output), std::string::npos) << output;
      if (c.status != 0) {
        EXPECT_EQ(ReadFile(db), before);
      }
      TSqliteTable table;
      table.SetDatabaseName(db.string());
      table.SetTableName("people");
      table.Open();
      EXPECT_EQ(table.RecordCount(), c.rows);
    }
}

// SQLite keeps any value in any column; what a column's type cannot hold is copied as stored,
// by the file and through ODBC alike.
TEST(Dupdemo, CopiesValuesAsTheyAreStored) {
  const test_support::TTempDir dir("dupdemo_test_");
  const fs::path db = dir / "odd.db";
  for (const bool odbc : {false, true}) {
    SCOPED_TRACE(odbc ? "odbc" : "file");
    MakeDatabase(db,
                 "CREATE TABLE t (id INTEGER PRIMARY KEY, amount NUMERIC, ok BOOLEAN, at DATE, "
                 "n INTEGER, note TEXT);"
                 "INSERT INTO t VALUES (1, 123456789012345678, 'yes', '2020-01-02 10:30', "
                 "x'00ff', 'a')");
    std::string output;
    EXPECT_EQ(RunDupdemo(db, "t 1 note=b", output, odbc), 0) << output;
    EXPECT_NE(output.find("Added    id=2, amount=123456789012345678, ok='yes', "
                          "at='2020-01-02 10:30', n=(2 bytes), note='b'"),
              std::string::npos)
        << output;
  }
}

}  // namespace
}  // namespace glint
