#include "tools/glint/HtmlPage.h"

#include <algorithm>
#include <sstream>

#include "monitor/Report.h"
#include "monitor/ReportGrid.h"
#include "tools/glint/Json.h"

namespace glint {

extern const char kHtmlTemplate[];

namespace {

// Where the data goes in the template.
constexpr std::string_view kDataMarker = "<!--glint:data-->";
// The chart and the table of sites show this many; the rest are summed.
constexpr std::size_t kChartUnits = 12;
constexpr std::size_t kTopSites = 15;
// The page goes to the sink in blocks of about this size.
constexpr std::size_t kBlock = 1 << 20;

TJson CountWithText(const TLeakCount& count) {
  return {{"allocations", count.Allocations},
          {"bytes", count.Bytes},
          {"unknownSize", count.UnknownSize},
          {"text", CountText(count)}};
}

TJson SitesJson(const std::vector<TSiteSummary>& sites, std::size_t shown, bool withLine) {
  TJson out = TJson::array();
  for (std::size_t i = 0; i < std::min(shown, sites.size()); ++i) {
    TJson site = {{"unit", Latin1ToUtf8(sites[i].Unit)}};
    if (withLine) site["line"] = Latin1ToUtf8(sites[i].Line);
    site.update(CountWithText(sites[i].Count));
    out.push_back(std::move(site));
  }
  return out;
}

// Allocated rows as runs: first row, count, first row, count, ...
TJson RunsJson(const std::vector<std::uint32_t>& rows) {
  TJson out = TJson::array();
  for (std::size_t i = 0; i < rows.size();) {
    std::size_t end = i + 1;
    while (end < rows.size() && rows[end] == rows[end - 1] + 1) ++end;
    out.push_back(rows[i]);
    out.push_back(end - i);
    i = end;
  }
  return out;
}

TJson MetaJson(const TReport& report, const THtmlBaseline* baseline) {
  TJson header = TJson::array(), captions = TJson::array(), titles = TJson::array();
  for (int i = 0; i < 4; ++i) {
    header.push_back(Latin1ToUtf8(report.Header(i)));
    captions.push_back(kReportHeaderCaptions[i]);
    titles.push_back(kReportColumnTitles[i]);
  }
  TJson details = TJson::array();
  for (std::uint32_t row = 0; row < report.RowCount(); ++row)
    if (const std::uint32_t count = report.Details(row).Count(); count > 0) {
      details.push_back(row);
      details.push_back(count);
    }
  TJson unitMap = TJson::array();
  for (const std::string& entry : report.UnitMap().Items()) unitMap.push_back(Latin1ToUtf8(entry));

  const std::vector<TSiteSummary> units = Summarize(report, false);
  TLeakCount total, others;
  for (std::size_t i = 0; i < units.size(); ++i) {
    total.Add(units[i].Count);
    if (i >= kChartUnits) others.Add(units[i].Count);
  }
  TJson meta = {{"header", header},
                {"captions", captions},
                {"titles", titles},
                {"rowCount", report.RowCount()},
                {"details", details},
                {"unitMap", unitMap},
                {"units", SitesJson(units, kChartUnits, false)},
                {"otherUnits", nullptr},
                {"sites", SitesJson(Summarize(report, true), kTopSites, true)},
                {"total", CountWithText(total)},
                {"baseline", nullptr}};
  if (units.size() > kChartUnits) {
    meta["otherUnits"] = CountWithText(others);
    meta["otherUnits"]["units"] = units.size() - kChartUnits;
  }
  if (baseline) {
    const TReportDiff& diff = baseline->Diff;
    meta["baseline"] = {{"name", Latin1ToUtf8(baseline->Name)},
                        {"added", CountWithText(diff.Added)},
                        {"gone", CountWithText(diff.Gone)},
                        {"old", CountWithText(diff.Old)},
                        {"addedRows", RunsJson(baseline->AddedRows)}};
  }
  return meta;
}

// The blocked writer: pieces collect in a buffer that goes to the sink
// whenever it is full.
class TPageWriter {
 public:
  explicit TPageWriter(const THtmlSink& sink) : FSink(sink) { FBuffer.reserve(kBlock + 4096); }
  std::string& Buffer() { return FBuffer; }
  void Put(std::string_view text) {
    FBuffer += text;
    Spill();
  }
  void Spill() {
    if (FBuffer.size() >= kBlock) Flush();
  }
  bool Flush() {
    if (FOk && !FBuffer.empty()) FOk = FSink(FBuffer);
    FBuffer.clear();
    return FOk;
  }

 private:
  const THtmlSink& FSink;
  std::string FBuffer;
  bool FOk = true;
};

}  // namespace

void AppendPageText(std::string_view text, std::string& out) {
  for (char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == '<') {
      out += "\x01L";
    } else if (c == 1) {
      out += "\x01\x01";
    } else if (c < 0x80) {
      out += ch;
    } else {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
}

bool WriteHtmlPage(const TReport& report, const THtmlBaseline* baseline, const THtmlSink& sink) {
  const std::string_view page = kHtmlTemplate;
  const std::size_t marker = page.find(kDataMarker);
  TPageWriter out(sink);
  out.Put(page.substr(0, marker));

  // The JSON is ASCII with every control character escaped; a '<' can only
  // stand in a string, where \u003C means the same.
  std::ostringstream json;
  WriteJsonLine(MetaJson(report, baseline), json);
  std::string meta = std::move(json).str();
  out.Put("<script id=\"glint-meta\" type=\"application/json\">");
  for (std::size_t at = 0, next; at < meta.size(); at = next + 1) {
    next = std::min(meta.find('<', at), meta.size());
    out.Put(std::string_view(meta).substr(at, next - at));
    if (next < meta.size()) out.Put("\\u003C");
  }
  out.Put("</script>\n<script id=\"glint-rows\" type=\"text/x-glint-rows\">");
  // Each row: its four cells, then its detail lines, each ended by a line
  // feed (no cell or line holds one).
  std::string& buffer = out.Buffer();
  for (std::uint32_t row = 0; row < report.RowCount(); ++row) {
    for (int col = 0; col < 4; ++col) {
      AppendPageText(report.Cell(col, row), buffer);
      buffer += '\n';
    }
    const TReportLines details = report.Details(row);
    for (std::uint32_t i = 0; i < details.Count(); ++i) {
      AppendPageText(details[i], buffer);
      buffer += '\n';
    }
    out.Spill();
  }
  out.Put("</script>");
  out.Put(page.substr(marker + kDataMarker.size()));
  return out.Flush();
}

}  // namespace glint
