#include "setup/MyRegistry.h"

namespace glint {

using namespace win32;

namespace {

bool IsRelative(const std::string& path) { return path.empty() || path[0] != '\\'; }

std::string WithoutLeadingSlash(const std::string& path) {
  return IsRelative(path) ? path : path.substr(1);
}

}  // namespace

DWORD RegDataToType(TRegDataType kind) {
  switch (kind) {
    case TRegDataType::String:
      return REG_SZ;
    case TRegDataType::ExpandString:
      return REG_EXPAND_SZ;
    case TRegDataType::Integer:
      return REG_DWORD;
    case TRegDataType::Binary:
      return REG_BINARY;
    default:
      return REG_NONE;
  }
}

TRegistry::TRegistry() : RootHandle(HKEY_CURRENT_USER) {}

TRegistry::~TRegistry() { ReleaseKey(); }

void TRegistry::ReleaseKey() {
  // Deferred or not, the key is simply closed: there is nothing of ours to flush.
  if (KeyHandle) RegCloseKey(KeyHandle);
  KeyHandle = nullptr;
  KeyPath.clear();
}

HKEY TRegistry::BaseKey(bool relative) const {
  return (KeyHandle && relative) ? KeyHandle : RootHandle;
}

bool TRegistry::MakeKey(const std::string& path) {
  HKEY key = nullptr;
  std::string subKey = WithoutLeadingSlash(path);
  if (RegCreateKeyExA(BaseKey(IsRelative(path)), subKey.c_str(), 0, nullptr,
                      REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    return false;
  RegCloseKey(key);
  return true;
}

bool TRegistry::EnterKey(const std::string& path, bool canCreate) {
  bool relative = IsRelative(path);
  std::string subKey = WithoutLeadingSlash(path);
  HKEY key = nullptr;
  LONG rc;
  if (canCreate && !subKey.empty()) {
    rc = RegCreateKeyExA(BaseKey(relative), subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                         KEY_ALL_ACCESS, nullptr, &key, nullptr);
  } else {
    rc = RegOpenKeyExA(BaseKey(relative), subKey.c_str(), 0, KEY_ALL_ACCESS, &key);
  }
  if (rc != ERROR_SUCCESS) return false;
  std::string newPath = (KeyHandle && relative) ? KeyPath + "\\" + subKey : subKey;
  ReleaseKey();
  KeyHandle = key;
  KeyPath = std::move(newPath);
  return true;
}

HKEY TRegistry::OpenSubKey(const std::string& path) {
  HKEY key = nullptr;
  std::string subKey = WithoutLeadingSlash(path);
  if (RegOpenKeyExA(BaseKey(IsRelative(path)), subKey.c_str(), 0, KEY_ALL_ACCESS, &key) !=
      ERROR_SUCCESS)
    return nullptr;
  return key;
}

bool TRegistry::PutData(const std::string& name, const void* data, DWORD size, TRegDataType kind) {
  return RegSetValueExA(KeyHandle, name.c_str(), 0, RegDataToType(kind),
                        static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
}

bool TRegistry::PutString(const std::string& name, const std::string& value) {
  return PutData(name, value.c_str(), static_cast<DWORD>(value.size() + 1), TRegDataType::String);
}

TRegIniFile::TRegIniFile(HKEY root, const std::string& path) {
  SetRootKey(root);
  EnterKey(path, true);
}

bool TRegIniFile::PutSectionString(const std::string& section, const std::string& name,
                                   const std::string& value) {
  if (!CurrentKey()) return false;
  MakeKey(section);
  HKEY sectionKey = OpenSubKey(section);
  if (!sectionKey) return false;
  // Point back and close even if the write throws (it allocates).
  struct TRestore {
    TRegIniFile* Self;
    HKEY Saved;
    HKEY Section;
    ~TRestore() {
      Self->SetCurrentKey(Saved);
      RegCloseKey(Section);
    }
  } restore{this, CurrentKey(), sectionKey};
  SetCurrentKey(sectionKey);
  return PutString(name, value);
}

}  // namespace glint
