// tools/glint/ReportStats.h: what automated runs want to know of a report:
// where the leaked memory goes (Summarize), what changed between two runs
// (Diff), all from the rows of the report model, the monitor's own parse.
//
// An allocation's size is its "Bytes" cell as a whole decimal number; any
// other text makes it an allocation of unknown size, counted apart and never
// as 0 bytes. Two allocations match when they have the same site (unit and
// line), the same size (or both unknown) and the same kind of contents (the
// "o: ", "s: ", "m: " prefix, or none); at a site, allocations match one to
// one, so only the surplus on either side counts as new or gone.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace glint {

class TReport;
class TDiffKeys;

struct TAllocation {
  std::string Unit, Line;
  std::int64_t Bytes = 0;
  bool KnownSize = true;
  char Kind = '-';  // 'o', 's', 'm', or '-' for other contents
};

// The report's rows, in report order.
std::vector<TAllocation> AllocationsOf(const TReport& report);

// Allocations and their known bytes, and how many were of unknown size.
// A byte total beyond what 64 bits hold stops at the largest value and sets
// BytesOverflow, so it never wraps round to a small one.
struct TLeakCount {
  std::int64_t Allocations = 0, Bytes = 0, UnknownSize = 0;
  bool BytesOverflow = false;
  void Add(const TAllocation& a);
  void Add(const TLeakCount& other);
  // Adds `times` allocations of `bytes` each to the byte total only.
  void AddBytes(std::int64_t bytes, std::int64_t times = 1);
  bool Empty() const { return Allocations == 0; }
  // Whether the known bytes are more than `limit` (a total beyond counting is).
  bool BytesAbove(std::int64_t limit) const { return BytesOverflow || Bytes > limit; }
};

// "120", or "more than 9223372036854775807" for a total beyond counting.
std::string BytesText(const TLeakCount& count);
// "3 allocations, 120 bytes" plus ", 1 of unknown size" when there are any.
std::string CountText(const TLeakCount& count);

struct TSiteSummary {
  std::string Unit, Line;  // Line empty when summarised by unit
  TLeakCount Count;
};

// Per unit (or per unit and line), largest bytes first, then most
// allocations, then by name.
std::vector<TSiteSummary> Summarize(const std::vector<TAllocation>& allocations, bool byLine);
// The same, straight from the report's rows.
std::vector<TSiteSummary> Summarize(const TReport& report, bool byLine);

struct TSiteDiff {
  std::string Unit, Line;
  TLeakCount Old, New;     // everything at the site in each report
  TLeakCount Added, Gone;  // what did not match
  // "new" (site only in NEW), "gone" (only in OLD) or "changed".
  const char* Status() const;
};

struct TReportDiff {
  // Sites with added or gone allocations: most added bytes first, then most
  // gone bytes, then by name.
  std::vector<TSiteDiff> Sites;
  TLeakCount Old, New, Added, Gone;
  // NEW leaks something OLD did not: an added allocation of any size.
  bool HasNewLeaks() const { return !Added.Empty(); }
};

TReportDiff Diff(const std::vector<TAllocation>& oldRows, const std::vector<TAllocation>& newRows);

// The same, fed one report at a time straight from its rows, so a
// million-row report needs no row list of its own.
class TDiffBuilder {
 public:
  TDiffBuilder();
  ~TDiffBuilder();
  void Add(const std::vector<TAllocation>& rows, bool inNew);
  void Add(const TReport& report, bool inNew);
  // The diff of everything added; the builder is empty again afterwards.
  // With `addedRows`, also the rows of the NEW report (report order, from
  // 0) that are its added allocations: of allocations that match each
  // other, the surplus counts from the last in report order, so the first
  // ones are taken as those OLD had.
  TReportDiff Finish(std::vector<std::uint32_t>* addedRows = nullptr);

 private:
  struct TEntry;
  std::unique_ptr<TDiffKeys> FKeys;
  std::vector<TEntry> FEntries;
};

}  // namespace glint
