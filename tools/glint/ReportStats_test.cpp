#include "tools/glint/ReportStats.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "monitor/Report.h"
#include "tests/support/ReportGenerator.h"
#include "tests/support/TestSupport.h"
#include "tools/glint/Commands.h"

namespace glint {
namespace {

using test_support::BareReport;

const std::string kHeader = BareReport("", "p");

std::vector<TAllocation> RowsOf(const std::string& text) { return AllocationsOf(TReport(text)); }

TEST(ReportStats, SummaryTotalsAreTheSumsOfTheRows) {
  TReportShape shape;
  shape.Rows = 5000;
  shape.Units = 13;
  const std::vector<TAllocation> rows = RowsOf(GenerateReport(shape));
  ASSERT_EQ(rows.size(), 5000u);
  std::int64_t bytes = 0;
  for (int row = 1; row <= shape.Rows; ++row) bytes += std::stoll(GeneratedRow(shape, row).Bytes);
  for (bool byLine : {false, true}) {
    TLeakCount total;
    const std::vector<TSiteSummary> sites = Summarize(rows, byLine);
    for (const TSiteSummary& site : sites) total.Add(site.Count);
    EXPECT_EQ(total.Allocations, 5000);
    EXPECT_EQ(total.Bytes, bytes);
    if (!byLine) {
      EXPECT_EQ(sites.size(), 13u);
    }
    for (std::size_t i = 1; i < sites.size(); ++i)
      EXPECT_GE(sites[i - 1].Count.Bytes, sites[i].Count.Bytes);
  }
}

TEST(ReportStats, UnknownSizesAreCountedApartNeverAsZero) {
  const auto sites =
      Summarize(RowsOf(std::string(kHeader) + "A 1 n/a x\nA 2 8 y\nB 3 -4 z\n"), false);
  ASSERT_EQ(sites.size(), 2u);
  EXPECT_EQ(sites[0].Unit, "A");
  EXPECT_EQ(sites[0].Count.Allocations, 2);
  EXPECT_EQ(sites[0].Count.Bytes, 8);
  EXPECT_EQ(sites[0].Count.UnknownSize, 1);
  EXPECT_EQ(sites[1].Count.UnknownSize, 1);  // "-4" is no size
  EXPECT_TRUE(RowsOf(kHeader).empty());      // the placeholder row of an empty report
  EXPECT_TRUE(RowsOf(std::string(kHeader) + "\t\n").empty());  // nor a row of blanks alone
}

TEST(ReportStats, DiffReportsEachAddedGoneAndChangedSiteOnce) {
  const std::string oldText =
      std::string(kHeader) +
      "Same 1 8 o: T\nSame 1 8 o: T\nGone 2 16 s: x\n"
      "Grow 3 8 m: 00\nMix 4 8 o: T\nMix 4 n/a o: T\nZero 6 0 x\nL 07 8 x\n";
  const std::vector<TAllocation> oldRows = RowsOf(oldText);
  EXPECT_TRUE(Diff(oldRows, oldRows).Sites.empty());
  EXPECT_FALSE(Diff(oldRows, oldRows).HasNewLeaks());

  const TReportDiff diff =
      Diff(oldRows, RowsOf(std::string(kHeader) +
                           "Same 1 8 o: T\nSame 1 8 o: T\nGrow 3 8 m: 00\nGrow 3 8 m: 00\n"
                           "Mix 4 8 s: T\nMix 4 n/a o: T\nNew 5 100 x\nZero 6 n/a x\nL 7 8 x\n"));
  std::vector<std::string> seen;
  for (const TSiteDiff& site : diff.Sites)
    seen.push_back(site.Unit + " " + site.Status() + " +" + std::to_string(site.Added.Bytes) +
                   " -" + std::to_string(site.Gone.Bytes));
  // Mix 4: the same size with another kind of contents is a different
  // allocation; Zero 6: 0 bytes are a known size; L: a line is its text, as
  // in the summary, so "07" and "7" are two sites.
  EXPECT_EQ(seen, (std::vector<std::string>{
                      "New new +100 -0", "Mix changed +8 -8", "Grow changed +8 -0", "L new +8 -0",
                      "Zero changed +0 -0", "Gone gone +0 -16", "L gone +0 -8"}));
  EXPECT_EQ(diff.Added.Allocations, 5);
  EXPECT_EQ(diff.Gone.Allocations, 4);
  EXPECT_TRUE(diff.HasNewLeaks());
}

// The rows a page marks as added: of allocations that match each other,
// the last ones in NEW's report order are the surplus; blank rows never are.
TEST(ReportStats, DiffNamesTheAddedRowsOfNew) {
  const TReport oldReport(kHeader + "A 1 8 o: T\nB 2 8 s: x\nA 1 8 o: T\nC 3 n/a m: 00\n");
  const TReport newReport(kHeader +
                          "A 1 8 o: T\nX 9 4 o: T\nA 1 8 o: T\n\t\nA 1 8 o: T\n"  // rows 0-4
                          "C 3 n/a m: 00\nC 3 n/a m: 00\nB 2 8 o: x\n");       // rows 5-7
  TDiffBuilder builder;
  builder.Add(oldReport, false);
  builder.Add(newReport, true);
  std::vector<std::uint32_t> added{99};
  const TReportDiff diff = builder.Finish(&added);
  EXPECT_EQ(added, (std::vector<std::uint32_t>{1, 4, 6, 7}));
  EXPECT_EQ(diff.Added.Allocations, static_cast<std::int64_t>(added.size()));

  builder.Add(newReport, false);
  builder.Add(newReport, true);
  builder.Finish(&added);
  EXPECT_TRUE(added.empty());
}

std::string Write(const std::string& name, const std::string& text) {
  const std::string path = ::testing::TempDir() + name;
  std::ofstream(path, std::ios::binary) << text;
  return path;
}

TEST(ReportStats, CommandsReachEveryExitStatus) {
  const std::string base = Write("base.gln", std::string(kHeader) + "A 1 8 x\n");
  const std::string more = Write("more.gln", std::string(kHeader) + "A 1 8 x\nB 2 n/a y\n");
  const std::string bad = Write("bad.gln", "1\n2\n");
  const std::string missing = ::testing::TempDir() + "no-such.gln";
  const struct {
    std::vector<std::string> Args;
    int Status;
  } cases[] = {
      {{"summary", base}, 0},
      {{"summary", "--by", "line", "--json", more}, 0},
      {{"summary", bad}, 2},
      {{"summary", "--by", "file", base}, 2},
      {{"diff", base, base}, 0},
      {{"diff", more, base}, 0},
      {{"diff", base, more}, 1},
      {{"diff", base, missing}, 2},
      {{"check", "--max-allocations", "1", base}, 0},
      {{"check", "--max-allocations", "1", more}, 1},
      {{"check", "--max-bytes", "100", more}, 1},  // an unknown size cannot pass a byte limit
      {{"check", "--max-allocations", "1", "--baseline", base, more}, 0},
      {{"check", "--max-allocations", "0", "--baseline", base, more}, 1},
      {{"check", "--max-bytes", "-1", base}, 2},
      {{"check", "--max-bytes", "", base}, 2},
      {{"check", "--max-allocations", "1e3", base}, 2},
      {{"check", "--max-allocations", "99999999999999999999", base}, 2},
      {{"check", base}, 2},  // no limit, no gate
      {{"check", "--baseline", base, more}, 2},
      {{"check", "--max-allocations", "1", bad}, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Args[0] + " " + c.Args[1]);
    for (const TGlintCommand& command : StatsCommands())
      if (command.Name == c.Args[0]) {
        EXPECT_EQ(command.Run({c.Args.begin() + 1, c.Args.end()}), c.Status);
      }
  }
}

// A byte total beyond 64 bits, summed row by row, site by site or as
// matched allocations times a count, fails the gate at any limit and is
// never printed wrapped; one of exactly the largest number is no overflow.
TEST(ReportStats, CommandsNeverPassOrPrintAWrappedTotal) {
  const std::string evil =
      Write("evil.gln", std::string(kHeader) +
                            "Evil 1 9223372036854775807 o: X\n"
                            "Evil 2 9223372036854775807 o: X\nEvil 3 4 o: X\n");
  const std::string twice = Write("twice.gln", std::string(kHeader) +
                                                   "A 1 4611686018427387904 x\n"
                                                   "A 1 4611686018427387904 x\n");
  const std::string most =
      Write("most.gln", std::string(kHeader) + "A 1 9223372036854775806 x\nA 2 1 x\n");
  const std::string base = Write("one.gln", std::string(kHeader) + "A 1 8 x\n");
  const std::string limit = "9223372036854775807", beyond = "more than " + limit + " bytes";
  const struct {
    std::vector<std::string> Args;
    int Status;
    std::string Shows;
  } cases[] = {
      {{"check", "--max-bytes", "100000", evil}, 1, "failed: more than " + limit + " leaked"},
      {{"check", "--max-bytes", limit, evil}, 1, "more than --max-bytes"},
      {{"check", "--max-bytes", limit, "--baseline", base, evil}, 1, "new bytes"},
      {{"check", "--max-bytes", limit, most}, 0, "passed (2 allocations, " + limit + " bytes)"},
      {{"summary", evil}, 0, "Total 3 allocations, " + beyond},
      {{"summary", "--json", evil}, 0, "\"bytesOverflow\": true"},
      {{"diff", base, evil}, 1, "Added: 3 allocations, " + beyond},
      {{"diff", base, twice}, 1, "Added: 2 allocations, " + beyond},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Args[0] + " " + c.Args[1]);
    ::testing::internal::CaptureStdout();
    int status = -1;
    for (const TGlintCommand& command : StatsCommands())
      if (command.Name == c.Args[0]) status = command.Run({c.Args.begin() + 1, c.Args.end()});
    const std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(status, c.Status);
    EXPECT_NE(out.find(c.Shows), std::string::npos) << out;
  }
}

}  // namespace
}  // namespace glint
