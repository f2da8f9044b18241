// The report parse: header fields by position, then the body's rows, detail
// blocks and unit map.
#include <string>
#include <string_view>

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

}  // namespace

void CheckReportHeader(const TStringList& lines) {
  for (int index : {0, 2, 4, 5})
    if (index >= lines.Count())
      throw EStringListError(Format("List index out of bounds (%d)", index));
}

void TGlintMonitor::ReplaceReport(TStringList lines) {
  CheckReportHeader(lines);
  *ReportLines = std::move(lines);
  ParseReport();
}

void TGlintMonitor::ParseReport() {
  // Checked before anything changes, so a rejected text leaves the window as it was.
  CheckReportHeader(*ReportLines);
  const std::vector<std::string>& lines = ReportLines->Items();

  Edit1->SetText(Chars(lines[0], 17, 255));
  Edit2->SetText(Chars(lines[2], 14, 255));
  Edit3->SetText(CountBefore(lines[4], "pointers", 9));
  Edit4->SetText(CountBefore(lines[5], "bytes", 14));

  RowDetails->clear();
  MonitorGrid->SetRowCount(1);
  // Every body line may be a row: room for them all up front.
  MonitorGrid->ReserveRows(static_cast<int>(lines.size()) - 8);
  UnitMap->Clear();

  int row = 1;
  for (std::size_t i = 9; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    if (line.empty()) continue;
    if (line.compare(0, 9, "Unit Map:") == 0) {
      ReadUnitMap(lines, i + 1);
      break;
    }
    if (line[0] == ' ') {
      i = ReadDetailBlock(lines, i, row);
      if (i == lines.size()) break;
      continue;
    }
    AddRow(line);
    ++row;
    RowDetails->emplace_back();
  }

  if (MonitorGrid->RowCount() == 1) {
    MonitorGrid->SetRowCount(2);
    for (int col = 0; col < MonitorGrid->ColCount(); ++col) MonitorGrid->SetCells(col, 1, "");
  }
  MonitorGrid->SetFixedRows(1);
}

// Columns 0 to 2 take the text up to the next space; "Contents" takes the
// rest. A line with fewer fields fills from the left, its last word always
// landing in "Contents".
void TGlintMonitor::AddRow(std::string_view line) {
  int row = MonitorGrid->RowCount();
  MonitorGrid->SetRowCount(row + 1);
  std::string_view rest = line;
  for (int col = 0; col < 3; ++col) {
    std::size_t space = rest.find(' ');
    if (space == std::string_view::npos) {
      MonitorGrid->SetCells(col, row, "");
    } else {
      MonitorGrid->SetCells(col, row, std::string(TrimView(rest.substr(0, space))));
      rest.remove_prefix(space);
    }
    rest = TrimView(rest);
  }
  MonitorGrid->SetCells(3, row, std::string(rest));
}

std::size_t TGlintMonitor::ReadDetailBlock(const std::vector<std::string>& lines, std::size_t index,
                                           int row) {
  auto details = std::make_unique<TStringList>();
  details->Add(std::string(TrimView(lines[index])));
  for (++index; index < lines.size() && !lines[index].empty(); ++index)
    details->Add(std::string(TrimView(lines[index])));
  // The block belongs to the row added last; one before any row has no row
  // to belong to and is dropped.
  if (row >= 2) (*RowDetails)[static_cast<std::size_t>(row - 2)] = std::move(details);
  return index;
}

void TGlintMonitor::ReadUnitMap(const std::vector<std::string>& lines, std::size_t index) {
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
    UnitMap->Add(std::move(entry));
  }
}

}  // namespace glint
