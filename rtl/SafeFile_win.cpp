// The Windows side of TSafeFile: GetFinalPathNameByHandleA to find the file, CreateFileA
// with CREATE_NEW, FlushFileBuffers and MoveFileExA.
#include <windows.h>

#include <string>
#include <utility>

#include "rtl/SafeFile.h"

namespace glint {
namespace {

HANDLE Native(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

}  // namespace

void TSafeFile::Fail(const std::string& what) {
  const DWORD code = ::GetLastError();
  char text[256] = {};
  DWORD length = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, code, 0, text, sizeof text, nullptr);
  while (length > 0 && (text[length - 1] == '\r' || text[length - 1] == '\n' ||
                        text[length - 1] == ' ' || text[length - 1] == '.'))
    text[--length] = '\0';
  FError = what + ": " + (length ? std::string(text) : "error " + std::to_string(code));
}

bool TSafeFile::Open() {
  // Opened without access rights, only to see what is there and where its links lead.
  HANDLE existing =
      ::CreateFileA(FTarget.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  const DWORD attributes = ::GetFileAttributesA(FTarget.c_str());  // of a link itself
  const bool link =
      attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
  if (existing == INVALID_HANDLE_VALUE) {
    // Nothing there is a new file; a link that leads nowhere is not replaced by one.
    if (link) {
      Fail("cannot follow the link '" + FTarget + "'");
      return false;
    }
  } else {
    BY_HANDLE_FILE_INFORMATION info;
    const bool regular = ::GetFileType(existing) == FILE_TYPE_DISK &&
                         ::GetFileInformationByHandle(existing, &info) &&
                         !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    std::string final(MAX_PATH, '\0');
    DWORD length = 0;
    if (regular && link) {
      length = ::GetFinalPathNameByHandleA(existing, final.data(), static_cast<DWORD>(final.size()),
                                           FILE_NAME_NORMALIZED);
      if (length >= final.size()) {
        final.resize(length);
        length = ::GetFinalPathNameByHandleA(
            existing, final.data(), static_cast<DWORD>(final.size()), FILE_NAME_NORMALIZED);
      }
    }
    const DWORD error = ::GetLastError();
    ::CloseHandle(existing);
    if (!regular) {
      FError = "'" + FTarget + "' is not a regular file";
      return false;
    }
    if (link) {
      if (length == 0 || length >= final.size()) {
        ::SetLastError(error);
        Fail("cannot follow the link '" + FTarget + "'");
        return false;
      }
      final.resize(length);
      FTarget = final;  // "\\?\C:\...", which the calls below take as it is
    }
  }
  const std::string beside = "cannot create a temporary file beside '" + FTarget + "'";
  for (unsigned attempt = 0; attempt < kAttempts; ++attempt) {
    std::string name = FNamer(FTarget, attempt);
    // CREATE_NEW never opens what exists; the reparse-point flag keeps a link at that
    // name from being followed to create its target.
    HANDLE file = ::CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
      const DWORD error = ::GetLastError();
      if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) continue;
      Fail(beside);
      return false;
    }
    FHandle = reinterpret_cast<std::intptr_t>(file);
    FTempName = std::move(name);
    return true;
  }
  FError = beside + ": all " + std::to_string(kAttempts) + " names tried are taken";
  return false;
}

bool TSafeFile::Write(const void* data, std::size_t size) {
  if (FHandle == -1 || FWriteFailed) {
    if (FError.empty()) FError = "'" + FTarget + "' is not open for writing";
    return false;
  }
  const auto* bytes = static_cast<const char*>(data);
  while (size > 0) {
    const DWORD chunk = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
    DWORD written = 0;
    if (!::WriteFile(Native(FHandle), bytes, chunk, &written, nullptr) || written == 0) {
      FWriteFailed = true;
      Fail("cannot write '" + FTempName + "'");
      return false;
    }
    bytes += written;
    size -= written;
  }
  return true;
}

bool TSafeFile::FlushCloseAndRename() {
  HANDLE file = Native(std::exchange(FHandle, -1));
  // On disk before the name points at it, so a crash leaves the old or the new file.
  bool ok = ::FlushFileBuffers(file) != 0;
  if (!ok) Fail("cannot flush '" + FTempName + "'");
  if (!::CloseHandle(file) && ok) {
    Fail("cannot close '" + FTempName + "'");
    ok = false;
  }
  if (ok && !::MoveFileExA(FTempName.c_str(), FTarget.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    Fail("cannot replace '" + FTarget + "'");
    ok = false;
  }
  return ok;
}

void TSafeFile::Discard() {
  if (FHandle != -1) ::CloseHandle(Native(std::exchange(FHandle, -1)));
  if (!FTempName.empty()) ::DeleteFileA(FTempName.c_str());
  FTempName.clear();
}

}  // namespace glint
