// ui/Grids.h: TStringGrid, the model of a grid of text cells.
//
// The grid owns its cell texts; the object pointer stored with a cell is not
// owned. Rows and columns are 32-bit positions. Reading a cell outside the
// grid gives ""; writing one, or a column width, outside it raises
// EInvalidGridOperation "Grid index out of range". Shrinking the row or
// column count drops the cells that fall outside.
// Drawing: a backend hands Paint a canvas; Paint walks the visible cells and,
// for each, draws it the default way when DefaultDrawing is on and then runs
// DrawCell, which hands the cell to OnDrawCell with the canvas to draw on.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "rtl/SysUtils.h"
#include "ui/Controls.h"

namespace glint {

class TCanvas;

class EInvalidGridOperation : public Exception {
  using Exception::Exception;
};

enum class TGridOption {
  FixedVertLine,
  FixedHorzLine,
  VertLine,
  HorzLine,
  RangeSelect,
  DrawFocusSelected,
  RowSizing,
  ColSizing,
  RowMoving,
  ColMoving,
  Editing,
  Tabs,
  RowSelect,
  AlwaysShowEditor,
  ThumbTracking
};
using TGridOptions = TSet<TGridOption>;

enum class TGridDrawStateItem { Selected, Focused, Fixed };
using TGridDrawState = TSet<TGridDrawStateItem>;

enum class TScrollStyle { None, Horizontal, Vertical, Both };

// The narrowest a user can size a column to by dragging its title's edge.
constexpr int kMinColWidth = 4;

struct TGridCell {
  std::string Text;
  TObject* Object = nullptr;
  friend bool operator==(const TGridCell&, const TGridCell&) = default;
};
// One whole row or column, in position order.
using TGridLine = std::vector<TGridCell>;

// Cell texts a grid shows without holding them: a grid's rows may be items
// of one source, each row then holding only its item's index. A row of a
// source has no objects; writing any of its cells makes the grid copy the
// row's texts into cells of its own first.
class TGridSource {
 public:
  virtual ~TGridSource() = default;
  // The text of column `col` of item `item`; the view stays valid as long
  // as the source does.
  virtual std::string_view CellText(int col, std::uint32_t item) const = 0;
};

using TDrawCellEvent =
    std::function<void(TObject* sender, int col, int row, TRect rect, TGridDrawState state)>;
// Rows made aside and put into a grid at once with TStringGrid::SwapRows:
// whatever can fail (allocation) happens while they are made, so a grid
// either gets all of them or keeps what it had.
class TGridRows {
 public:
  explicit TGridRows(int colCount) : FColCount(colCount < 1 ? 1 : colCount) {}
  int ColCount() const { return FColCount; }
  int Count() const { return static_cast<int>(FRowBase.size()); }
  void Reserve(int rows);
  // Appends an empty row; returns its ColCount cells.
  TGridCell* Add();
  // The ColCount cells of row `index` (0 the first added), which must not
  // be a row of the source.
  TGridCell* Row(int index) { return FCells.data() + FRowBase.at(static_cast<std::size_t>(index)); }
  // Appends `count` rows showing items 0..count-1 of `source`, the rows'
  // one source.
  void AddItems(std::shared_ptr<const TGridSource> source, std::uint32_t count);

 private:
  friend class TStringGrid;
  int FColCount;
  std::vector<TGridCell> FCells;
  // A row's first cell in FCells, or kItemRow and its item's index.
  std::vector<std::size_t> FRowBase;
  std::shared_ptr<const TGridSource> FSource;
};

using TMouseEvent =
    std::function<void(TObject* sender, TMouseButton button, TShiftState shift, int x, int y)>;
using TMouseMoveEvent = std::function<void(TObject* sender, TShiftState shift, int x, int y)>;

class TStringGrid : public TControl {
 public:
  explicit TStringGrid(TComponent* owner);

  int ColCount() const { return FColCount; }
  void SetColCount(int count);
  int RowCount() const { return FRowCount; }
  void SetRowCount(int count);
  // Copies rows first..first+count-1 into `rows` (same column count).
  void CopyRows(int first, int count, TGridRows& rows) const;
  // Exchanges the grid's rows with `rows`, whose column count must be the
  // grid's and which must hold at least one row; `rows` receives the old
  // ones. Never fails: nothing is allocated or copied.
  void SwapRows(TGridRows& rows) noexcept;
  int FixedCols() const { return FFixedCols; }
  void SetFixedCols(int count);
  int FixedRows() const { return FFixedRows; }
  void SetFixedRows(int count);

  std::string_view Cells(int col, int row) const;
  // A hint that Cells(col, row) is read soon: scans over rows that sorts
  // have scattered in memory ask a few rows ahead.
  void PrefetchCell(int col, int row) const;
  void SetCells(int col, int row, std::string text);
  TObject* Objects(int col, int row) const;
  void SetObjects(int col, int row, TObject* object);

  // Whole rows and columns, cells with their objects.
  TGridLine Rows(int row) const;
  void SetRows(int row, const TGridLine& line);
  TGridLine Cols(int col) const;
  void SetCols(int col, const TGridLine& line);
  // Reorders whole rows (columns) at once: row first+k receives what row
  // from[k] held, cells with their objects. `from` must be a permutation of
  // first..first+from.size()-1; cells are moved, not copied.
  void PermuteRows(int first, const std::vector<int>& from);
  void PermuteCols(int first, const std::vector<int>& from);
  // The source item a row shows, wherever a sort has put it; -1 for a row
  // of the grid's own cells.
  std::int64_t SourceItem(int row) const;

  int ColWidths(int col) const;
  void SetColWidths(int col, int width);
  int DefaultColWidth() const { return FDefaultColWidth; }
  void SetDefaultColWidth(int width);
  int DefaultRowHeight() const { return FDefaultRowHeight; }
  void SetDefaultRowHeight(int height);
  int GridLineWidth() const { return FGridLineWidth; }
  void SetGridLineWidth(int width);

  TGridOptions Options() const { return FOptions; }
  void SetOptions(TGridOptions options);
  TScrollStyle ScrollBars() const { return FScrollBars; }
  void SetScrollBars(TScrollStyle style);
  bool DefaultDrawing() const { return FDefaultDrawing; }
  void SetDefaultDrawing(bool on) { FDefaultDrawing = on; }
  TColor FixedColor() const { return FFixedColor; }
  void SetFixedColor(TColor color) { FFixedColor = color; }

  // The current (selected) cell; a data cell outside the fixed ones.
  int Row() const { return FRow; }
  void SetRow(int row);
  int Col() const { return FCol; }
  void SetCol(int col);
  // First data row shown below the fixed rows.
  int TopRow() const { return FTopRow; }
  void SetTopRow(int row);
  // Data rows that fit wholly below the fixed rows in the client height.
  int VisibleRowCount() const;

  // Geometry in client coordinates, with the scroll position applied.
  TRect CellRect(int col, int row) const;
  // The cell under a client point; -1 for a coordinate past the last cell.
  void MouseToCell(int x, int y, int& col, int& row) const;

  TCanvas* Canvas() const { return FCanvas; }

  TDrawCellEvent OnDrawCell;
  TMouseEvent OnMouseDown;
  TMouseMoveEvent OnMouseMove;
  TNotifyEvent OnTopLeftChanged;

  // Backend entries. Paint draws every cell that is at least partly inside
  // the client area; DrawCell runs OnDrawCell for one cell on `canvas`.
  void Paint(TCanvas& canvas);
  void DrawCell(TCanvas* canvas, int col, int row, TRect rect, TGridDrawState state);
  virtual void DoMouseDown(TMouseButton button, TShiftState shift, int x, int y);
  // The pointer moved over the grid (client coordinates); not while the
  // user sizes a column.
  virtual void DoMouseMove(TShiftState shift, int x, int y);
  // The user dragged a column separator; the width is set through ColWidthsChanged.
  virtual void UserSetColWidth(int col, int width);

 protected:
  // Runs after the user changed a column width.
  virtual void ColWidthsChanged() {}

 private:
  void CheckCell(int col, int row) const;
  void CheckPermutation(int first, const std::vector<int>& from, int count) const;
  // A cell of the grid's own, for writing: a row of the source becomes the
  // grid's own first.
  TGridCell& Cell(int col, int row) { return FCells[OwnRow(row) + static_cast<std::size_t>(col)]; }
  std::size_t OwnRow(int row);
  TGridCell CellCopy(int col, int row) const;
  // After the row count changed: fixed, current and top rows inside it.
  void KeepPositionsInside() noexcept;
  // Lays the cells out anew, rows in order, `cols` wide, keeping what fits.
  void Relayout(int cols, int rows);

  int FColCount = 5, FRowCount = 5, FFixedCols = 1, FFixedRows = 1;
  // Each row's cells lie together in FCells from FRowBase[row] on, or the
  // row is an item of FSource (see TGridRows); rows are reordered by
  // reordering FRowBase alone, so a sort moves no text.
  std::vector<TGridCell> FCells;
  std::vector<std::size_t> FRowBase;
  std::shared_ptr<const TGridSource> FSource;
  std::vector<int> FColWidths;
  int FDefaultColWidth = 64, FDefaultRowHeight = 24, FGridLineWidth = 1;
  TGridOptions FOptions{TGridOption::FixedVertLine, TGridOption::FixedHorzLine,
                        TGridOption::VertLine, TGridOption::HorzLine, TGridOption::RangeSelect};
  TScrollStyle FScrollBars = TScrollStyle::Both;
  bool FDefaultDrawing = true;
  TColor FFixedColor = clBtnFace;
  int FRow = 1, FCol = 1, FTopRow = 1;
  TCanvas* FCanvas = nullptr;
};

}  // namespace glint
