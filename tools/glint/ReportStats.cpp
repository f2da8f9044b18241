#include "tools/glint/ReportStats.h"

#include <algorithm>
#include <charconv>
#include <deque>
#include <limits>
#include <memory>
#include <string_view>
#include <tuple>
#include <unordered_map>

#include "monitor/Report.h"

namespace glint {

namespace {

char KindOf(std::string_view contents) {
  if (contents.size() >= 3 && contents[1] == ':' && contents[2] == ' ' &&
      (contents[0] == 'o' || contents[0] == 's' || contents[0] == 'm'))
    return contents[0];
  return '-';
}

// Sites get numbers in order of first appearance, through an open-addressing
// table of numbers; a site's texts are copied once, when it is first seen.
class TSiteTable {
 public:
  explicit TSiteTable(std::size_t expected) { Grow(expected); }
  int Number(std::string_view unit, std::string_view line) {
    if (FSites.size() * 2 >= FSlots.size()) Grow(FSites.size() * 2);
    const std::size_t mask = FSlots.size() - 1;
    for (std::size_t i = Hash(unit, line) & mask;; i = (i + 1) & mask) {
      const int number = FSlots[i];
      if (number < 0) {
        FSlots[i] = static_cast<int>(FSites.size());
        FSites.emplace_back(unit, line);
        return FSlots[i];
      }
      const auto& site = FSites[static_cast<std::size_t>(number)];
      if (site.first == unit && site.second == line) return number;
    }
  }
  const std::pair<std::string, std::string>& Site(int number) const {
    return FSites[static_cast<std::size_t>(number)];
  }
  int Count() const { return static_cast<int>(FSites.size()); }

 private:
  static std::size_t Hash(std::string_view unit, std::string_view line) {
    const std::hash<std::string_view> hash;
    return hash(unit) * 0x9E3779B97F4A7C15ull ^ hash(line);
  }
  void Grow(std::size_t expected) {
    std::size_t size = 16;
    while (size < expected * 2) size *= 2;
    if (size <= FSlots.size()) return;
    FSlots.assign(size, -1);
    const std::size_t mask = size - 1;
    for (std::size_t n = 0; n < FSites.size(); ++n) {
      std::size_t i = Hash(FSites[n].first, FSites[n].second) & mask;
      while (FSlots[i] >= 0) i = (i + 1) & mask;
      FSlots[i] = static_cast<int>(n);
    }
  }
  std::vector<int> FSlots;
  std::vector<std::pair<std::string, std::string>> FSites;
};

// An allocation's size and kind from its "Bytes" and "Contents" cells.
void ReadSize(std::string_view bytes, std::string_view contents, TAllocation& a) {
  const char* end = bytes.data() + bytes.size();
  auto [stop, error] = std::from_chars(bytes.data(), end, a.Bytes);
  a.KnownSize = !bytes.empty() && error == std::errc() && stop == end && a.Bytes >= 0;
  if (!a.KnownSize) a.Bytes = 0;
  a.Kind = KindOf(contents);
}

// The four cells of a report row; false for a row line of blanks alone,
// whose cells are all empty as those of the one empty grid row of a report
// without rows are, and which like it is no allocation.
bool ReadCells(const TReport& report, std::uint32_t row, std::string_view (&cells)[4]) {
  bool any = false;
  for (int col = 0; col < 4; ++col) {
    cells[col] = report.Cell(col, row);
    any = any || !cells[col].empty();
  }
  return any;
}

bool LargerFirst(const TLeakCount& a, const TLeakCount& b) {
  return std::tie(a.BytesOverflow, a.Bytes, a.Allocations) >
         std::tie(b.BytesOverflow, b.Bytes, b.Allocations);
}

}  // namespace

// A diff's sites as numbers: the unit through a small table (a report
// names few units), the line by its value when it is a plain decimal number
// (to_string gives its text back), otherwise through a table of such odd
// texts. A site is then a pair of numbers, found without hashing each row's
// texts into a table of a million sites.
class TDiffKeys {
 public:
  int Unit(std::string_view unit) { return FUnits.Number(unit); }
  std::int64_t Line(std::string_view line) {
    const bool plain =
        !line.empty() && line.size() <= 9 && (line[0] != '0' || line.size() == 1) &&
        std::all_of(line.begin(), line.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (!plain) return -1 - FOddLines.Number(line);
    std::int64_t value = 0;
    for (char c : line) value = value * 10 + (c - '0');
    return value;
  }
  const std::string& UnitText(int unit) const { return FUnits.Text(unit); }
  std::string LineText(std::int64_t line) const {
    return line >= 0 ? std::to_string(line) : FOddLines.Text(static_cast<int>(-1 - line));
  }

 private:
  class TTexts {
   public:
    int Number(std::string_view text) {
      if (auto it = FNumbers.find(text); it != FNumbers.end()) return it->second;
      // A deque keeps its strings in place, so the map may view them.
      const std::string& kept = FTexts.emplace_back(text);
      const int number = static_cast<int>(FTexts.size()) - 1;
      FNumbers.emplace(kept, number);
      return number;
    }
    const std::string& Text(int number) const { return FTexts[static_cast<std::size_t>(number)]; }

   private:
    std::deque<std::string> FTexts;
    std::unordered_map<std::string_view, int> FNumbers;
  };
  TTexts FUnits, FOddLines;
};

void TLeakCount::AddBytes(std::int64_t bytes, std::int64_t times) {
  constexpr std::int64_t kMost = std::numeric_limits<std::int64_t>::max();
  if (BytesOverflow || bytes == 0 || times == 0) return;
  if (bytes > (kMost - Bytes) / times) {
    Bytes = kMost;
    BytesOverflow = true;
  } else {
    Bytes += bytes * times;
  }
}

void TLeakCount::Add(const TAllocation& a) {
  ++Allocations;
  if (a.KnownSize)
    AddBytes(a.Bytes);
  else
    ++UnknownSize;
}

void TLeakCount::Add(const TLeakCount& other) {
  Allocations += other.Allocations;
  AddBytes(other.Bytes);
  BytesOverflow = BytesOverflow || other.BytesOverflow;
  if (BytesOverflow) Bytes = std::numeric_limits<std::int64_t>::max();
  UnknownSize += other.UnknownSize;
}

std::string BytesText(const TLeakCount& count) {
  return (count.BytesOverflow ? "more than " : "") + std::to_string(count.Bytes);
}

std::string CountText(const TLeakCount& count) {
  std::string text = std::to_string(count.Allocations) +
                     (count.Allocations == 1 ? " allocation, " : " allocations, ") +
                     BytesText(count) + " bytes";
  if (count.UnknownSize) text += ", " + std::to_string(count.UnknownSize) + " of unknown size";
  return text;
}

std::vector<TAllocation> AllocationsOf(const TReport& report) {
  std::vector<TAllocation> rows;
  rows.reserve(report.RowCount());
  std::string_view cells[4];
  for (std::uint32_t row = 0; row < report.RowCount(); ++row) {
    if (!ReadCells(report, row, cells)) continue;
    TAllocation a;
    a.Unit = cells[0];
    a.Line = cells[1];
    ReadSize(cells[2], cells[3], a);
    rows.push_back(std::move(a));
  }
  return rows;
}

namespace {

// Sites counted from what `forEach` hands over: each allocation with its
// unit and line.
template <class ForEach>
std::vector<TSiteSummary> SummarizeSites(std::size_t expected, bool byLine, ForEach forEach) {
  TSiteTable sites(expected);
  std::vector<TLeakCount> counts;
  forEach([&](std::string_view unit, std::string_view line, const TAllocation& a) {
    const auto site = static_cast<std::size_t>(sites.Number(unit, byLine ? line : std::string_view()));
    if (site == counts.size()) counts.emplace_back();
    counts[site].Add(a);
  });
  std::vector<TSiteSummary> out;
  out.reserve(counts.size());
  for (int i = 0; i < sites.Count(); ++i)
    out.push_back({sites.Site(i).first, sites.Site(i).second, counts[static_cast<std::size_t>(i)]});
  std::sort(out.begin(), out.end(), [](const TSiteSummary& a, const TSiteSummary& b) {
    if (LargerFirst(a.Count, b.Count)) return true;
    if (LargerFirst(b.Count, a.Count)) return false;
    return std::tie(a.Unit, a.Line) < std::tie(b.Unit, b.Line);
  });
  return out;
}

}  // namespace

std::vector<TSiteSummary> Summarize(const std::vector<TAllocation>& allocations, bool byLine) {
  return SummarizeSites(allocations.size(), byLine, [&](const auto& count) {
    for (const TAllocation& a : allocations) count(a.Unit, a.Line, a);
  });
}

std::vector<TSiteSummary> Summarize(const TReport& report, bool byLine) {
  return SummarizeSites(report.RowCount(), byLine, [&](const auto& count) {
    TAllocation a;
    std::string_view cells[4];
    for (std::uint32_t row = 0; row < report.RowCount(); ++row) {
      if (!ReadCells(report, row, cells)) continue;
      ReadSize(cells[2], cells[3], a);
      count(cells[0], cells[1], a);
    }
  });
}

const char* TSiteDiff::Status() const {
  if (Old.Empty()) return "new";
  if (New.Empty()) return "gone";
  return "changed";
}

struct TDiffBuilder::TEntry {
  int Unit;
  std::uint32_t Row;  // in its report
  bool KnownSize;
  char Kind;
  bool InNew;
  std::int64_t Line, Bytes;

  bool SameSite(const TEntry& e) const { return Unit == e.Unit && Line == e.Line; }
  bool Matches(const TEntry& e) const {
    return SameSite(e) && KnownSize == e.KnownSize && Bytes == e.Bytes && Kind == e.Kind;
  }
};

TDiffBuilder::TDiffBuilder() : FKeys(std::make_unique<TDiffKeys>()) {}
TDiffBuilder::~TDiffBuilder() = default;

void TDiffBuilder::Add(const std::vector<TAllocation>& rows, bool inNew) {
  FEntries.reserve(FEntries.size() + rows.size());
  std::uint32_t row = 0;
  for (const TAllocation& a : rows)
    FEntries.push_back(
        {FKeys->Unit(a.Unit), row++, a.KnownSize, a.Kind, inNew, FKeys->Line(a.Line), a.Bytes});
}

void TDiffBuilder::Add(const TReport& report, bool inNew) {
  FEntries.reserve(FEntries.size() + report.RowCount());
  TAllocation a;
  std::string_view cells[4];
  for (std::uint32_t row = 0; row < report.RowCount(); ++row) {
    if (!ReadCells(report, row, cells)) continue;
    ReadSize(cells[2], cells[3], a);
    FEntries.push_back(
        {FKeys->Unit(cells[0]), row, a.KnownSize, a.Kind, inNew, FKeys->Line(cells[1]), a.Bytes});
  }
}

TReportDiff TDiffBuilder::Finish(std::vector<std::uint32_t>* addedRows) {
  // Allocations that could match lie together once sorted, old ones first,
  // each side in report order; each run is then counted on both sides.
  std::vector<TEntry>& entries = FEntries;
  std::sort(entries.begin(), entries.end(), [](const TEntry& a, const TEntry& b) {
    return std::tie(a.Unit, a.Line, a.KnownSize, a.Bytes, a.Kind, a.InNew, a.Row) <
           std::tie(b.Unit, b.Line, b.KnownSize, b.Bytes, b.Kind, b.InNew, b.Row);
  });
  if (addedRows) addedRows->clear();
  TReportDiff diff;
  // One site after the other; within a site, one run of matching
  // allocations after the other.
  for (std::size_t siteStart = 0; siteStart < entries.size();) {
    TLeakCount old, now, added, gone;
    std::size_t i = siteStart;
    for (; i < entries.size() && entries[i].SameSite(entries[siteStart]);) {
      const TEntry& first = entries[i];
      std::size_t end = i, inOld = 0;
      for (; end < entries.size() && entries[end].Matches(first); ++end)
        if (!entries[end].InNew) ++inOld;
      const std::size_t inNew = end - i - inOld, matched = std::min(inOld, inNew);
      auto add = [&first](TLeakCount& count, std::size_t n) {
        const auto k = static_cast<std::int64_t>(n);
        count.Allocations += k;
        if (first.KnownSize)
          count.AddBytes(first.Bytes, k);
        else
          count.UnknownSize += k;
      };
      add(old, inOld);
      add(now, inNew);
      add(gone, inOld - matched);
      add(added, inNew - matched);
      if (addedRows)
        for (std::size_t k = end - (inNew - matched); k < end; ++k)
          addedRows->push_back(entries[k].Row);
      i = end;
    }
    diff.Old.Add(old);
    diff.New.Add(now);
    diff.Added.Add(added);
    diff.Gone.Add(gone);
    if (!added.Empty() || !gone.Empty()) {
      const TEntry& site = entries[siteStart];
      diff.Sites.push_back(
          {FKeys->UnitText(site.Unit), FKeys->LineText(site.Line), old, now, added, gone});
    }
    siteStart = i;
  }
  // Largest growth first, then largest shrink, then by name.
  std::sort(diff.Sites.begin(), diff.Sites.end(), [](const TSiteDiff& a, const TSiteDiff& b) {
    if (LargerFirst(a.Added, b.Added)) return true;
    if (LargerFirst(b.Added, a.Added)) return false;
    if (LargerFirst(a.Gone, b.Gone)) return true;
    if (LargerFirst(b.Gone, a.Gone)) return false;
    return std::tie(a.Unit, a.Line) < std::tie(b.Unit, b.Line);
  });
  FEntries.clear();
  if (addedRows) std::sort(addedRows->begin(), addedRows->end());
  return diff;
}

TReportDiff Diff(const std::vector<TAllocation>& oldRows, const std::vector<TAllocation>& newRows) {
  TDiffBuilder builder;
  builder.Add(oldRows, false);
  builder.Add(newRows, true);
  return builder.Finish();
}

}  // namespace glint
