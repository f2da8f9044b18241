// The stand-in's editor window under Wine: a file opened on its command line
// gets its own window, owned by the main window, whose state reads back
// through window messages and whose view rows follow the window's height.
#include <gtest/gtest.h>

#include <fstream>

#include "tests/wine/WineDriver_win.h"

namespace glint::wine {
namespace {

HWND EditorOf(DWORD processId) {
  for (HWND window : EditorWindows()) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == processId) return window;
  }
  return nullptr;
}

TEST(HostEditor, OpenedFileShowsInAnOwnedWindowWhoseRowsFitIt) {
  const std::string path = WinPath(Env("GLINT_BUILD_DIR") + "/host-editor-test.pas");
  {
    std::ofstream out(path, std::ios::binary);
    for (int line = 1; line <= 200; ++line) out << "line " << line << "\r\n";
  }
  THostSession session(4, false, "--open \"" + path + "\"");
  HWND editor = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (editor = EditorOf(session.ProcessId())) != nullptr; }, 10000));
  EXPECT_EQ(GetWindow(editor, GW_OWNER), session.MainWindow());

  const TEditorState opened = ReadEditor(editor);
  EXPECT_EQ(opened.Caption, path + " - Line 1");
  EXPECT_EQ(opened.CursorLine, 1);
  EXPECT_EQ(opened.CursorCol, 1);
  EXPECT_EQ(opened.TopLine, 1);
  EXPECT_EQ(opened.BlockStartLine, 0);
  EXPECT_EQ(opened.BlockEndLine, 0);
  EXPECT_GT(opened.ViewRows, 4);

  RECT frame{};
  GetWindowRect(editor, &frame);
  SetWindowPos(editor, nullptr, 0, 0, frame.right - frame.left, (frame.bottom - frame.top) / 2,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  int rows = 0;
  EXPECT_TRUE(WaitFor(
      [&] {
        rows = ReadEditor(editor).ViewRows;
        return rows < opened.ViewRows;
      },
      5000))
      << rows;
  EXPECT_GT(rows, 0);
  DeleteFileA(path.c_str());
}

}  // namespace
}  // namespace glint::wine
