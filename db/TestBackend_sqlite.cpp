// db/TestBackend_sqlite.cpp: the test table as a TSqliteTable over a file of its own.
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "db/SqliteTable.h"
#include "db/TestBackends.h"

namespace glint {
namespace {

struct TSqliteTestTable : TTestTable {
  std::filesystem::path File;
  TSqliteConnection Connection;
  TSqliteTable Table;

  TSqliteTestTable() {
    static int serial = 0;
    File = std::filesystem::temp_directory_path() /
           ("glint-db-" + std::to_string(std::random_device{}()) + "-" + std::to_string(++serial) +
            ".db");
    std::filesystem::remove(File);
    Connection.Open(File.string(), TSqliteOpenMode::Create);
    Connection.ExecSql(
        "CREATE TABLE things (id INTEGER PRIMARY KEY AUTOINCREMENT, n INTEGER, x REAL, "
        "s TEXT, d DATE, b BLOB)");
    Table.SetName("Things");
    Table.SetConnection(&Connection);
    Table.SetTableName("things");
    Table.Open();
  }
  ~TSqliteTestTable() override {
    Connection.Close();
    std::filesystem::remove(File);
  }
  TDataSet& DataSet() override { return Table; }
  std::string Stored() const override {
    std::ifstream in(File, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
  }
};

const bool kAdded = [] {
  TestBackends().push_back({"Sqlite", []() -> std::unique_ptr<TTestTable> {
                              return std::make_unique<TSqliteTestTable>();
                            }});
  return true;
}();

}  // namespace
}  // namespace glint
