// The monitor's settings and Help/Contents under Wine, driven from another
// process: File/Save Settings stores the real window's place, size, column
// widths and topmost style in the registry as text, the stand-in's next
// monitor window comes back so, and a refused write shows the real error
// box; Help/Contents hands the recorded help file to Wine's help engine.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>
#include <utility>

#include "tests/wine/WineDriver_win.h"

namespace glint::wine {
namespace {

constexpr const char* kBrackenware = "Software\\Brackenware";
constexpr const char* kSection = "Software\\Brackenware\\Glint Monitor Expert";

struct TStored {
  DWORD Type = REG_NONE;
  std::string Text;
  bool operator==(const TStored&) const = default;
};

TStored Stored(const char* name) {
  TStored stored;
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kSection, 0, KEY_READ, &key) != ERROR_SUCCESS) return stored;
  char data[512] = "";
  DWORD size = sizeof data - 1;
  if (RegQueryValueExA(key, name, nullptr, &stored.Type, reinterpret_cast<BYTE*>(data), &size) ==
      ERROR_SUCCESS)
    stored.Text = data;
  RegCloseKey(key);
  return stored;
}

void Store(const char* name, const std::string& text) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kSection, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                            nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                 static_cast<DWORD>(text.size() + 1));
  RegCloseKey(key);
}

// What Save Settings keeps of the real window, read from outside.
struct TShown {
  RECT Bounds{};
  int Widths[4] = {};
  bool Topmost = false;
};

TShown Shown(HWND monitor) {
  TShown shown;
  GetWindowRect(monitor, &shown.Bounds);
  for (int col = 0; col < 4; ++col) shown.Widths[col] = GridInfo(monitor, TGridInfo::ColWidth, col);
  shown.Topmost = (GetWindowLongA(monitor, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
  return shown;
}

void ExpectSame(const TShown& back, const TShown& saved) {
  EXPECT_EQ(back.Bounds.left, saved.Bounds.left);
  EXPECT_EQ(back.Bounds.top, saved.Bounds.top);
  EXPECT_EQ(back.Bounds.right, saved.Bounds.right);
  EXPECT_EQ(back.Bounds.bottom, saved.Bounds.bottom);
  for (int col = 0; col < 4; ++col) EXPECT_EQ(back.Widths[col], saved.Widths[col]) << col;
  EXPECT_EQ(back.Topmost, saved.Topmost);
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

// A visible message box of the process, or nullptr.
HWND VisibleBox(DWORD process) {
  for (HWND box : TopLevelWindows("#32770", process))
    if (IsWindowVisible(box)) return box;
  return nullptr;
}

std::string BoxText(HWND box) {
  char text[1024] = "";
  GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
  return text;
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

void EndProcess(DWORD id) {
  if (!id) return;
  if (HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id)) {
    TerminateProcess(process, 1);
    WaitForSingleObject(process, 10000);
    CloseHandle(process);
  }
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
  TShown saved;
  {
    THostSession host(4, true);
    HWND monitor = WaitForMonitor();
    ASSERT_NE(monitor, nullptr);
    // Moved and sized as the window manager does it.
    ASSERT_TRUE(SetWindowPos(monitor, nullptr, 60, 50, 700, 460, SWP_NOZORDER | SWP_NOACTIVATE));
    const int firstWidth = GridInfo(monitor, TGridInfo::ColWidth, 0);
    DragColumnEdge(monitor, 0, 37);
    ASSERT_EQ(GridInfo(monitor, TGridInfo::ColWidth, 0), firstWidth + 37);
    ASSERT_TRUE(PickFormItem(monitor, "StayOnTop1"));
    saved = Shown(monitor);
    ASSERT_TRUE(saved.Topmost);
    ASSERT_EQ(saved.Bounds.left, 60);
    ASSERT_EQ(saved.Bounds.bottom, 510);

    ASSERT_TRUE(PickFormItem(monitor, "SaveSettings1"));
    const std::pair<const char*, std::string> values[] = {{"Top", "50"},
                                                          {"Left", "60"},
                                                          {"Width", "700"},
                                                          {"Height", "460"},
                                                          {"Col1", std::to_string(saved.Widths[0])},
                                                          {"Col2", std::to_string(saved.Widths[1])},
                                                          {"Col3", std::to_string(saved.Widths[2])},
                                                          {"Col4", std::to_string(saved.Widths[3])},
                                                          {"Font.Color", "-2147483640"},
                                                          {"Font.Height", "-11"},
                                                          {"Font.Name", "MS Sans Serif"},
                                                          {"Font.Pitch", "0"},
                                                          {"Font.Size", "8"},
                                                          {"Font.Style", "0"},
                                                          {"StayOnTop", "1"}};
    for (const auto& [name, text] : values)
      EXPECT_EQ(Stored(name), (TStored{REG_SZ, text})) << name;

    // Moved again and closed without saving: the saved place stays.
    SetWindowPos(monitor, nullptr, 200, 150, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  EXPECT_EQ(Stored("Left").Text, "60");

  THostSession host(4, true);
  HWND monitor = WaitForMonitor();
  ASSERT_NE(monitor, nullptr);
  ExpectSame(Shown(monitor), saved);
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
  Store("HelpFile", file);
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
