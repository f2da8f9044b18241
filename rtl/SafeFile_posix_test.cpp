// TSafeFile on POSIX: links at a temporary's name, permissions, and a real write error.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "rtl/FileSizeLimitTestUtil.h"
#include "rtl/SafeFile.h"
#include "rtl/SafeFileTestUtil.h"

namespace glint {
namespace {

namespace fs = std::filesystem;

using safefile_test::Numbered;
using namespace test_support;

bool Replace(const fs::path& target, const std::string& text) {
  TSafeFile file(target.string());
  return file.Open() && file.Write(text.data(), text.size()) && file.Commit();
}

using SafeFilePosix = test_support::TTempDirTest;

// The old way, "does it exist? then fopen", follows a dangling link and writes where it
// points; a link to a file it truncated.
TEST_F(SafeFilePosix, LinksAtATemporarysNameAreNeverFollowed) {
  const fs::path target = FDir / "target";
  PlantLinkToVictim(FDir, target.string() + ".t0");
  fs::create_symlink(FDir / "made-through-a-link", target.string() + ".t1");
  TSafeFile file(target.string(), Numbered);
  ASSERT_TRUE(file.Open()) << file.Error();
  EXPECT_EQ(file.TempName(), target.string() + ".t2");
  ASSERT_TRUE(file.Write("new", 3));
  ASSERT_TRUE(file.Commit()) << file.Error();
  EXPECT_EQ(ReadFile(target), "new");
  EXPECT_EQ(ReadFile(FDir / "victim"), kVictimData);
  EXPECT_FALSE(fs::exists(FDir / "made-through-a-link"));
  EXPECT_TRUE(fs::is_symlink(target.string() + ".t0"));
  EXPECT_TRUE(fs::is_symlink(target.string() + ".t1"));
}

// A link given as the target (a registry file kept elsewhere, say) stays a link: the file
// it leads to, through any chain, is replaced, with the temporary made beside that file.
TEST_F(SafeFilePosix, ALinkIsFollowedToTheFileItNames) {
  const std::string top = (FDir / "top").string();
  const struct {
    const char* Name;
    std::vector<std::pair<const char*, std::string>> Links;  // name -> link text
    bool FileExists;
  } kCases[] = {
      {"relative", {{"target", "real/file"}}, true},
      {"absolute", {{"target", top + "/real/file"}}, true},
      {"chain", {{"target", "hop"}, {"hop", "../top/real/file"}}, true},
      {"dangling", {{"target", "real/file"}}, false},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.Name);
    fs::remove_all(FDir);
    fs::create_directories(FDir / "top" / "real");
    const fs::path file = FDir / "top" / "real" / "file";
    if (c.FileExists) {
      WriteFile(file, "old");
      fs::permissions(file, fs::perms(0640));
    }
    for (const auto& [name, text] : c.Links) fs::create_symlink(text, FDir / "top" / name);
    ASSERT_TRUE(Replace(FDir / "top" / "target", "new"));
    EXPECT_EQ(ReadFile(file), "new");
    if (c.FileExists) {
      EXPECT_EQ(fs::status(file).permissions(), fs::perms(0640))
          << "the file's mode, not the link's";
    }
    for (const auto& [name, text] : c.Links) EXPECT_TRUE(fs::is_symlink(FDir / "top" / name));
    EXPECT_EQ(std::distance(fs::directory_iterator(FDir / "top" / "real"), {}), 1);
  }
}

// Devices, pipes and links without end are not files to replace; all stay as they were.
TEST_F(SafeFilePosix, NoFileAtTheEndOfTheNameIsRefused) {
  ASSERT_EQ(::mkfifo((FDir / "pipe").c_str(), 0600), 0);
  fs::create_symlink("loop-b", FDir / "loop-a");
  fs::create_symlink("loop-a", FDir / "loop-b");
  const struct {
    fs::path Target;
    const char* Error;
  } kCases[] = {{"/dev/null", "is not a regular file"},
                {FDir / "pipe", "is not a regular file"},
                {FDir / "loop-a", "cannot follow the link"}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.Target);
    TSafeFile file(c.Target.string());
    EXPECT_FALSE(file.Open());
    EXPECT_NE(file.Error().find(c.Error), std::string::npos) << file.Error();
  }
  EXPECT_TRUE(fs::is_character_file("/dev/null"));
  EXPECT_TRUE(fs::is_fifo(FDir / "pipe"));
  EXPECT_TRUE(fs::is_symlink(FDir / "loop-a"));
  EXPECT_EQ(std::distance(fs::directory_iterator(FDir), {}), 3);
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
      WriteFile(target, "old");
      fs::permissions(target, fs::perms(c.Existing));
    }
    const mode_t before = ::umask(c.Umask);
    const bool replaced = Replace(target, "new");
    ::umask(before);
    ASSERT_TRUE(replaced);
    EXPECT_EQ(fs::status(target).permissions(), c.Expected);
    EXPECT_EQ(ReadFile(target), "new");
  }
}

// A file size limit makes write(2) fail with EFBIG, a real write error in the middle.
TEST_F(SafeFilePosix, AWriteErrorLeavesTheTargetAndNoTemporary) {
  const fs::path target = FDir / "target";
  WriteFile(target, "old");
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
  EXPECT_EQ(ReadFile(target), "old");
  EXPECT_EQ(std::distance(fs::directory_iterator(FDir), {}), 1);
}

}  // namespace
}  // namespace glint
