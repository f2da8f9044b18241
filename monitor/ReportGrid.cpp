#include "monitor/ReportGrid.h"

#include <utility>

namespace glint {

namespace {

class TReportSource final : public TGridSource {
 public:
  explicit TReportSource(std::shared_ptr<const TReport> report) : FReport(std::move(report)) {}
  std::string_view CellText(int col, std::uint32_t item) const override {
    return FReport->Cell(col, item);
  }

 private:
  std::shared_ptr<const TReport> FReport;
};

}  // namespace

const TColumnSort kColumnSorts[4] = {
    {ToSortType::Character, SortDirType::Ascending},  // Unit Name
    {ToSortType::Numeric, SortDirType::Ascending},    // Line
    {ToSortType::Numeric, SortDirType::Descending},   // Bytes: largest first
    {ToSortType::Character, SortDirType::Ascending},  // Contents
};

TGridRows ReportGridRows(const TStringGrid& grid, std::shared_ptr<const TReport> report) {
  TGridRows rows(grid.ColCount());
  grid.CopyRows(0, 1, rows);
  if (report->RowCount() == 0) {
    rows.Add();
  } else {
    const std::uint32_t count = report->RowCount();
    rows.AddItems(std::make_shared<TReportSource>(std::move(report)), count);
  }
  return rows;
}

TReportLines DetailsOfGridRow(const TStringGrid& grid, const TReport& report, int row) {
  const std::int64_t item = row < 1 ? -1 : grid.SourceItem(row);
  return item < 0 ? TReportLines() : report.Details(static_cast<std::uint32_t>(item));
}

void SortReportGrid(TStringGrid& grid, int col) {
  if (col < 0 || col >= 4) return;
  TSortAStringGrid sorter(nullptr);
  sorter.SetGridToSort(&grid);
  sorter.SetHowToSort(SortType::Row);
  sorter.SetSortIndex(col);
  sorter.SetStartIndex(1);
  sorter.SetEndIndex(grid.RowCount() - 1);
  sorter.SetSortType(kColumnSorts[col].Type);
  sorter.SetSortDirection(kColumnSorts[col].Direction);
  // Messages stay off: a range too small to sort or a column that is not
  // all numbers is not worth a dialog.
  sorter.Sort();
}

}  // namespace glint
