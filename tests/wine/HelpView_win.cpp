// glint_wine_help_view COMMAND...: drives Wine's help viewer (winhlp32) from
// outside, for tests/wine/help-viewer.sh, which takes the screenshots between
// the commands.
//
//   open FILE FIRST_LINE   opens FILE at its contents page as the monitor's
//                          Help/Contents does (WinHelp, HELP_CONTENTS) and
//                          waits until the viewer shows a page beginning with
//                          FIRST_LINE; fails as soon as the viewer shows a
//                          message box instead. Prints the window's screen
//                          rectangle as "X Y WIDTH HEIGHT".
//   jump TEXT FIRST_LINE   clicks the jump shown as TEXT and waits for the
//                          page beginning with FIRST_LINE.
//   close                  closes the viewer and waits for it to end.
//
// The page is read through the viewer's text window with WM_GETTEXT; a jump
// is found there and clicked at the position the text window gives for it.
#include <cstdio>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>

#include "tests/wine/WineDriver_win.h"

namespace glint::wine {
namespace {

// The visible viewer window, or nullptr. (Started by WinHelp, the viewer
// keeps the caption it had before it was given a file: "Wine Help".)
HWND Viewer() {
  for (HWND window : TopLevelWindows("MS_WINHELP"))
    if (IsWindowVisible(window)) return window;
  return nullptr;
}

// A visible message box of the viewer's process, or nullptr.
HWND ErrorBox() {
  for (HWND viewer : TopLevelWindows("MS_WINHELP")) {
    DWORD process = 0;
    GetWindowThreadProcessId(viewer, &process);
    for (HWND box : TopLevelWindows("#32770", process))
      if (IsWindowVisible(box)) return box;
  }
  return nullptr;
}

std::string FirstLine(const std::string& text) {
  return text.substr(0, text.find_first_of("\r\n"));
}

// Runs `action`, which may wait on the viewer, on a thread of its own while
// this one waits for the viewer to show a page beginning with `firstLine`.
// A message box that the viewer shows instead is read and answered (which
// ends the action's wait) and its text thrown.
HWND ActAndWaitForPage(const std::function<void()>& action, const std::string& firstLine) {
  std::thread worker(action);
  HWND viewer = nullptr, box = nullptr;
  WaitFor(
      [&] {
        if ((box = ErrorBox())) return true;
        viewer = Viewer();
        return viewer && FirstLine(HelpPageText(viewer)) == firstLine;
      },
      60000);
  if (box) {
    char text[1024] = "";
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    const std::string caption = WindowText(box);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    worker.join();
    throw std::runtime_error("the viewer shows a message box: " + caption + ": " + text);
  }
  const std::string shown = viewer ? FirstLine(HelpPageText(viewer)) : "";
  if (!viewer || shown != firstLine) {
    worker.detach();  // may wait on the viewer for good; the process ends anyway
    throw std::runtime_error(viewer ? "the viewer shows '" + shown + "', not '" + firstLine + "'"
                                    : "no viewer window");
  }
  worker.join();
  return viewer;
}

void Open(const std::string& file, const std::string& firstLine) {
  const std::string path = WinPath(file);
  HWND viewer =
      ActAndWaitForPage([path] { WinHelpA(nullptr, path.c_str(), HELP_CONTENTS, 0); }, firstLine);
  RECT r{};
  GetWindowRect(viewer, &r);
  std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
}

// A left click on the jump that shows `shown`, where the text window puts it.
void Jump(const std::string& shown, const std::string& firstLine) {
  HWND viewer = Viewer();
  if (!viewer) throw std::runtime_error("no viewer window");
  HWND text = GetDlgItem(viewer, kHelpTextWindowId);
  const std::string page = HelpPageText(viewer);
  const std::size_t at = page.find(shown);
  if (at == std::string::npos) throw std::runtime_error("the page shows no '" + shown + "'");
  // Character positions count a paragraph end once; WM_GETTEXT gives CR LF.
  WPARAM position = 0;
  for (std::size_t i = 0; i < at; ++i)
    if (!(page[i] == '\r' && i + 1 < page.size() && page[i + 1] == '\n')) ++position;
  // The jump's second character, a little inside it: the viewer takes the
  // character nearest the pointer.
  const LRESULT point = SendMessageA(text, EM_POSFROMCHAR, position + 1, 0);
  const LPARAM click = MAKELPARAM(LOWORD(point) + 2, HIWORD(point) + 4);
  ActAndWaitForPage(
      [text, click] {
        SendMessageA(text, WM_LBUTTONDOWN, MK_LBUTTON, click);
        SendMessageA(text, WM_LBUTTONUP, 0, click);
      },
      firstLine);
}

void Close() {
  HWND viewer = Viewer();
  if (!viewer) return;
  DWORD id = 0;
  GetWindowThreadProcessId(viewer, &id);
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, id);
  PostMessageA(viewer, WM_CLOSE, 0, 0);
  if (process) {
    const DWORD ended = WaitForSingleObject(process, 20000);
    CloseHandle(process);
    if (ended != WAIT_OBJECT_0) throw std::runtime_error("the viewer did not end");
  }
}

}  // namespace
}  // namespace glint::wine

int main(int argc, char** argv) {
  using namespace glint::wine;
  const std::string command = argc > 1 ? argv[1] : "";
  try {
    if (command == "open" && argc == 4) {
      Open(argv[2], argv[3]);
    } else if (command == "jump" && argc == 4) {
      Jump(argv[2], argv[3]);
    } else if (command == "close" && argc == 2) {
      Close();
    } else {
      std::fprintf(stderr,
                   "usage: glint_wine_help_view open FILE FIRST_LINE | jump TEXT FIRST_LINE | "
                   "close\n");
      return 2;
    }
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "glint_wine_help_view %s: %s\n", command.c_str(), e.what());
    return 1;
  }
}
