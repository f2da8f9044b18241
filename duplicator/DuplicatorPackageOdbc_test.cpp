// The package on a real database: a table reached through ODBC, as a program using the
// package would (under Wine, the Windows package through odbc32 to the host's driver).
#include <gtest/gtest.h>

#include "db/OdbcTable.h"
#include "db/TestOdbcFile.h"
#include "duplicator/duprec.h"

namespace glint {
namespace {

TEST(DuplicatorPackageOdbc, DuplicatesARecordOfAnOdbcTable) {
  TOdbcTestFile file("glint-package");
  file.Exec(
      "CREATE TABLE orders (id INTEGER PRIMARY KEY, item TEXT NOT NULL, qty INTEGER, "
      "price REAL, due DATE, label BLOB); "
      "INSERT INTO orders (item, qty, price, due, label) VALUES ('thé', 3, 2.5, '2024-02-29', "
      "x'00ff')");
  TComponent form(nullptr);
  auto* table = new TOdbcTable(&form);
  table->SetConnectionString(file.ConnectionString());
  table->SetTableName("orders");
  table->Open();
  auto* dup = new TQZDuplicator(&form);
  dup->SetDataSet(table);

  dup->Execute();
  table->FieldByName("qty").SetAsString("5");
  table->Post();
  table->Close();
  table->Open();
  ASSERT_EQ(table->RecordCount(), 2);
  table->Last();
  const char* kCopy[] = {"2", "thé", "5", "2.5", "2024-02-29"};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(table->Fields(i).AsString(), kCopy[i]) << i;
  EXPECT_EQ(table->Fields(5).AsString(), std::string("\0\xff", 2));

  // Refused by the database: raised through the package, rolled back, the file unchanged.
  const std::string before = file.Bytes();
  dup->Execute();
  table->FieldByName("item").Clear();
  try {
    table->Post();
    ADD_FAILURE() << "no exception";
  } catch (const EOdbcError& e) {
    EXPECT_NE(std::string(e.Message()).find("NOT NULL constraint failed"), std::string::npos)
        << e.Message();
    EXPECT_EQ(e.TableName(), "orders");
  }
  table->Cancel();
  EXPECT_EQ(file.Bytes(), before);
  form.DestroyComponents();
}

}  // namespace
}  // namespace glint
