// win32api/MemRegistry.h: test hooks of the in-memory registry (LittleWin_mem.cpp).
// Only non-Windows builds have them. Paths are backslash-separated and relative to a
// predefined root; key and value names compare case-insensitively, as in Windows.
//
// With GLINT_REGISTRY_FILE set, the registry is loaded from that file before main
// and saved back to it by RegFlushKey and at exit (through rtl/SafeFile.h), in the
// encoding and header it was loaded with; at exit only when something changed after the
// last RegFlushKey, so a save that failed there is reported once. A file that cannot be
// loaded is reported on standard error and never written: RegFlushKey then returns
// ERROR_BADDB.
//
// The registry file is the registry editor's export format, read as the editor reads
// it: UTF-16LE with a byte order mark, UTF-8 with or without one, or single-byte
// Windows-1252; "Windows Registry Editor Version 5.00" or "REGEDIT4"; strings,
// dword:, hex:, hex(N): (continued over lines ending in a backslash), "name"=- and
// [-KEY] deletions. Names and text are held in Windows-1252, the code page of the
// kit's "A" functions, with characters it lacks kept as escapes (RegFileText.h); in a
// 5.00 file the hex data of string types (hex(1), hex(2), hex(7)) is UTF-16LE, as the
// editor writes it. A line the loader cannot take (a type beyond 32 bits, a key name
// with an empty part, a key deeper or a name longer than Windows allows, text after a
// closing quote, ...) fails the whole load with its line number; nothing is dropped.
// Comments are not registry content and are not kept.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "win32api/LittleWin.h"

namespace glint::win32 {

// What Windows refuses, and so the in-memory registry too (RegCreateKeyExA fails with
// ERROR_INVALID_PARAMETER): a key more than this many levels below its root, and a key
// name of more than this many characters (UTF-16 code units).
inline constexpr std::size_t kMaxKeyDepth = 512;
inline constexpr std::size_t kMaxKeyNameLength = 255;

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
// Calls `visit` for the root and every key below it, depth first, subkeys in creation
// order, parents before their subkeys; `path` is relative to the root ("" for the root
// itself). Uses no recursion, so any depth the registry holds is walked. `visit` must
// not change the registry.
using TMemKeyVisitor = std::function<void(std::string_view path,
                                          const std::vector<TMemValue>& values, bool hasSubKeys)>;
void MemRegistryWalk(HKEY root, const TMemKeyVisitor& visit);
// Number of key handles currently open (predefined roots do not count).
std::size_t MemRegistryOpenHandles();

// From now on creating or opening this key, or any key below it, fails with
// ERROR_ACCESS_DENIED.
void MemRegistryDenyKey(HKEY root, std::string_view path);
// From now on writing or deleting values of exactly this key fails with
// ERROR_ACCESS_DENIED.
void MemRegistryDenyWrites(HKEY root, std::string_view path);

enum class TRegEncoding : std::uint8_t { Utf16Bom, Utf8Bom, Utf8, Ansi };

// How a registry file was written, so that saving it again writes it the same way: a
// file loaded and saved with nothing changed comes back byte for byte. Default: a new
// file, written as the registry editor writes one.
struct TRegFileStyle {
  TRegEncoding Encoding = TRegEncoding::Utf16Bom;
  bool Regedit4 = false;  // the "REGEDIT4" header, else the 5.00 one
  bool Crlf = true;
  // Whether the file had a section for the root itself ([HKEY_CURRENT_USER]), by root.
  std::array<bool, 4> RootsNamed = {};
  // Keys that exist only as parents of the file's sections (upper-cased full names), as
  // in an export of a subtree; they get a section again once they have values or lose
  // their subkeys.
  std::set<std::string> ImpliedKeys;
};

// The whole registry in the registry editor's export format ("Windows Registry Editor
// Version 5.00", [ROOT\path] sections, "Name"="data"), as UTF-8 text with "\n" breaks.
std::string MemRegistryExport();
// The bytes a file written in `style` holds; false only when a single-byte file cannot
// hold the text (EncodeRegFile).
bool MemRegistryExport(const TRegFileStyle& style, std::string* bytes,
                       std::string* error = nullptr);
// Replaces the registry with the keys and values of an export, in any encoding the
// loader reads; `style` receives how it was written. On an error nothing changes and
// the message names the line; should applying a checked file still fail, the registry
// is left empty.
bool MemRegistryImport(std::string_view text, std::string* error = nullptr,
                       TRegFileStyle* style = nullptr);
// A missing file loads as an empty registry with the style of a new file. Errors start
// with the file's name.
bool MemRegistryLoadFile(const std::string& fileName, std::string* error = nullptr,
                         TRegFileStyle* style = nullptr);
// Replaces the file through a temporary beside it; the message names what failed.
bool MemRegistrySaveFile(const std::string& fileName, std::string* error = nullptr,
                         const TRegFileStyle& style = TRegFileStyle());

}  // namespace glint::win32
