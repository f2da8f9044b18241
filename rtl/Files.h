// rtl/Files.h: a C stream that closes itself, and a whole file read at once.
//
// ReadWholeFile raises EInOutError "Cannot open file "<name>"" or "Cannot
// read file "<name>"".
#pragma once

#include <cstdio>
#include <memory>
#include <string>

namespace glint {

struct TFileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using TFilePtr = std::unique_ptr<std::FILE, TFileCloser>;

// The file's bytes, all of them.
std::string ReadWholeFile(const std::string& fileName);

}  // namespace glint
