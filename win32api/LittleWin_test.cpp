// Contract of LittleWin, run against the in-memory side natively and against the
// real Win32 functions under Wine. Registry work happens below a scratch key that
// is deleted again, so a real registry is left as it was.
#include "win32api/LittleWin.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/TestSupport.h"
#include "win32api/RegKey.h"

namespace glint::win32 {
namespace {

constexpr const char* kScratch = "Software\\GlintTest\\LittleWin";

class LittleWin : public ::testing::Test {
 protected:
  void SetUp() override {
    RegDeleteTreeA(HKEY_CURRENT_USER, kScratch);
    ASSERT_EQ(Create(kScratch, FScratch.Out()), ERROR_SUCCESS);
  }
  void TearDown() override {
    FScratch.Reset();
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\GlintTest");
  }
  static LONG Create(const char* path, HKEY* key, DWORD* how = nullptr, HKEY base = nullptr) {
    return RegCreateKeyExA(base ? base : HKEY_CURRENT_USER, path, 0, nullptr,
                           REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, key, how);
  }
  static LONG SetString(HKEY key, const char* name, const std::string& data) {
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                          static_cast<DWORD>(data.size() + 1));
  }
  TRegKey FScratch;
};

TEST_F(LittleWin, CreateReportsNewOrExistingAndNamesIgnoreCase) {
  TRegKey a, b, c;
  DWORD how = 0;
  ASSERT_EQ(Create("Delphi\\4.0\\Experts", a.Out(), &how, FScratch.Get()), ERROR_SUCCESS);
  EXPECT_EQ(how, REG_CREATED_NEW_KEY);
  ASSERT_EQ(Create("DELPHI\\4.0\\experts", b.Out(), &how, FScratch.Get()), ERROR_SUCCESS);
  EXPECT_EQ(how, REG_OPENED_EXISTING_KEY);
  EXPECT_EQ(RegOpenKeyExA(FScratch.Get(), "delphi\\4.0", 0, KEY_READ, c.Out()), ERROR_SUCCESS);
  // The same key through two handles.
  ASSERT_EQ(SetString(a.Get(), "GlintMonExpert4", "x"), ERROR_SUCCESS);
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExA(b.Get(), "glintmonexpert4", nullptr, nullptr, nullptr, &size),
            ERROR_SUCCESS);
  EXPECT_EQ(size, 2u);
}

TEST_F(LittleWin, MissingKeysAndValuesAreFileNotFound) {
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyExA(FScratch.Get(), "Absent", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExA(FScratch.Get(), "Absent", nullptr, nullptr, nullptr, &size),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteValueA(FScratch.Get(), "Absent"), ERROR_FILE_NOT_FOUND);
  EXPECT_NE(Create("\\Leading", &key, nullptr, FScratch.Get()), ERROR_SUCCESS);
}

TEST_F(LittleWin, QueryGivesTypeSizeAndMoreDataForShortBuffers) {
  ASSERT_EQ(SetString(FScratch.Get(), "HelpFile", "C:\\Glint\\Glint.hlp"), ERROR_SUCCESS);
  DWORD type = REG_NONE, size = 0;
  ASSERT_EQ(RegQueryValueExA(FScratch.Get(), "HelpFile", nullptr, &type, nullptr, &size),
            ERROR_SUCCESS);
  EXPECT_EQ(type, REG_SZ);
  EXPECT_EQ(size, 19u);
  BYTE small[4] = {};
  size = sizeof small;
  EXPECT_EQ(RegQueryValueExA(FScratch.Get(), "HelpFile", nullptr, nullptr, small, &size),
            ERROR_MORE_DATA);
  EXPECT_EQ(size, 19u);
  char buf[64] = {};
  size = sizeof buf;
  ASSERT_EQ(RegQueryValueExA(FScratch.Get(), "HelpFile", nullptr, nullptr,
                             reinterpret_cast<BYTE*>(buf), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(size, 19u);
  EXPECT_STREQ(buf, "C:\\Glint\\Glint.hlp");
}

TEST_F(LittleWin, SettingAValueAgainReplacesIt) {
  ASSERT_EQ(SetString(FScratch.Get(), "Top", "10"), ERROR_SUCCESS);
  DWORD n = 0x12345678;
  ASSERT_EQ(RegSetValueExA(FScratch.Get(), "TOP", 0, REG_DWORD, reinterpret_cast<BYTE*>(&n), 4),
            ERROR_SUCCESS);
  DWORD type = 0, got = 0, size = sizeof got;
  ASSERT_EQ(
      RegQueryValueExA(FScratch.Get(), "top", nullptr, &type, reinterpret_cast<BYTE*>(&got), &size),
      ERROR_SUCCESS);
  EXPECT_EQ(type, REG_DWORD);
  EXPECT_EQ(got, n);
  char name[16];
  DWORD nameSize = sizeof name;
  EXPECT_EQ(RegEnumValueA(FScratch.Get(), 1, name, &nameSize, nullptr, nullptr, nullptr, nullptr),
            ERROR_NO_MORE_ITEMS);
}

TEST_F(LittleWin, EnumValueListsEveryValueOnce) {
  for (const char* name : {"GlintMonExpert2", "GlintMonExpert3", "Other"})
    ASSERT_EQ(SetString(FScratch.Get(), name, std::string("dir\\") + name), ERROR_SUCCESS);
  std::vector<std::string> seen;
  for (DWORD i = 0;; ++i) {
    char name[64];
    BYTE data[64];
    DWORD nameSize = sizeof name, dataSize = sizeof data, type = 0;
    LONG rc = RegEnumValueA(FScratch.Get(), i, name, &nameSize, nullptr, &type, data, &dataSize);
    if (rc == ERROR_NO_MORE_ITEMS) break;
    ASSERT_EQ(rc, ERROR_SUCCESS);
    EXPECT_EQ(nameSize, std::string(name).size());
    EXPECT_EQ(std::string(reinterpret_cast<char*>(data)), std::string("dir\\") + name);
    seen.push_back(name);
  }
  std::sort(seen.begin(), seen.end());
  EXPECT_EQ(seen, (std::vector<std::string>{"GlintMonExpert2", "GlintMonExpert3", "Other"}));
  char shortName[4];
  DWORD shortSize = sizeof shortName;
  EXPECT_EQ(
      RegEnumValueA(FScratch.Get(), 0, shortName, &shortSize, nullptr, nullptr, nullptr, nullptr),
      ERROR_MORE_DATA);
}

TEST_F(LittleWin, HandlesCloseOnceAndKeepTheirAccess) {
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kScratch, 0, KEY_READ, &key), ERROR_SUCCESS);
  EXPECT_EQ(SetString(key, "Top", "1"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegFlushKey(key), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegFlushKey(key), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegCloseKey(HKEY_CURRENT_USER), ERROR_SUCCESS);
  // A predefined root stays usable after that close.
  TRegKey again;
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kScratch, 0, KEY_READ, again.Out()), ERROR_SUCCESS);
}

TEST_F(LittleWin, DeletingKeysFollowsTheTreeRules) {
  TRegKey child;
  ASSERT_EQ(Create("A\\B", child.Out(), nullptr, FScratch.Get()), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKeyA(FScratch.Get(), "A"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteTreeA(FScratch.Get(), "A"), ERROR_SUCCESS);
  EXPECT_EQ(SetString(child.Get(), "x", "y"), ERROR_KEY_DELETED);
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyExA(FScratch.Get(), "A", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
  TRegKey leaf;
  ASSERT_EQ(Create("C", leaf.Out(), nullptr, FScratch.Get()), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKeyA(FScratch.Get(), "c"), ERROR_SUCCESS);
}

// Windows allows key names of 255 characters (Wine 256); well beyond that, both refuse,
// with ERROR_INVALID_PARAMETER or, where the "A" function's conversion buffer is the first
// to overflow (Wine), ERROR_MORE_DATA.
TEST_F(LittleWin, OverlongKeyNamesAreRefused) {
  TRegKey key;
  EXPECT_EQ(Create(std::string(255, 'n').c_str(), key.Out(), nullptr, FScratch.Get()),
            ERROR_SUCCESS);
  const LONG rc = Create(std::string(300, 'n').c_str(), key.Out(), nullptr, FScratch.Get());
  EXPECT_TRUE(rc == ERROR_INVALID_PARAMETER || rc == ERROR_MORE_DATA) << rc;
}

class LittleWinFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(FDir / "Folder.dll");
    std::ofstream(FDir / "GlintMonExpert4.dll") << "MZ";
  }
  std::string Path(const char* leaf) const { return (FDir / leaf).string(); }
  // A space in the folder's name, as in the paths the add-ins meet.
  const test_support::TTempDir FTemp{"glint win32api "};
  const std::filesystem::path& FDir = FTemp.Path();
};

TEST_F(LittleWinFiles, FindFirstFileSeesFilesAndDirectories) {
  WIN32_FIND_DATAA data{};
  HANDLE find = FindFirstFileA(Path("GlintMonExpert4.dll").c_str(), &data);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  EXPECT_STREQ(data.cFileName, "GlintMonExpert4.dll");
  EXPECT_EQ(data.nFileSizeLow, 2u);
  EXPECT_EQ(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
  EXPECT_TRUE(FindClose(find));
  EXPECT_FALSE(FindClose(INVALID_HANDLE_VALUE));

  find = FindFirstFileA(Path("folder.DLL").c_str(), &data);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  EXPECT_NE(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
  FindClose(find);

  EXPECT_EQ(FindFirstFileA(Path("GlintMonExpert3.dll").c_str(), &data), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST(LittleWinModule, ModuleFileNameIsTheRunningProgram) {
  char path[1024] = {};
  DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
  ASSERT_GT(n, 0u);
  EXPECT_EQ(n, std::string(path).size());
  EXPECT_TRUE(std::filesystem::exists(path));
  EXPECT_NE(std::string(path).find("win32api_test"), std::string::npos);
  // Too small a buffer: the result is its size. Whether the last byte is the
  // zero (Vista on) or a character (XP, Wine) depends on the system.
  char small[5];
  EXPECT_EQ(GetModuleFileNameA(nullptr, small, sizeof small), 5u);
  EXPECT_EQ(std::string(small, 4), std::string(path, 4));
}

}  // namespace
}  // namespace glint::win32
