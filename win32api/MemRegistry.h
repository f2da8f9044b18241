// win32api/MemRegistry.h: test hooks of the in-memory registry (LittleWin_mem.cpp).
// Only non-Windows builds have them. Paths are backslash-separated and relative to a
// predefined root; key and value names compare case-insensitively, as in Windows.
//
// With GLINT_REGISTRY_FILE set, the registry is loaded from that file before main
// and saved back to it at exit (via a temporary file and a rename). A file that
// cannot be parsed is reported on standard error and left untouched at exit.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "win32api/LittleWin.h"

namespace glint::win32 {

struct TMemValue {
  std::string Name;  // empty for the key's default value
  DWORD Type = REG_NONE;
  std::vector<BYTE> Data;
  // The data of a string value without its terminating zero.
  std::string Text() const;
  bool operator==(const TMemValue&) const = default;
};

// Empties every root, forgets all faults and invalidates all open handles.
void MemRegistryReset();

bool MemRegistryKeyExists(HKEY root, std::string_view path);
// Subkey names in creation order; empty when the key does not exist.
std::vector<std::string> MemRegistrySubKeys(HKEY root, std::string_view path);
// Values in the order they were first written; empty when the key does not exist.
std::vector<TMemValue> MemRegistryValues(HKEY root, std::string_view path);
std::optional<TMemValue> MemRegistryValue(HKEY root, std::string_view path, std::string_view name);
// Number of key handles currently open (predefined roots do not count).
std::size_t MemRegistryOpenHandles();

// From now on creating or opening this key, or any key below it, fails with
// ERROR_ACCESS_DENIED.
void MemRegistryDenyKey(HKEY root, std::string_view path);
// From now on writing or deleting values of exactly this key fails with
// ERROR_ACCESS_DENIED.
void MemRegistryDenyWrites(HKEY root, std::string_view path);

// The whole registry in the registry editor's export format
// ("Windows Registry Editor Version 5.00", [ROOT\path] sections, "Name"="data").
std::string MemRegistryExport();
// Replaces the registry with the keys and values of an export text. On a syntax
// error nothing changes and the message names the line.
bool MemRegistryImport(std::string_view text, std::string* error = nullptr);
// A missing file loads as an empty registry.
bool MemRegistryLoadFile(const std::string& fileName, std::string* error = nullptr);
// Writes a temporary file beside the target and renames it over the target.
bool MemRegistrySaveFile(const std::string& fileName, std::string* error = nullptr);

}  // namespace glint::win32
