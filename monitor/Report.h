// monitor/Report.h: a memory-leak report as parsed from its text, with no
// window: the header fields, the rows with their four cells, each row's
// detail lines, the unit map and the report's lines.
//
// A report is made once, by a parse that either succeeds whole or raises
// (EStringListError for a text without its header lines, std::bad_alloc
// when memory runs out), and never changes afterwards. It is compact: the
// text is held once; lines, rows and detail blocks are 32-bit offsets into
// it, and cells are cut from their row's line when asked for. Nothing is
// allocated per line or per cell.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "rtl/StringList.h"
#include "rtl/SysUtils.h"

namespace glint {

class TReport;

// Consecutive lines of a report: all of them, or one row's detail lines
// (those trimmed of blanks). Valid while its report lives.
class TReportLines {
 public:
  TReportLines() = default;
  std::uint32_t Count() const { return FCount; }
  std::string_view operator[](std::uint32_t index) const;
  // Copies, for small lists and for tests.
  std::vector<std::string> Items() const;

 private:
  friend class TReport;
  TReportLines(const TReport* report, std::uint32_t first, std::uint32_t count, bool trimmed)
      : FReport(report), FFirst(first), FCount(count), FTrimmed(trimmed) {}
  const TReport* FReport = nullptr;
  std::uint32_t FFirst = 0, FCount = 0;
  bool FTrimmed = false;
};

class TReport {
 public:
  // The empty report a window shows before any arrives: no lines, no rows.
  TReport();
  // Parses a report's bytes, from a file or a message alike: a zero byte
  // ends the text, as it ends the string a sender passes. Lines end at CR
  // LF, CR or LF. A text of 4 GB or more raises std::bad_alloc: offsets are
  // 32-bit, and no IDE's address space holds such a report anyway.
  explicit TReport(std::string_view bytes);
  TReport(TReport&&) noexcept;
  TReport& operator=(TReport&&) noexcept;
  ~TReport();

  // Reads a report file; raises EInOutError naming the file when it cannot
  // be read, and what the parse raises.
  static TReport LoadFromFile(const std::string& fileName);
  // Writes the report's lines, each ended by CR LF, through a temporary
  // beside the file, so a failed save leaves the previous file whole;
  // raises EInOutError naming the file.
  void SaveToFile(const std::string& fileName) const;

  // "Report on", "Created at", the peak pointer count and the peak bytes,
  // as the window's header edits show them.
  const std::string& Header(int index) const { return FHeader[index & 3]; }

  TReportLines Lines() const { return {this, 0, LineCount(), false}; }
  std::uint32_t LineCount() const { return static_cast<std::uint32_t>(FLines.size()); }
  std::string_view Line(std::uint32_t index) const;

  // Data rows in report order, each from one row line.
  std::uint32_t RowCount() const { return static_cast<std::uint32_t>(FRows.size()); }
  // Columns 0 to 2 ("Unit Name", "Line", "Bytes") take the text up to the
  // next space; column 3 ("Contents") the rest; "" outside the report.
  std::string_view Cell(int col, std::uint32_t row) const;
  // The last detail block that follows the row; Count() 0 when none.
  TReportLines Details(std::uint32_t row) const;

  // "Name=File", sorted, each entry once.
  const TStringList& UnitMap() const { return FUnitMap; }

 private:
  struct TSpan {
    std::uint32_t Begin, Size;
  };
  struct TRow {
    std::uint32_t Line, DetailFirst, DetailCount;
  };
  // Parses `text` (no zero byte in it) into this empty report.
  void Parse(std::string text);
  void SplitLines();
  void ReadBody();

  std::string FText;
  std::vector<TSpan> FLines;
  std::vector<TRow> FRows;
  std::string FHeader[4];
  TStringList FUnitMap;
};

// When set, a parse calls it before it makes each row (`row` 0 the first), so
// a test can make a parse fail part way as running out of memory would. The
// kit's own modules never set it.
using TParseRowHook = void (*)(std::uint32_t row);
inline TParseRowHook ParseRowHook = nullptr;

// Raises EStringListError "List index out of bounds (n)" for the first
// header line (0, 2, 4, 5, in the order they are read) that a report of
// `lineCount` lines lacks.
void CheckReportHeader(std::size_t lineCount);

}  // namespace glint
