#include "tools/glint/GlintShow.h"

#include <algorithm>
#include <sstream>
#include <utility>

#include "monitor/ReportGrid.h"
#include "tools/glint/Json.h"

namespace glint {

namespace {

void Pad(std::ostream& out, std::size_t width, std::size_t used) {
  for (; used < width; ++used) out << ' ';
}

}  // namespace

TReportView::TReportView() : TReportView(std::make_shared<const TReport>()) {}

TReportView::TReportView(std::shared_ptr<const TReport> report) : FGrid(nullptr) {
  FGrid.SetColCount(4);
  FGrid.SetRowCount(2);
  FGrid.SetFixedRows(1);
  for (int col = 0; col < 4; ++col) FGrid.SetCells(col, 0, kReportColumnTitles[col]);
  Show(std::move(report));
}

void TReportView::Show(std::shared_ptr<const TReport> report) {
  TGridRows rows = ReportGridRows(FGrid, report);
  FGrid.SwapRows(rows);
  FGrid.SetFixedRows(1);
  FReport = std::move(report);
}

void TReportView::LoadFile(const std::string& fileName) {
  Show(std::make_shared<const TReport>(TReport::LoadFromFile(fileName)));
}

void TReportView::LoadText(std::string_view text) { Show(std::make_shared<const TReport>(text)); }

void TReportView::ClickTitle(int col) { SortReportGrid(FGrid, col); }

TReportLines TReportView::DetailsOfRow(int row) const {
  return DetailsOfGridRow(FGrid, *FReport, row);
}

int GridColumnOf(const std::string& name) {
  if (name.size() == 1 && name[0] >= '0' && name[0] <= '3') return name[0] - '0';
  for (int col = 0; col < 4; ++col)
    if (CompareText(name, kReportColumnTitles[col]) == 0) return col;
  return -1;
}

void WriteTable(const TReportView& view, std::ostream& out) {
  std::size_t labelWidth = 0;
  for (const char* label : kReportHeaderCaptions)
    labelWidth = std::max(labelWidth, std::string_view(label).size());
  for (int i = 0; i < 4; ++i) {
    out << kReportHeaderCaptions[i];
    Pad(out, labelWidth + 2, std::string_view(kReportHeaderCaptions[i]).size());
    out << view.Report().Header(i) << '\n';
  }
  out << '\n';

  const TStringGrid& grid = view.Grid();
  auto marked = [&](int col, int row) {
    return col == 0 && row > 0 && view.DetailsOfRow(row).Count() > 0;
  };
  // Columns are as wide as their widest cell up to a cap; a longer cell is
  // written whole and pushes only its own row out of line, so one huge cell
  // cannot pad every other row to its width.
  std::size_t widths[3] = {0, 0, 0};
  for (int row = 0; row < grid.RowCount(); ++row)
    for (int col = 0; col < 3; ++col) {
      const std::size_t size = grid.Cells(col, row).size() + (marked(col, row) ? 4 : 0);
      widths[col] = std::max(widths[col], std::min(size, kTableColumnWidthCap));
    }
  std::string line;
  for (int row = 0; row < grid.RowCount(); ++row) {
    // Built whole so an empty "Contents" leaves no trailing blanks.
    line.clear();
    for (int col = 0; col < 3; ++col) {
      const std::size_t start = line.size();
      line += grid.Cells(col, row);
      if (marked(col, row)) line += " ...";
      const std::size_t size = line.size() - start;
      line.append(size < widths[col] + 2 ? widths[col] + 2 - size : 1, ' ');
    }
    line += grid.Cells(3, row);
    out << TrimRight(line) << '\n';
    if (row == 0) {
      for (int col = 0; col < 3; ++col) out << std::string(widths[col], '-') << "  ";
      out << std::string(std::max<std::size_t>(grid.Cells(3, 0).size(), 8), '-') << '\n';
    } else {
      const TReportLines details = view.DetailsOfRow(row);
      for (std::uint32_t i = 0; i < details.Count(); ++i) out << "    " << details[i] << '\n';
    }
  }

  const TStringList& unitMap = view.Report().UnitMap();
  out << "\nUnit map:\n";
  if (unitMap.Count() == 0) out << "  (empty)\n";
  for (const std::string& entry : unitMap.Items()) out << "  " << entry << '\n';
}

std::string JsonString(std::string_view text) {
  std::ostringstream out;
  WriteJsonLine(Latin1ToUtf8(text), out);
  return out.str();
}

void WriteJson(const TReportView& view, std::ostream& out) {
  const TReport& report = view.Report();
  const TJson head = {{"reportOn", Latin1ToUtf8(report.Header(0))},
                      {"createdAt", Latin1ToUtf8(report.Header(1))},
                      {"peakPointers", Latin1ToUtf8(report.Header(2))},
                      {"peakBytes", Latin1ToUtf8(report.Header(3))}};
  std::ostringstream start;
  WriteJsonLine(head, start);
  out << start.view().substr(0, start.view().size() - 1) << ", \"rows\": [";
  // One row at a time: a report of a million rows is never held as a JSON
  // document beside the report.
  const TStringGrid& grid = view.Grid();
  TJson item = {{"unit", ""}, {"line", ""}, {"bytes", ""}, {"contents", ""}, {"details", nullptr}};
  for (int row = 1; row < grid.RowCount(); ++row) {
    static const char* const kNames[] = {"unit", "line", "bytes", "contents"};
    for (int col = 0; col < 4; ++col) item[kNames[col]] = Latin1ToUtf8(grid.Cells(col, row));
    TJson& details = item["details"];
    details = nullptr;
    if (const TReportLines lines = view.DetailsOfRow(row); lines.Count() > 0) {
      details = TJson::array();
      for (std::uint32_t i = 0; i < lines.Count(); ++i) details.push_back(Latin1ToUtf8(lines[i]));
    }
    if (row > 1) out << ", ";
    WriteJsonLine(item, out);
  }
  TJson unitMap = TJson::array();
  for (const std::string& entry : report.UnitMap().Items()) unitMap.push_back(Latin1ToUtf8(entry));
  out << "], \"unitMap\": ";
  WriteJsonLine(unitMap, out);
  out << "}\n";
}

}  // namespace glint
