// ui/win32/GridQuery.h: the grid window's own query messages, so another
// process (a test, a screen reader) can read what the grid holds.
//
// Both are registered window messages (the same number in every process):
// - kGridInfoMessage, wParam one of TGridInfo (lParam the column for
//   ColWidth): returns that number.
// - kGridCellTextMessage, wParam column, lParam row: puts the cell's text in
//   the grid window's own window text and returns its length + 1 (0 for a
//   cell outside the grid); the caller then reads it with WM_GETTEXT, which
//   Windows copies across processes.
#pragma once

namespace glint {

constexpr const char* kGridInfoMessage = "Glint.Grid.Info";
constexpr const char* kGridCellTextMessage = "Glint.Grid.CellText";
// Window property holding a global atom with the control's component name
// ("Edit1"), set on every window the backend makes for a named control.
constexpr const char* kControlNameProp = "Glint.Name";

// ScrollPos is the vertical scroll bar's position, as the window has it.
// ColWidth, RowHeight and GridLineWidth (pixels) place every cell: columns
// and rows are laid out from the client area's top left corner, each
// followed by one grid line.
enum class TGridInfo {
  RowCount = 0,
  ColCount = 1,
  Row = 2,
  TopRow = 3,
  FixedRows = 4,
  ScrollPos = 5,
  ColWidth = 6,
  RowHeight = 7,
  GridLineWidth = 8
};

}  // namespace glint
