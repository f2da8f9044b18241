#include "ui/Grids.h"

#include <algorithm>

#include "ui/Graphics.h"

namespace glint {

namespace {
[[noreturn]] void OutOfRange() { throw EInvalidGridOperation("Grid index out of range"); }
// Marks a row base that is the index of a source item.
constexpr std::size_t kItemRow = std::size_t{1} << (8 * sizeof(std::size_t) - 1);
bool IsItem(std::size_t base) { return (base & kItemRow) != 0; }
std::uint32_t ItemOf(std::size_t base) { return static_cast<std::uint32_t>(base & ~kItemRow); }
}  // namespace

TStringGrid::TStringGrid(TComponent* owner) : TControl(owner) {
  Relayout(FColCount, FRowCount);
  FColWidths.assign(static_cast<std::size_t>(FColCount), FDefaultColWidth);
  SetColor(clWindow);
  SetBounds(0, 0, 320, 120);
}

// Rows of the source stay so while the columns do; with other columns
// their texts become cells of the grid's own.
void TStringGrid::Relayout(int cols, int rows) {
  const auto width = static_cast<std::size_t>(cols);
  const int keepCols = std::min(cols, FColCount);
  const int keepRows = std::min(rows, static_cast<int>(FRowBase.size()));
  auto keepsItem = [&](int r) {
    return r < keepRows && cols == FColCount && IsItem(FRowBase[static_cast<std::size_t>(r)]);
  };
  std::size_t own = 0;
  for (int r = 0; r < rows; ++r) own += keepsItem(r) ? 0 : 1;
  std::vector<TGridCell> cells(width * own);
  std::vector<std::size_t> bases(static_cast<std::size_t>(rows));
  std::size_t next = 0;
  for (int r = 0; r < rows; ++r) {
    std::size_t& base = bases[static_cast<std::size_t>(r)];
    if (keepsItem(r)) {
      base = FRowBase[static_cast<std::size_t>(r)];
      continue;
    }
    base = next;
    next += width;
    if (r < keepRows)
      for (int c = 0; c < keepCols; ++c) {
        const std::size_t old = FRowBase[static_cast<std::size_t>(r)];
        cells[base + static_cast<std::size_t>(c)] =
            IsItem(old) ? CellCopy(c, r) : std::move(FCells[old + static_cast<std::size_t>(c)]);
      }
  }
  FCells = std::move(cells);
  FRowBase = std::move(bases);
}

std::size_t TStringGrid::OwnRow(int row) {
  std::size_t& base = FRowBase[static_cast<std::size_t>(row)];
  if (!IsItem(base)) return base;
  const std::size_t own = FCells.size();
  FCells.resize(own + static_cast<std::size_t>(FColCount));
  for (int c = 0; c < FColCount; ++c)
    FCells[own + static_cast<std::size_t>(c)].Text =
        std::string(FSource->CellText(c, ItemOf(base)));
  base = own;
  return own;
}

TGridCell TStringGrid::CellCopy(int col, int row) const {
  const std::size_t base = FRowBase[static_cast<std::size_t>(row)];
  if (IsItem(base)) return {std::string(FSource->CellText(col, ItemOf(base))), nullptr};
  return FCells[base + static_cast<std::size_t>(col)];
}

void TStringGrid::SetColCount(int count) {
  if (count < 1) count = 1;
  if (count == FColCount) return;
  Relayout(count, FRowCount);
  FColCount = count;
  FColWidths.resize(static_cast<std::size_t>(count), FDefaultColWidth);
  if (FFixedCols >= count) FFixedCols = count - 1;
  if (FCol >= count) FCol = count - 1;
  Changed(TControlChange::Content);
}

void TStringGrid::SetRowCount(int count) {
  if (count < 1) count = 1;
  if (count == FRowCount) return;
  if (count > FRowCount) {
    // Growing appends, so a report that adds one row at a time stays cheap.
    const auto width = static_cast<std::size_t>(FColCount);
    for (int r = FRowCount; r < count; ++r)
      FRowBase.push_back(FCells.size() + (r - FRowCount) * width);
    FCells.resize(FCells.size() + static_cast<std::size_t>(count - FRowCount) * width);
  } else {
    Relayout(FColCount, count);
  }
  FRowCount = count;
  KeepPositionsInside();
  Changed(TControlChange::Content);
}

void TStringGrid::KeepPositionsInside() noexcept {
  const int count = FRowCount;
  if (FFixedRows >= count) FFixedRows = count - 1;
  if (FRow >= count) FRow = count - 1;
  if (FRow < FFixedRows) FRow = FFixedRows;
  if (FTopRow >= count) FTopRow = std::max(FFixedRows, count - 1);
}

void TGridRows::Reserve(int rows) {
  if (rows <= 0) return;
  FRowBase.reserve(static_cast<std::size_t>(rows));
  FCells.reserve(static_cast<std::size_t>(rows) * static_cast<std::size_t>(FColCount));
}

void TGridRows::AddItems(std::shared_ptr<const TGridSource> source, std::uint32_t count) {
  FRowBase.reserve(FRowBase.size() + count);
  for (std::uint32_t item = 0; item < count; ++item) FRowBase.push_back(kItemRow | item);
  FSource = std::move(source);
}

TGridCell* TGridRows::Add() {
  // Both vectors grow before either records the row, so a failure leaves
  // the rows made so far as they were.
  const std::size_t base = FCells.size();
  // Grown by doubling: one more slot at a time would copy the whole list
  // for every row added.
  if (FRowBase.size() == FRowBase.capacity())
    FRowBase.reserve(std::max<std::size_t>(16, FRowBase.size() * 2));
  FCells.resize(base + static_cast<std::size_t>(FColCount));
  FRowBase.push_back(base);
  return FCells.data() + base;
}

void TStringGrid::CopyRows(int first, int count, TGridRows& rows) const {
  if (rows.ColCount() != FColCount || first < 0 || count < 0 || first + count > FRowCount)
    OutOfRange();
  rows.Reserve(rows.Count() + count);
  for (int r = first; r < first + count; ++r) {
    TGridCell* cells = rows.Add();
    for (int c = 0; c < FColCount; ++c) cells[c] = CellCopy(c, r);
  }
}

void TStringGrid::SwapRows(TGridRows& rows) noexcept {
  if (rows.FColCount != FColCount || rows.FRowBase.empty()) return;
  FCells.swap(rows.FCells);
  FRowBase.swap(rows.FRowBase);
  FSource.swap(rows.FSource);
  FRowCount = static_cast<int>(FRowBase.size());
  KeepPositionsInside();
  Changed(TControlChange::Content);
}

void TStringGrid::SetFixedCols(int count) {
  if (count < 0 || count >= FColCount) OutOfRange();
  FFixedCols = count;
  if (FCol < count) FCol = count;
  Changed(TControlChange::Content);
}

void TStringGrid::SetFixedRows(int count) {
  if (count < 0 || count >= FRowCount) OutOfRange();
  FFixedRows = count;
  if (FRow < count) FRow = count;
  if (FTopRow < count) FTopRow = count;
  Changed(TControlChange::Content);
}

void TStringGrid::CheckCell(int col, int row) const {
  if (col < 0 || col >= FColCount || row < 0 || row >= FRowCount) OutOfRange();
}

std::string_view TStringGrid::Cells(int col, int row) const {
  if (col < 0 || col >= FColCount || row < 0 || row >= FRowCount) return {};
  const std::size_t base = FRowBase[static_cast<std::size_t>(row)];
  if (IsItem(base)) return FSource->CellText(col, ItemOf(base));
  return FCells[base + static_cast<std::size_t>(col)].Text;
}

void TStringGrid::PrefetchCell(int col, int row) const {
  if (col < 0 || col >= FColCount || row < 0 || row >= FRowCount) return;
  const std::size_t base = FRowBase[static_cast<std::size_t>(row)];
  if (!IsItem(base)) __builtin_prefetch(&FCells[base + static_cast<std::size_t>(col)]);
}

std::int64_t TStringGrid::SourceItem(int row) const {
  if (row < 0 || row >= FRowCount) return -1;
  const std::size_t base = FRowBase[static_cast<std::size_t>(row)];
  return IsItem(base) ? std::int64_t{ItemOf(base)} : -1;
}

void TStringGrid::SetCells(int col, int row, std::string text) {
  CheckCell(col, row);
  Cell(col, row).Text = std::move(text);
  Changed(TControlChange::Content);
}

TObject* TStringGrid::Objects(int col, int row) const {
  if (col < 0 || col >= FColCount || row < 0 || row >= FRowCount) return nullptr;
  const std::size_t base = FRowBase[static_cast<std::size_t>(row)];
  return IsItem(base) ? nullptr : FCells[base + static_cast<std::size_t>(col)].Object;
}

void TStringGrid::SetObjects(int col, int row, TObject* object) {
  CheckCell(col, row);
  Cell(col, row).Object = object;
}

TGridLine TStringGrid::Rows(int row) const {
  CheckCell(0, row);
  TGridLine line;
  line.reserve(static_cast<std::size_t>(FColCount));
  for (int c = 0; c < FColCount; ++c) line.push_back(CellCopy(c, row));
  return line;
}

void TStringGrid::SetRows(int row, const TGridLine& line) {
  CheckCell(0, row);
  for (int c = 0; c < FColCount; ++c)
    Cell(c, row) = c < static_cast<int>(line.size()) ? line[c] : TGridCell{};
  Changed(TControlChange::Content);
}

TGridLine TStringGrid::Cols(int col) const {
  CheckCell(col, 0);
  TGridLine line;
  line.reserve(static_cast<std::size_t>(FRowCount));
  for (int r = 0; r < FRowCount; ++r) line.push_back(CellCopy(col, r));
  return line;
}

void TStringGrid::SetCols(int col, const TGridLine& line) {
  CheckCell(col, 0);
  for (int r = 0; r < FRowCount; ++r)
    Cell(col, r) = r < static_cast<int>(line.size()) ? line[r] : TGridCell{};
  Changed(TControlChange::Content);
}

void TStringGrid::CheckPermutation(int first, const std::vector<int>& from, int count) const {
  const auto n = static_cast<long long>(from.size());
  if (first < 0 || first + n > count) OutOfRange();
  std::vector<char> seen(from.size(), 0);
  for (int f : from) {
    if (f < first || f - first >= n || seen[static_cast<std::size_t>(f - first)]++)
      throw EInvalidGridOperation("Grid permutation is not a permutation of its range");
  }
}

void TStringGrid::PermuteRows(int first, const std::vector<int>& from) {
  CheckPermutation(first, from, FRowCount);
  std::vector<std::size_t> bases;
  bases.reserve(from.size());
  for (int f : from) bases.push_back(FRowBase[static_cast<std::size_t>(f)]);
  std::copy(bases.begin(), bases.end(), FRowBase.begin() + first);
  Changed(TControlChange::Content);
}

void TStringGrid::PermuteCols(int first, const std::vector<int>& from) {
  CheckPermutation(first, from, FColCount);
  TGridLine moved(from.size());
  for (int r = 0; r < FRowCount; ++r) {
    for (std::size_t k = 0; k < from.size(); ++k) moved[k] = std::move(Cell(from[k], r));
    for (std::size_t k = 0; k < from.size(); ++k)
      Cell(first + static_cast<int>(k), r) = std::move(moved[k]);
  }
  Changed(TControlChange::Content);
}

int TStringGrid::ColWidths(int col) const {
  if (col < 0 || col >= FColCount) OutOfRange();
  return FColWidths[static_cast<std::size_t>(col)];
}

void TStringGrid::SetColWidths(int col, int width) {
  if (col < 0 || col >= FColCount) OutOfRange();
  FColWidths[static_cast<std::size_t>(col)] = std::max(0, width);
  Changed(TControlChange::Content);
}

void TStringGrid::SetDefaultColWidth(int width) {
  FDefaultColWidth = width;
  std::fill(FColWidths.begin(), FColWidths.end(), width);
  Changed(TControlChange::Content);
}

void TStringGrid::SetDefaultRowHeight(int height) {
  FDefaultRowHeight = std::max(1, height);
  Changed(TControlChange::Content);
}

void TStringGrid::SetGridLineWidth(int width) {
  FGridLineWidth = std::max(0, width);
  Changed(TControlChange::Content);
}

void TStringGrid::SetOptions(TGridOptions options) {
  FOptions = options;
  Changed(TControlChange::Options);
}

void TStringGrid::SetScrollBars(TScrollStyle style) {
  FScrollBars = style;
  Changed(TControlChange::Options);
}

void TStringGrid::SetRow(int row) {
  if (row < FFixedRows || row >= FRowCount) OutOfRange();
  FRow = row;
  // Keep the current row in view.
  int visible = std::max(1, VisibleRowCount());
  if (row < FTopRow)
    SetTopRow(row);
  else if (row >= FTopRow + visible)
    SetTopRow(row - visible + 1);
  Changed(TControlChange::Content);
}

void TStringGrid::SetCol(int col) {
  if (col < FFixedCols || col >= FColCount) OutOfRange();
  FCol = col;
  Changed(TControlChange::Content);
}

void TStringGrid::SetTopRow(int row) {
  int last = std::max(FFixedRows, FRowCount - std::max(1, VisibleRowCount()));
  row = std::clamp(row, FFixedRows, last);
  if (row == FTopRow) return;
  FTopRow = row;
  Changed(TControlChange::Content);
  if (OnTopLeftChanged) OnTopLeftChanged(this);
}

int TStringGrid::VisibleRowCount() const {
  int rowStep = FDefaultRowHeight + FGridLineWidth;
  int fixedHeight = FFixedRows * rowStep;
  return std::max(0, (ClientHeight() - fixedHeight) / rowStep);
}

TRect TStringGrid::CellRect(int col, int row) const {
  if (col < 0 || col >= FColCount || row < 0 || row >= FRowCount) return {};
  int x = 0;
  for (int c = 0; c < col; ++c) x += FColWidths[static_cast<std::size_t>(c)] + FGridLineWidth;
  int rowStep = FDefaultRowHeight + FGridLineWidth;
  int y;
  if (row < FFixedRows) {
    y = row * rowStep;
  } else {
    if (row < FTopRow) return {};
    y = (FFixedRows + row - FTopRow) * rowStep;
  }
  return {x, y, x + FColWidths[static_cast<std::size_t>(col)], y + FDefaultRowHeight};
}

void TStringGrid::MouseToCell(int x, int y, int& col, int& row) const {
  col = -1;
  row = -1;
  int left = 0;
  for (int c = 0; c < FColCount; ++c) {
    int right = left + FColWidths[static_cast<std::size_t>(c)] + FGridLineWidth;
    if (x >= left && x < right) {
      col = c;
      break;
    }
    left = right;
  }
  if (y < 0) return;
  int rowStep = FDefaultRowHeight + FGridLineWidth;
  int slot = y / rowStep;
  int r = slot < FFixedRows ? slot : FTopRow + (slot - FFixedRows);
  if (r < FRowCount) row = r;
}

void TStringGrid::Paint(TCanvas& canvas) {
  int width = ClientWidth(), height = ClientHeight();
  auto paintRow = [&](int row) {
    for (int col = 0; col < FColCount; ++col) {
      TRect rect = CellRect(col, row);
      if (rect.Left >= width) break;
      TGridDrawState state;
      bool fixed = row < FFixedRows || col < FFixedCols;
      if (fixed) state.Include(TGridDrawStateItem::Fixed);
      if (!fixed && row == FRow && (FOptions.Contains(TGridOption::RowSelect) || col == FCol))
        state.Include(TGridDrawStateItem::Selected);
      if (FDefaultDrawing) {
        bool selected = state.Contains(TGridDrawStateItem::Selected);
        canvas.Font = Font();
        canvas.Brush.Color = fixed ? FFixedColor : selected ? clHighlight : Color();
        if (selected) canvas.Font.SetColor(clHighlightText);
        canvas.FillRect(rect);
        TRect inner{rect.Left + 2, rect.Top + 2, rect.Right - 2, rect.Bottom - 2};
        canvas.DrawText(Cells(col, row), inner,
                        {TTextFormatFlag::Left, TTextFormatFlag::VCenter,
                         TTextFormatFlag::SingleLine, TTextFormatFlag::NoPrefix});
      }
      DrawCell(&canvas, col, row, rect, state);
    }
  };
  for (int row = 0; row < std::min(FFixedRows, FRowCount); ++row) paintRow(row);
  for (int row = FTopRow; row < FRowCount; ++row) {
    if (CellRect(0, row).Top >= height) break;
    paintRow(row);
  }
}

void TStringGrid::DrawCell(TCanvas* canvas, int col, int row, TRect rect, TGridDrawState state) {
  FCanvas = canvas;
  struct Reset {
    TCanvas*& c;
    ~Reset() { c = nullptr; }
  } reset{FCanvas};
  if (OnDrawCell) OnDrawCell(this, col, row, rect, state);
}

void TStringGrid::DoMouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
}

void TStringGrid::DoMouseMove(TShiftState shift, int x, int y) {
  if (OnMouseMove) OnMouseMove(this, shift, x, y);
}

void TStringGrid::UserSetColWidth(int col, int width) {
  SetColWidths(col, width);
  ColWidthsChanged();
}

}  // namespace glint
