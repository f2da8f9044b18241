// tests/support/TestSupport.h: what many tests need around the code they test:
// a scratch folder, whole files, a planted link at a temporary's name, and the
// text of a leak report.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <string_view>

namespace glint::test_support {

namespace fs = std::filesystem;

inline std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteFile(const fs::path& path, std::string_view data) {
  std::ofstream(path, std::ios::binary)
      .write(data.data(), static_cast<std::streamsize>(data.size()));
}

// A fresh folder under the system's temporary folder, removed with everything in it
// when the object goes. A random suffix keeps parallel test processes apart.
class TTempDir {
 public:
  explicit TTempDir(const std::string& prefix = "glint-test-")
      : FPath(fs::temp_directory_path() / (prefix + std::to_string(std::random_device{}()))) {
    fs::remove_all(FPath);
    fs::create_directories(FPath);
  }
  ~TTempDir() {
    std::error_code ignored;
    fs::remove_all(FPath, ignored);
  }
  TTempDir(const TTempDir&) = delete;
  TTempDir& operator=(const TTempDir&) = delete;

  const fs::path& Path() const { return FPath; }
  fs::path operator/(const fs::path& name) const { return FPath / name; }

 private:
  fs::path FPath;
};

// A fixture with a fresh folder FDir for each test.
class TTempDirTest : public testing::Test {
 protected:
  std::string Path(const std::string& name) const { return (FDir / name).string(); }

  TTempDir FTemp;
  const fs::path& FDir = FTemp.Path();
};

// A link at `link` to a file `dir`/victim holding kVictimData: what a writer that opens
// a fixed temporary name by truncation would write through. VictimIntact says whether
// the victim still holds its data.
inline constexpr char kVictimData[] = "victim's data";
inline void PlantLinkToVictim(const fs::path& dir, const fs::path& link) {
  WriteFile(dir / "victim", kVictimData);
  fs::create_symlink(dir / "victim", link);
}
inline bool VictimIntact(const fs::path& dir) { return ReadFile(dir / "victim") == kVictimData; }

// The nine header lines of a leak report, with only the program named, then `body`.
inline std::string BareReport(std::string_view body, std::string_view program = "x",
                              std::string_view lineEnd = "\n") {
  std::string text = "Report on     : " + std::string(program) + std::string(lineEnd);
  for (int line = 1; line < 9; ++line) text += lineEnd;
  return text + std::string(body);
}

}  // namespace glint::test_support
