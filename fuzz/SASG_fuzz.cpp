// TSortAStringGrid on grids and settings drawn from the input. Whatever it
// is given, a sort either refuses (an error code, or the conversion error of
// a hexadecimal key) and leaves the grid exactly as it was, or it reorders
// the range so that the keys are in order and every row (column) is one of
// the range's own, whole, with its cells' objects; nothing outside the range
// moves.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "controls/SASG.h"
#include "fuzz/FuzzCheck.h"
#include "rtl/SysUtils.h"
#include "ui/Grids.h"

namespace glint {
namespace {

using fuzz::Check;

struct TCellCopy {
  std::string Text;
  TObject* Object;
  bool operator==(const TCellCopy&) const = default;
};

std::vector<TCellCopy> CopyCells(const TStringGrid& grid) {
  std::vector<TCellCopy> cells;
  for (int row = 0; row < grid.RowCount(); ++row)
    for (int col = 0; col < grid.ColCount(); ++col)
      cells.push_back({std::string(grid.Cells(col, row)), grid.Objects(col, row)});
  return cells;
}

// Is `b` no smaller than `a` by the sort's own kind of key?
bool InOrder(const std::string& a, const std::string& b, ToSortType type, bool caseSensitive,
             const TFormatSettings& fs) {
  if (type == ToSortType::Numeric) return StrToInt(a) <= StrToInt(b);
  if (type == ToSortType::Date) return StrToDate(a, fs) <= StrToDate(b, fs);
  if (caseSensitive) return a <= b;
  return UpperCase(a) <= UpperCase(b);
}

}  // namespace
}  // namespace glint

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace glint;
  FuzzedDataProvider in(data, size);
  const int cols = in.ConsumeIntegralInRange(1, 6);
  const int rows = in.ConsumeIntegralInRange(1, 40);
  const bool rowMode = in.ConsumeBool();
  const int count = rowMode ? rows : cols, keyCount = rowMode ? cols : rows;

  TSortAStringGrid sorter(nullptr);
  sorter.SetHowToSort(rowMode ? SortType::Row : SortType::Column);
  sorter.SetSortType(static_cast<ToSortType>(in.ConsumeIntegralInRange(0, 2)));
  sorter.SetSortDirection(in.ConsumeBool() ? SortDirType::Descending : SortDirType::Ascending);
  sorter.SetCaseSensitiv(in.ConsumeBool());
  // Mostly inside the grid, sometimes just outside it.
  sorter.SetStartIndex(in.ConsumeIntegralInRange(-1, count));
  sorter.SetEndIndex(in.ConsumeIntegralInRange(-1, count));
  sorter.SetSortIndex(in.ConsumeIntegralInRange(-1, keyCount));
  TFormatSettings fs;
  fs.DecimalSeparator = in.ConsumeIntegral<char>();
  fs.DateSeparator = in.ConsumeIntegral<char>();
  fs.ShortDateFormat = in.ConsumeRandomLengthString(12);
  fs.TwoDigitYearCenturyWindow = in.ConsumeIntegral<int>();
  sorter.SetFormatSettings(fs);

  TStringGrid grid(nullptr);
  grid.SetColCount(cols);
  grid.SetRowCount(rows);
  // Each cell's object names the cell it started in.
  const auto tags = std::make_unique<TObject[]>(static_cast<std::size_t>(rows * cols));
  for (int row = 0; row < rows; ++row)
    for (int col = 0; col < cols; ++col) {
      grid.SetCells(col, row, in.ConsumeRandomLengthString(16));
      grid.SetObjects(col, row, &tags[static_cast<std::size_t>(row * cols + col)]);
    }
  sorter.SetGridToSort(&grid);
  const std::vector<TCellCopy> before = CopyCells(grid);

  bool sorted = false;
  try {
    sorted = sorter.Sort();
  } catch (const EConvertError&) {
    fuzz::Check(CopyCells(grid) == before, "a sort that raises leaves the grid untouched");
    return 0;
  }
  fuzz::Check(sorted == (sorter.SortResult() <= 0), "Sort's result agrees with SortResult");
  if (!sorted) {
    fuzz::Check(CopyCells(grid) == before, "a refused sort leaves the grid untouched");
    return 0;
  }

  const int start = sorter.StartIndex(), end = sorter.EndIndex(), key = sorter.SortIndex();
  // cell(line, k): the k-th cell of a row (row mode) or a column (column mode).
  auto at = [&](int line, int k) {
    return rowMode ? std::make_pair(k, line) : std::make_pair(line, k);
  };
  std::vector<bool> used(static_cast<std::size_t>(count));
  for (int line = 0; line < count; ++line) {
    const auto [col0, row0] = at(line, 0);
    const auto* tag = grid.Objects(col0, row0);
    const std::ptrdiff_t index = tag - tags.get();
    const int from = rowMode ? static_cast<int>(index / cols) : static_cast<int>(index % cols);
    fuzz::Check(line >= start && line <= end ? from >= start && from <= end : from == line,
                "only the range moves, within itself");
    fuzz::Check(!used[static_cast<std::size_t>(from)], "no row or column is there twice");
    used[static_cast<std::size_t>(from)] = true;
    for (int k = 0; k < keyCount; ++k) {
      const auto [col, row] = at(line, k);
      const auto [oldCol, oldRow] = at(from, k);
      const TCellCopy& old = before[static_cast<std::size_t>(oldRow * cols + oldCol)];
      fuzz::Check(grid.Cells(col, row) == old.Text && grid.Objects(col, row) == old.Object,
                  "rows and columns move whole");
    }
  }
  const bool descending = sorter.SortDirection() == SortDirType::Descending;
  for (int line = start; line < end; ++line) {
    const auto [colA, rowA] = at(line, key);
    const auto [colB, rowB] = at(line + 1, key);
    const std::string a(grid.Cells(colA, rowA)), b(grid.Cells(colB, rowB));
    fuzz::Check(InOrder(descending ? b : a, descending ? a : b, sorter.GetSortType(),
                        sorter.CaseSensitiv(), fs),
                "the keys are in order");
  }
  return 0;
}
