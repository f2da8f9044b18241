// rtl/SafeFileTestUtil.h: what both TSafeFile test files need: reading and
// writing whole files, a predictable temporary-name generator and a scratch
// directory per test.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
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

// A fresh directory for each test, removed after it.
class TTempDirTest : public testing::Test {
 protected:
  void SetUp() override {
    FDir = fs::temp_directory_path() / ("glint-safefile-" + std::to_string(std::random_device{}()));
    fs::create_directories(FDir);
  }
  void TearDown() override { fs::remove_all(FDir); }
  fs::path FDir;
};

}  // namespace glint::safefile_test
