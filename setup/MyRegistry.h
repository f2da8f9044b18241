// setup/MyRegistry.h: the installer's small registry classes. TRegistry keeps one
// open key below a root and writes values into it; TRegIniFile adds writing a
// value into a named subkey ("section") of that key.
//
// Paths are backslash-separated. A path starting with "\" is absolute (resolved
// against the root, the "\" dropped); any other, the empty one included, is
// relative to the open key when one is open. Nothing here throws: each operation
// reports through its result, and the open key is owned and closed by the object.
#pragma once

#include <string>

#include "win32api/LittleWin.h"

namespace glint {

// Kinds of data the value writer stores, mapped to registry types by RegDataToType.
enum class TRegDataType { Unknown, String, ExpandString, Integer, Binary };

// REG_NONE, REG_SZ, REG_EXPAND_SZ, REG_DWORD, REG_BINARY; anything else is REG_NONE.
win32::DWORD RegDataToType(TRegDataType kind);

class TRegistry {
 public:
  TRegistry();
  virtual ~TRegistry();
  TRegistry(const TRegistry&) = delete;
  TRegistry& operator=(const TRegistry&) = delete;

  win32::HKEY CurrentKey() const { return KeyHandle; }
  win32::HKEY RootKey() const { return RootHandle; }
  const std::string& CurrentPath() const { return KeyPath; }

  // Closes the open key, if any; afterwards no key is open.
  void ReleaseKey();
  // Creates the key (or finds it existing) without changing the open key.
  bool MakeKey(const std::string& path);
  // Makes the key the open one, creating it when allowed; on failure nothing changes.
  bool EnterKey(const std::string& path, bool canCreate);
  // Opens the key for the caller, who must close it; nullptr when it cannot be opened.
  win32::HKEY OpenSubKey(const std::string& path);
  // Stores a string value (REG_SZ, with its terminating zero) under the open key.
  // Returns whether the registry accepted it.
  bool PutString(const std::string& name, const std::string& value);

 protected:
  void SetRootKey(win32::HKEY root) { RootHandle = root; }
  // Points the object at another handle without releasing the current one.
  void SetCurrentKey(win32::HKEY key) { KeyHandle = key; }

 private:
  win32::HKEY BaseKey(bool relative) const;
  bool PutData(const std::string& name, const void* data, win32::DWORD size, TRegDataType kind);

  win32::HKEY KeyHandle = nullptr;
  win32::HKEY RootHandle;
  bool DeferWrites = true;
  std::string KeyPath;
};

class TRegIniFile : public TRegistry {
 public:
  // Opens (creating if needed) the key at path below root. A key that cannot be
  // created or opened leaves the object with no open key; see PutSectionString.
  TRegIniFile(win32::HKEY root, const std::string& path);

  // Writes the value into the subkey `section` of the open key, creating the
  // subkey if needed. Writes nothing, and returns false, when the object has no
  // open key (the value would otherwise land under the bare root) or the
  // section cannot be opened or written.
  bool PutSectionString(const std::string& section, const std::string& name,
                        const std::string& value);
};

}  // namespace glint
