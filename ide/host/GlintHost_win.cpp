// GlintHost.exe: plays the IDE for one version so the add-in can be loaded,
// picked from a real menu bar and fed reports without the IDE itself.
//
// It reads every value under "Software\Borland\Delphi\<version>.0\Experts"
// of the current user, loads each library named there and calls its
// INITEXPERT0017 with the TIdeHost's services object. The host's menu tree
// becomes the window's menu bar (rebuilt whenever an add-in changes it).
// Errors an add-in reports are shown in a message box and written to
// standard error; the host's own problems (a library that does not load)
// only go to standard error, so automated runs never block on them.
//
// Every file the editor opens (by an add-in's OpenFile, or --open) gets its
// own top-level window of class "TGlintHostEditor", owned by the main
// window and captioned "<file name> - Line <cursor line>". It shows the text
// from the view's top line on, the cursor line highlighted with a caret bar
// at the cursor column, and the lines of a visible block shaded; the rows
// that fit in it are the view's size. ShowSource brings it to the front;
// closing it closes the file. Another process reads its state by sending it
// the registered message "Glint.Host.EditorState" with wParam 0 cursor line,
// 1 cursor column, 2 top line, 3 visible rows, 4 first and 5 last line of
// the visible block (0 for both without one); -1 for another wParam.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "ide/IdeHost.h"
#include "ui/win32/Handles.h"
#include "ui/win32/MenuBuild.h"

namespace glint {
namespace {

constexpr char kWindowClass[] = "TGlintHost";
constexpr char kEditorClass[] = "TGlintHostEditor";
constexpr UINT_PTR kQuitTimer = 1;
constexpr UINT_PTR kOpenMonitorTimer = 2;

struct TOptions {
  int Ide = 4;
  bool OpenMonitor = false;
  bool ListMenu = false;
  int QuitAfterSeconds = 0;
  std::vector<std::string> OpenFiles;
};

TIdeHost* gHost = nullptr;
HWND gMainWindow = nullptr;
TOptions gOptions;
// The editor windows, by the name of the file each shows.
std::map<std::string, HWND> gEditorWindows;

const char kUsage[] =
    "Usage: GlintHost [--ide 2|3|4] [--open-monitor] [--quit-after SECONDS] [--list-menu]\n"
    "                 [--open FILE]...\n"
    "Plays the IDE: loads the add-ins registered under\n"
    "HKEY_CURRENT_USER\\Software\\Borland\\Delphi\\<ide>.0\\Experts and shows a main menu.\n"
    "  --ide N             IDE version whose add-ins to load (default 4)\n"
    "  --open-monitor      pick \"Glint Monitor\" once the add-ins are loaded\n"
    "  --quit-after SECS   close after SECS seconds\n"
    "  --list-menu         print the View menu as name=caption lines and quit\n"
    "  --open FILE         open FILE in an editor window (repeatable)\n"
    "Another program can get a menu item's command identifier (to send WM_COMMAND) by\n"
    "sending the main window (class TGlintHost) the registered message\n"
    "\"Glint.Host.ItemId\" with a global atom of the item's name.\n"
    "Each open file has an editor window (class TGlintHostEditor); the registered\n"
    "message \"Glint.Host.EditorState\" sent to it answers, for wParam 0..5: cursor line,\n"
    "cursor column, top line, visible rows, first and last line of the visible block\n"
    "(0 without one).\n";

bool ParseOptions(int argc, char** argv, TOptions& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      std::exit(0);
    } else if (arg == "--ide" && i + 1 < argc) {
      options.Ide = std::atoi(argv[++i]);
      if (options.Ide < 2 || options.Ide > 4) {
        std::fprintf(stderr, "GlintHost: --ide takes 2, 3 or 4, not %s\n", argv[i]);
        return false;
      }
    } else if (arg == "--open-monitor") {
      options.OpenMonitor = true;
    } else if (arg == "--list-menu") {
      options.ListMenu = true;
    } else if (arg == "--open" && i + 1 < argc) {
      options.OpenFiles.push_back(argv[++i]);
    } else if (arg == "--quit-after" && i + 1 < argc) {
      options.QuitAfterSeconds = std::atoi(argv[++i]);
      if (options.QuitAfterSeconds <= 0) {
        std::fprintf(stderr, "GlintHost: --quit-after takes a positive number of seconds\n");
        return false;
      }
    } else {
      std::fprintf(stderr, "GlintHost: unknown option '%s'\n%s", arg.c_str(), kUsage);
      return false;
    }
  }
  return true;
}

// How the host's menu items show; an item's command identifier is its Id.
struct THostMenuLines {
  int Count(const TIdeMenuItem& item) const { return static_cast<int>(item.Items.size()); }
  TIdeMenuItem& Child(const TIdeMenuItem& item, int index) const {
    return *item.Items[static_cast<std::size_t>(index)];
  }
  TMenuLine Line(const TIdeMenuItem& item) const {
    return {.Caption = item.Caption,
            .Submenu = !item.Items.empty(),
            .Visible = (item.Flags & mfVisible) != 0,
            .Enabled = (item.Flags & mfEnabled) != 0,
            .Checked = (item.Flags & mfChecked) != 0};
  }
  UINT_PTR Command(TIdeMenuItem& item) const { return static_cast<UINT_PTR>(item.Id); }
};

void RebuildMenuBar() {
  if (!gMainWindow || !gHost) return;
  THostMenuLines lines;
  ReplaceMenuBar(gMainWindow, BuildMenu(gHost->MenuBar(), true, lines));
}

void ShowAddInError(const std::string& text) {
  std::fprintf(stderr, "GlintHost: add-in error: %s\n", text.c_str());
  std::fflush(stderr);
  MessageBoxA(gMainWindow, text.c_str(), "Glint Host", MB_OK | MB_ICONERROR);
}

// Loads the libraries registered for the IDE version; keeps their handles.
std::vector<HMODULE> LoadExperts(TIdeHost& host, int ide) {
  std::vector<HMODULE> modules;
  const std::string keyName = "Software\\Borland\\Delphi\\" + std::to_string(ide) + ".0\\Experts";
  TKeyHandle key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, keyName.c_str(), 0, KEY_READ, key.Out()) != ERROR_SUCCESS) {
    std::fprintf(stderr, "GlintHost: no add-ins registered (HKEY_CURRENT_USER\\%s)\n",
                 keyName.c_str());
    return modules;
  }
  for (DWORD index = 0;; ++index) {
    char name[256];
    char data[MAX_PATH * 2];
    DWORD nameSize = sizeof name, dataSize = sizeof data - 1, type = 0;
    const LONG rc = RegEnumValueA(key.Get(), index, name, &nameSize, nullptr, &type,
                                  reinterpret_cast<BYTE*>(data), &dataSize);
    if (rc == ERROR_NO_MORE_ITEMS) break;
    if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) continue;
    data[dataSize] = '\0';
    HMODULE module = LoadLibraryA(data);
    if (!module) {
      std::fprintf(stderr, "GlintHost: cannot load add-in '%s' (%s): error %lu\n", name, data,
                   GetLastError());
      continue;
    }
    auto entry = reinterpret_cast<TExpertInitProc>(
        reinterpret_cast<void*>(GetProcAddress(module, kExpertEntryName)));
    if (!entry) {
      std::fprintf(stderr, "GlintHost: '%s' has no %s export\n", data, kExpertEntryName);
      FreeLibrary(module);
      continue;
    }
    modules.push_back(module);
    if (!host.LoadExpert(entry))
      std::fprintf(stderr, "GlintHost: the add-in '%s' failed to initialise\n", data);
  }
  return modules;
}

// The View menu twice: the host's items as name=caption, then the captions
// of the window's real menu bar ("menu: caption"), which are built from them.
void ListViewMenu(TIdeHost& host) {
  const TIdeMenuItem* view = host.FindItem("ViewsMenu");
  if (!view) return;
  for (const auto& item : view->Items)
    std::printf("%s=%s\n", item->Name.c_str(), item->Caption.c_str());
  HMENU bar = GetMenu(gMainWindow);
  const int index = view->IndexInParent();
  HMENU popup = bar && index >= 0 ? GetSubMenu(bar, index) : nullptr;
  for (int i = 0; popup && i < GetMenuItemCount(popup); ++i) {
    char text[256] = "";
    GetMenuStringA(popup, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
    std::printf("menu: %s\n", text);
  }
  std::fflush(stdout);
}

// Another process asks for the command identifier of a menu item by name
// (wParam: a global atom holding the name; 0 when there is no such item), so
// it can pick the item as the menu bar does, with WM_COMMAND.
UINT ItemIdMessage() {
  static const UINT msg = RegisterWindowMessageA("Glint.Host.ItemId");
  return msg;
}

LRESULT ItemIdOf(WPARAM atom) {
  if (!gHost) return 0;
  return ItemIdByAtom(atom, [](const char* name) {
    const TIdeMenuItem* item = gHost->FindItem(name);
    return item ? item->Id : 0;
  });
}

// --- Editor windows -------------------------------------------------------

UINT EditorStateMessage() {
  static const UINT msg = RegisterWindowMessageA("Glint.Host.EditorState");
  return msg;
}

// One fixed-pitch font for every editor, so a column is a character cell.
struct TCell {
  int Width = 8, Height = 16;
};

const TCell& Cell() {
  static const TCell cell = [] {
    TCell result;
    const TWindowDC screen(nullptr, TWindowDC::TArea::Client);
    const TSelection font(screen.Get(), GetStockObject(ANSI_FIXED_FONT));
    TEXTMETRICA metrics{};
    if (GetTextMetricsA(screen.Get(), &metrics)) {
      result.Width = std::max<int>(1, metrics.tmAveCharWidth);
      result.Height = std::max<int>(1, metrics.tmHeight);
    }
    return result;
  }();
  return cell;
}

// The open file an editor window shows (its name is the window's user
// data), or nullptr once the file is closed.
TIdeEditorFile* FileOf(HWND window) {
  const auto* name = reinterpret_cast<const std::string*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  return gHost && name ? gHost->Editor(*name) : nullptr;
}

// Tabs become spaces up to the next multiple of 8 columns, as editors show them.
std::string ExpandTabs(const std::string& text) {
  std::string result;
  for (const char c : text) {
    if (c != '\t') {
      result += c;
      continue;
    }
    do result += ' ';
    while (result.size() % 8 != 0);
  }
  return result;
}

bool InBlock(const TIdeEditorFile& file, int line) {
  return file.BlockVisible && line >= file.BlockStart.Line && line <= file.BlockAfter.Line;
}

// The view's size is what the window shows, so GetViewSize tells the truth.
void FitViewToWindow(HWND window) {
  TIdeEditorFile* file = FileOf(window);
  RECT client{};
  if (!file || !GetClientRect(window, &client) || IsIconic(window)) return;
  file->ViewRows = std::max<int>(1, (client.bottom - client.top) / Cell().Height);
  file->ViewCols = std::max<int>(1, (client.right - client.left) / Cell().Width);
}

void PaintEditor(HWND window) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  RECT client{};
  GetClientRect(window, &client);
  FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  if (const TIdeEditorFile* file = FileOf(window)) {
    const TSelection font(dc, GetStockObject(ANSI_FIXED_FONT));
    const TCell& cell = Cell();
    const int firstCol = std::max<int>(1, file->Top.Col);
    for (int row = 0; row * cell.Height < client.bottom; ++row) {
      const int line = file->Top.Line + row;
      if (line < 1 || line > static_cast<int>(file->Lines.size())) break;
      const std::string text = ExpandTabs(file->Lines[static_cast<std::size_t>(line - 1)]);
      const std::string shown =
          static_cast<int>(text.size()) >= firstCol ? text.substr(firstCol - 1) : std::string();
      const bool cursorLine = line == file->Cursor.Line;
      COLORREF back = RGB(255, 255, 255);
      if (cursorLine) back = RGB(255, 250, 200);
      if (InBlock(*file, line)) back = cursorLine ? RGB(170, 190, 225) : RGB(200, 215, 240);
      RECT rowRect{client.left, row * cell.Height, client.right, (row + 1) * cell.Height};
      SetBkColor(dc, back);
      SetTextColor(dc, RGB(0, 0, 0));
      ExtTextOutA(dc, 0, rowRect.top, ETO_OPAQUE, &rowRect, shown.c_str(),
                  static_cast<UINT>(shown.size()), nullptr);
      if (cursorLine && file->Cursor.Col >= firstCol) {
        const int x = (file->Cursor.Col - firstCol) * cell.Width;
        RECT caret{x, rowRect.top, x + 2, rowRect.bottom};
        FillRect(dc, &caret, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
      }
    }
  }
  EndPaint(window, &paint);
}

LRESULT EditorState(HWND window, WPARAM what) {
  const TIdeEditorFile* file = FileOf(window);
  if (!file) return -1;
  switch (what) {
    case 0:
      return file->Cursor.Line;
    case 1:
      return file->Cursor.Col;
    case 2:
      return file->Top.Line;
    case 3:
      return file->ViewRows;
    case 4:
      return file->BlockVisible ? file->BlockStart.Line : 0;
    case 5:
      return file->BlockVisible ? file->BlockAfter.Line : 0;
    default:
      return -1;
  }
}

LRESULT CALLBACK EditorWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == EditorStateMessage()) return EditorState(hwnd, wParam);
  switch (msg) {
    case WM_NCCREATE: {
      const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
      SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
      break;
    }
    case WM_SIZE:
      FitViewToWindow(hwnd);
      InvalidateRect(hwnd, nullptr, FALSE);
      return 0;
    case WM_PAINT:
      PaintEditor(hwnd);
      return 0;
    case WM_ERASEBKGND:
      return 1;  // painted whole by WM_PAINT, without flicker
    case WM_CLOSE:
      // The user closes the file, as in the IDE; held objects then fail.
      if (TIdeEditorFile* file = FileOf(hwnd); file && gHost) gHost->CloseFile(file->FileName);
      DestroyWindow(hwnd);
      return 0;
    case WM_NCDESTROY: {
      auto* name = reinterpret_cast<std::string*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
      SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
      if (name) gEditorWindows.erase(*name);
      delete name;
      break;
    }
    default:
      break;
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

// Makes the file's window on its first change (its opening) and keeps the
// caption and the text in step with the view.
void ShowEditorChange(TIdeEditorFile& file) {
  HWND& window = gEditorWindows[file.FileName];
  if (!window) {
    const int offset = 24 * static_cast<int>(gEditorWindows.size() % 8);
    window = CreateWindowExA(0, kEditorClass, file.FileName.c_str(), WS_OVERLAPPEDWINDOW,
                             80 + offset, 140 + offset, 640, 420, gMainWindow, nullptr,
                             GetModuleHandleA(nullptr), new std::string(file.FileName));
    if (!window) {
      gEditorWindows.erase(file.FileName);
      std::fprintf(stderr, "GlintHost: cannot create an editor window for '%s'\n",
                   file.FileName.c_str());
      return;
    }
    FitViewToWindow(window);
    ShowWindow(window, SW_SHOWNOACTIVATE);
  }
  const std::string caption = file.FileName + " - Line " + std::to_string(file.Cursor.Line);
  SetWindowTextA(window, caption.c_str());
  InvalidateRect(window, nullptr, FALSE);
}

void BringEditorToFront(TIdeEditorFile& file) {
  const auto found = gEditorWindows.find(file.FileName);
  if (found == gEditorWindows.end()) return;
  if (IsIconic(found->second)) ShowWindow(found->second, SW_RESTORE);
  SetWindowPos(found->second, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
  SetForegroundWindow(found->second);
}

LRESULT CALLBACK MainWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == ItemIdMessage()) return ItemIdOf(wParam);
  switch (msg) {
    case WM_COMMAND:
      if (HIWORD(wParam) == 0 && gHost) {
        TIdeMenuItem* item = gHost->FindItemById(LOWORD(wParam));
        if (item && item->Name == "FileExitItem") {
          PostMessageA(hwnd, WM_CLOSE, 0, 0);
        } else if (item) {
          gHost->Pick(*item);
        }
        return 0;
      }
      break;
    case WM_TIMER:
      if (wParam == kQuitTimer) {
        KillTimer(hwnd, kQuitTimer);
        PostMessageA(hwnd, WM_CLOSE, 0, 0);
        return 0;
      }
      if (wParam == kOpenMonitorTimer) {
        KillTimer(hwnd, kOpenMonitorTimer);
        if (gHost && !gHost->PickMenuItem("ViewGlintMonitorItem"))
          std::fprintf(stderr, "GlintHost: no \"Glint Monitor\" item to pick\n");
        return 0;
      }
      break;
    case WM_CLOSE:
      // The add-ins let go of their menu items and windows while the menu
      // and the main window still exist, as in the IDE's shut-down.
      if (gHost) gHost->ReleaseExperts();
      DestroyWindow(hwnd);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

// Only WM_QUIT ends the loop. GetMessage fails (-1) when Wine cannot hand a
// sent message to its window, e.g. a WM_COPYDATA larger than the free
// stack, which Wine copies the data onto; an IDE goes on after that.
void RunMessageLoop() {
  MSG msg;
  for (;;) {
    const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got == 0) return;
    if (got == -1) {
      std::fprintf(stderr, "GlintHost: a message could not be received (error %lu)\n",
                   GetLastError());
      std::fflush(stderr);
      continue;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

int Run(int argc, char** argv) {
  if (!ParseOptions(argc, argv, gOptions)) return 2;
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA wc{};
  wc.lpfnWndProc = MainWindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1);
  wc.lpszClassName = kWindowClass;
  if (!RegisterClassA(&wc)) {
    std::fprintf(stderr, "GlintHost: cannot register the window class\n");
    return 1;
  }
  WNDCLASSA editorClass{};
  editorClass.lpfnWndProc = EditorWindowProc;
  editorClass.hInstance = instance;
  editorClass.hCursor = LoadCursor(nullptr, IDC_IBEAM);
  editorClass.lpszClassName = kEditorClass;
  if (!RegisterClassA(&editorClass)) {
    std::fprintf(stderr, "GlintHost: cannot register the editor window class\n");
    return 1;
  }
  const std::string title = "Glint Host - Delphi " + std::to_string(gOptions.Ide);
  gMainWindow = CreateWindowExA(0, kWindowClass, title.c_str(), WS_OVERLAPPEDWINDOW, 0, 0, 760, 120,
                                nullptr, nullptr, instance, nullptr);
  if (!gMainWindow) {
    std::fprintf(stderr, "GlintHost: cannot create the main window\n");
    return 1;
  }

  std::vector<HMODULE> modules;
  {
    TIdeHost host;
    gHost = &host;
    host.MainWindowHandle = reinterpret_cast<std::uintptr_t>(gMainWindow);
    host.OnError = ShowAddInError;
    host.OnMenuChanged = RebuildMenuBar;
    host.OnEditorChanged = ShowEditorChange;
    host.OnShowSource = BringEditorToFront;
    RebuildMenuBar();
    if (!gOptions.ListMenu) ShowWindow(gMainWindow, SW_SHOWNORMAL);
    modules = LoadExperts(host, gOptions.Ide);
    for (const std::string& file : gOptions.OpenFiles)
      if (!gOptions.ListMenu && !host.OpenFile(file))
        std::fprintf(stderr, "GlintHost: cannot open '%s'\n", file.c_str());

    if (gOptions.ListMenu) {
      ListViewMenu(host);
      PostMessageA(gMainWindow, WM_CLOSE, 0, 0);
    } else {
      // Picked from the message loop, like a user's pick.
      if (gOptions.OpenMonitor) SetTimer(gMainWindow, kOpenMonitorTimer, 1, nullptr);
      if (gOptions.QuitAfterSeconds > 0)
        SetTimer(gMainWindow, kQuitTimer, static_cast<UINT>(gOptions.QuitAfterSeconds) * 1000,
                 nullptr);
    }

    RunMessageLoop();
    host.ReleaseExperts();
    host.OnError = nullptr;
    host.OnMenuChanged = nullptr;
    host.OnEditorChanged = nullptr;
    host.OnShowSource = nullptr;
    gHost = nullptr;
  }
  gMainWindow = nullptr;
  for (auto it = modules.rbegin(); it != modules.rend(); ++it) FreeLibrary(*it);
  return 0;
}

}  // namespace
}  // namespace glint

int main(int argc, char** argv) { return glint::Run(argc, argv); }
