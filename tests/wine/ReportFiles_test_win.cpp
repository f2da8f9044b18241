// File/Save As, File/Open and Help/About of the real monitor window under
// Wine, driven from another process as a user drives them: the common file
// dialogs are filled in and confirmed, the About box is photographed and
// closed with its OK button.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/wine/WineDriver_win.h"

namespace glint::wine {
namespace {

constexpr DWORD kWait = 20000;

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string Report(const std::string& rows) {
  return "Report on     : C:\\Files.exe\r\n--------\r\nCreated at : 09.12.2026 10:02:11\r\n\r\n"
         "Peak  : 7 pointers\r\nPeak memory: 900 bytes\r\n\r\nLeaked allocations:\r\n--------\r\n" +
         rows + "\r\nUnit Map:\r\nMain C:\\src\\Main.pas\r\n";
}
const std::string kFirst =
    Report("Main 12 64 o: TStringList\r\n Main 80\r\n\r\nMain 40 16 s: x\r\n");
const std::string kSecond = Report("Main 7 512 m: 00 01\r\n");

BOOL CALLBACK CollectChild(HWND window, LPARAM found) {
  reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
  return TRUE;
}

std::vector<HWND> Children(HWND parent) {
  std::vector<HWND> found;
  EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&found));
  return found;
}

// A visible top-level window of the process with this class (and caption).
HWND WaitForWindow(DWORD processId, const char* className, const char* caption = nullptr) {
  HWND found = nullptr;
  WaitFor(
      [&] {
        for (HWND window : TopLevelWindows(className, processId))
          if (IsWindowVisible(window) && (!caption || WindowText(window) == caption))
            found = window;
        return found != nullptr;
      },
      kWait);
  return found;
}

// Presses a dialog's button as its click does. Posted: what follows (a
// save, another dialog) runs inside the dialog's handler.
void PressButton(HWND dialog, int id) {
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// The texts of a file dialog's type box (cmb1), read as wide text: Wine
// hands another process the dialog's own wide strings unconverted.
std::vector<std::string> FileTypes(HWND dialog) {
  HWND types = GetDlgItem(dialog, 0x470);
  std::vector<std::string> texts;
  for (LRESULT i = 0, n = SendMessageW(types, CB_GETCOUNT, 0, 0); i < n; ++i) {
    wchar_t text[256] = L"";
    SendMessageW(types, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
    texts.emplace_back(text, text + wcslen(text));
  }
  return texts;
}

class WineReportFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH], file[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    GetTempFileNameA(temp, "glf", 0, file);
    DeleteFileA(file);
    Folder = file;
    ASSERT_TRUE(CreateDirectoryA(Folder.c_str(), nullptr));
    RegisterExpert(4);
    Host = std::make_unique<THostSession>(4, true);
    Monitor = WaitForMonitor();
    ASSERT_NE(Monitor, nullptr);
    Deliver(kFirst);
  }
  void TearDown() override {
    Host.reset();
    for (const char* name : {"sent.gln", "saved.gln"}) DeleteFileA(Path(name).c_str());
    RemoveDirectoryA(Folder.c_str());
  }

  std::string Path(const std::string& name) const { return Folder + "\\" + name; }
  void Deliver(const std::string& text) {
    std::ofstream(Path("sent.gln"), std::ios::binary) << text;
    ASSERT_EQ(SendWithGlint(Path("sent.gln")), 0);
  }
  // Answered once the monitor's current handler has returned.
  bool MonitorIdle() {
    DWORD_PTR answer = 0;
    return SendMessageTimeoutA(Monitor, WM_NULL, 0, 0, SMTO_NORMAL, kWait, &answer) != 0;
  }
  // Picks a File item and types `name` into the file name box of the
  // dialog it opens: an edit with the id edt1, or inside the combo cmb13.
  HWND FileDialog(const char* item, const char* caption, const std::string& name) {
    if (!PostFormItem(Monitor, item)) throw std::runtime_error(std::string("no item ") + item);
    HWND dialog = WaitForWindow(Host->ProcessId(), "#32770", caption), edit = nullptr;
    for (HWND child : dialog ? Children(dialog) : std::vector<HWND>{}) {
      char name[16] = "";
      GetClassNameA(child, name, sizeof name);
      if (std::string(name) == "Edit" &&
          (GetDlgCtrlID(child) == 0x480 || GetDlgCtrlID(GetParent(child)) == 0x47C))
        edit = child;
    }
    if (!edit) throw std::runtime_error(std::string("no file name box in ") + caption);
    SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()));
    return dialog;
  }

  std::string Folder;
  std::unique_ptr<THostSession> Host;
  HWND Monitor = nullptr;
};

TEST_F(WineReportFiles, SaveAsAndOpenRoundTripThroughTheCommonDialogs) {
  // A name typed without extension gets the default one.
  HWND dialog = FileDialog("SaveAs1", "Save As", Path("saved"));
  PressButton(dialog, IDOK);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); }, kWait) && MonitorIdle());
  EXPECT_EQ(ReadBytes(Path("saved.gln")), kFirst);

  // Saving over it asks first; Yes replaces it.
  Deliver(kSecond);
  const TMonitorView second = ReadMonitor(Monitor);
  dialog = FileDialog("SaveAs1", "Save As", Path("saved.gln"));
  PressButton(dialog, IDOK);
  HWND ask = nullptr;
  ASSERT_TRUE(WaitFor(
      [&] {
        for (HWND box : TopLevelWindows("#32770", Host->ProcessId()))
          if (box != dialog && IsWindowVisible(box) && GetDlgItem(box, IDYES)) ask = box;
        return ask != nullptr;
      },
      kWait));
  EXPECT_EQ(ReadBytes(Path("saved.gln")), kFirst);
  PressButton(ask, IDYES);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); }, kWait) && MonitorIdle());
  EXPECT_EQ(ReadBytes(Path("saved.gln")), kSecond);

  // Open brings the saved report back in place of the one shown.
  Deliver(kFirst);
  dialog = FileDialog("Open1", "Open", Path("saved.gln"));
  EXPECT_EQ(FileTypes(dialog), (std::vector<std::string>{"Glint Reports", "All Files"}));
  PressButton(dialog, IDOK);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); }, kWait) && MonitorIdle());
  const TMonitorView opened = ReadMonitor(Monitor);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(opened.Edits[i], second.Edits[i]);
  EXPECT_EQ(opened.Cells, second.Cells);
}

// True once neither the window nor a child of it waits for a repaint.
bool Painted(HWND window) {
  std::vector<HWND> all = Children(window);
  all.push_back(window);
  return std::none_of(all.begin(), all.end(),
                      [](HWND one) { return GetUpdateRect(one, nullptr, FALSE); });
}

// A region of the screen photographed by ImageMagick on the host (Wine starts
// host programs too, but gives no handle to wait on): the picture gets its
// name only once it is written whole.
bool Screenshot(const RECT& area, const std::string& hostPath) {
  const std::string crop = std::to_string(area.right - area.left) + "x" +
                           std::to_string(area.bottom - area.top) + "+" +
                           std::to_string(area.left) + "+" + std::to_string(area.top);
  const std::string dir = hostPath.substr(0, hostPath.rfind('/'));
  // Gone before the program starts, so an older picture is never taken for it.
  DeleteFileA(WinPath(hostPath).c_str());
  std::string command = "/bin/sh -c \"mkdir -p '" + dir + "' && import -window root -crop " + crop +
                        " +repage '" + hostPath + ".tmp.png' && mv '" + hostPath + ".tmp.png' '" +
                        hostPath + "'\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &info))
    return false;
  return WaitFor([&] { return std::ifstream(WinPath(hostPath)).good(); }, kWait);
}

TEST_F(WineReportFiles, AboutBoxIsModalShowsTheVersionAndClosesWithItsOKButton) {
  ASSERT_TRUE(PostFormItem(Monitor, "About1"));
  HWND about = WaitForWindow(Host->ProcessId(), "TAboutBox");
  ASSERT_NE(about, nullptr);
  EXPECT_EQ(WindowText(FindControl(about, "Version")), "v. 2.08");
  EXPECT_EQ(GetWindow(about, GW_OWNER), Monitor);
  EXPECT_FALSE(IsWindowEnabled(Monitor) || IsWindowEnabled(Host->MainWindow()));

  ASSERT_TRUE(WaitFor([&] { return Painted(about) && Painted(Monitor); }, kWait));
  DWORD_PTR answer = 0;
  ASSERT_TRUE(SendMessageTimeoutA(about, WM_NULL, 0, 0, SMTO_NORMAL, kWait, &answer));
  RECT monitor, box, both;
  GetWindowRect(Monitor, &monitor);
  GetWindowRect(about, &box);
  UnionRect(&both, &monitor, &box);
  EXPECT_TRUE(Screenshot(both, Env("GLINT_BUILD_DIR") + "/screenshots/about-box.png"));

  HWND ok = FindControl(about, "OKButton");
  ASSERT_NE(ok, nullptr);
  PostMessageA(ok, BM_CLICK, 0, 0);
  EXPECT_TRUE(WaitFor([&] { return !IsWindow(about); }, kWait) && MonitorIdle());
  EXPECT_TRUE(IsWindowEnabled(Monitor) && IsWindowEnabled(Host->MainWindow()));
}

}  // namespace
}  // namespace glint::wine
