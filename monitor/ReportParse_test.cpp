#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "monitor/GlintExp.h"
#include "tests/support/FaultAfterRows.h"
#include "ui/headless/Headless.h"

namespace glint {
namespace {

const char* const kHeader[] = {"Report on     : C:\\App\\App.exe",
                               "------------------------------",
                               "Created at : 08.12.2026 14:31:07",
                               "",
                               "Peak  : 1843 pointers",
                               "Peak memory: 201562 bytes",
                               "",
                               "Leaked allocations (unit, line, size, contents):",
                               "------------------------------"};

std::string ReportText(const std::vector<std::string>& body, const char* eol = "\r\n") {
  std::string text;
  for (const char* line : kHeader) text += std::string(line) + eol;
  for (const std::string& line : body) text += line + eol;
  return text;
}

using TRow = std::vector<std::string>;

class ReportParse : public ::testing::Test {
 protected:
  void SetUp() override { Form = new TGlintMonitor(&Application()); }
  void TearDown() override { delete Form; }

  // Delivers the text as a monitored program does, terminator included.
  // Whatever the window takes, the report model alone reads the same way.
  std::intptr_t Send(const std::string& text) {
    TCopyDataStruct data;
    data.cbData = static_cast<std::uint32_t>(text.size() + 1);
    data.lpData = text.c_str();
    const std::intptr_t result =
        DeliverMessage(*Form, kWmCopyData, 0, reinterpret_cast<std::intptr_t>(&data));
    if (result == 1) ExpectModelShows(TReport(text));
    return result;
  }
  void ExpectModelShows(const TReport& report) const {
    std::vector<TRow> rows;
    for (std::uint32_t r = 0; r < report.RowCount(); ++r) {
      rows.push_back({});
      for (int col = 0; col < 4; ++col) rows.back().emplace_back(report.Cell(col, r));
      EXPECT_EQ(report.Details(r).Items(), Details(static_cast<int>(r) + 1));
    }
    if (rows.empty()) rows.push_back({"", "", "", ""});
    EXPECT_EQ(rows, Rows());
    EXPECT_EQ(Header(), (std::vector<std::string>{report.Header(0), report.Header(1),
                                                  report.Header(2), report.Header(3)}));
    EXPECT_EQ(report.UnitMap().Items(), Form->UnitMap->Items());
    EXPECT_EQ(report.Lines().Items(), Form->ReportLines().Items());
  }
  std::vector<TRow> Rows() const {
    std::vector<TRow> rows;
    for (int r = 1; r < MonitorGrid->RowCount(); ++r)
      rows.push_back({std::string(MonitorGrid->Cells(0, r)), std::string(MonitorGrid->Cells(1, r)),
                      std::string(MonitorGrid->Cells(2, r)),
                      std::string(MonitorGrid->Cells(3, r))});
    return rows;
  }
  std::vector<std::string> Details(int row) const {
    const TRowDetails details = Form->RowDetails();
    EXPECT_LT(static_cast<std::size_t>(row - 1), details.size());
    return details[static_cast<std::size_t>(row - 1)].Items();
  }
  std::vector<std::string> Header() const {
    return {Form->Edit1->Text(), Form->Edit2->Text(), Form->Edit3->Text(), Form->Edit4->Text()};
  }

  THeadless Backend;
  TGlintMonitor* Form = nullptr;
};

TEST_F(ReportParse, LineEndingsAllGiveTheSameReport) {
  std::vector<std::string> body{"Main 12 64 o: TList", " Main 12", "", "Unit Map:", "Main M.pas"};
  std::vector<std::vector<TRow>> grids;
  for (const char* eol : {"\r\n", "\n", "\r"}) {
    SCOPED_TRACE(eol[0] == '\r' && eol[1] ? "CRLF" : eol[0] == '\n' ? "LF" : "CR");
    ASSERT_EQ(Send(ReportText(body, eol)), 1);
    grids.push_back(Rows());
    EXPECT_EQ(Details(1), (std::vector<std::string>{"Main 12"}));
    EXPECT_EQ(Form->UnitMap->Items(), (std::vector<std::string>{"Main=M.pas"}));
    EXPECT_EQ(Header(), (std::vector<std::string>{"C:\\App\\App.exe", "08.12.2026 14:31:07", "1843",
                                                  "201562"}));
  }
  EXPECT_EQ(grids[0], grids[1]);
  EXPECT_EQ(grids[0], grids[2]);
}

TEST_F(ReportParse, HeaderIsReadByPositionWithoutLabels) {
  std::string line0 = "0123456789ABCDEF" + std::string(300, 'x');
  std::string text = line0 + "\nignored\nLABEL-13-CHRSvalue\n\nPK-8CHRS42 pointers pointers\n" +
                     "LABEL-13-CHRS7 bytes\n";
  ASSERT_EQ(Send(text), 1);
  EXPECT_EQ(Form->Edit1->Text(), std::string(255, 'x'));  // characters 17 to 271
  EXPECT_EQ(Form->Edit2->Text(), "value");
  EXPECT_EQ(Form->Edit3->Text(), "42");  // up to the first "pointers"
  EXPECT_EQ(Form->Edit4->Text(), "7");
}

TEST_F(ReportParse, MissingPointersOrBytesWordLeavesThatEditEmpty) {
  ASSERT_EQ(Send("Report on     : x\n\nCreated at : y\n\nPeak  : 1843 ptrs\nPeak memory: 5 B\n"),
            1);
  EXPECT_EQ(Form->Edit3->Text(), "");
  EXPECT_EQ(Form->Edit4->Text(), "");
  // A word too early for a count also gives nothing.
  ASSERT_EQ(Send("R\n\nC\n\npointers\nbytes\n"), 1);
  EXPECT_EQ(Form->Edit3->Text(), "");
  EXPECT_EQ(Form->Edit4->Text(), "");
  EXPECT_EQ(Form->Edit1->Text(), "");
}

TEST_F(ReportParse, BodyLinesFallIntoTheFourClasses) {
  ASSERT_EQ(
      Send(ReportText({"", "Row 1 2 text", "   ", "", "unit map: x", "Unit Map:", "Tail 9 9 z"})),
      1);
  // "   " is a detail block of blanks; "unit map:" in other case is a row.
  EXPECT_EQ(Rows(), (std::vector<TRow>{{"Row", "1", "2", "text"}, {"unit", "map:", "", "x"}}));
  EXPECT_EQ(Details(1), (std::vector<std::string>{""}));
  EXPECT_EQ(Form->UnitMap->Items(), (std::vector<std::string>{"Tail=9 9 z"}));
}

TEST_F(ReportParse, RowSplittingFillsFromTheLeft) {
  ASSERT_EQ(Send(ReportText({"OneWord", "Two words", "Three word line",
                             "A   1    2   rest  of it  ", "Unit\t1 2 x", "Row 7 9"})),
            1);
  EXPECT_EQ(Rows(), (std::vector<TRow>{{"", "", "", "OneWord"},
                                       {"Two", "", "", "words"},
                                       {"Three", "word", "", "line"},
                                       {"A", "1", "2", "rest  of it"},
                                       {"Unit\t1", "2", "", "x"},
                                       {"Row", "7", "", "9"}}));
}

TEST_F(ReportParse, LineAndBytesAreKeptAsWritten) {
  ASSERT_EQ(Send(ReportText({"U 0012 n/a s: x"})), 1);
  EXPECT_EQ(Rows(), (std::vector<TRow>{{"U", "0012", "n/a", "s: x"}}));
}

TEST_F(ReportParse, DetailBlocksAttachToTheRowAddedLast) {
  ASSERT_EQ(Send(ReportText({"A 1 1 a", " D 1", "not indented", "  D 2  ", "", "B 2 2 b", "C 3 3 c",
                             " E 5", "", " F 6", "", "G 4 4 g"})),
            1);
  ASSERT_EQ(Rows().size(), 4u);
  // Only an empty line ends a block.
  EXPECT_EQ(Details(1), (std::vector<std::string>{"D 1", "not indented", "D 2"}));
  EXPECT_EQ(Details(2), std::vector<std::string>{});
  // A later block for the same row takes the place of the earlier one.
  EXPECT_EQ(Details(3), (std::vector<std::string>{"F 6"}));
  EXPECT_EQ(Details(4), std::vector<std::string>{});
  EXPECT_EQ(Form->RowDetails().size(), 4u);
}

TEST_F(ReportParse, DetailBlockBeforeTheFirstRowIsDropped) {
  ASSERT_EQ(Send(ReportText({" Orphan 1", " Orphan 2", "", "A 1 1 a"})), 1);
  EXPECT_EQ(Rows(), (std::vector<TRow>{{"A", "1", "1", "a"}}));
  ASSERT_EQ(Form->RowDetails().size(), 1u);
  EXPECT_EQ(Details(1), std::vector<std::string>{});
  // With no row at all the grid shows its one empty row.
  ASSERT_EQ(Send(ReportText({" Orphan 1"})), 1);
  EXPECT_EQ(Rows(), (std::vector<TRow>{{"", "", "", ""}}));
  EXPECT_TRUE(Form->RowDetails().empty());
}

TEST_F(ReportParse, UnitMapTakesEveryLaterLine) {
  ASSERT_EQ(Send(ReportText({"Unit Map:", "Zed   C:\\src\\Zed Unit.pas  ", "", " Lead space.pas",
                             "NoSpace", "Zed C:\\src\\Zed Unit.pas", "A 1 2 x", "Alpha a.pas"})),
            1);
  EXPECT_EQ(Form->UnitMap->Items(),
            (std::vector<std::string>{"=", "=Lead space.pas", "=NoSpace", "A=1 2 x", "Alpha=a.pas",
                                      "Zed=C:\\src\\Zed Unit.pas"}));
  EXPECT_EQ(Form->UnitMap->Values("zed"), "C:\\src\\Zed Unit.pas");
  EXPECT_EQ(Rows(), (std::vector<TRow>{{"", "", "", ""}}));
}

TEST_F(ReportParse, HeaderOnlyTextShowsOneEmptyRow) {
  ASSERT_EQ(Send(ReportText({})), 1);
  EXPECT_EQ(MonitorGrid->RowCount(), 2);
  EXPECT_EQ(MonitorGrid->FixedRows(), 1);
  EXPECT_EQ(MonitorGrid->Cells(0, 0), "Unit Name");
  EXPECT_EQ(Rows(), (std::vector<TRow>{{"", "", "", ""}}));
}

TEST_F(ReportParse, SecondReportReplacesTheFirstEntirely) {
  ASSERT_EQ(Send(ReportText({"A 1 1 a", " D 1", "", "B 2 2 b", "C 3 3 c", "Unit Map:", "A a.pas"})),
            1);
  ASSERT_EQ(Send("Report on     : second\n\n\n\n\n\n\n\n\nZ 9 9 z\n"), 1);
  EXPECT_EQ(Form->Edit1->Text(), "second");
  EXPECT_EQ(Form->Edit3->Text(), "");
  EXPECT_EQ(Rows(), (std::vector<TRow>{{"Z", "9", "9", "z"}}));
  ASSERT_EQ(Form->RowDetails().size(), 1u);
  EXPECT_EQ(Details(1), std::vector<std::string>{});
  EXPECT_EQ(Form->UnitMap->Count(), 0);
  EXPECT_EQ(Form->ReportLines().Count(), 10);
}

TEST_F(ReportParse, RejectedReportChangesNothing) {
  std::string good = ReportText({"A 1 1 a", " D 1", "", "Unit Map:", "A a.pas"});
  ASSERT_EQ(Send(good), 1);
  auto rows = Rows();
  auto header = Header();
  auto lines = Form->ReportLines().Items();
  const std::string bigger = ReportText({"N 1 1 n", "N 2 2 n", " E 5", "", "Unit Map:", "N n.pas"});
  // The first header line a parse reading lines 0, 2, 4, 5 would miss, and
  // a whole report that runs out of memory at its second row.
  const struct {
    std::string text;
    const char* error;
    long faultAfterRows = -1;
  } cases[] = {{"", "List index out of bounds (0)"},
               {"one", "List index out of bounds (2)"},
               {"one\ntwo\n", "List index out of bounds (2)"},
               {"one\ntwo\nthree", "List index out of bounds (4)"},
               {"1\n2\n3\n4\n", "List index out of bounds (4)"},
               {"Report on     : new\n2\n3\n4\n5 pointers\n", "List index out of bounds (5)"},
               {bigger, kOutOfMemoryText, 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.error);
    Backend.ErrorBoxes.clear();
    {
      const TFaultAfterRows fault(c.faultAfterRows);
      EXPECT_EQ(Send(c.text), 0);
    }
    EXPECT_EQ(Backend.ErrorBoxes, (std::vector<std::string>{c.error}));
    EXPECT_EQ(Header(), header);
    EXPECT_EQ(Rows(), rows);
    EXPECT_EQ(Details(1), (std::vector<std::string>{"D 1"}));
    EXPECT_EQ(Form->UnitMap->Items(), (std::vector<std::string>{"A=a.pas"}));
    EXPECT_EQ(Form->ReportLines().Items(), lines);
  }
  ASSERT_EQ(Send(bigger), 1);
  EXPECT_EQ(Rows().size(), 2u);
}

TEST_F(ReportParse, CopyDataReadsAtMostCbDataBytes) {
  std::string text = ReportText({"A 1 1 a"});
  // No terminator: the handler must stop at cbData, not run on into "B 2 2 b".
  std::string buffer = text + "B 2 2 b\r\n";
  TCopyDataStruct data;
  data.cbData = static_cast<std::uint32_t>(text.size());
  data.lpData = buffer.data();
  EXPECT_EQ(DeliverMessage(*Form, kWmCopyData, 0, reinterpret_cast<std::intptr_t>(&data)), 1);
  EXPECT_EQ(Rows(), (std::vector<TRow>{{"A", "1", "1", "a"}}));
  // A zero inside the data ends the text.
  buffer = text + '\0' + "B 2 2 b\r\n";
  data.cbData = static_cast<std::uint32_t>(buffer.size());
  data.lpData = buffer.data();
  EXPECT_EQ(DeliverMessage(*Form, kWmCopyData, 0, reinterpret_cast<std::intptr_t>(&data)), 1);
  EXPECT_EQ(Rows().size(), 1u);
  EXPECT_EQ(Form->ReportLines().Count(), 10);
}

TEST_F(ReportParse, CopyDataWithoutDataIsAnEmptyText) {
  ASSERT_EQ(Send(ReportText({"A 1 1 a"})), 1);
  TCopyDataStruct none;
  EXPECT_EQ(DeliverMessage(*Form, kWmCopyData, 0, reinterpret_cast<std::intptr_t>(&none)), 0);
  std::string text = ReportText({});
  TCopyDataStruct zeroSize;
  zeroSize.lpData = text.c_str();
  EXPECT_EQ(DeliverMessage(*Form, kWmCopyData, 0, reinterpret_cast<std::intptr_t>(&zeroSize)), 0);
  EXPECT_EQ(Backend.ErrorBoxes, (std::vector<std::string>{"List index out of bounds (0)",
                                                          "List index out of bounds (0)"}));
  EXPECT_EQ(Rows(), (std::vector<TRow>{{"A", "1", "1", "a"}}));
}

}  // namespace
}  // namespace glint
