#include "monitor/Report.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <new>
#include <string>
#include <vector>

#include "tests/support/FaultAfterRows.h"
#include "tests/support/ReportGenerator.h"
#include "tests/support/TestSupport.h"

namespace glint {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

std::string CrLfLines(const TReport& report) {
  std::string text;
  for (std::uint32_t i = 0; i < report.LineCount(); ++i) text.append(report.Line(i)).append("\r\n");
  return text;
}

class ReportModel : public test_support::TTempDirTest {};

// Every shape of generated report: its rows, cells and details as made, and
// a save that reopens to the same bytes.
TEST_F(ReportModel, GeneratedReportsParseSaveAndReopenWhole) {
  const TReportShape shapes[] = {
      {.Rows = 0},
      {.Rows = 1, .DetailEvery = 1, .DetailLines = 1},
      {.Rows = 500, .DetailEvery = 3, .DetailLines = 4, .Units = 7, .Seed = 9},
      {.Rows = 300, .DetailEvery = 0, .LineEnd = "\n"},
      {.Rows = 300, .DetailEvery = 2, .DetailLines = 1, .LineEnd = "\r"},
  };
  for (const TReportShape& shape : shapes) {
    SCOPED_TRACE(testing::Message() << shape.Rows << " rows, details every " << shape.DetailEvery
                                    << ", line end " << static_cast<int>(shape.LineEnd[0]));
    const std::string text = GenerateReport(shape);
    const TReport report(text);
    ASSERT_EQ(report.RowCount(), static_cast<std::uint32_t>(shape.Rows));
    std::uint32_t detailed = 0;
    for (int row = 1; row <= shape.Rows; ++row) {
      const TGeneratedRow made = GeneratedRow(shape, row);
      const auto r = static_cast<std::uint32_t>(row - 1);
      ASSERT_EQ(report.Cell(0, r), made.Unit) << row;
      ASSERT_EQ(report.Cell(1, r), made.Line) << row;
      ASSERT_EQ(report.Cell(2, r), made.Bytes) << row;
      ASSERT_EQ(report.Cell(3, r), made.Contents) << row;
      const TReportLines details = report.Details(r);
      if (details.Count() > 0) {
        ++detailed;
        EXPECT_EQ(details.Count(), static_cast<std::uint32_t>(shape.DetailLines));
        EXPECT_NE(details[0].front(), ' ') << "detail lines are trimmed";
      }
    }
    EXPECT_EQ(detailed,
              shape.DetailEvery ? static_cast<std::uint32_t>(shape.Rows / shape.DetailEvery) : 0u);

    const fs::path file = FDir / "r.gln";
    report.SaveToFile(file.string());
    const std::string saved = test_support::ReadFile(file);
    EXPECT_EQ(saved, CrLfLines(report));
    if (std::string_view(shape.LineEnd) == "\r\n") {
      EXPECT_EQ(saved, text);
    }
    const TReport reopened = TReport::LoadFromFile(file.string());
    EXPECT_EQ(reopened.Lines().Items(), report.Lines().Items());
    reopened.SaveToFile(file.string());
    EXPECT_EQ(test_support::ReadFile(file), saved);
  }
}

// Lines end at CR LF, CR or LF alike, the text at its first zero byte, and
// the header needs lines 0, 2, 4 and 5.
TEST_F(ReportModel, TextsEndAtAZeroByteAndNeedTheirHeaderLines) {
  const std::string header = "Report on     : X\r\n-\nCreated at : now\r\r";
  const TReport report(header +
                       "Peak  : 5 pointers\nPeak memory: 9 bytes\n\n\n\nU 1 2 c\n\0V 3 4 d\n"s);
  EXPECT_EQ(report.LineCount(), 10u);
  EXPECT_EQ(report.Line(3), "");
  EXPECT_EQ(report.RowCount(), 1u);
  EXPECT_EQ(report.Header(0), "X");
  EXPECT_EQ(report.Header(1), "now");
  EXPECT_EQ(report.Header(2), "5");
  EXPECT_EQ(report.Header(3), "9");

  const struct {
    std::string Text;
    const char* Error;
  } rejected[] = {
      {"", "List index out of bounds (0)"},
      {"a\n", "List index out of bounds (2)"},
      {"a\nb\nc\nd\n", "List index out of bounds (4)"},
      {"a\nb\nc\nd\ne\n\0f\ng\n"s, "List index out of bounds (5)"},
  };
  for (const auto& r : rejected) {
    try {
      TReport bad(r.Text);
      ADD_FAILURE() << r.Error;
    } catch (const EStringListError& e) {
      EXPECT_STREQ(e.what(), r.Error);
    }
  }
}

// A parse that runs out of memory raises and leaves nothing half made for
// the caller to show; the file it was to be read from must be readable.
TEST_F(ReportModel, FailuresRaiseBeforeAnythingIsMade) {
  const std::string text = GenerateReport({.Rows = 10});
  {
    const TFaultAfterRows fault(3);
    EXPECT_THROW(TReport{text}, std::bad_alloc);
  }
  EXPECT_EQ(TReport(text).RowCount(), 10u);

  EXPECT_THROW(TReport::LoadFromFile((FDir / "missing.gln").string()), EInOutError);
  const TReport report(text);
  EXPECT_THROW(report.SaveToFile(FDir.string()), EInOutError);
  EXPECT_TRUE(fs::is_directory(FDir));
}

}  // namespace
}  // namespace glint
