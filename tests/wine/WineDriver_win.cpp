#include "tests/wine/WineDriver_win.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "ui/win32/FormQuery.h"
#include "ui/win32/GridQuery.h"

namespace glint::wine {

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

std::string WinPath(const std::string& path) {
  if (path.empty() || path[0] != '/') return path;
  std::string result = "Z:" + path;
  std::replace(result.begin(), result.end(), '/', '\\');
  return result;
}

namespace {
// The project's samples/ folder, as a host path.
std::string SampleDir() {
  const std::string source = Env("GLINT_SOURCE_DIR");
  if (source.empty()) throw std::runtime_error("GLINT_SOURCE_DIR unset");
  return source + "/samples";
}
}  // namespace

std::string SamplePath(const std::string& name) {
  const std::string path = SampleDir() + "/" + name;
  if (!std::ifstream(WinPath(path))) throw std::runtime_error("no sample report " + path);
  return path;
}

std::vector<std::string> SampleNames() {
  const std::string pattern = SampleDir() + "/*.gln";
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(WinPath(pattern).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) throw std::runtime_error("no sample reports " + pattern);
  do {
    names.push_back(found.cFileName);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}

void RegisterExpert(int ide, const std::string& dllVariable) {
  const std::string variable =
      dllVariable.empty() ? "GLINT_EXPERT_DLL_" + std::to_string(ide) : dllVariable;
  const std::string dll = Env(variable.c_str());
  if (dll.empty()) throw std::runtime_error(variable + " unset");
  const std::string keyName = "Software\\Borland\\Delphi\\" + std::to_string(ide) + ".0\\Experts";
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, keyName.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    throw std::runtime_error("cannot create " + keyName);
  const std::string value = WinPath(dll);
  RegSetValueExA(key, "GlintMonExpert", 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>(value.size() + 1));
  RegCloseKey(key);
}

TProcess::TProcess(const std::string& commandLine, bool captureOutput) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  HANDLE output = nullptr;
  if (captureOutput) {
    char dir[MAX_PATH], file[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    GetTempFileNameA(dir, "gln", 0, file);
    FOutputFile = file;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    output = CreateFileA(file, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                         CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = output;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  }
  std::string line = commandLine;
  const BOOL ok = CreateProcessA(nullptr, line.data(), nullptr, nullptr, captureOutput, 0, nullptr,
                                 nullptr, &startup, &FInfo);
  if (output) CloseHandle(output);
  if (!ok) throw std::runtime_error("cannot start: " + commandLine);
}

TProcess::~TProcess() {
  if (!FInfo.hProcess) return;
  if (Running()) {
    TerminateProcess(FInfo.hProcess, 99);
    WaitForSingleObject(FInfo.hProcess, 5000);
  }
  CloseHandle(FInfo.hThread);
  CloseHandle(FInfo.hProcess);
  if (!FOutputFile.empty()) DeleteFileA(FOutputFile.c_str());
}

int TProcess::Wait(DWORD milliseconds) {
  if (WaitForSingleObject(FInfo.hProcess, milliseconds) != WAIT_OBJECT_0) return -1;
  DWORD status = 0;
  GetExitCodeProcess(FInfo.hProcess, &status);
  return static_cast<int>(status);
}

bool TProcess::Running() const { return WaitForSingleObject(FInfo.hProcess, 0) == WAIT_TIMEOUT; }

std::string TProcess::Output() const {
  std::ifstream in(FOutputFile, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

namespace {

std::string Quote(const std::string& s) { return "\"" + s + "\""; }

HWND FindProcessWindow(const char* className, DWORD processId) {
  for (HWND window : TopLevelWindows(className)) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == processId) return window;
  }
  return nullptr;
}

struct TClassSearch {
  const char* Class;
  std::vector<HWND> Found;
};

BOOL CALLBACK CollectClass(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<TClassSearch*>(data);
  char name[256] = "";
  GetClassNameA(window, name, sizeof name);
  if (std::string(name) == search->Class) search->Found.push_back(window);
  return TRUE;
}

struct TNameSearch {
  std::string Name;
  HWND Found = nullptr;
};

BOOL CALLBACK MatchName(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<TNameSearch*>(data);
  const auto atom =
      static_cast<ATOM>(reinterpret_cast<UINT_PTR>(GetPropA(window, kControlNameProp)));
  char text[256] = "";
  if (atom && GlobalGetAtomNameA(atom, text, sizeof text) && search->Name == text) {
    search->Found = window;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

THostSession::THostSession(int ide, bool openMonitor, const std::string& moreArgs)
    : FProcess(Quote(WinPath(Env("GLINT_HOST_EXE"))) + " --ide " + std::to_string(ide) +
               (openMonitor ? " --open-monitor" : "") + " --quit-after 300" +
               (moreArgs.empty() ? "" : " " + moreArgs)) {
  const DWORD id = FProcess.Id();
  if (!WaitFor([&] { return (FMainWindow = FindProcessWindow("TGlintHost", id)) != nullptr; },
               30000))
    throw std::runtime_error("the IDE stand-in's main window did not appear");
  // The stand-in loads its add-ins before it reads its first message.
  DWORD_PTR ignored = 0;
  SendMessageTimeoutA(FMainWindow, WM_NULL, 0, 0, SMTO_NORMAL, 30000, &ignored);
}

THostSession::~THostSession() {
  if (FMainWindow && IsWindow(FMainWindow)) PostMessageA(FMainWindow, WM_CLOSE, 0, 0);
  FProcess.Wait(20000);
}

bool THostSession::PickItem(const std::string& name) {
  static const UINT itemId = RegisterWindowMessageA("Glint.Host.ItemId");
  const ATOM atom = GlobalAddAtomA(name.c_str());
  const LRESULT id = SendMessageA(FMainWindow, itemId, atom, 0);
  GlobalDeleteAtom(atom);
  if (id == 0) return false;
  // What a pick from the menu bar sends; handled when SendMessage returns.
  SendMessageA(FMainWindow, WM_COMMAND, MAKEWPARAM(id, 0), 0);
  return true;
}

namespace {
// The command identifier of a form's menu bar item; 0 for none.
LRESULT FormItemId(HWND form, const std::string& name) {
  static const UINT itemId = RegisterWindowMessageA(kFormItemIdMessage);
  const ATOM atom = GlobalAddAtomA(name.c_str());
  const LRESULT id = SendMessageA(form, itemId, atom, 0);
  GlobalDeleteAtom(atom);
  return id;
}
}  // namespace

bool PickFormItem(HWND form, const std::string& name) {
  const LRESULT id = FormItemId(form, name);
  if (id == 0) return false;
  SendMessageA(form, WM_COMMAND, MAKEWPARAM(id, 0), 0);
  return true;
}

bool PostFormItem(HWND form, const std::string& name) {
  const LRESULT id = FormItemId(form, name);
  return id != 0 && PostMessageA(form, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

std::vector<HWND> TopLevelWindows(const char* className) {
  TClassSearch search{className, {}};
  EnumWindows(CollectClass, reinterpret_cast<LPARAM>(&search));
  return search.Found;
}

std::vector<HWND> TopLevelWindows(const char* className, DWORD processId) {
  std::vector<HWND> found = TopLevelWindows(className);
  std::erase_if(found, [processId](HWND window) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    return owner != processId;
  });
  return found;
}

HWND WaitForMonitor() {
  HWND monitor = nullptr;
  WaitFor(
      [&] {
        auto windows = TopLevelWindows("TGlintMonitor");
        if (windows.empty()) return false;
        monitor = windows.front();
        return IsWindowVisible(monitor) != FALSE;
      },
      20000);
  return monitor;
}

HWND FindControl(HWND parent, const std::string& name) {
  TNameSearch search{name, nullptr};
  EnumChildWindows(parent, MatchName, reinterpret_cast<LPARAM>(&search));
  return search.Found;
}

std::string WindowText(HWND window) {
  const LRESULT length = SendMessageA(window, WM_GETTEXTLENGTH, 0, 0);
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  const LRESULT copied =
      SendMessageA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(copied));
  return text;
}

HWND GridWindow(HWND monitor) {
  HWND grid = FindControl(monitor, "MonitorGrid");
  if (!grid) throw std::runtime_error("the monitor has no MonitorGrid window");
  return grid;
}

int GridInfo(HWND monitor, TGridInfo what, int col) {
  static const UINT info = RegisterWindowMessageA(kGridInfoMessage);
  return static_cast<int>(SendMessageA(GridWindow(monitor), info, static_cast<WPARAM>(what), col));
}

POINT CellPoint(HWND monitor, int col, int row) {
  const int line = GridInfo(monitor, TGridInfo::GridLineWidth);
  const int height = GridInfo(monitor, TGridInfo::RowHeight);
  const int fixed = GridInfo(monitor, TGridInfo::FixedRows);
  int left = 0;
  for (int c = 0; c < col; ++c) left += GridInfo(monitor, TGridInfo::ColWidth, c) + line;
  const int slot = row < fixed ? row : fixed + row - GridInfo(monitor, TGridInfo::TopRow);
  if (slot < 0) throw std::runtime_error("the row is scrolled out of view");
  return {left + GridInfo(monitor, TGridInfo::ColWidth, col) / 2,
          slot * (height + line) + height / 2};
}

void ClickGrid(HWND monitor, POINT at) {
  HWND grid = GridWindow(monitor);
  SendMessageA(grid, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
  SendMessageA(grid, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
}

std::vector<std::string> ReadGridRow(HWND monitor, int row) {
  static const UINT cellText = RegisterWindowMessageA(kGridCellTextMessage);
  HWND grid = GridWindow(monitor);
  std::vector<std::string> cells;
  for (int col = 0, cols = GridInfo(monitor, TGridInfo::ColCount); col < cols; ++col) {
    if (SendMessageA(grid, cellText, static_cast<WPARAM>(col), row) == 0)
      throw std::runtime_error("the grid refused a cell inside it");
    cells.push_back(WindowText(grid));
  }
  return cells;
}

TMonitorView ReadMonitor(HWND monitor) {
  TMonitorView view;
  for (int i = 0; i < 4; ++i) {
    HWND edit = FindControl(monitor, "Edit" + std::to_string(i + 1));
    if (!edit) throw std::runtime_error("the monitor has no Edit" + std::to_string(i + 1));
    view.Edits[i] = WindowText(edit);
  }
  view.RowCount = GridInfo(monitor, TGridInfo::RowCount);
  view.ColCount = GridInfo(monitor, TGridInfo::ColCount);
  for (int row = 0; row < view.RowCount; ++row) view.Cells.push_back(ReadGridRow(monitor, row));
  return view;
}

std::vector<HWND> EditorWindows() { return TopLevelWindows("TGlintHostEditor"); }

TEditorState ReadEditor(HWND editor) {
  static const UINT state = RegisterWindowMessageA("Glint.Host.EditorState");
  const auto read = [editor](WPARAM what) {
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutA(editor, state, what, 0, SMTO_NORMAL, 10000, &answer))
      throw std::runtime_error("the editor window did not answer its state message");
    return static_cast<int>(static_cast<LRESULT>(answer));
  };
  TEditorState result;
  result.Caption = WindowText(editor);
  result.CursorLine = read(0);
  result.CursorCol = read(1);
  result.TopLine = read(2);
  result.ViewRows = read(3);
  result.BlockStartLine = read(4);
  result.BlockEndLine = read(5);
  return result;
}

int SendWithGlint(const std::string& hostPath, DWORD timeoutMs) {
  TProcess send(Quote(WinPath(Env("GLINT_EXE"))) + " send " + Quote(WinPath(hostPath)));
  return send.Wait(timeoutMs);
}

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

void EndProcess(DWORD id) {
  if (!id) return;
  if (HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id)) {
    TerminateProcess(process, 1);
    WaitForSingleObject(process, 10000);
    CloseHandle(process);
  }
}

std::string HelpPageText(HWND viewer) {
  HWND text = GetDlgItem(viewer, kHelpTextWindowId);
  return text ? WindowText(text) : std::string();
}

}  // namespace glint::wine
