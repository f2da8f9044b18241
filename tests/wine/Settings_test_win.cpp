// The monitor's settings and Help/Contents under Wine, driven from another
// process: File/Save Settings stores the real window's place, size, column
// widths and topmost style in the registry as text, the stand-in's next
// monitor window comes back so (a maximised one as it was before), and a
// refused write shows the real error box; Help/Contents hands the recorded
// help file to Wine's help engine.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>

#include "tests/wine/WineDriver_win.h"

namespace glint::wine {
namespace {

constexpr const char* kBrackenware = "Software\\Brackenware";
constexpr const char* kSection = "Software\\Brackenware\\Glint Monitor Expert";

// Every setting as "Name=text;...", in the stored order; a value that is
// not REG_SZ shows as "Name:type".
std::string StoredValues() {
  std::string all;
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kSection, 0, KEY_READ, &key) != ERROR_SUCCESS) return all;
  for (const char* name :
       {"Top", "Left", "Width", "Height", "Col1", "Col2", "Col3", "Col4", "Font.Color",
        "Font.Height", "Font.Name", "Font.Pitch", "Font.Size", "Font.Style", "StayOnTop"}) {
    char data[512] = "";
    DWORD type = REG_NONE, size = sizeof data - 1;
    RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    all += (all.empty() ? "" : ";") + std::string(name) +
           (type == REG_SZ ? "=" + std::string(data) : ":" + std::to_string(type));
  }
  RegCloseKey(key);
  return all;
}

void StoreHelpFile(const std::string& file) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kSection, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                            nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(key, "HelpFile", 0, REG_SZ, reinterpret_cast<const BYTE*>(file.c_str()),
                 static_cast<DWORD>(file.size() + 1));
  RegCloseKey(key);
}

// What Save Settings keeps of the real window, read from outside.
std::string Shown(HWND monitor) {
  RECT r{};
  GetWindowRect(monitor, &r);
  std::string shown = "bounds " + std::to_string(r.left) + "," + std::to_string(r.top) + "," +
                      std::to_string(r.right) + "," + std::to_string(r.bottom) + " widths";
  for (int col = 0; col < 4; ++col)
    shown += " " + std::to_string(GridInfo(monitor, TGridInfo::ColWidth, col));
  const bool topmost = (GetWindowLongA(monitor, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
  return shown + (topmost ? " topmost" : "");
}

// Drags the right edge of a column's title by `dx` pixels, as a user sizes it.
void DragColumnEdge(HWND monitor, int col, int dx) {
  const int line = GridInfo(monitor, TGridInfo::GridLineWidth);
  int right = 0;
  for (int c = 0; c < col; ++c) right += GridInfo(monitor, TGridInfo::ColWidth, c) + line;
  right += GridInfo(monitor, TGridInfo::ColWidth, col);
  HWND grid = GridWindow(monitor);
  SendMessageA(grid, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(right, 5));
  SendMessageA(grid, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(right + dx, 5));
  SendMessageA(grid, WM_LBUTTONUP, 0, MAKELPARAM(right + dx, 5));
}

// Picks a form's item whose handling waits on a message box: the pick's
// message returns only once the box is answered, so it runs on a thread of
// its own. Waits for `findBox` to find the box, reads its text and answers
// it. Without a box within a minute, `unblock` must end whatever holds the
// pick; the text is then "".
std::string PickAnsweringBox(HWND form, const std::string& item,
                             const std::function<HWND()>& findBox, WPARAM answer,
                             const std::function<void()>& unblock) {
  std::thread pick([form, item] { PickFormItem(form, item); });
  HWND box = nullptr;
  std::string text;
  if (WaitFor([&] { return (box = findBox()) != nullptr; }, 60000)) {
    text = BoxText(box);
    PostMessageA(box, WM_COMMAND, answer, 0);
  } else {
    unblock();
  }
  pick.join();
  return text;
}

class WineSettings : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterExpert(4);
    RegDeleteTreeA(HKEY_CURRENT_USER, kBrackenware);
  }
  void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, kBrackenware); }
};

TEST_F(WineSettings, SavedWindowComesBackInTheNextSessionAndClosingSavesNothing) {
  // The pointer keeps clear of the monitor: Wine tells a window moved under
  // the pointer where the pointer is, which would size the column there.
  SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
  std::string saved;
  {
    THostSession host(4, true);
    HWND monitor = WaitForMonitor();
    ASSERT_NE(monitor, nullptr);
    // Moved and sized as the window manager does it.
    ASSERT_TRUE(SetWindowPos(monitor, nullptr, 60, 50, 700, 460, SWP_NOZORDER | SWP_NOACTIVATE));
    const int first = GridInfo(monitor, TGridInfo::ColWidth, 0);
    DragColumnEdge(monitor, 0, 37);
    ASSERT_TRUE(PickFormItem(monitor, "StayOnTop1"));
    ASSERT_EQ(GridInfo(monitor, TGridInfo::ColWidth, 0), first + 37);
    std::string widths, stored;
    for (int col = 0; col < 4; ++col) {
      const std::string width = std::to_string(GridInfo(monitor, TGridInfo::ColWidth, col));
      widths += " " + width;
      stored += ";Col" + std::to_string(col + 1) + "=" + width;
    }
    saved = Shown(monitor);
    ASSERT_EQ(saved, "bounds 60,50,760,510 widths" + widths + " topmost");

    ASSERT_TRUE(PickFormItem(monitor, "SaveSettings1"));
    const std::string rest =
        ";Font.Color=-2147483640;Font.Height=-11;Font.Name=MS Sans Serif;Font.Pitch=0;"
        "Font.Size=8;Font.Style=0;StayOnTop=1";
    EXPECT_EQ(StoredValues(), "Top=50;Left=60;Width=700;Height=460" + stored + rest);

    // Moved again and closed without saving: the saved values stay.
    SetWindowPos(monitor, nullptr, 200, 150, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  EXPECT_NE(StoredValues().find("Left=60;"), std::string::npos);

  THostSession host(4, true);
  HWND monitor = WaitForMonitor();
  ASSERT_NE(monitor, nullptr);
  EXPECT_EQ(Shown(monitor), saved);
}

// Maximised, and then minimised from there, the window stores the bounds
// it goes back to.
TEST_F(WineSettings, MaximisedOrMinimisedWindowSavesItsRestoredBounds) {
  THostSession host(4, true);
  HWND monitor = WaitForMonitor();
  ASSERT_NE(monitor, nullptr);
  ASSERT_TRUE(SetWindowPos(monitor, nullptr, 60, 50, 700, 460, SWP_NOZORDER | SWP_NOACTIVATE));
  for (WPARAM command : {SC_MAXIMIZE, SC_MINIMIZE}) {
    SendMessageA(monitor, WM_SYSCOMMAND, command, 0);
    ASSERT_TRUE(command == SC_MAXIMIZE ? IsZoomed(monitor) : IsIconic(monitor));
    RegDeleteTreeA(HKEY_CURRENT_USER, kBrackenware);
    ASSERT_TRUE(PickFormItem(monitor, "SaveSettings1"));
    EXPECT_EQ(StoredValues().substr(0, 35), "Top=50;Left=60;Width=700;Height=460");
  }
}

TEST_F(WineSettings, RefusedSaveShowsTheErrorNamingTheKeyAndTheWindowGoesOn) {
  // A volatile key takes no lasting subkeys, so the section cannot be made.
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kBrackenware, 0, nullptr, REG_OPTION_VOLATILE,
                            KEY_WRITE, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(key);
  THostSession host(4, true);
  HWND monitor = WaitForMonitor();
  ASSERT_NE(monitor, nullptr);
  const std::string text = PickAnsweringBox(
      monitor, "SaveSettings1", [&] { return VisibleBox(host.ProcessId()); }, IDOK, [] {});
  EXPECT_EQ(text, std::string("Failed to set data for 'Top' in HKEY_CURRENT_USER\\") + kSection);
  EXPECT_TRUE(host.Running());
  ASSERT_TRUE(PickFormItem(monitor, "StayOnTop1"));
  EXPECT_NE(GetWindowLongA(monitor, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
}

// Wine's help engine (winhlp32) gets the file from WinHelp and, since it is
// not there, says so in a box that names it: proof the engine was asked for
// that very file.
TEST_F(WineSettings, HelpContentsHandsTheRecordedFileToTheHelpEngine) {
  const std::string file = "C:\\Glint Kit\\Glint.hlp";
  StoreHelpFile(file);
  THostSession host(4, true);
  HWND monitor = WaitForMonitor();
  ASSERT_NE(monitor, nullptr);
  DWORD engine = 0;
  const auto engineBox = [&]() -> HWND {
    for (HWND help : TopLevelWindows("MS_WINHELP")) {
      GetWindowThreadProcessId(help, &engine);
      if (HWND box = VisibleBox(engine)) return box;
    }
    return nullptr;
  };
  const std::string text =
      PickAnsweringBox(monitor, "Contents1", engineBox, IDNO, [&] { EndProcess(engine); });
  EndProcess(engine);
  ASSERT_NE(engine, 0u) << "no help engine window";
  EXPECT_NE(text.find("'" + file + "'"), std::string::npos) << text;
  EXPECT_TRUE(host.Running());
}

}  // namespace
}  // namespace glint::wine
