#include "monitor/Settings.h"

#include <cstring>
#include <vector>

#include "rtl/Conversions.h"
#include "win32api/LittleWin.h"
#include "win32api/RegKey.h"

namespace glint {

using namespace glint::win32;

std::string TSettingsFile::SectionPath(const std::string& section) const {
  return section.empty() ? FKeyPath : FKeyPath + "\\" + section;
}

bool TSettingsFile::ReadText(const std::string& section, const std::string& ident,
                             std::string& text) const {
  TRegKey key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, SectionPath(section).c_str(), 0, KEY_READ, key.Out()) !=
      ERROR_SUCCESS)
    return false;
  DWORD type = 0, size = 0;
  if (RegQueryValueExA(key.Get(), ident.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
    return false;
  std::vector<BYTE> data(size + 1);
  if (RegQueryValueExA(key.Get(), ident.c_str(), nullptr, &type, data.data(), &size) !=
      ERROR_SUCCESS)
    return false;
  if (type == REG_DWORD && size == 4) {
    DWORD d;
    std::memcpy(&d, data.data(), 4);
    text = std::to_string(static_cast<int>(d));
    return true;
  }
  if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
  const char* chars = reinterpret_cast<const char*>(data.data());
  text.assign(chars, strnlen(chars, size));
  return true;
}

std::string TSettingsFile::ReadString(const std::string& section, const std::string& ident,
                                      const std::string& defaultValue) const {
  std::string text;
  return ReadText(section, ident, text) ? text : defaultValue;
}

int TSettingsFile::ReadInteger(const std::string& section, const std::string& ident,
                               int defaultValue) const {
  std::string text;
  int value;
  return ReadText(section, ident, text) && TryDecimalToInt(text, value) ? value : defaultValue;
}

bool TSettingsFile::ReadBool(const std::string& section, const std::string& ident,
                             bool defaultValue) const {
  return ReadInteger(section, ident, defaultValue ? 1 : 0) != 0;
}

void TSettingsFile::WriteString(const std::string& section, const std::string& ident,
                                const std::string& value) {
  std::string path = SectionPath(section);
  TRegKey key;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_WRITE, nullptr, key.Out(), nullptr) != ERROR_SUCCESS ||
      RegSetValueExA(key.Get(), ident.c_str(), 0, REG_SZ,
                     reinterpret_cast<const BYTE*>(value.c_str()),
                     static_cast<DWORD>(value.size() + 1)) != ERROR_SUCCESS)
    throw ERegistryError(Format("Failed to set data for '%s' in HKEY_CURRENT_USER\\%s",
                                ident.c_str(), path.c_str()));
}

void TSettingsFile::WriteInteger(const std::string& section, const std::string& ident, int value) {
  WriteString(section, ident, std::to_string(value));
}

void TSettingsFile::WriteBool(const std::string& section, const std::string& ident, bool value) {
  WriteInteger(section, ident, value ? 1 : 0);
}

}  // namespace glint
