// The installer's run over the in-memory registry: what it writes, what it says,
// and what it leaves alone when the registry refuses.
#include "setup/Setup.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/TestSupport.h"
#include "win32api/MemRegistry.h"
#include "win32api/RegFileTestUtil.h"

namespace glint {
namespace {

using namespace win32;
namespace fs = std::filesystem;

constexpr const char* kExperts[] = {"Software\\Borland\\Delphi\\2.0\\Experts",
                                    "Software\\Borland\\Delphi\\3.0\\Experts",
                                    "Software\\Borland\\Delphi\\4.0\\Experts"};

class Setup : public ::testing::Test {
 protected:
  void SetUp() override {
    MemRegistryReset();
    UseDirectory("kit");
  }
  void TearDown() override { MemRegistryReset(); }
  void UseDirectory(const std::string& name) {
    FDir = FRoot / name;
    fs::create_directories(FDir);
  }
  void AddFile(const std::string& name) { std::ofstream(FDir / name) << "MZ"; }
  std::string Dir() const { return FDir.string() + "/"; }
  std::string Run() { return RegisterAddIns(Dir()); }

  static std::optional<TMemValue> Value(const std::string& path, const std::string& name) {
    return MemRegistryValue(HKEY_CURRENT_USER, path, name);
  }
  void ExpectHelpFiles() {
    for (const char* section : {"Glint Monitor", "Glint Monitor Expert"}) {
      auto help = Value(std::string("Software\\Brackenware\\") + section, "HelpFile");
      ASSERT_TRUE(help) << section;
      EXPECT_EQ(help->Type, REG_SZ);
      EXPECT_EQ(help->Text(), Dir() + "Glint.hlp");
      EXPECT_EQ(help->Data.size(), Dir().size() + 9 + 1);
    }
  }

  const test_support::TTempDir FTemp{"glint-setup-"};
  const fs::path& FRoot = FTemp.Path();
  fs::path FDir;
};

TEST_F(Setup, MessageNamesTheBuildsFound) {
  // Bit i set: the build for step i+1 (D2, D3, D4) lies beside the program.
  const char* kMessages[] = {"Nothing to register",
                             "Glint Monitor for D2",
                             "Glint Monitor for D3",
                             "Glint Monitor for D2 and D3",
                             "Glint Monitor for D4 registered!",
                             "Glint Monitor for D2 and D4 registered!",
                             "Glint Monitor for D3 and D4 registered!",
                             "Glint Monitor for D2 and D3 and D4 registered!"};
  for (int present = 0; present < 8; ++present) {
    SCOPED_TRACE(present);
    MemRegistryReset();
    UseDirectory("case" + std::to_string(present));
    for (int i = 0; i < 3; ++i)
      if (present & (1 << i)) AddFile("GlintMonExpert" + std::to_string(i + 2) + ".dll");
    EXPECT_EQ(Run(), kMessages[present]);
    for (int i = 0; i < 3; ++i) {
      std::string base = "GlintMonExpert" + std::to_string(i + 2);
      auto value = Value(kExperts[i], base);
      EXPECT_EQ(value.has_value(), (present & (1 << i)) != 0) << base;
    }
    ExpectHelpFiles();
  }
}

TEST_F(Setup, WritesOnlyTheFoundBuildsValueWithItsFullPath) {
  AddFile("GlintMonExpert4.dll");
  AddFile("Glint.hlp");
  EXPECT_EQ(Run(), "Glint Monitor for D4 registered!");
  std::vector<TMemValue> values = MemRegistryValues(HKEY_CURRENT_USER, kExperts[2]);
  ASSERT_EQ(values.size(), 1u);
  EXPECT_EQ(values[0].Name, "GlintMonExpert4");
  EXPECT_EQ(values[0].Type, REG_SZ);
  std::string path = Dir() + "GlintMonExpert4.dll";
  EXPECT_EQ(values[0].Text(), path);
  EXPECT_EQ(values[0].Data.size(), path.size() + 1);
  EXPECT_TRUE(MemRegistryValues(HKEY_CURRENT_USER, "Software\\Borland\\Delphi\\4.0").empty());
  EXPECT_EQ(MemRegistrySubKeys(HKEY_CURRENT_USER, "Software\\Borland\\Delphi"),
            std::vector<std::string>{"4.0"});
  EXPECT_EQ(MemRegistrySubKeys(HKEY_CURRENT_USER, ""), std::vector<std::string>{"Software"});
  ExpectHelpFiles();
  EXPECT_EQ(MemRegistryOpenHandles(), 0u);
}

TEST_F(Setup, NothingFoundTouchesNoIdeKeyButRecordsTheHelpFile) {
  AddFile("GlintMonExpert5.dll");
  EXPECT_EQ(Run(), "Nothing to register");
  EXPECT_FALSE(MemRegistryKeyExists(HKEY_CURRENT_USER, "Software\\Borland"));
  ExpectHelpFiles();
}

TEST_F(Setup, ADirectoryNamedLikeAnAddInCountsAsPresent) {
  fs::create_directories(FDir / "GlintMonExpert3.dll");
  EXPECT_EQ(Run(), "Glint Monitor for D3");
  EXPECT_EQ(Value(kExperts[1], "GlintMonExpert3")->Text(), Dir() + "GlintMonExpert3.dll");
}

TEST_F(Setup, APathWithSpacesIsWrittenPlain) {
  UseDirectory("Program Files/Glint Kit");
  AddFile("GlintMonExpert2.dll");
  EXPECT_EQ(Run(), "Glint Monitor for D2");
  EXPECT_EQ(Value(kExperts[0], "GlintMonExpert2")->Text(), Dir() + "GlintMonExpert2.dll");
  ExpectHelpFiles();
}

TEST_F(Setup, RunningTwiceGivesTheSameRegistry) {
  AddFile("GlintMonExpert2.dll");
  AddFile("GlintMonExpert4.dll");
  std::string first = Run();
  std::string once = MemRegistryExport();
  EXPECT_EQ(Run(), first);
  EXPECT_EQ(MemRegistryExport(), once);
}

TEST_F(Setup, ExistingIdeSettingsAreKept) {
  ASSERT_TRUE(MemRegistryImport(
      "REGEDIT4\n[HKEY_CURRENT_USER\\Software\\Borland\\Delphi\\3.0\\Experts]\n"
      "\"Other\"=\"C:\\\\Other.dll\"\n\"GlintMonExpert3\"=\"C:\\\\Old\\\\GlintMonExpert3.dll\"\n"));
  AddFile("GlintMonExpert3.dll");
  EXPECT_EQ(Run(), "Glint Monitor for D3");
  std::vector<TMemValue> values = MemRegistryValues(HKEY_CURRENT_USER, kExperts[1]);
  ASSERT_EQ(values.size(), 2u);
  EXPECT_EQ(values[0].Text(), "C:\\Other.dll");
  EXPECT_EQ(values[1].Text(), Dir() + "GlintMonExpert3.dll");
}

TEST_F(Setup, AnIdeKeyThatCannotBeMadeGetsNothingAndIsReported) {
  AddFile("GlintMonExpert2.dll");
  AddFile("GlintMonExpert3.dll");
  MemRegistryDenyKey(HKEY_CURRENT_USER, "Software\\Borland\\Delphi\\3.0");
  EXPECT_EQ(Run(), "Glint Monitor for D2\nCould not register the add-in for D3.");
  // Without an open key the section would have been made under the bare root.
  EXPECT_FALSE(MemRegistryKeyExists(HKEY_CURRENT_USER, "Experts"));
  EXPECT_TRUE(MemRegistryValues(HKEY_CURRENT_USER, "").empty());
  EXPECT_TRUE(Value(kExperts[0], "GlintMonExpert2"));
  ExpectHelpFiles();
  EXPECT_EQ(MemRegistryOpenHandles(), 0u);
}

TEST_F(Setup, AFailedWriteIsNotReportedAsRegistered) {
  AddFile("GlintMonExpert4.dll");
  MemRegistryDenyWrites(HKEY_CURRENT_USER, kExperts[2]);
  EXPECT_EQ(Run(), "Could not register the add-in for D4.");
  AddFile("GlintMonExpert2.dll");
  MemRegistryDenyKey(HKEY_CURRENT_USER, kExperts[0]);
  EXPECT_EQ(Run(), "Could not register the add-in for D2.\nCould not register the add-in for D4.");
  EXPECT_EQ(MemRegistryOpenHandles(), 0u);
}

TEST_F(Setup, HelpFileFailuresAreReported) {
  MemRegistryDenyWrites(HKEY_CURRENT_USER, "Software\\Brackenware\\Glint Monitor Expert");
  EXPECT_EQ(Run(),
            "Nothing to register\nCould not record the help file under \"Glint Monitor Expert\".");
  EXPECT_TRUE(Value("Software\\Brackenware\\Glint Monitor", "HelpFile"));

  MemRegistryReset();
  AddFile("GlintMonExpert3.dll");
  MemRegistryDenyKey(HKEY_CURRENT_USER, "Software\\Brackenware");
  EXPECT_EQ(Run(),
            "Glint Monitor for D3\n"
            "Could not record the help file under \"Glint Monitor\".\n"
            "Could not record the help file under \"Glint Monitor Expert\".");
  EXPECT_FALSE(MemRegistryKeyExists(HKEY_CURRENT_USER, "Glint Monitor"));
}

TEST(SetupPath, ProgramDirectoryKeepsItsSeparator) {
  EXPECT_EQ(ProgramDirectory("C:\\Program Files\\Glint\\Setup.exe"), "C:\\Program Files\\Glint\\");
  EXPECT_EQ(ProgramDirectory("C:Setup.exe"), "C:");
  EXPECT_EQ(ProgramDirectory("\\\\server\\share\\Setup.exe"), "\\\\server\\share\\");
  EXPECT_EQ(ProgramDirectory("/opt/glint kit/Setup"), "/opt/glint kit/");
  EXPECT_EQ(ProgramDirectory("Setup.exe"), "");
}

using regfile_test::EditorFile;
using regfile_test::ReadFile;

// The real program, copied beside an add-in build, keeping its registry in a file.
TEST_F(Setup, ProgramRegistersFromItsOwnDirectory) {
  UseDirectory("Glint Kit");
  AddFile("GlintMonExpert4.dll");
  fs::copy_file(GLINT_SETUP_EXE, FDir / "Setup");
  fs::path reg = FRoot / "registry.reg";
  fs::path out = FRoot / "out.txt";
  std::string command = "cd / && GLINT_REGISTRY_FILE='" + reg.string() + "' '" +
                        (FDir / "Setup").string() + "' >'" + out.string() + "'";
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(ReadFile(out), "Glint Monitor Registration\nGlint Monitor for D4 registered!\n");
  std::string dir = Dir();
  EXPECT_EQ(ReadFile(reg),
            EditorFile("Windows Registry Editor Version 5.00\n\n"
                       "[HKEY_CURRENT_USER\\Software]\n\n"
                       "[HKEY_CURRENT_USER\\Software\\Borland]\n\n"
                       "[HKEY_CURRENT_USER\\Software\\Borland\\Delphi]\n\n"
                       "[HKEY_CURRENT_USER\\Software\\Borland\\Delphi\\4.0]\n\n"
                       "[HKEY_CURRENT_USER\\Software\\Borland\\Delphi\\4.0\\Experts]\n"
                       "\"GlintMonExpert4\"=\"" +
                       dir +
                       "GlintMonExpert4.dll\"\n\n"
                       "[HKEY_CURRENT_USER\\Software\\Brackenware]\n\n"
                       "[HKEY_CURRENT_USER\\Software\\Brackenware\\Glint Monitor]\n"
                       "\"HelpFile\"=\"" +
                       dir +
                       "Glint.hlp\"\n\n"
                       "[HKEY_CURRENT_USER\\Software\\Brackenware\\Glint Monitor Expert]\n"
                       "\"HelpFile\"=\"" +
                       dir + "Glint.hlp\"\n\n"));
  // A second run over the saved file changes nothing.
  std::string once = ReadFile(reg);
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(ReadFile(reg), once);
}

std::string Levels(int count) {
  std::string path;
  for (int i = 0; i < count; ++i) path += "\\k";
  return path;
}

// A registry Setup cannot load is never written, and one it cannot save is not reported as
// saved: either way nothing is reported registered, and the run fails after its message box,
// with the file's name and line said once.
TEST_F(Setup, ProgramFailsWhenTheRegistryCannotBeLoadedOrSaved) {
  const std::string header = "Windows Registry Editor Version 5.00\n\n";
  const struct {
    const char* Name;
    std::string File;  // the registry file's text; empty: no file, in a missing folder
    const char* Error;
    const char* Code;
  } kCases[] = {
      {"type beyond 64 bits", header + "[HKEY_CURRENT_USER\\A]\n\"t\"=hex(10000000000000000):00\n",
       "registry.reg: line 4: value type 10000000000000000 does not fit 32 bits", "1009"},
      {"type beyond 32 bits", header + "[HKEY_CURRENT_USER\\A]\n\"t\"=hex(100000001):00\n",
       "registry.reg: line 4: value type 100000001 does not fit 32 bits", "1009"},
      {"empty key part", header + "[HKEY_CURRENT_USER\\\\Lost]\n\"t\"=\"x\"\n",
       "registry.reg: line 3: a key name with an empty part", "1009"},
      {"deeper than Windows allows", header + "[HKEY_CURRENT_USER" + Levels(20000) + "]\n",
       "registry.reg: line 3: a key more than 512 levels below its root", "1009"},
      {"unwritable", "", "cannot create a temporary file beside", "1016"},
  };
  AddFile("GlintMonExpert4.dll");
  fs::copy_file(GLINT_SETUP_EXE, FDir / "Setup");
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.Name);
    fs::path reg = FRoot / "registry.reg";
    if (c.File.empty()) {
      reg = FRoot / "missing" / "registry.reg";
    } else {
      std::ofstream(reg, std::ios::binary) << c.File;
    }
    const fs::path out = FRoot / "out.txt", err = FRoot / "err.txt";
    const std::string command = "GLINT_REGISTRY_FILE='" + reg.string() + "' '" +
                                (FDir / "Setup").string() + "' >'" + out.string() + "' 2>'" +
                                err.string() + "'";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    const std::string error = ReadFile(err);
    const std::size_t at = error.find(c.Error);
    EXPECT_NE(at, std::string::npos) << error;
    EXPECT_EQ(error.find(c.Error, at + 1), std::string::npos) << "said twice: " << error;
    EXPECT_EQ(ReadFile(out), std::string("Glint Monitor Registration\n"
                                         "Could not save the registry (error ") +
                                 c.Code + ").\n");
    if (!c.File.empty()) {
      EXPECT_EQ(ReadFile(reg), c.File);
    }
  }
  EXPECT_FALSE(fs::exists(FRoot / "missing"));
}

}  // namespace
}  // namespace glint
