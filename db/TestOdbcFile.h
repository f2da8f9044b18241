// db/TestOdbcFile.h: an SQLite file for tests of TOdbcTable, reached through the SQLite
// ODBC driver by its full path (GLINT_SQLITE_ODBC_DRIVER, found by the build). Natively the
// file lies in the temporary folder; under Wine, in GLINT_ODBC_HOST_DIR, a host folder
// that the host's driver and the Windows program both reach. Removed when the object goes.
#pragma once

#include <string>

namespace glint {

class TOdbcTestFile {
 public:
  explicit TOdbcTestFile(const std::string& name);
  ~TOdbcTestFile();
  TOdbcTestFile(const TOdbcTestFile&) = delete;
  TOdbcTestFile& operator=(const TOdbcTestFile&) = delete;

  std::string ConnectionString() const { return ConnectionStringFor(FDriverPath); }
  // The connection string for the SQLite file at `path` (a path of the host).
  static std::string ConnectionStringFor(const std::string& path);
  std::string Bytes() const;  // the file as it is now
  // Runs SQL statements (separated by ';') on a connection of its own; each failure is a
  // test failure.
  void Exec(const std::string& sql) const;

 private:
  std::string FDriverPath, FLocalPath;
};

}  // namespace glint
