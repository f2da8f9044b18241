// The report parse: header fields by position, then the body's rows,
// detail blocks and unit map, all as offsets into the one copy of the text.
#include "monitor/Report.h"

#include <algorithm>
#include <limits>
#include <new>

#include "rtl/Files.h"
#include "rtl/SafeFile.h"
#include "rtl/SysUtils.h"

namespace glint {

namespace {

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

std::string_view TrimView(std::string_view s) {
  std::size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

// The count before a word such as "pointers": characters from `valueStart`
// up to the separator before the word's first occurrence; "" without it.
std::string CountBefore(std::string_view line, std::string_view word, std::size_t valueStart) {
  const auto p = static_cast<long long>(Pos(word, line));
  return Copy(line, static_cast<long long>(valueStart), p - static_cast<long long>(valueStart) - 1);
}

// Writes go out in blocks of about this size rather than one per line.
constexpr std::size_t kSaveBlock = 64 * 1024;

}  // namespace

std::string_view TReportLines::operator[](std::uint32_t index) const {
  if (!FReport || index >= FCount) return {};
  const std::string_view line = FReport->Line(FFirst + index);
  return FTrimmed ? TrimView(line) : line;
}

std::vector<std::string> TReportLines::Items() const {
  std::vector<std::string> items;
  items.reserve(FCount);
  for (std::uint32_t i = 0; i < FCount; ++i) items.emplace_back((*this)[i]);
  return items;
}

void CheckReportHeader(std::size_t lineCount) {
  for (int index : {0, 2, 4, 5})
    if (static_cast<std::size_t>(index) >= lineCount)
      throw EStringListError(Format("List index out of bounds (%d)", index));
}

TReport::TReport() { FUnitMap.SetSorted(true); }

TReport::TReport(TReport&&) noexcept = default;
TReport& TReport::operator=(TReport&&) noexcept = default;
TReport::~TReport() = default;

TReport::TReport(std::string_view bytes) { Parse(std::string(bytes.substr(0, bytes.find('\0')))); }

void TReport::Parse(std::string text) {
  if (text.size() >= std::numeric_limits<std::uint32_t>::max()) throw std::bad_alloc();
  FText = std::move(text);
  SplitLines();
  CheckReportHeader(FLines.size());
  FHeader[0] = Copy(Line(0), 17, 255);
  FHeader[1] = Copy(Line(2), 14, 255);
  FHeader[2] = CountBefore(Line(4), "pointers", 9);
  FHeader[3] = CountBefore(Line(5), "bytes", 14);
  ReadBody();
  FUnitMap.SetSorted(true);
}

// Counted first, so the table is allocated once at its size.
void TReport::SplitLines() {
  const std::string_view text = FText;
  const std::size_t n = text.size();
  std::size_t count = 0;
  for (std::size_t i = 0; i < n; ++i) {
    if (text[i] == '\n' || (text[i] == '\r' && (i + 1 == n || text[i + 1] != '\n'))) ++count;
  }
  if (n > 0 && text[n - 1] != '\n' && text[n - 1] != '\r') ++count;
  FLines.reserve(count);
  std::size_t start = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const char c = text[i];
    if (c != '\r' && c != '\n') continue;
    FLines.push_back({static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(i - start)});
    if (c == '\r' && i + 1 < n && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < n)
    FLines.push_back({static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(n - start)});
}

std::string_view TReport::Line(std::uint32_t index) const {
  if (index >= FLines.size()) return {};
  const TSpan span = FLines[index];
  return std::string_view(FText).substr(span.Begin, span.Size);
}

void TReport::ReadBody() {
  const auto lines = LineCount();
  std::uint32_t rows = 0;
  for (std::uint32_t i = 9; i < lines; ++i) {
    const std::string_view line = Line(i);
    if (line.empty() || line[0] == ' ') continue;
    if (line.starts_with("Unit Map:")) break;
    ++rows;
  }
  FRows.reserve(rows);

  for (std::uint32_t i = 9; i < lines; ++i) {
    const std::string_view line = Line(i);
    if (line.empty()) continue;
    if (line.starts_with("Unit Map:")) {
      // Sorted in one go: inserting a long map entry by entry into the
      // sorted list would take quadratic time.
      std::vector<std::string> entries;
      entries.reserve(lines - i - 1);
      for (++i; i < lines; ++i) {
        const std::string_view entry = Line(i);
        const std::size_t space = entry.find(' ');
        std::string_view name, file = TrimView(entry);
        if (space != std::string_view::npos) {
          name = TrimView(entry.substr(0, space + 1));
          file = TrimView(entry.substr(space));
        }
        std::string text;
        text.reserve(name.size() + 1 + file.size());
        text.append(name).append(1, '=').append(file);
        entries.push_back(std::move(text));
      }
      std::sort(entries.begin(), entries.end());
      // The sorted list ignores an exact duplicate.
      entries.erase(std::unique(entries.begin(), entries.end()), entries.end());
      FUnitMap.Items() = std::move(entries);
      break;
    }
    if (line[0] == ' ') {
      // Detail lines run to an empty line or the end of the text. The
      // block belongs to the row added last; one before any row has no row
      // to belong to and is dropped.
      const std::uint32_t first = i;
      while (i + 1 < lines && !Line(i + 1).empty()) ++i;
      if (!FRows.empty()) {
        FRows.back().DetailFirst = first;
        FRows.back().DetailCount = i - first + 1;
      }
      continue;
    }
    if (ParseRowHook) ParseRowHook(static_cast<std::uint32_t>(FRows.size()));
    FRows.push_back({i, 0, 0});
  }
}

std::string_view TReport::Cell(int col, std::uint32_t row) const {
  if (col < 0 || col > 3 || row >= FRows.size()) return {};
  std::string_view rest = Line(FRows[row].Line);
  // A line with fewer fields fills from the left, its last word always
  // landing in "Contents".
  for (int c = 0; c < 3; ++c) {
    const std::size_t space = rest.find(' ');
    std::string_view cell;
    if (space != std::string_view::npos) {
      cell = TrimView(rest.substr(0, space));
      rest.remove_prefix(space);
    }
    rest = TrimView(rest);
    if (c == col) return cell;
  }
  return rest;
}

TReportLines TReport::Details(std::uint32_t row) const {
  if (row >= FRows.size()) return {};
  return {this, FRows[row].DetailFirst, FRows[row].DetailCount, true};
}

TReport TReport::LoadFromFile(const std::string& fileName) {
  std::string bytes = ReadWholeFile(fileName);
  // The file's bytes become the report's text; they are not copied again.
  bytes.resize(std::min(bytes.size(), bytes.find('\0')));
  TReport report;
  report.Parse(std::move(bytes));
  return report;
}

void TReport::SaveToFile(const std::string& fileName) const {
  TSafeFile file(fileName);
  const auto fail = [&]() {
    throw EInOutError(
        Format("Cannot write file \"%s\": %s", fileName.c_str(), file.Error().c_str()));
  };
  if (!file.Open()) fail();
  std::string block;
  block.reserve(kSaveBlock);
  for (std::uint32_t i = 0; i < LineCount(); ++i) {
    block += Line(i);
    block += "\r\n";
    if (block.size() < kSaveBlock) continue;
    if (!file.Write(block.data(), block.size())) fail();
    block.clear();
  }
  if (!block.empty() && !file.Write(block.data(), block.size())) fail();
  if (!file.Commit()) fail();
}

}  // namespace glint
