// tools/glint/GlintShow.h: `glint show`: a report read into the report
// model and shown in a bare grid as the monitor window shows it, written as
// a table or as JSON.
//
// Reading raises EInOutError when the file cannot be read and
// EStringListError (the monitor's own message) when the parse rejects it.
// Rendering reads the view only and does not throw.
#pragma once

#include <memory>
#include <ostream>
#include <string>
#include <string_view>

#include "monitor/Report.h"
#include "ui/Grids.h"

namespace glint {

// A report and the grid of the monitor window showing it: the title row,
// then one row per report row, which title clicks reorder.
class TReportView {
 public:
  // The empty report, as the window shows before any arrives.
  TReportView();
  explicit TReportView(std::shared_ptr<const TReport> report);
  TReportView(const TReportView&) = delete;
  TReportView& operator=(const TReportView&) = delete;

  // Shows `report`, rows in report order; when memory runs out the view
  // keeps what it showed.
  void Show(std::shared_ptr<const TReport> report);
  // Reads the file as the monitor's File/Open does and shows it.
  void LoadFile(const std::string& fileName);
  // Parses a report text as the monitor's WM_COPYDATA intake does.
  void LoadText(std::string_view text);

  // Clicks the title of grid column `col`: the rows are sorted as the
  // monitor's handler sorts them. Raises what the window would show in its
  // error box.
  void ClickTitle(int col);

  const TReport& Report() const { return *FReport; }
  const TStringGrid& Grid() const { return FGrid; }
  // The detail lines of a grid row, wherever a sort has put it; none for
  // the title row and the one empty row of a report without rows.
  TReportLines DetailsOfRow(int row) const;

 private:
  std::shared_ptr<const TReport> FReport;
  TStringGrid FGrid;
};

// A grid column named by its index ("0" to "3") or its title, any case;
// -1 for anything else.
int GridColumnOf(const std::string& name);

// The widest a table column gets; longer cells are written whole.
constexpr std::size_t kTableColumnWidthCap = 40;

// Header fields, the grid as an aligned table (rows with details marked
// " ..." and followed by their detail lines, indented), then the unit map.
void WriteTable(const TReportView& view, std::ostream& out);
// One JSON object: reportOn, createdAt, peakPointers, peakBytes, rows, unitMap.
void WriteJson(const TReportView& view, std::ostream& out);
// A JSON string literal; bytes 0x80-0xFF become \u0080-\u00FF.
std::string JsonString(std::string_view text);

}  // namespace glint
