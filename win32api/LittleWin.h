// win32api/LittleWin.h: the few Win32 functions the kit calls, by their Win32 names.
// The Windows build maps them to advapi32/kernel32/user32; every other build gets
// LittleWin_mem.cpp, an in-memory registry and file lookup that keep the same
// contracts (return codes, handle rules), so Setup and the settings code compile
// unchanged and native tests can inspect every key and value written.
//
// Failure is reported as Win32 reports it: registry calls return ERROR_* codes,
// FindFirstFileA returns INVALID_HANDLE_VALUE and sets GetLastError(). Handles
// returned here are owned by the caller (see win32api/RegKey.h for an owner).
//
// The names below are Win32's own, so a file that also needs <windows.h> must
// include this header first: windows.h turns HKEY_CURRENT_USER, MB_OK and the
// like into macros.
#pragma once

#include <cstdint>

#if defined(HKEY_CURRENT_USER) || defined(ERROR_SUCCESS)
#error "include win32api/LittleWin.h before <windows.h>"
#endif

namespace glint::win32 {

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using BOOL = int;
using UINT = unsigned int;
using REGSAM = DWORD;
using HANDLE = void*;
// Distinct opaque types, as with STRICT, so a window can never pass for a key.
using HKEY = struct HKEY__*;
using HWND = struct HWND__*;
using HMODULE = struct HMODULE__*;

namespace detail {
// Predefined handles are sign-extended 32-bit values, as in winreg.h.
inline HKEY PredefinedKey(std::uint32_t value) {
  return reinterpret_cast<HKEY>(static_cast<std::intptr_t>(static_cast<std::int32_t>(value)));
}
}  // namespace detail

inline const HKEY HKEY_CLASSES_ROOT = detail::PredefinedKey(0x80000000u);
inline const HKEY HKEY_CURRENT_USER = detail::PredefinedKey(0x80000001u);
inline const HKEY HKEY_LOCAL_MACHINE = detail::PredefinedKey(0x80000002u);
inline const HKEY HKEY_USERS = detail::PredefinedKey(0x80000003u);
inline const HANDLE INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-1));

// Error codes (winerror.h).
inline constexpr LONG ERROR_SUCCESS = 0;
inline constexpr LONG ERROR_FILE_NOT_FOUND = 2;
inline constexpr LONG ERROR_PATH_NOT_FOUND = 3;
inline constexpr LONG ERROR_ACCESS_DENIED = 5;
inline constexpr LONG ERROR_INVALID_HANDLE = 6;
inline constexpr LONG ERROR_INVALID_PARAMETER = 87;
inline constexpr LONG ERROR_INSUFFICIENT_BUFFER = 122;
inline constexpr LONG ERROR_MOD_NOT_FOUND = 126;
inline constexpr LONG ERROR_BAD_PATHNAME = 161;
inline constexpr LONG ERROR_MORE_DATA = 234;
inline constexpr LONG ERROR_NO_MORE_ITEMS = 259;
inline constexpr LONG ERROR_BADDB = 1009;
inline constexpr LONG ERROR_REGISTRY_IO_FAILED = 1016;
inline constexpr LONG ERROR_KEY_DELETED = 1018;

// Value types.
inline constexpr DWORD REG_NONE = 0;
inline constexpr DWORD REG_SZ = 1;
inline constexpr DWORD REG_EXPAND_SZ = 2;
inline constexpr DWORD REG_BINARY = 3;
inline constexpr DWORD REG_DWORD = 4;
inline constexpr DWORD REG_MULTI_SZ = 7;

// Access rights and options.
inline constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
inline constexpr REGSAM KEY_SET_VALUE = 0x0002;
inline constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
inline constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
inline constexpr REGSAM KEY_READ = 0x20019;
inline constexpr REGSAM KEY_WRITE = 0x20006;
inline constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;
inline constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
inline constexpr DWORD REG_CREATED_NEW_KEY = 1;
inline constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

// Message box styles and results.
inline constexpr UINT MB_OK = 0x0;
inline constexpr UINT MB_ICONERROR = 0x10;
inline constexpr int IDOK = 1;

inline constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
inline constexpr DWORD FILE_ATTRIBUTE_ARCHIVE = 0x20;
inline constexpr DWORD MAX_PATH = 260;

struct FILETIME {
  DWORD dwLowDateTime;
  DWORD dwHighDateTime;
};

// Same fields as Win32's; the Windows side copies them across.
struct WIN32_FIND_DATAA {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
  DWORD dwReserved0;
  DWORD dwReserved1;
  char cFileName[MAX_PATH];
  char cAlternateFileName[14];
};

// Registry (advapi32). An empty or null subKey names the key itself.
LONG RegCreateKeyExA(HKEY key, const char* subKey, DWORD reserved, char* cls, DWORD options,
                     REGSAM access, void* security, HKEY* result, DWORD* disposition);
LONG RegOpenKeyExA(HKEY key, const char* subKey, DWORD options, REGSAM access, HKEY* result);
LONG RegCloseKey(HKEY key);
// Fails with ERROR_ACCESS_DENIED while the key has subkeys.
LONG RegDeleteKeyA(HKEY key, const char* subKey);
// Deletes the subkey and everything below it.
LONG RegDeleteTreeA(HKEY key, const char* subKey);
LONG RegSetValueExA(HKEY key, const char* name, DWORD reserved, DWORD type, const BYTE* data,
                    DWORD size);
// With data null only the size is returned; a short buffer gives ERROR_MORE_DATA and
// the needed size.
LONG RegQueryValueExA(HKEY key, const char* name, DWORD* reserved, DWORD* type, BYTE* data,
                      DWORD* size);
LONG RegDeleteValueA(HKEY key, const char* name);
// nameSize: buffer size in, characters without the zero out. ERROR_NO_MORE_ITEMS ends.
LONG RegEnumValueA(HKEY key, DWORD index, char* name, DWORD* nameSize, DWORD* reserved, DWORD* type,
                   BYTE* data, DWORD* dataSize);
LONG RegEnumKeyExA(HKEY key, DWORD index, char* name, DWORD* nameSize, DWORD* reserved, char* cls,
                   DWORD* clsSize, FILETIME* lastWrite);
// Writes the key's changes to disk now. The in-memory side saves GLINT_REGISTRY_FILE
// (when set): ERROR_REGISTRY_IO_FAILED when that fails, ERROR_BADDB when the file could
// not be loaded (and so is never written).
LONG RegFlushKey(HKEY key);

// Files and module (kernel32).
HANDLE FindFirstFileA(const char* fileName, WIN32_FIND_DATAA* findData);
BOOL FindClose(HANDLE find);
// A null module is the running program. A short buffer is filled and ends in a zero;
// the result is then size and the last error ERROR_INSUFFICIENT_BUFFER.
DWORD GetModuleFileNameA(HMODULE module, char* fileName, DWORD size);
DWORD GetLastError();

// Windows (user32). The in-memory side writes title and text to standard output.
int MessageBoxA(HWND owner, const char* text, const char* caption, UINT type);

}  // namespace glint::win32
