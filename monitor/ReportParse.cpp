// The report parse: header fields by position, then the body's rows, detail
// blocks and unit map. The new report is built aside and put in place only
// when all of it is made, so any failure, out of memory included, leaves the
// window showing the previous report whole.
#include <algorithm>
#include <string>
#include <string_view>

#include "monitor/FaultHook.h"
#include "monitor/GlintExp.h"

namespace glint {

namespace {

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

std::string_view TrimView(std::string_view s) {
  std::size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

// The header value of `line` between 1-based character positions, clipped.
std::string Chars(const std::string& line, std::size_t first, long long count) {
  return Copy(line, static_cast<long long>(first), count);
}

// The count before a word such as "pointers": characters from `valueStart`
// up to the separator before the word's first occurrence; "" without it.
std::string CountBefore(const std::string& line, std::string_view word, std::size_t valueStart) {
  long long p = static_cast<long long>(Pos(word, line));
  return Chars(line, valueStart, p - static_cast<long long>(valueStart) - 1);
}

constexpr int kColumns = 4;

// Columns 0 to 2 take the text up to the next space; "Contents" takes the
// rest. A line with fewer fields fills from the left, its last word always
// landing in "Contents".
void SplitRow(std::string_view line, TGridCell* cells) {
  std::string_view rest = line;
  for (int col = 0; col < 3; ++col) {
    std::size_t space = rest.find(' ');
    if (space != std::string_view::npos) {
      cells[col].Text = TrimView(rest.substr(0, space));
      rest.remove_prefix(space);
    }
    rest = TrimView(rest);
  }
  cells[3].Text = rest;
}

// Detail lines from `index` up to an empty line or the end of the text;
// returns the index of the line that ended the block.
std::size_t ReadDetailBlock(const std::vector<std::string>& lines, std::size_t index,
                            TStringList& details) {
  details.Add(std::string(TrimView(lines[index])));
  for (++index; index < lines.size() && !lines[index].empty(); ++index)
    details.Add(std::string(TrimView(lines[index])));
  return index;
}

// Sorted in one go: inserting a long map entry by entry into the sorted
// list would take quadratic time.
void ReadUnitMap(const std::vector<std::string>& lines, std::size_t index, TStringList& unitMap) {
  std::vector<std::string> entries;
  entries.reserve(lines.size() - index);
  for (; index < lines.size(); ++index) {
    std::string_view line = lines[index];
    std::size_t space = line.find(' ');
    std::string_view name, file = TrimView(line);
    if (space != std::string_view::npos) {
      name = TrimView(line.substr(0, space + 1));
      file = TrimView(line.substr(space));
    }
    std::string entry;
    entry.reserve(name.size() + 1 + file.size());
    entry.append(name).append(1, '=').append(file);
    entries.push_back(std::move(entry));
  }
  std::sort(entries.begin(), entries.end());
  // The sorted list ignores an exact duplicate.
  entries.erase(std::unique(entries.begin(), entries.end()), entries.end());
  unitMap.Items() = std::move(entries);
  unitMap.SetSorted(true);
}

int CountRowLines(const std::vector<std::string>& lines) {
  int rows = 0;
  for (std::size_t i = 9; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    if (line.empty() || line[0] == ' ') continue;
    if (line.compare(0, 9, "Unit Map:") == 0) break;
    ++rows;
  }
  return rows;
}

}  // namespace

// Everything one report puts into the window, made before any of it is shown.
struct TParsedReport {
  std::string Header[4];
  TGridRows Rows{kColumns};
  TRowDetails Details;
  TStringList UnitMap;
};

void CheckReportHeader(const TStringList& lines) {
  for (int index : {0, 2, 4, 5})
    if (index >= lines.Count())
      throw EStringListError(Format("List index out of bounds (%d)", index));
}

void TGlintMonitor::ReplaceReport(TStringList lines) {
  TParsedReport report;
  BuildReport(lines, report);
  PutReport(report);
  ReportLines->Items().swap(lines.Items());
}

void TGlintMonitor::ParseReport() {
  TParsedReport report;
  BuildReport(*ReportLines, report);
  PutReport(report);
}

void TGlintMonitor::BuildReport(const TStringList& text, TParsedReport& report) const {
  CheckReportHeader(text);
  const std::vector<std::string>& lines = text.Items();
  report.Header[0] = Chars(lines[0], 17, 255);
  report.Header[1] = Chars(lines[2], 14, 255);
  report.Header[2] = CountBefore(lines[4], "pointers", 9);
  report.Header[3] = CountBefore(lines[5], "bytes", 14);

  // The title row stays; one data row per row line, exactly as many.
  const int rowLines = CountRowLines(lines);
  report.Rows.Reserve(1 + std::max(rowLines, 1));
  MonitorGrid->CopyRows(0, 1, report.Rows);
  report.Details.reserve(static_cast<std::size_t>(rowLines));

  TFaultHook fault;
  for (std::size_t i = 9; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    if (line.empty()) continue;
    if (line.compare(0, 9, "Unit Map:") == 0) {
      ReadUnitMap(lines, i + 1, report.UnitMap);
      break;
    }
    if (line[0] == ' ') {
      auto details = std::make_unique<TStringList>();
      i = ReadDetailBlock(lines, i, *details);
      // The block belongs to the row added last; one before any row has no
      // row to belong to and is dropped.
      if (!report.Details.empty()) report.Details.back() = std::move(details);
      if (i == lines.size()) break;
      continue;
    }
    fault.Row();
    SplitRow(line, report.Rows.Add());
    report.Details.emplace_back();
  }
  // A report without rows shows one empty row.
  if (report.Rows.Count() == 1) report.Rows.Add();
  // Details travel with their row through any sort.
  for (std::size_t k = 0; k < report.Details.size(); ++k)
    report.Rows.Row(static_cast<int>(k) + 1)[0].Object = report.Details[k].get();
}

// Cannot fail: every piece is moved or swapped into place.
void TGlintMonitor::PutReport(TParsedReport& report) noexcept {
  TEdit* edits[] = {Edit1, Edit2, Edit3, Edit4};
  for (int i = 0; i < 4; ++i) edits[i]->SetText(std::move(report.Header[i]));
  MonitorGrid->SwapRows(report.Rows);
  MonitorGrid->SetFixedRows(1);
  RowDetails->swap(report.Details);
  UnitMap->Items().swap(report.UnitMap.Items());
}

}  // namespace glint
