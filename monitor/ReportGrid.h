// monitor/ReportGrid.h: a report shown in a string grid. The grid's data
// rows read their cells from the report and hold one index each, so a grid
// of a million rows costs a few megabytes beside the report, and a sort
// moves indices, not texts.
#pragma once

#include <cstdint>
#include <memory>

#include "controls/SASG.h"
#include "monitor/Report.h"
#include "ui/Grids.h"

namespace glint {

// The captions of the header fields, as the window labels them.
constexpr const char* kReportHeaderCaptions[4] = {"Report on", "created at", "peak # ptrs",
                                                  "peak bytes"};
// The grid's columns and their titles, row 0.
constexpr const char* kReportColumnTitles[4] = {"Unit Name", "Line", "Bytes", "Contents"};

// How a title click sorts each column: the sorter's type and direction.
struct TColumnSort {
  ToSortType Type;
  SortDirType Direction;
};
extern const TColumnSort kColumnSorts[4];

// The rows of a grid of the report's four columns: a copy of the grid's
// title row, then the report's rows in report order, or one empty row when
// it has none. Made aside, so running out of memory leaves the grid as it
// was; TStringGrid::SwapRows puts them in.
TGridRows ReportGridRows(const TStringGrid& grid, std::shared_ptr<const TReport> report);

// The detail lines of the report row a grid row shows, wherever a sort has
// put it; no lines for the title row and a row of the grid's own.
TReportLines DetailsOfGridRow(const TStringGrid& grid, const TReport& report, int row);

// Sorts the data rows by column `col` with that column's settings, as a
// click on the column's title does. Raises what the sorter lets through.
void SortReportGrid(TStringGrid& grid, int col);

}  // namespace glint
