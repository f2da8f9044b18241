// rtl/SafeFileTestUtil.h: what both TSafeFile test files need: reading and
// writing whole files, and a predictable temporary-name generator.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace glint::safefile_test {

namespace fs = std::filesystem;

inline std::string Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteText(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// Names target.t0, target.t1, ... in the order TSafeFile tries them.
inline std::string Numbered(const std::string& target, unsigned attempt) {
  return target + ".t" + std::to_string(attempt);
}

}  // namespace glint::safefile_test
