// TSafeFile on POSIX: links at a temporary's name, permissions, and a real write error.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "rtl/FileSizeLimitTestUtil.h"
#include "rtl/SafeFile.h"
#include "rtl/SafeFileTestUtil.h"

namespace glint {
namespace {

namespace fs = std::filesystem;

using safefile_test::Numbered;
using safefile_test::Read;
using safefile_test::WriteText;

bool Replace(const fs::path& target, const std::string& text) {
  TSafeFile file(target.string());
  return file.Open() && file.Write(text.data(), text.size()) && file.Commit();
}

using SafeFilePosix = safefile_test::TTempDirTest;

// The old way, "does it exist? then fopen", follows a dangling link and writes where it
// points; a link to a file it truncated.
TEST_F(SafeFilePosix, LinksAtATemporarysNameAreNeverFollowed) {
  const fs::path target = FDir / "target";
  WriteText(FDir / "victim", "victim's data");
  fs::create_symlink(FDir / "victim", target.string() + ".t0");
  fs::create_symlink(FDir / "made-through-a-link", target.string() + ".t1");
  TSafeFile file(target.string(), Numbered);
  ASSERT_TRUE(file.Open()) << file.Error();
  EXPECT_EQ(file.TempName(), target.string() + ".t2");
  ASSERT_TRUE(file.Write("new", 3));
  ASSERT_TRUE(file.Commit()) << file.Error();
  EXPECT_EQ(Read(target), "new");
  EXPECT_EQ(Read(FDir / "victim"), "victim's data");
  EXPECT_FALSE(fs::exists(FDir / "made-through-a-link"));
  EXPECT_TRUE(fs::is_symlink(target.string() + ".t0"));
  EXPECT_TRUE(fs::is_symlink(target.string() + ".t1"));
}

TEST_F(SafeFilePosix, ReplacedFilesKeepTheirModeAndNewOnesFollowTheUmask) {
  const struct {
    int Existing;  // -1: no file yet
    mode_t Umask;
    fs::perms Expected;
  } kCases[] = {{0640, 022, fs::perms(0640)},
                {0755, 077, fs::perms(0755)},
                {0600, 022, fs::perms(0600)},
                {-1, 022, fs::perms(0644)},
                {-1, 027, fs::perms(0640)}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(testing::Message() << std::oct << c.Existing << " umask " << c.Umask);
    const fs::path target = FDir / "target";
    fs::remove(target);
    if (c.Existing >= 0) {
      WriteText(target, "old");
      fs::permissions(target, fs::perms(c.Existing));
    }
    const mode_t before = ::umask(c.Umask);
    const bool replaced = Replace(target, "new");
    ::umask(before);
    ASSERT_TRUE(replaced);
    EXPECT_EQ(fs::status(target).permissions(), c.Expected);
    EXPECT_EQ(Read(target), "new");
  }
}

// A file size limit makes write(2) fail with EFBIG, a real write error in the middle.
TEST_F(SafeFilePosix, AWriteErrorLeavesTheTargetAndNoTemporary) {
  const fs::path target = FDir / "target";
  WriteText(target, "old");
  const std::vector<char> data(64 * 1024, 'x');
  bool wrote, committed;
  std::string error;
  {
    const TFileSizeLimit limit(4096);
    ASSERT_TRUE(limit.Active());
    TSafeFile file(target.string());
    const bool opened = file.Open();
    wrote = opened && file.Write(data.data(), data.size());
    committed = file.Commit();
    error = file.Error();
  }
  EXPECT_FALSE(wrote);
  EXPECT_FALSE(committed);
  EXPECT_NE(error.find("cannot write"), std::string::npos) << error;
  EXPECT_EQ(Read(target), "old");
  EXPECT_EQ(std::distance(fs::directory_iterator(FDir), {}), 1);
}

}  // namespace
}  // namespace glint
