// The Windows kit as a user meets it: unpacked from its ZIP (by kit-test.sh)
// into a folder whose name holds a space, Setup.exe run from there, then the
// IDE stand-in loads the add-in Setup registered, shows a report sent to
// it, and Help/Contents opens the kit's own help file.
#include <gtest/gtest.h>

#include <string>

#include "tests/wine/WineDriver_win.h"

namespace glint::wine {
namespace {

void ForgetRegistrations() {
  RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Borland");
  RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Brackenware");
}

std::string StoredText(const char* keyName, const char* valueName) {
  char data[1024] = "";
  DWORD size = sizeof data - 1;
  if (RegGetValueA(HKEY_CURRENT_USER, keyName, valueName, RRF_RT_REG_SZ, nullptr, data, &size) !=
      ERROR_SUCCESS)
    return "(missing)";
  return data;
}

class WineKit : public ::testing::Test {
 protected:
  // Other tests register the build's own add-in; only the kit's may load here,
  // and it must not stay registered for them.
  void SetUp() override { ForgetRegistrations(); }
  void TearDown() override { ForgetRegistrations(); }
};

TEST_F(WineKit, SetupRegistersTheUnpackedKitAndTheIdeRunsIt) {
  const std::string kit = WinPath(Env("GLINT_KIT_DIR"));
  ASSERT_NE(kit.find(' '), std::string::npos) << kit;

  // Setup: one box that names every build it registered; OK ends it.
  TProcess setup("\"" + kit + "\\Setup.exe\"");
  HWND box = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (box = VisibleBox(setup.Id())) != nullptr; }, 60000))
      << "Setup.exe showed no message box";
  EXPECT_EQ(WindowText(box), "Glint Monitor Registration");
  EXPECT_EQ(BoxText(box), "Glint Monitor for D2 and D3 and D4 registered!");
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  ASSERT_EQ(setup.Wait(20000), 0);
  for (int ide = 2; ide <= 4; ++ide) {
    const std::string n = std::to_string(ide);
    EXPECT_EQ(StoredText(("Software\\Borland\\Delphi\\" + n + ".0\\Experts").c_str(),
                         ("GlintMonExpert" + n).c_str()),
              kit + "\\GlintMonExpert" + n + ".dll");
  }
  const std::string helpFile = kit + "\\Glint.hlp";
  EXPECT_EQ(StoredText("Software\\Brackenware\\Glint Monitor Expert", "HelpFile"), helpFile);

  // The stand-in loads what Setup registered; a sent report shows.
  THostSession host(4, true);
  HWND monitor = WaitForMonitor();
  ASSERT_NE(monitor, nullptr) << "the kit's add-in did not open its window";
  ASSERT_EQ(SendWithGlint(SamplePath("inventory.gln")), 0);
  const TMonitorView view = ReadMonitor(monitor);
  EXPECT_NE(view.Edits[0].find("Inventory.exe"), std::string::npos) << view.Edits[0];
  EXPECT_GT(view.RowCount, 2);

  // Help/Contents: Wine's help engine opens the kit's help file at its
  // contents page, without an error box.
  ASSERT_TRUE(PostFormItem(monitor, "Contents1"));
  std::string page, error;
  DWORD engine = 0;
  WaitFor(
      [&] {
        for (HWND viewer : TopLevelWindows("MS_WINHELP")) {
          GetWindowThreadProcessId(viewer, &engine);
          if (HWND box = VisibleBox(engine)) error = BoxText(box);
          if (IsWindowVisible(viewer)) page = HelpPageText(viewer);
        }
        return !error.empty() || page.rfind("Glint Monitor Help", 0) == 0;
      },
      30000);
  EndProcess(engine);
  EXPECT_EQ(error, "");
  EXPECT_EQ(page.substr(0, page.find_first_of("\r\n")), "Glint Monitor Help");
  EXPECT_TRUE(host.Running());
}

}  // namespace
}  // namespace glint::wine
