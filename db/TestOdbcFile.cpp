// db/TestOdbcFile.cpp: SQLite files for the ODBC tests, made and inspected through ODBC itself
// (the Windows build has no SQLite of its own).
#include "db/TestOdbcFile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <random>

#include GLINT_ODBC_HEADER
#include "tests/support/TestSupport.h"

namespace glint {

TOdbcTestFile::TOdbcTestFile(const std::string& name) {
  static int serial = 0;
  const std::string unique =
      name + "-" + std::to_string(std::random_device{}()) + "-" + std::to_string(++serial) + ".db";
  // Under Wine the driver is the host's: it takes the host's path, and this program reaches
  // the same file through the drive Wine maps to the host's root.
  if (const char* hostDir = std::getenv("GLINT_ODBC_HOST_DIR")) {
    FDriverPath = std::string(hostDir) + "/" + unique;
    FLocalPath = GLINT_ODBC_HOST_ROOT + FDriverPath;
  } else {
    FLocalPath = (std::filesystem::temp_directory_path() / unique).string();
    FDriverPath = FLocalPath;
  }
  std::filesystem::remove(FLocalPath);
}

TOdbcTestFile::~TOdbcTestFile() {
  std::error_code ignored;
  std::filesystem::remove(FLocalPath, ignored);
}

std::string TOdbcTestFile::ConnectionStringFor(const std::string& path) {
  return "Driver=" GLINT_SQLITE_ODBC_DRIVER ";Database=" + path;
}

std::string TOdbcTestFile::Bytes() const { return test_support::ReadFile(FLocalPath); }

void TOdbcTestFile::Exec(const std::string& sql) const {
  SQLHENV env = SQL_NULL_HENV;
  SQLHDBC dbc = SQL_NULL_HDBC;
  SQLHSTMT stmt = SQL_NULL_HSTMT;
  SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
  SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
  SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
  std::string connection = ConnectionString(), text = sql;
  SQLRETURN rc = SQLDriverConnect(dbc, nullptr, reinterpret_cast<SQLCHAR*>(connection.data()),
                                  SQL_NTS, nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT);
  EXPECT_TRUE(SQL_SUCCEEDED(rc)) << "cannot connect: " << connection;
  if (SQL_SUCCEEDED(rc)) {
    SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt);
    // The SQLite driver runs one statement per call.
    for (std::size_t start = 0; start < text.size();) {
      std::size_t end = text.find(';', start);
      if (end == std::string::npos) end = text.size();
      std::string one = text.substr(start, end - start);
      start = end + 1;
      if (one.find_first_not_of(" \n") == std::string::npos) continue;
      rc = SQLExecDirect(stmt, reinterpret_cast<SQLCHAR*>(one.data()), SQL_NTS);
      EXPECT_TRUE(SQL_SUCCEEDED(rc) || rc == SQL_NO_DATA) << one;
      SQLFreeStmt(stmt, SQL_CLOSE);
    }
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    SQLDisconnect(dbc);
  }
  SQLFreeHandle(SQL_HANDLE_DBC, dbc);
  SQLFreeHandle(SQL_HANDLE_ENV, env);
}

}  // namespace glint
