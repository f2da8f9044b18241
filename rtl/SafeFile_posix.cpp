// The POSIX side of TSafeFile: readlink(2) to find the file, open(2) with O_EXCL and
// O_NOFOLLOW, fsync and rename(2).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "rtl/SafeFile.h"

namespace glint {
namespace {

// As many links as the kernel follows in one path before it reports a loop.
constexpr int kMaxLinks = 40;

// Follows the links at `path` to the name they end in, which need not exist yet (a
// dangling link names the file to create); false with errno set when a link cannot be read
// or the chain is a loop.
bool FollowLinks(std::string& path) {
  for (int hops = 0;; ++hops) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return true;
    if (hops == kMaxLinks) {
      errno = ELOOP;
      return false;
    }
    // Links under /proc report no size.
    std::vector<char> text(std::max<std::size_t>(static_cast<std::size_t>(st.st_size), 4096) + 1);
    const ssize_t length = ::readlink(path.c_str(), text.data(), text.size());
    if (length < 0) return false;
    if (static_cast<std::size_t>(length) == text.size()) {  // changed since lstat
      errno = EAGAIN;
      return false;
    }
    const std::string link(text.data(), static_cast<std::size_t>(length));
    // A relative link is read from the directory that holds it.
    const std::size_t slash = path.rfind('/');
    path = link.starts_with('/') || slash == std::string::npos ? link
                                                               : path.substr(0, slash + 1) + link;
  }
}

}  // namespace

void TSafeFile::Fail(const std::string& what) { FError = what + ": " + std::strerror(errno); }

bool TSafeFile::Open() {
  const std::string given = FTarget;
  if (!FollowLinks(FTarget)) {
    Fail("cannot follow the link '" + given + "'");
    return false;
  }
  struct stat target;
  const bool replacing = ::stat(FTarget.c_str(), &target) == 0;
  if (replacing && !S_ISREG(target.st_mode)) {
    FError = "'" + FTarget + "' is not a regular file";
    return false;
  }
  // Owner-only until the target's bits are copied; for a new file open applies the umask.
  const mode_t mode = replacing ? 0600 : 0666;
  const std::string beside = "cannot create a temporary file beside '" + FTarget + "'";
  for (unsigned attempt = 0; attempt < kAttempts; ++attempt) {
    std::string name = FNamer(FTarget, attempt);
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    if (fd < 0) {
      // Something already has this name (a file, a link, a directory): never touch it.
      if (errno == EEXIST || errno == ELOOP || errno == EISDIR) continue;
      Fail(beside);
      return false;
    }
    FHandle = fd;
    FTempName = std::move(name);
    if (!replacing) return true;
    // Ownership follows only where we may give it away (as root); the bits always follow.
    if (target.st_uid != ::geteuid() || target.st_gid != ::getegid()) {
      [[maybe_unused]] const int ignored = ::fchown(fd, target.st_uid, target.st_gid);
    }
    if (::fchmod(fd, target.st_mode & 0777) != 0) {
      Fail("cannot give '" + FTempName + "' the permissions of '" + FTarget + "'");
      Discard();
      return false;
    }
    return true;
  }
  FError = beside + ": all " + std::to_string(kAttempts) + " names tried are taken";
  return false;
}

bool TSafeFile::Write(const void* data, std::size_t size) {
  if (FHandle < 0 || FWriteFailed) {
    if (FError.empty()) FError = "'" + FTarget + "' is not open for writing";
    return false;
  }
  const auto* bytes = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t written = ::write(static_cast<int>(FHandle), bytes, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      FWriteFailed = true;
      Fail("cannot write '" + FTempName + "'");
      return false;
    }
    bytes += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

bool TSafeFile::FlushCloseAndRename() {
  const int fd = static_cast<int>(std::exchange(FHandle, -1));
  // On disk before the name points at it, so a crash leaves the old or the new file.
  bool ok = ::fsync(fd) == 0;
  if (!ok) Fail("cannot flush '" + FTempName + "'");
  if (::close(fd) != 0 && ok) {
    Fail("cannot close '" + FTempName + "'");
    ok = false;
  }
  if (ok && ::rename(FTempName.c_str(), FTarget.c_str()) != 0) {
    Fail("cannot replace '" + FTarget + "'");
    ok = false;
  }
  return ok;
}

void TSafeFile::Discard() {
  if (FHandle >= 0) ::close(static_cast<int>(std::exchange(FHandle, -1)));
  if (!FTempName.empty()) ::unlink(FTempName.c_str());
  FTempName.clear();
}

}  // namespace glint
