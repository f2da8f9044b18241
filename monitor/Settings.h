// monitor/Settings.h: TSettingsFile, the monitor's settings store: a
// registry key under the current user whose subkeys are sections of named
// values, integers stored as decimal text. (The installer has a class of its
// own, setup/MyRegistry.h; the names differ so one program can hold both.)
//
// Reads never fail: a missing key or value, or a value that is not a number
// where one is wanted, gives the caller's default. Writes create the section
// as needed and raise ERegistryError naming the key when the registry
// refuses. Each call opens and closes its own key handle.
#pragma once

#include <string>

#include "rtl/SysUtils.h"

namespace glint {

class ERegistryError : public Exception {
  using Exception::Exception;
};

class TSettingsFile {
 public:
  // `keyPath` is below HKEY_CURRENT_USER, e.g. "Software\\Brackenware".
  explicit TSettingsFile(std::string keyPath) : FKeyPath(std::move(keyPath)) {}

  std::string ReadString(const std::string& section, const std::string& ident,
                         const std::string& defaultValue) const;
  int ReadInteger(const std::string& section, const std::string& ident, int defaultValue) const;
  // Stored as an integer: non-zero is true.
  bool ReadBool(const std::string& section, const std::string& ident, bool defaultValue) const;

  void WriteString(const std::string& section, const std::string& ident, const std::string& value);
  void WriteInteger(const std::string& section, const std::string& ident, int value);
  void WriteBool(const std::string& section, const std::string& ident, bool value);

 private:
  std::string SectionPath(const std::string& section) const;
  // The value's text; false when the key or value is missing or not text.
  bool ReadText(const std::string& section, const std::string& ident, std::string& text) const;

  std::string FKeyPath;
};

}  // namespace glint
