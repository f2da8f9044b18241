// TRegistry and TRegIniFile over LittleWin: natively the in-memory registry, under
// Wine the real one (below a scratch key that is removed afterwards).
#include "setup/MyRegistry.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "win32api/RegKey.h"

namespace glint {
namespace {

using namespace win32;

constexpr const char* kScratch = "Software\\GlintTest\\MyRegistry";

class MyRegistry : public ::testing::Test {
 protected:
  void SetUp() override { RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\GlintTest"); }
  void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\GlintTest"); }

  static bool KeyExists(const std::string& path) {
    TRegKey key;
    return RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, key.Out()) == ERROR_SUCCESS;
  }
  // The raw bytes of a value, or nullopt when the key or value is missing.
  static std::optional<std::string> Value(const std::string& path, const char* name,
                                          DWORD* type = nullptr) {
    TRegKey key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, key.Out()) != ERROR_SUCCESS)
      return std::nullopt;
    DWORD size = 0;
    if (RegQueryValueExA(key.Get(), name, nullptr, type, nullptr, &size) != ERROR_SUCCESS)
      return std::nullopt;
    std::string data(size, '\0');
    RegQueryValueExA(key.Get(), name, nullptr, nullptr, reinterpret_cast<BYTE*>(data.data()),
                     &size);
    return data;
  }
};

TEST_F(MyRegistry, EnterKeyBuildsThePathOfTheOpenKey) {
  TRegistry reg;
  const std::string base = kScratch;
  ASSERT_TRUE(reg.EnterKey(base, true));
  EXPECT_EQ(reg.CurrentPath(), base);
  ASSERT_TRUE(reg.EnterKey("Delphi\\4.0", true));
  EXPECT_EQ(reg.CurrentPath(), base + "\\Delphi\\4.0");
  EXPECT_TRUE(KeyExists(base + "\\Delphi\\4.0"));
  // An absolute path starts again from the root.
  ASSERT_TRUE(reg.EnterKey("\\" + base, false));
  EXPECT_EQ(reg.CurrentPath(), base);
  // The empty path opens the open key again, and still counts as relative.
  ASSERT_TRUE(reg.EnterKey("", true));
  EXPECT_EQ(reg.CurrentPath(), base + "\\");
}

TEST_F(MyRegistry, FailedEnterKeyChangesNothing) {
  TRegistry reg;
  ASSERT_TRUE(reg.EnterKey(kScratch, true));
  HKEY before = reg.CurrentKey();
  EXPECT_FALSE(reg.EnterKey("Absent", false));
  EXPECT_EQ(reg.CurrentKey(), before);
  EXPECT_EQ(reg.CurrentPath(), kScratch);
  EXPECT_FALSE(KeyExists(std::string(kScratch) + "\\Absent"));
  reg.ReleaseKey();
  EXPECT_EQ(reg.CurrentKey(), nullptr);
  EXPECT_EQ(reg.CurrentPath(), "");
}

TEST_F(MyRegistry, MakeKeyAndOpenSubKeyLeaveTheOpenKeyAlone) {
  TRegistry reg;
  ASSERT_TRUE(reg.EnterKey(kScratch, true));
  HKEY open = reg.CurrentKey();
  EXPECT_TRUE(reg.MakeKey("Experts"));
  EXPECT_TRUE(KeyExists(std::string(kScratch) + "\\Experts"));
  TRegKey sub(reg.OpenSubKey("Experts"));
  EXPECT_TRUE(sub);
  EXPECT_FALSE(reg.OpenSubKey("Missing"));
  EXPECT_EQ(reg.CurrentKey(), open);
  EXPECT_EQ(reg.CurrentPath(), kScratch);
}

TEST_F(MyRegistry, PutStringStoresTheTextWithItsZero) {
  TRegistry reg;
  ASSERT_TRUE(reg.EnterKey(kScratch, true));
  EXPECT_TRUE(reg.PutString("HelpFile", "old"));
  EXPECT_TRUE(reg.PutString("HelpFile", "C:\\Program Files\\Glint\\Glint.hlp"));
  DWORD type = REG_NONE;
  EXPECT_EQ(Value(kScratch, "HelpFile", &type),
            std::string("C:\\Program Files\\Glint\\Glint.hlp", 33));
  EXPECT_EQ(type, REG_SZ);
  EXPECT_TRUE(reg.PutString("Empty", ""));
  EXPECT_EQ(Value(kScratch, "Empty"), std::string(1, '\0'));
}

TEST_F(MyRegistry, IniFileCreatesItsKeyAndWritesIntoSections) {
  const std::string ide = std::string(kScratch) + "\\Borland\\Delphi\\4.0";
  TRegIniFile ini(HKEY_CURRENT_USER, ide);
  EXPECT_EQ(ini.CurrentPath(), ide);
  HKEY open = ini.CurrentKey();
  EXPECT_TRUE(ini.PutSectionString("Experts", "GlintMonExpert4", "C:\\Glint\\GlintMonExpert4.dll"));
  EXPECT_EQ(ini.CurrentKey(), open);
  EXPECT_EQ(Value(ide + "\\Experts", "GlintMonExpert4"),
            std::string("C:\\Glint\\GlintMonExpert4.dll", 29));
  // Nothing went into the IDE key itself.
  EXPECT_EQ(Value(ide, "GlintMonExpert4"), std::nullopt);
  // The section handle was closed again: the open key still works afterwards.
  EXPECT_TRUE(ini.PutString("Direct", "1"));
}

TEST_F(MyRegistry, IniFileWithoutAnOpenKeyWritesNothing) {
  // An invalid root: neither the key nor, afterwards, anything else can be reached.
  TRegIniFile ini(reinterpret_cast<HKEY>(static_cast<std::intptr_t>(0x7ff0)), "Software");
  EXPECT_EQ(ini.CurrentKey(), nullptr);
  EXPECT_FALSE(ini.PutSectionString("Experts", "GlintMonExpert4", "x"));
}

}  // namespace
}  // namespace glint
