// db/TestBackend_odbc.cpp: the test table as a TOdbcTable over an SQLite file of its own,
// through the driver manager and the SQLite ODBC driver named by its full path, so no ODBC
// setting of the machine is read or written.
#include "db/OdbcTable.h"
#include "db/TestBackends.h"
#include "db/TestOdbcFile.h"

namespace glint {
namespace {

struct TOdbcTestTable : TTestTable {
  TOdbcTestFile File{"glint-odbc"};
  TOdbcTable Table;

  TOdbcTestTable() {
    File.Exec(
        "CREATE TABLE things (id INTEGER PRIMARY KEY AUTOINCREMENT, n INTEGER, x REAL, "
        "s TEXT, d DATE, b BLOB)");
    Table.SetName("Things");
    Table.SetConnectionString(File.ConnectionString());
    Table.SetTableName("things");
    Table.Open();
  }
  ~TOdbcTestTable() override { Table.Close(); }
  TDataSet& DataSet() override { return Table; }
  std::string Stored() const override { return File.Bytes(); }
};

const bool kOdbcAdded = [] {
  TestBackends().push_back(
      {"Odbc", []() -> std::unique_ptr<TTestTable> { return std::make_unique<TOdbcTestTable>(); }});
  return true;
}();

}  // namespace
}  // namespace glint
