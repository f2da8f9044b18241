// tests/support/ReportGenerator.h: leak reports of any size, made on demand
// for tests and benchmarks, so no large report is kept in the repository.
//
// The text has the monitor's report layout: the nine header lines, one row
// line per allocation (unit, line, bytes, contents of the three kinds), a
// detail block after every n-th row, and a unit map at the end. The same
// shape and seed give the same text on every platform.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace glint {

struct TReportShape {
  int Rows = 1000;
  // A detail block follows every DetailEvery-th row (0: no details).
  int DetailEvery = 10;
  int DetailLines = 2;
  int Units = 97;
  std::uint32_t Seed = 1;
  const char* LineEnd = "\r\n";
};

std::string GenerateReport(const TReportShape& shape);

// The number of rows that makes a report of about `bytes` with this shape.
int RowsForBytes(std::size_t bytes, const TReportShape& shape);

// The unit name of row `row` (1-based, grid order) of a generated report,
// and its grid cells; lets a test check any row without parsing the text.
struct TGeneratedRow {
  std::string Unit, Line, Bytes, Contents;
};
TGeneratedRow GeneratedRow(const TReportShape& shape, int row);

}  // namespace glint
