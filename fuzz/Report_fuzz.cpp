// The report model on any bytes, as a message or a file brings them. A text
// is taken exactly when it has the six header lines, and then the report
// keeps the text's lines (up to the first zero byte); its rows, cells,
// details and unit map hold their invariants; saved and opened again it has
// the same lines; and the monitor's grid of it shows the report's rows, each
// row keeping its own cells (and so its details) through a title click.
//
// No window: the window shows a report through the same grid rows and sort
// (monitor/ReportGrid.h), and what it adds (the message intake, the edits,
// the error box) does not depend on the text's shape; its own tests cover it.
// The web page of `glint html` carries the report's texts as data: no '<'
// where they travel, and each cell and detail line comes back whole.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "fuzz/FuzzCheck.h"
#include "monitor/Report.h"
#include "monitor/ReportGrid.h"
#include "rtl/StringList.h"
#include "rtl/SysUtils.h"
#include "tools/glint/HtmlPage.h"
#include "ui/Grids.h"

namespace glint {
namespace {

using fuzz::Check;

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

// Where the parse must find rows and details, walked over the text's lines
// the plain way: row lines from line 9 on, a detail block (a line starting
// with a space and the non-empty lines after it) belonging to the row before
// it, the unit map after "Unit Map:".
struct TLayout {
  struct TRow {
    std::size_t Line, DetailFirst = 0, DetailCount = 0;
  };
  std::vector<TRow> Rows;
  std::size_t UnitMapLines = 0;
  bool HasUnitMap = false;
};

TLayout LayoutOf(const std::vector<std::string>& lines) {
  TLayout layout;
  for (std::size_t i = 9; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    if (line.empty()) continue;
    if (line.starts_with("Unit Map:")) {
      layout.HasUnitMap = true;
      layout.UnitMapLines = lines.size() - i - 1;
      break;
    }
    if (line[0] != ' ') {
      layout.Rows.push_back({i});
      continue;
    }
    const std::size_t first = i;
    while (i + 1 < lines.size() && !lines[i + 1].empty()) ++i;
    if (!layout.Rows.empty()) {
      layout.Rows.back().DetailFirst = first;
      layout.Rows.back().DetailCount = i - first + 1;
    }
  }
  return layout;
}

// A row's cells are words of its line, in order: nothing but blanks lies
// outside them, none begins or ends with a blank, and the first three hold
// no space.
void CheckCells(const TReport& report, std::uint32_t row, std::string_view line) {
  const char* at = line.data();
  const char* const end = line.data() + line.size();
  for (int col = 0; col < 4; ++col) {
    const std::string_view cell = report.Cell(col, row);
    if (cell.empty()) continue;
    Check(cell.data() >= at && cell.data() + cell.size() <= end, "a cell is a part of its line");
    Check(std::all_of(at, cell.data(), IsBlank), "only blanks lie between cells");
    Check(!IsBlank(cell.front()) && !IsBlank(cell.back()), "a cell is trimmed");
    Check(col == 3 || cell.find(' ') == std::string_view::npos, "a cell before Contents is a word");
    at = cell.data() + cell.size();
  }
  Check(std::all_of(at, end, IsBlank), "only blanks follow the last cell");
}

void CheckRows(const TReport& report, const TStringList& lines) {
  const TLayout layout = LayoutOf(lines.Items());
  Check(report.RowCount() == layout.Rows.size(), "one row per row line");
  for (std::uint32_t row = 0; row < report.RowCount(); ++row) {
    const TLayout::TRow& expected = layout.Rows[row];
    CheckCells(report, row, report.Line(static_cast<std::uint32_t>(expected.Line)));
    const TReportLines details = report.Details(row);
    Check(details.Count() == expected.DetailCount, "a row has the last detail block after it");
    for (std::uint32_t i = 0; i < details.Count(); ++i)
      Check(details[i] == Trim(lines[static_cast<int>(expected.DetailFirst + i)]),
            "a detail line is its text line trimmed");
  }
  Check(report.Cell(0, report.RowCount()).empty() && report.Details(report.RowCount()).Count() == 0,
        "nothing beyond the last row");

  const std::vector<std::string>& units = report.UnitMap().Items();
  Check(layout.HasUnitMap || units.empty(), "no unit map without its line");
  Check(units.size() <= layout.UnitMapLines, "at most one entry per unit map line");
  for (std::size_t k = 0; k < units.size(); ++k) {
    Check(units[k].find('=') != std::string::npos, "a unit map entry is Name=File");
    Check(k == 0 || units[k - 1] < units[k], "the unit map is sorted without duplicates");
  }
}

// The grid's data rows are the report's rows, in report order, then in any
// order a title click leaves them, each row still showing its own item.
void CheckGrid(const std::shared_ptr<const TReport>& report, int col) {
  TStringGrid grid(nullptr);
  grid.SetColCount(4);
  grid.SetRowCount(2);
  grid.SetFixedRows(1);
  for (int c = 0; c < 4; ++c) grid.SetCells(c, 0, kReportColumnTitles[c]);
  TGridRows rows = ReportGridRows(grid, report);
  grid.SwapRows(rows);
  const std::uint32_t count = report->RowCount();
  Check(grid.RowCount() == 1 + static_cast<int>(std::max<std::uint32_t>(count, 1)),
        "a title row and one row per report row, or one empty row");
  for (int c = 0; c < 4; ++c) Check(grid.Cells(c, 0) == kReportColumnTitles[c], "titles stay");
  if (count == 0) {
    Check(grid.SourceItem(1) < 0 && grid.Cells(3, 1).empty(),
          "a report without rows, one empty row");
    return;
  }
  for (std::uint32_t k = 0; k < count; ++k)
    Check(grid.SourceItem(static_cast<int>(k) + 1) == k, "rows start in report order");
  try {
    SortReportGrid(grid, col);
  } catch (const Exception&) {
    // A numeric column with a number the sorter rejects: the window's error box.
  }
  std::vector<bool> seen(count);
  for (int row = 1; row < grid.RowCount(); ++row) {
    const std::int64_t item = grid.SourceItem(row);
    Check(item >= 0 && item < count && !seen[static_cast<std::size_t>(item)],
          "a sort moves rows, never drops or doubles one");
    seen[static_cast<std::size_t>(item)] = true;
    for (int c = 0; c < 4; ++c)
      Check(grid.Cells(c, row) == report->Cell(c, static_cast<std::uint32_t>(item)),
            "a row shows its own report row");
  }
}

// Reads back what a page carries for the rows: the part between the rows
// element's start and its end tag, escapes undone, UTF-8 made single-byte
// again. No other part of the page holds a report text unescaped.
void CheckPage(const TReport& report) {
  std::string page;
  Check(WriteHtmlPage(report, nullptr, [&page](std::string_view piece) {
          page += piece;
          return true;
        }),
        "a page is written");
  const std::string_view start = "type=\"text/x-glint-rows\">";
  const std::size_t from = page.find(start) + start.size();
  const std::size_t to = page.find("</script>", from);
  Check(from >= start.size() && to != std::string::npos, "the rows lie in their element");
  const std::string_view carried = std::string_view(page).substr(from, to - from);
  Check(carried.find('<') == std::string_view::npos, "no '<' where the rows travel");
  const std::size_t meta = page.find("application/json\">");
  Check(page.find('<', meta + 18) == page.find("</script>", meta), "no '<' in the page's JSON");
  std::string text;
  for (std::size_t i = 0; i < carried.size(); ++i) {
    auto c = static_cast<unsigned char>(carried[i]);
    if (c == 1) {
      Check(i + 1 < carried.size() && (carried[i + 1] == 'L' || carried[i + 1] == 1),
            "an escape is whole");
      text += carried[++i] == 'L' ? '<' : '\x01';
    } else if (c >= 0xC2 && c <= 0xC3 && i + 1 < carried.size()) {
      text += static_cast<char>((c & 3) << 6 | (static_cast<unsigned char>(carried[++i]) & 0x3F));
    } else {
      Check(c < 0x80, "bytes past ASCII travel as UTF-8");
      text += static_cast<char>(c);
    }
  }
  std::string expected;
  for (std::uint32_t row = 0; row < report.RowCount(); ++row) {
    for (int col = 0; col < 4; ++col) (expected += report.Cell(col, row)) += '\n';
    const TReportLines details = report.Details(row);
    for (std::uint32_t i = 0; i < details.Count(); ++i) (expected += details[i]) += '\n';
  }
  Check(text == expected, "a page carries every cell and detail line as it is");
}

struct TTempFile {
  std::filesystem::path Path = std::filesystem::temp_directory_path() /
                               ("glint-report-fuzz-" + std::to_string(::getpid()) + ".gln");
  TTempFile() {
    static const std::filesystem::path* path = &Path;
    std::atexit([] { std::filesystem::remove(*path); });
  }
};

}  // namespace
}  // namespace glint

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace glint;
  static TTempFile& file = *new TTempFile;
  const std::string_view bytes = fuzz::Bytes(data, size);
  TStringList lines;
  lines.SetText(bytes.substr(0, bytes.find('\0')));

  std::shared_ptr<const TReport> report;
  try {
    report = std::make_shared<const TReport>(bytes);
  } catch (const EStringListError&) {
    Check(lines.Count() < 6, "only a text without its six header lines is rejected");
    return 0;
  }
  Check(lines.Count() >= 6, "a text without its six header lines is rejected");
  Check(report->Lines().Items() == lines.Items(), "the report keeps the text's lines");
  const int headerLines[] = {0, 2, 4, 5};
  for (int i = 0; i < 4; ++i)
    Check((i >= 2 || report->Header(i).size() <= 255) &&
              lines[headerLines[i]].find(report->Header(i)) != std::string::npos,
          "a header field is a part of its line, the first two at most 255 characters");
  CheckRows(*report, lines);
  CheckGrid(report, static_cast<int>(size % 4));
  CheckPage(*report);

  report->SaveToFile(file.Path.string());
  const TReport reopened = TReport::LoadFromFile(file.Path.string());
  Check(reopened.Lines().Items() == lines.Items(), "a saved report opens with the same lines");
  return 0;
}
