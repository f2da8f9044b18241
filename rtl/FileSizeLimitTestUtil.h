// rtl/FileSizeLimitTestUtil.h: a file size limit for POSIX tests, so that
// write(2) fails with EFBIG part way through a file: a real write error in
// the middle. The limit and the SIGXFSZ disposition are restored on scope exit.
#pragma once

#include <sys/resource.h>

#include <csignal>

namespace glint {

class TFileSizeLimit {
 public:
  explicit TFileSizeLimit(rlim_t bytes) {
    if (::getrlimit(RLIMIT_FSIZE, &FSaved) != 0) return;
    FPrevious = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = FSaved;
    small.rlim_cur = bytes;
    FActive = ::setrlimit(RLIMIT_FSIZE, &small) == 0;
  }
  ~TFileSizeLimit() {
    if (FActive) ::setrlimit(RLIMIT_FSIZE, &FSaved);
    if (FPrevious != SIG_ERR) std::signal(SIGXFSZ, FPrevious);
  }
  TFileSizeLimit(const TFileSizeLimit&) = delete;
  TFileSizeLimit& operator=(const TFileSizeLimit&) = delete;
  bool Active() const { return FActive; }

 private:
  rlimit FSaved{};
  void (*FPrevious)(int) = SIG_ERR;
  bool FActive = false;
};

}  // namespace glint
