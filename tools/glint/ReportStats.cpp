#include "tools/glint/ReportStats.h"

#include <algorithm>
#include <charconv>
#include <string_view>
#include <tuple>
#include <unordered_map>

#include "monitor/GlintExp.h"

namespace glint {

namespace {

char KindOf(std::string_view contents) {
  if (contents.size() >= 3 && contents[1] == ':' && contents[2] == ' ' &&
      (contents[0] == 'o' || contents[0] == 's' || contents[0] == 'm'))
    return contents[0];
  return '-';
}

// Sites get numbers in order of first appearance; the strings are kept once.
class TSiteTable {
 public:
  int Number(const std::string& unit, const std::string& line) {
    FKey.assign(unit).append(1, '\x1f').append(line);
    auto [it, added] = FNumbers.try_emplace(FKey, static_cast<int>(FSites.size()));
    if (added) FSites.push_back({unit, line});
    return it->second;
  }
  const std::pair<std::string, std::string>& Site(int number) const {
    return FSites[static_cast<std::size_t>(number)];
  }
  int Count() const { return static_cast<int>(FSites.size()); }

 private:
  std::string FKey;
  std::unordered_map<std::string, int> FNumbers;
  std::vector<std::pair<std::string, std::string>> FSites;
};

bool LargerFirst(const TLeakCount& a, const TLeakCount& b) {
  return std::tie(a.Bytes, a.Allocations) > std::tie(b.Bytes, b.Allocations);
}

}  // namespace

void TLeakCount::Add(const TAllocation& a) {
  ++Allocations;
  if (a.KnownSize)
    Bytes += a.Bytes;
  else
    ++UnknownSize;
}

void TLeakCount::Add(const TLeakCount& other) {
  Allocations += other.Allocations;
  Bytes += other.Bytes;
  UnknownSize += other.UnknownSize;
}

std::vector<TAllocation> AllocationsOf(const TGlintMonitor& form) {
  std::vector<TAllocation> rows;
  const TMyGrid& grid = *MonitorGrid;
  rows.reserve(static_cast<std::size_t>(std::max(grid.RowCount() - 1, 0)));
  for (int row = 1; row < grid.RowCount(); ++row) {
    TAllocation a;
    a.Unit = grid.Cells(0, row);
    a.Line = grid.Cells(1, row);
    const std::string& bytes = grid.Cells(2, row);
    const std::string& contents = grid.Cells(3, row);
    // The one empty row of a report without rows is no allocation.
    if (a.Unit.empty() && a.Line.empty() && bytes.empty() && contents.empty()) continue;
    const char* end = bytes.data() + bytes.size();
    auto [stop, error] = std::from_chars(bytes.data(), end, a.Bytes);
    a.KnownSize = !bytes.empty() && error == std::errc() && stop == end && a.Bytes >= 0;
    if (!a.KnownSize) a.Bytes = 0;
    a.Kind = KindOf(contents);
    rows.push_back(std::move(a));
  }
  return rows;
}

std::vector<TSiteSummary> Summarize(const std::vector<TAllocation>& allocations, bool byLine) {
  TSiteTable sites;
  std::vector<TLeakCount> counts;
  static const std::string kNoLine;
  for (const TAllocation& a : allocations) {
    const auto site = static_cast<std::size_t>(sites.Number(a.Unit, byLine ? a.Line : kNoLine));
    if (site == counts.size()) counts.emplace_back();
    counts[site].Add(a);
  }
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

const char* TSiteDiff::Status() const {
  if (Old.Empty()) return "new";
  if (New.Empty()) return "gone";
  return "changed";
}

TReportDiff Diff(const std::vector<TAllocation>& oldRows, const std::vector<TAllocation>& newRows) {
  // Every allocation of both reports, sorted so that allocations that could
  // match lie together; each run is then counted on both sides.
  struct TEntry {
    int Site;
    bool KnownSize;
    std::int64_t Bytes;
    char Kind;
    bool InNew;
    const TAllocation* Row;
  };
  TSiteTable sites;
  std::vector<TEntry> entries;
  entries.reserve(oldRows.size() + newRows.size());
  for (bool inNew : {false, true})
    for (const TAllocation& a : inNew ? newRows : oldRows)
      entries.push_back({sites.Number(a.Unit, a.Line), a.KnownSize, a.Bytes, a.Kind, inNew, &a});
  std::sort(entries.begin(), entries.end(), [](const TEntry& a, const TEntry& b) {
    return std::tie(a.Site, a.KnownSize, a.Bytes, a.Kind, a.InNew) <
           std::tie(b.Site, b.KnownSize, b.Bytes, b.Kind, b.InNew);
  });

  TReportDiff diff;
  std::vector<TSiteDiff> bySite(static_cast<std::size_t>(sites.Count()));
  for (std::size_t i = 0; i < entries.size();) {
    std::size_t end = i, inOld = 0;
    const TEntry& first = entries[i];
    while (end < entries.size() && entries[end].Site == first.Site &&
           entries[end].KnownSize == first.KnownSize && entries[end].Bytes == first.Bytes &&
           entries[end].Kind == first.Kind) {
      if (!entries[end].InNew) ++inOld;
      ++end;
    }
    const std::size_t inNew = end - i - inOld, matched = std::min(inOld, inNew);
    TSiteDiff& site = bySite[static_cast<std::size_t>(first.Site)];
    // Old entries sort before new ones in a run: the first `inOld` are old.
    for (std::size_t k = i; k < end; ++k) {
      const TAllocation& a = *entries[k].Row;
      const std::size_t nth = k - i;
      if (!entries[k].InNew) {
        site.Old.Add(a);
        if (nth >= matched) site.Gone.Add(a);
      } else {
        site.New.Add(a);
        if (nth - inOld >= matched) site.Added.Add(a);
      }
    }
    i = end;
  }
  for (int s = 0; s < sites.Count(); ++s) {
    TSiteDiff& site = bySite[static_cast<std::size_t>(s)];
    diff.Old.Add(site.Old);
    diff.New.Add(site.New);
    diff.Added.Add(site.Added);
    diff.Gone.Add(site.Gone);
    if (site.Added.Empty() && site.Gone.Empty()) continue;
    site.Unit = sites.Site(s).first;
    site.Line = sites.Site(s).second;
    diff.Sites.push_back(std::move(site));
  }
  // Largest growth first, then largest shrink, then by name.
  std::sort(diff.Sites.begin(), diff.Sites.end(), [](const TSiteDiff& a, const TSiteDiff& b) {
    if (LargerFirst(a.Added, b.Added)) return true;
    if (LargerFirst(b.Added, a.Added)) return false;
    if (LargerFirst(a.Gone, b.Gone)) return true;
    if (LargerFirst(b.Gone, a.Gone)) return false;
    return std::tie(a.Unit, a.Line) < std::tie(b.Unit, b.Line);
  });
  return diff;
}

}  // namespace glint
