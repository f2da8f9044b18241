// rtl/SafeFile.h: TSafeFile, the one way the kit replaces a file: the new contents go to a
// temporary file beside the target, which is renamed over the target only when all of it
// was written.
//
// A link at the target's name is followed first, through any chain of links, to the file
// it names: that file is replaced and the link stays a link (a dangling link names the
// file to create). On Windows a link whose target is missing is refused instead. What is
// there must be a regular file (or nothing): Open refuses a directory or a device.
//
// The temporary gets a fresh name in the directory of the file being replaced and is
// created exclusively: an existing file or link of that name is never opened, truncated
// or followed; the next name is tried instead. Commit flushes it to disk, closes it and
// renames it over that file, which therefore changes all at once or not at all. The
// replaced file keeps its permission bits (POSIX; a new file gets 0666 less the umask);
// on Windows it takes the directory's inherited security, as any new file does. Until
// Commit succeeds the destructor removes the temporary, whatever ended the write,
// exceptions included.
//
// Depends on nothing but the platform, so the Blowfish packages can link it alone.
// Failure: Open, Write and Commit return false and leave a message naming the file in
// Error(); after a failed Open or Commit nothing of the temporary is left. Not copyable;
// one thread at a time. SafeFile.cpp holds the portable part, SafeFile_posix.cpp and
// SafeFile_win.cpp the two platform sides.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace glint {

class TSafeFile {
 public:
  // The name of the temporary for `target` at the given attempt (0, 1, ...). The default
  // appends a random suffix to the target's name; tests pass their own to put existing
  // files and links where the temporary would go.
  using TTempNamer = std::string (*)(const std::string& target, unsigned attempt);
  static std::string RandomTempName(const std::string& target, unsigned attempt);
  // Names tried before Open gives up.
  static constexpr unsigned kAttempts = 64;

  explicit TSafeFile(std::string target, TTempNamer namer = RandomTempName);
  TSafeFile(const TSafeFile&) = delete;
  TSafeFile& operator=(const TSafeFile&) = delete;
  ~TSafeFile();

  // Follows links at the target's name, checks what is there, and creates the temporary.
  // Call once, before any Write.
  [[nodiscard]] bool Open();
  // Appends to the temporary; false on a write error (the file stays uncommitted).
  [[nodiscard]] bool Write(const void* data, std::size_t size);
  // Flushes, closes and renames the temporary over the target. After a failed Write,
  // Commit fails too and removes the temporary.
  [[nodiscard]] bool Commit();

  // The temporary's name while it exists, else "".
  const std::string& TempName() const { return FTempName; }
  const std::string& Error() const { return FError; }

 private:
  void Fail(const std::string& what);  // records what failed with the system's reason
  void Discard();                      // closes and removes the temporary
  // The platform's part of Commit: flush, close, rename; false (with Fail) when a step fails.
  bool FlushCloseAndRename();

  std::string FTarget;
  TTempNamer FNamer;
  std::string FTempName;
  std::string FError;
  std::intptr_t FHandle = -1;  // a file descriptor or a Windows HANDLE
  bool FWriteFailed = false;
};

}  // namespace glint
