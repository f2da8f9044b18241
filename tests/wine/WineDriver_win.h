// tests/wine/WineDriver_win.h: what the Wine tests and the delivery benchmark
// do from outside the IDE stand-in's process: register the add-in, start the
// stand-in and glint, find their windows and read the monitor and the
// stand-in's editor windows back through window messages only (WM_GETTEXT,
// the grid's query messages, the editor's state message).
//
// Paths of the programs come from the environment the ctest entry sets
// (GLINT_HOST_EXE, GLINT_EXE, GLINT_EXPERT_DLL_<n>, GLINT_SOURCE_DIR), as
// host paths; they are turned into Wine's Z: paths here. Failures throw
// std::runtime_error with what was being waited for.
#pragma once

#include <windows.h>
// The models' TCanvas::DrawText, not the A/W macro.
#undef DrawText

#include <string>
#include <vector>

#include "ui/win32/GridQuery.h"

namespace glint::wine {

// The value of an environment variable, or "" when unset.
std::string Env(const char* name);
// A host path ("/work/x") as Wine sees it ("Z:\work\x"); others unchanged.
std::string WinPath(const std::string& path);
// Host path of a report in the project's samples/ folder, and the names of all of them,
// sorted; both throw when the folder or the report is missing.
std::string SamplePath(const std::string& name);
std::vector<std::string> SampleNames();

// Registers GlintMonExpert<ide>.dll under the IDE version's "Experts" key, or
// the add-in library named by environment variable `dllVariable` instead.
void RegisterExpert(int ide, const std::string& dllVariable = "");

// A child process; the destructor ends it if it is still running.
class TProcess {
 public:
  // Starts `commandLine`; with `captureOutput` its standard output goes to a
  // temporary file that Output() reads.
  explicit TProcess(const std::string& commandLine, bool captureOutput = false);
  ~TProcess();
  TProcess(const TProcess&) = delete;
  TProcess& operator=(const TProcess&) = delete;

  // Waits for the exit; its status, or -1 when it did not end in time.
  int Wait(DWORD milliseconds);
  bool Running() const;
  std::string Output() const;
  DWORD Id() const { return FInfo.dwProcessId; }

 private:
  PROCESS_INFORMATION FInfo{};
  std::string FOutputFile;
};

// The IDE stand-in, running with the add-in of one IDE version registered.
class THostSession {
 public:
  // `moreArgs` go on the stand-in's command line (e.g. "--open Z:\\a.pas").
  explicit THostSession(int ide = 4, bool openMonitor = false, const std::string& moreArgs = "");
  // Closes the stand-in's main window and waits for it to end.
  ~THostSession();

  HWND MainWindow() const { return FMainWindow; }
  // Picks the menu item of this name through the stand-in's pick message
  // and waits until the pick has been handled; false when there is no such
  // item.
  bool PickItem(const std::string& name);
  bool Running() const { return FProcess.Running(); }
  DWORD ProcessId() const { return FProcess.Id(); }

 private:
  TProcess FProcess;
  HWND FMainWindow = nullptr;
};

// Waits for a condition, polling; false on time-out.
template <class F>
bool WaitFor(F condition, DWORD milliseconds) {
  const DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start > milliseconds) return false;
    Sleep(20);
  }
  return true;
}

// Top-level windows of a class, in any process; with a process id, only
// that process's.
std::vector<HWND> TopLevelWindows(const char* className);
std::vector<HWND> TopLevelWindows(const char* className, DWORD processId);
// The monitor window once it is visible, or nullptr after 20 seconds.
HWND WaitForMonitor();
// The child window of `parent` made for the control of this component name.
HWND FindControl(HWND parent, const std::string& name);
std::string WindowText(HWND window);

// Picks a menu item of a form window's menu bar by its component name
// ("StayOnTop1"), with the WM_COMMAND a pick sends, once the form has told
// its command identifier; returns when the pick has been handled, false
// when the form has no such item.
bool PickFormItem(HWND form, const std::string& name);
// As PickFormItem, but the WM_COMMAND is posted and this returns at once:
// for items whose handler runs a modal dialog, which a sent message would
// wait for.
bool PostFormItem(HWND form, const std::string& name);

// What the monitor window shows, read through its messages.
struct TMonitorView {
  std::string Edits[4];
  int RowCount = 0, ColCount = 0;
  std::vector<std::vector<std::string>> Cells;  // [row][col]
};
TMonitorView ReadMonitor(HWND monitor);

// One of the grid's numbers (row count, top row...), and one row's cells,
// read through the grid's query messages.
int GridInfo(HWND monitor, TGridInfo what, int col = 0);
std::vector<std::string> ReadGridRow(HWND monitor, int row);
// The monitor's grid window; throws when there is none.
HWND GridWindow(HWND monitor);
// The middle of a cell in the grid window's client coordinates, as the grid
// lays it out now (data rows as scrolled), from the grid's query messages.
POINT CellPoint(HWND monitor, int col, int row);
// A left click (button down, then up) sent to the grid at a client point;
// returns once the grid has handled both.
void ClickGrid(HWND monitor, POINT at);

// The stand-in's editor windows (one per open file), in any process.
std::vector<HWND> EditorWindows();
// What an editor window shows, read through its state message; the block
// lines are 0 without a visible block.
struct TEditorState {
  std::string Caption;
  int CursorLine = 0, CursorCol = 0, TopLine = 0, ViewRows = 0, BlockStartLine = 0,
      BlockEndLine = 0;
};
TEditorState ReadEditor(HWND editor);

// Runs `glint send` on a file and returns its exit status.
int SendWithGlint(const std::string& hostPath, DWORD timeoutMs = 60000);

// A visible message box (dialog class) of the process, or nullptr; the
// text of a message box; ending a process that may still run (0: none).
HWND VisibleBox(DWORD process);
std::string BoxText(HWND box);
void EndProcess(DWORD id);

// The text of the page Wine's help viewer (a window of class MS_WINHELP)
// shows, read from its rich edit with WM_GETTEXT.
constexpr int kHelpTextWindowId = 0x701;
std::string HelpPageText(HWND viewer);

}  // namespace glint::wine
