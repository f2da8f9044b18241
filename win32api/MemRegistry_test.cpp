// The in-memory registry's own hooks: faults, export text and the registry file.
#include "win32api/MemRegistry.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>

#include "win32api/RegFileTestUtil.h"
#include "win32api/RegKey.h"

namespace glint::win32 {
namespace {

LONG Create(HKEY base, const char* path, TRegKey& key) {
  return RegCreateKeyExA(base, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                         key.Out(), nullptr);
}

LONG SetString(HKEY key, const char* name, const std::string& data) {
  return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                        static_cast<DWORD>(data.size() + 1));
}

class MemRegistry : public ::testing::Test {
 protected:
  void SetUp() override { MemRegistryReset(); }
  void TearDown() override { MemRegistryReset(); }
};

TEST_F(MemRegistry, DeniedKeysFailBelowButNotAbove) {
  MemRegistryDenyKey(HKEY_CURRENT_USER, "Software\\Borland\\Delphi\\3.0");
  TRegKey key;
  EXPECT_EQ(Create(HKEY_CURRENT_USER, "Software\\Borland\\Delphi\\3.0\\Experts", key),
            ERROR_ACCESS_DENIED);
  EXPECT_EQ(Create(HKEY_CURRENT_USER, "software\\borland\\delphi\\3.0", key), ERROR_ACCESS_DENIED);
  EXPECT_FALSE(MemRegistryKeyExists(HKEY_CURRENT_USER, "Software\\Borland\\Delphi"));
  ASSERT_EQ(Create(HKEY_CURRENT_USER, "Software\\Borland\\Delphi", key), ERROR_SUCCESS);
  TRegKey sub;
  EXPECT_EQ(Create(key.Get(), "3.0", sub), ERROR_ACCESS_DENIED);
  EXPECT_EQ(sub.Get(), nullptr);
}

TEST_F(MemRegistry, DeniedWritesLeaveTheKeyReadable) {
  TRegKey key;
  ASSERT_EQ(Create(HKEY_CURRENT_USER, "Software\\Brackenware", key), ERROR_SUCCESS);
  ASSERT_EQ(SetString(key.Get(), "Keep", "1"), ERROR_SUCCESS);
  MemRegistryDenyWrites(HKEY_CURRENT_USER, "Software\\Brackenware");
  EXPECT_EQ(SetString(key.Get(), "HelpFile", "x"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteValueA(key.Get(), "Keep"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(MemRegistryValues(HKEY_CURRENT_USER, "Software\\Brackenware").size(), 1u);
}

TEST_F(MemRegistry, ResetInvalidatesOpenHandles) {
  TRegKey key;
  ASSERT_EQ(Create(HKEY_CURRENT_USER, "Software\\A", key), ERROR_SUCCESS);
  EXPECT_EQ(MemRegistryOpenHandles(), 1u);
  MemRegistryReset();
  EXPECT_EQ(MemRegistryOpenHandles(), 0u);
  EXPECT_EQ(SetString(key.Get(), "x", "y"), ERROR_INVALID_HANDLE);
  key.Release();
}

TEST_F(MemRegistry, ExportsInTheRegistryEditorFormat) {
  TRegKey key, empty;
  ASSERT_EQ(Create(HKEY_CURRENT_USER, "Software\\Borland\\Delphi\\4.0\\Experts", key),
            ERROR_SUCCESS);
  ASSERT_EQ(SetString(key.Get(), "GlintMonExpert4", "C:\\My \"Tools\"\\GlintMonExpert4.dll"),
            ERROR_SUCCESS);
  DWORD n = 0x2a;
  ASSERT_EQ(RegSetValueExA(key.Get(), "Count", 0, REG_DWORD, reinterpret_cast<BYTE*>(&n), 4),
            ERROR_SUCCESS);
  const BYTE raw[] = {0xde, 0xad, 0};
  ASSERT_EQ(RegSetValueExA(key.Get(), "", 0, REG_BINARY, raw, 3), ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExA(key.Get(), "NoZero", 0, REG_SZ, raw, 2), ERROR_SUCCESS);
  ASSERT_EQ(Create(HKEY_LOCAL_MACHINE, "Software\\Empty", empty), ERROR_SUCCESS);
  EXPECT_EQ(MemRegistryExport(),
            "Windows Registry Editor Version 5.00\n\n"
            "[HKEY_CURRENT_USER\\Software]\n\n"
            "[HKEY_CURRENT_USER\\Software\\Borland]\n\n"
            "[HKEY_CURRENT_USER\\Software\\Borland\\Delphi]\n\n"
            "[HKEY_CURRENT_USER\\Software\\Borland\\Delphi\\4.0]\n\n"
            "[HKEY_CURRENT_USER\\Software\\Borland\\Delphi\\4.0\\Experts]\n"
            "\"GlintMonExpert4\"=\"C:\\\\My \\\"Tools\\\"\\\\GlintMonExpert4.dll\"\n"
            "\"Count\"=dword:0000002a\n"
            "@=hex:de,ad,00\n"
            // In a 5.00 file the data of string types is UTF-16LE, as the editor writes it.
            "\"NoZero\"=hex(1):de,00,ad,00\n\n"
            "[HKEY_LOCAL_MACHINE\\Software]\n\n"
            "[HKEY_LOCAL_MACHINE\\Software\\Empty]\n\n");
}

TEST_F(MemRegistry, ImportReadsBackWhatExportWrote) {
  TRegKey key;
  ASSERT_EQ(Create(HKEY_CURRENT_USER, "Software\\Brackenware\\Glint Monitor Expert", key),
            ERROR_SUCCESS);
  ASSERT_EQ(SetString(key.Get(), "Font.Name", "MS Sans Serif"), ERROR_SUCCESS);
  ASSERT_EQ(SetString(key.Get(), "Odd \"=\\", "a\\\"b\"\\"), ERROR_SUCCESS);
  ASSERT_EQ(SetString(key.Get(), "Lines", "a\r\nb"), ERROR_SUCCESS);
  const BYTE raw[] = {1, 2, 3};
  ASSERT_EQ(RegSetValueExA(key.Get(), "Wide", 0, REG_EXPAND_SZ, raw, 3), ERROR_SUCCESS);
  key.Reset();
  std::string text = MemRegistryExport();
  ASSERT_TRUE(MemRegistryImport(text));
  EXPECT_EQ(MemRegistryExport(), text);
  auto lines =
      MemRegistryValue(HKEY_CURRENT_USER, "Software\\Brackenware\\Glint Monitor Expert", "Lines");
  ASSERT_TRUE(lines);
  EXPECT_EQ(lines->Text(), "a\r\nb");
}

TEST_F(MemRegistry, ImportAcceptsRegeditLineEndingsAndContinuations) {
  ASSERT_TRUE(
      MemRegistryImport("\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n\r\n"
                        "; a comment\r\n"
                        "[HKEY_CURRENT_USER\\Software\\X]\r\n"
                        "\"Bin\"=hex:01,02,\\\r\n  03\r\n"
                        "@=\"default\"\r\n"));
  auto bin = MemRegistryValue(HKEY_CURRENT_USER, "Software\\X", "Bin");
  ASSERT_TRUE(bin);
  EXPECT_EQ(bin->Data, (std::vector<BYTE>{1, 2, 3}));
  EXPECT_EQ(MemRegistryValue(HKEY_CURRENT_USER, "Software\\X", "")->Text(), "default");
}

TEST_F(MemRegistry, ImportErrorsNameTheLineAndChangeNothing) {
  TRegKey key;
  ASSERT_EQ(Create(HKEY_CURRENT_USER, "Software\\Kept", key), ERROR_SUCCESS);
  std::string error;
  EXPECT_FALSE(MemRegistryImport("REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"x\"=nonsense\n", &error));
  EXPECT_EQ(error, "line 3: bad value data");
  EXPECT_FALSE(MemRegistryImport("[HKEY_CURRENT_USER\\A]\n", &error));
  EXPECT_FALSE(MemRegistryImport("REGEDIT4\n\"x\"=\"y\"\n", &error));
  EXPECT_FALSE(MemRegistryImport("REGEDIT4\n[HKEY_NOWHERE\\A]\n", &error));
  EXPECT_TRUE(MemRegistryKeyExists(HKEY_CURRENT_USER, "Software\\Kept"));
  EXPECT_EQ(MemRegistryOpenHandles(), 1u);
}

TEST_F(MemRegistry, MessageBoxPrintsTitleAndText) {
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(MessageBoxA(nullptr, "Nothing to register", "Glint Monitor Registration", MB_OK), IDOK);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(),
            "Glint Monitor Registration\nNothing to register\n");
}

// Run by RegistryFileIsLoadedAtStartAndSavedAtExit in a child process only.
TEST(MemRegistryChild, DISABLED_AppendsOneValue) {
  TRegKey key;
  ASSERT_EQ(Create(HKEY_CURRENT_USER, "Software\\Child", key), ERROR_SUCCESS);
  std::string name =
      "Run" + std::to_string(MemRegistryValues(HKEY_CURRENT_USER, "Software\\Child").size());
  ASSERT_EQ(SetString(key.Get(), name.c_str(), "done"), ERROR_SUCCESS);
}

using regfile_test::EditorFile;
using regfile_test::ReadFile;

TEST(MemRegistryFile, RegistryFileIsLoadedAtStartAndSavedAtExit) {
  namespace fs = std::filesystem;
  const test_support::TTempDir dir("glint-memreg-");
  fs::path file = dir / "registry file.reg";
  std::string self = fs::read_symlink("/proc/self/exe").string();
  std::string child =
      "GLINT_REGISTRY_FILE='" + file.string() + "' '" + self +
      "' --gtest_filter=MemRegistryChild.* --gtest_also_run_disabled_tests >/dev/null";
  std::string command = child + " 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0);
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(ReadFile(file), EditorFile("Windows Registry Editor Version 5.00\n\n"
                                       "[HKEY_CURRENT_USER\\Software]\n\n"
                                       "[HKEY_CURRENT_USER\\Software\\Child]\n"
                                       "\"Run0\"=\"done\"\n"
                                       "\"Run1\"=\"done\"\n\n"));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), {}), 1);  // no temporary left

  // A file that does not parse is reported and kept as it was.
  std::ofstream(file, std::ios::trunc) << "garbage\n";
  std::string errCommand = child + " 2>'" + (dir / "err.txt").string() + "'";
  ASSERT_EQ(std::system(errCommand.c_str()), 0);
  EXPECT_EQ(ReadFile(file), "garbage\n");
  EXPECT_NE(ReadFile(dir / "err.txt").find("GLINT_REGISTRY_FILE"), std::string::npos);
}

// FILE.tmp was once the fixed temporary, opened with truncation, so a link of that name
// had the save write through it into another file.
TEST(MemRegistryFile, ALinkAtTheOldTemporaryNameIsLeftAlone) {
  namespace fs = std::filesystem;
  const test_support::TTempDir dir("glint-memreg-link-");
  const std::string file = (dir / "registry.reg").string();
  test_support::PlantLinkToVictim(dir.Path(), file + ".tmp");
  MemRegistryReset();
  TRegKey key;
  ASSERT_EQ(Create(HKEY_CURRENT_USER, "Software\\Saved", key), ERROR_SUCCESS);
  std::string error;
  EXPECT_TRUE(MemRegistrySaveFile(file, &error)) << error;
  EXPECT_EQ(ReadFile(dir / "victim"), test_support::kVictimData);
  EXPECT_TRUE(fs::is_symlink(file + ".tmp"));
  MemRegistryReset();
  EXPECT_TRUE(MemRegistryLoadFile(file, &error)) << error;
  EXPECT_TRUE(MemRegistryKeyExists(HKEY_CURRENT_USER, "Software\\Saved"));
  MemRegistryReset();
}

}  // namespace
}  // namespace glint::win32
