// The Windows side of LittleWin: each function forwards to advapi32, kernel32 or
// user32. Our HKEY/HWND/HMODULE are distinct opaque types with the same bits as
// Windows' own, so the casts below only change the type.

#include "win32api/LittleWin.h"
// Only after LittleWin.h: windows.h turns the same names into macros.
#include <windows.h>

#include <cstdint>
#include <cstring>

namespace glint::win32 {
namespace {

::HKEY Native(HKEY key) { return reinterpret_cast<::HKEY>(key); }

}  // namespace

static_assert(sizeof(WIN32_FIND_DATAA) == sizeof(::WIN32_FIND_DATAA));
static_assert(sizeof(FILETIME) == sizeof(::FILETIME));

LONG RegCreateKeyExA(HKEY key, const char* subKey, DWORD reserved, char* cls, DWORD options,
                     REGSAM access, void* security, HKEY* result, DWORD* disposition) {
  ::HKEY out = nullptr;
  ::DWORD how = 0;
  LONG rc = ::RegCreateKeyExA(Native(key), subKey, reserved, cls, options, access,
                              static_cast<LPSECURITY_ATTRIBUTES>(security), &out, &how);
  if (rc == 0) {
    if (result) *result = reinterpret_cast<HKEY>(out);
    if (disposition) *disposition = how;
  }
  return rc;
}

LONG RegOpenKeyExA(HKEY key, const char* subKey, DWORD options, REGSAM access, HKEY* result) {
  ::HKEY out = nullptr;
  LONG rc = ::RegOpenKeyExA(Native(key), subKey, options, access, &out);
  if (rc == 0 && result) *result = reinterpret_cast<HKEY>(out);
  return rc;
}

LONG RegCloseKey(HKEY key) { return ::RegCloseKey(Native(key)); }

LONG RegDeleteKeyA(HKEY key, const char* subKey) { return ::RegDeleteKeyA(Native(key), subKey); }

// Looked up at run time: advapi32 has it only from Vista on, and a static import would
// keep Setup.exe from starting on older systems.
LONG RegDeleteTreeA(HKEY key, const char* subKey) {
  using TDeleteTree = LSTATUS(WINAPI*)(::HKEY, LPCSTR);
  static auto deleteTree = reinterpret_cast<TDeleteTree>(reinterpret_cast<void*>(
      ::GetProcAddress(::GetModuleHandleA("advapi32.dll"), "RegDeleteTreeA")));
  if (!deleteTree) return ERROR_CALL_NOT_IMPLEMENTED;
  return deleteTree(Native(key), subKey);
}

LONG RegSetValueExA(HKEY key, const char* name, DWORD reserved, DWORD type, const BYTE* data,
                    DWORD size) {
  return ::RegSetValueExA(Native(key), name, reserved, type, data, size);
}

LONG RegQueryValueExA(HKEY key, const char* name, DWORD* reserved, DWORD* type, BYTE* data,
                      DWORD* size) {
  static_assert(sizeof(DWORD) == sizeof(::DWORD));
  return ::RegQueryValueExA(Native(key), name, reinterpret_cast<::DWORD*>(reserved),
                            reinterpret_cast<::DWORD*>(type), data,
                            reinterpret_cast<::DWORD*>(size));
}

LONG RegDeleteValueA(HKEY key, const char* name) { return ::RegDeleteValueA(Native(key), name); }

LONG RegEnumValueA(HKEY key, DWORD index, char* name, DWORD* nameSize, DWORD* reserved, DWORD* type,
                   BYTE* data, DWORD* dataSize) {
  return ::RegEnumValueA(Native(key), index, name, reinterpret_cast<::DWORD*>(nameSize),
                         reinterpret_cast<::DWORD*>(reserved), reinterpret_cast<::DWORD*>(type),
                         data, reinterpret_cast<::DWORD*>(dataSize));
}

LONG RegEnumKeyExA(HKEY key, DWORD index, char* name, DWORD* nameSize, DWORD* reserved, char* cls,
                   DWORD* clsSize, FILETIME* lastWrite) {
  return ::RegEnumKeyExA(Native(key), index, name, reinterpret_cast<::DWORD*>(nameSize),
                         reinterpret_cast<::DWORD*>(reserved), cls,
                         reinterpret_cast<::DWORD*>(clsSize),
                         reinterpret_cast<::FILETIME*>(lastWrite));
}

LONG RegFlushKey(HKEY key) { return ::RegFlushKey(Native(key)); }

HANDLE FindFirstFileA(const char* fileName, WIN32_FIND_DATAA* findData) {
  ::WIN32_FIND_DATAA data;
  HANDLE find = ::FindFirstFileA(fileName, &data);
  if (find != reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-1)) && findData)
    std::memcpy(findData, &data, sizeof data);
  return find;
}

BOOL FindClose(HANDLE find) { return ::FindClose(find); }

DWORD GetModuleFileNameA(HMODULE module, char* fileName, DWORD size) {
  return ::GetModuleFileNameA(reinterpret_cast<::HMODULE>(module), fileName, size);
}

DWORD GetLastError() { return ::GetLastError(); }

int MessageBoxA(HWND owner, const char* text, const char* caption, UINT type) {
  return ::MessageBoxA(reinterpret_cast<::HWND>(owner), text, caption, type);
}

}  // namespace glint::win32
