// tools/glint/HtmlPage.h: `glint html`: a report as one web page that
// opens from a file, offline: the header, a chart of where the memory goes,
// and the rows as the monitor window shows them, sorted by a click on a
// column title exactly as the window sorts them.
//
// The page is the template in html/report.html with the report as data.
// Every text of the report stays data: the rows travel in a script element
// of a type no browser runs, with each '<' (and the escape byte itself)
// escaped, and the page puts them into the document as text only. Report
// text is single-byte; the page is UTF-8 (each byte above 0x7F becomes the
// code point of the same number, as in `glint show --json`).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/glint/ReportStats.h"

namespace glint {

class TReport;

// A report's comparison with an older one: what `glint diff OLD NEW` counts,
// and which rows of NEW are its added allocations (report order, from 0).
struct THtmlBaseline {
  std::string Name;  // as given, shown on the page
  TReportDiff Diff;
  std::vector<std::uint32_t> AddedRows;
};

// Receives the page in pieces; false stops the writing.
using THtmlSink = std::function<bool(std::string_view)>;

// Writes the page; false when the sink refused a piece.
bool WriteHtmlPage(const TReport& report, const THtmlBaseline* baseline, const THtmlSink& sink);

// A row text as it travels in the page: '<' becomes "\x01L" and the byte 1
// "\x01\x01", so no text can close the element that carries it.
void AppendPageText(std::string_view text, std::string& out);

}  // namespace glint
