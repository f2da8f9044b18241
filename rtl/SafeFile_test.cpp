// The contract of TSafeFile on whichever side is built: the target changes only on
// Commit, no temporary outlives its TSafeFile, and names already taken stay as they were.
#include "rtl/SafeFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <stdexcept>
#include <string>

#include "rtl/SafeFileTestUtil.h"

namespace glint {
namespace {

namespace fs = std::filesystem;

using safefile_test::Numbered;
using namespace test_support;

std::string AlwaysTaken(const std::string& target, unsigned) { return target + ".taken"; }

class SafeFile : public test_support::TTempDirTest {
 protected:
  std::set<std::string> Names() const {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(FDir))
      names.insert(entry.path().filename().string());
    return names;
  }
};

// Every way a write can end; only a successful Commit may change the target.
TEST_F(SafeFile, TargetChangesOnlyOnCommit) {
  enum class TEnd { Commit, Abandon, Throw };
  const struct {
    const char* Name;
    bool TargetExists;
    TEnd End;
  } kCases[] = {{"replace", true, TEnd::Commit},
                {"create", false, TEnd::Commit},
                {"abandon", true, TEnd::Abandon},
                {"abandon new", false, TEnd::Abandon},
                {"exception", true, TEnd::Throw}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.Name);
    fs::remove_all(FDir);
    fs::create_directories(FDir);
    const fs::path target = FDir / "target";
    if (c.TargetExists) WriteFile(target, "old");
    try {
      TSafeFile file(target.string());
      ASSERT_TRUE(file.Open()) << file.Error();
      EXPECT_EQ(ReadFile(file.TempName()), "");
      ASSERT_TRUE(file.Write("ne", 2));
      if (c.End == TEnd::Throw) throw std::runtime_error("the writer failed");
      ASSERT_TRUE(file.Write("w", 1));
      if (c.End == TEnd::Commit) {
        ASSERT_TRUE(file.Commit()) << file.Error();
      }
    } catch (const std::runtime_error&) {
    }
    const bool replaced = c.End == TEnd::Commit;
    const bool exists = c.TargetExists || replaced;
    EXPECT_EQ(Names(), exists ? std::set<std::string>{"target"} : std::set<std::string>{});
    if (exists) {
      EXPECT_EQ(ReadFile(target), replaced ? "new" : "old");
    }
  }
}

// A directory that took the target's name while the file was being written.
TEST_F(SafeFile, FailedRenameRemovesTheTemporary) {
  TSafeFile file((FDir / "target").string());
  ASSERT_TRUE(file.Open()) << file.Error();
  ASSERT_TRUE(file.Write("data", 4));
  fs::create_directories(FDir / "target" / "inside");
  EXPECT_FALSE(file.Commit());
  EXPECT_NE(file.Error().find("target"), std::string::npos) << file.Error();
  EXPECT_EQ(Names(), std::set<std::string>{"target"});
  EXPECT_TRUE(fs::is_directory(FDir / "target" / "inside"));
}

// Only a file is replaced by a file; a directory is refused before anything is written.
TEST_F(SafeFile, WhatIsNotARegularFileIsRefused) {
  fs::create_directories(FDir / "target" / "inside");
  TSafeFile file((FDir / "target").string());
  EXPECT_FALSE(file.Open());
  EXPECT_NE(file.Error().find("is not a regular file"), std::string::npos) << file.Error();
  EXPECT_FALSE(file.Commit());
  EXPECT_EQ(Names(), std::set<std::string>{"target"});
  EXPECT_TRUE(fs::is_directory(FDir / "target" / "inside"));
}

// Whatever already has a temporary's name is someone else's and is left as it is.
TEST_F(SafeFile, NamesAlreadyTakenAreSkippedUntouched) {
  const fs::path target = FDir / "target";
  WriteFile(target.string() + ".t0", "first");
  fs::create_directory(target.string() + ".t1");
  WriteFile(target.string() + ".t2", "third");
  {
    TSafeFile file(target.string(), Numbered);
    ASSERT_TRUE(file.Open()) << file.Error();
    EXPECT_EQ(file.TempName(), target.string() + ".t3");
    ASSERT_TRUE(file.Write("new", 3));
    ASSERT_TRUE(file.Commit()) << file.Error();
  }
  EXPECT_EQ(ReadFile(target), "new");
  EXPECT_EQ(ReadFile(target.string() + ".t0"), "first");
  EXPECT_TRUE(fs::is_directory(target.string() + ".t1"));
  EXPECT_EQ(ReadFile(target.string() + ".t2"), "third");
  EXPECT_EQ(Names().size(), 4u);

  WriteFile(target.string() + ".taken", "theirs");
  TSafeFile blocked(target.string(), AlwaysTaken);
  EXPECT_FALSE(blocked.Open());
  EXPECT_NE(blocked.Error().find("target"), std::string::npos) << blocked.Error();
  EXPECT_FALSE(blocked.Write("x", 1));
  EXPECT_FALSE(blocked.Commit());
  EXPECT_EQ(ReadFile(target.string() + ".taken"), "theirs");
  EXPECT_EQ(ReadFile(target), "new");
}

}  // namespace
}  // namespace glint
