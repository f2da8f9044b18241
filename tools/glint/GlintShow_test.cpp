#include "tools/glint/GlintShow.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "monitor/GlintExp.h"
#include "tests/support/ReportGenerator.h"
#include "tests/support/TestSupport.h"
#include "ui/headless/Headless.h"

namespace glint {
namespace {

using test_support::BareReport;

std::string ReadFile(const std::string& fileName) {
  std::ifstream in(fileName, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The project's source folder, where the samples and the expected objects live.
std::string SourceDir() {
  const char* dir = std::getenv("GLINT_SOURCE_DIR");
  if (!dir) throw std::runtime_error("GLINT_SOURCE_DIR is not set");
  return dir;
}

std::string JsonOf(const std::string& fileName) {
  TReportView view;
  view.LoadFile(fileName);
  std::ostringstream out;
  WriteJson(view, out);
  return out.str();
}

// The expected objects in testdata/ were written from the report format, not
// taken from this tool's output.
TEST(GlintShow, JsonOfTheSamplesMatchesTheExpected) {
  const std::string source = SourceDir();
  for (const char* name : {"inventory", "empty-unixeol", "odd-shapes", "leaky-lf"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(JsonOf(source + "/samples/" + name + ".gln"),
              ReadFile(source + "/tools/glint/testdata/" + name + ".json"));
  }
}

TEST(GlintShow, ShortTextRaisesTheParseError) {
  TReportView view;
  try {
    view.LoadText("1\r\n2\r\n3\r\n4\r\n5\r\n");
    FAIL() << "accepted";
  } catch (const EStringListError& e) {
    EXPECT_EQ(e.Message(), "List index out of bounds (5)");
  }
  EXPECT_THROW(view.LoadFile("/nonexistent/report.gln"), EInOutError);
}

// The file is read as the window's File/Open reads it: a zero byte ends
// the text there as in a delivered message.
TEST(GlintShow, FileAndMessageWithTheSameBytesShowTheSame) {
  const std::string bytes = BareReport("", "x", "\r\n") + "A 1 1 a\r\n" + '\0' + "B 2 2 b\r\n";
  const std::string file = ::testing::TempDir() + "glint-show-zero.gln";
  std::ofstream(file, std::ios::binary) << bytes;
  std::ostringstream fromFile, fromMessage;
  TReportView view;
  view.LoadFile(file);
  WriteJson(view, fromFile);
  view.LoadText(bytes);
  WriteJson(view, fromMessage);
  std::remove(file.c_str());
  EXPECT_EQ(fromFile.str(), fromMessage.str());
  EXPECT_EQ(fromFile.str().find("\"B\""), std::string::npos) << fromFile.str();
}

TEST(GlintShow, JsonStringEscapesControlsQuotesAndHighBytes) {
  EXPECT_EQ(JsonString("a\"b\\c/"), "\"a\\\"b\\\\c/\"");
  EXPECT_EQ(JsonString(std::string("\t\r\n\x01\x1f\x7f", 6)), "\"\\t\\r\\n\\u0001\\u001F\\u007F\"");
  EXPECT_EQ(JsonString("\x80\xe9\xff"), "\"\\u0080\\u00E9\\u00FF\"");
}

TEST(GlintShow, TableMarksDetailRowsAndIndentsTheirLines) {
  TReportView view;
  view.LoadText(
      BareReport("Main 12 64 o: TList\n Main 12\n\n"
                 "LongUnitName 7 8 x\nUnit Map:\nMain M.pas\n",
                 "prog"));
  std::ostringstream out;
  WriteTable(view, out);
  std::string text = out.str();
  EXPECT_NE(text.find("Report on    prog\n"), std::string::npos) << text;
  EXPECT_NE(text.find("Unit Name     Line  Bytes  Contents\n"), std::string::npos) << text;
  EXPECT_NE(text.find("Main ...      12    64     o: TList\n    Main 12\n"), std::string::npos)
      << text;
  EXPECT_NE(text.find("\nUnit map:\n  Main=M.pas\n"), std::string::npos) << text;
}

TEST(GlintShow, TableColumnsStopAtTheCapAndLongCellsStayWhole) {
  const std::string huge(100000, 'U');
  TReportView view;
  view.LoadText(BareReport("", "prog") + huge + " 1 2 x\nA 3 4 y\n");
  std::ostringstream out;
  WriteTable(view, out);
  const std::string text = out.str();
  EXPECT_NE(text.find(huge + " 1"), std::string::npos);
  EXPECT_NE(text.find("\nA" + std::string(kTableColumnWidthCap + 1, ' ') + "3 "),
            std::string::npos);
  EXPECT_LT(text.size(), huge.size() + 1000);
}

TEST(GlintShow, SortClicksTitlesInOrderAndRowsKeepTheirDetails) {
  TReportView view;
  view.LoadText(BareReport("B 7 8 x\n B 7\n\nA 9 64 y\nA 3 64 z\n A 3\n", "p"));
  EXPECT_EQ(GridColumnOf("bytes"), 2);
  EXPECT_EQ(GridColumnOf("3"), 3);
  EXPECT_EQ(GridColumnOf("4"), -1);
  view.ClickTitle(GridColumnOf("Line"));
  view.ClickTitle(GridColumnOf("Bytes"));
  std::ostringstream out;
  WriteJson(view, out);
  const std::string json = out.str();
  const std::size_t a3 = json.find("{\"unit\": \"A\", \"line\": \"3\"");
  const std::size_t a9 = json.find("{\"unit\": \"A\", \"line\": \"9\"");
  const std::size_t b7 = json.find("{\"unit\": \"B\", \"line\": \"7\"");
  ASSERT_NE(b7, std::string::npos) << json;
  EXPECT_LT(a3, a9);  // the line sort stays under equal byte counts
  EXPECT_LT(a9, b7);
  EXPECT_NE(json.find("\"line\": \"3\", \"bytes\": \"64\", \"contents\": \"z\", "
                      "\"details\": [\"A 3\"]"),
            std::string::npos)
      << json;

  view.LoadText(BareReport("A $1F 1 x\nB 2 2 y\n", "p"));
  EXPECT_THROW(view.ClickTitle(1), EConvertError);
}

// The tool and the window are two views of one report: after the same title
// clicks they show the same header, cells, details and unit map, rows in
// the same order, ties included.
TEST(GlintShow, ViewShowsWhatTheWindowShowsAfterTheSameClicks) {
  THeadless backend;
  auto* form = new TGlintMonitor(&Application());
  TReportShape shape;
  shape.Rows = 3000;
  shape.DetailEvery = 3;
  shape.Units = 7;
  std::vector<std::string> texts = {GenerateReport(shape)};
  for (const char* name : {"inventory", "odd-shapes", "leaky-lf", "ledger-many-rows"})
    texts.push_back(ReadFile(SourceDir() + "/samples/" + name + ".gln"));
  const std::vector<std::vector<int>> clicks = {{}, {0}, {1}, {2}, {3}, {2, 1}, {3, 0, 2}};
  for (const std::string& text : texts) {
    for (const std::vector<int>& cols : clicks) {
      TReportView view;
      view.LoadText(text);
      form->ReplaceReport(text);
      for (int col : cols) {
        view.ClickTitle(col);
        const TRect title = MonitorGrid->CellRect(col, 0);
        form->GridMouseDown(MonitorGrid, TMouseButton::Left, {TShiftKey::Left}, title.Left + 1,
                            title.Top + 1);
      }
      const TEdit* edits[] = {form->Edit1, form->Edit2, form->Edit3, form->Edit4};
      for (int i = 0; i < 4; ++i) EXPECT_EQ(view.Report().Header(i), edits[i]->Text());
      EXPECT_EQ(view.Report().UnitMap().Items(), form->UnitMap->Items());
      const TStringGrid& grid = view.Grid();
      ASSERT_EQ(grid.RowCount(), MonitorGrid->RowCount());
      ASSERT_EQ(grid.FixedRows(), MonitorGrid->FixedRows());
      int differing = 0;
      for (int row = 0; row < grid.RowCount(); ++row) {
        bool same = view.DetailsOfRow(row).Items() == form->DetailsOfRow(row).Items();
        for (int col = 0; col < 4; ++col)
          same = same && grid.Cells(col, row) == MonitorGrid->Cells(col, row);
        differing += same ? 0 : 1;
      }
      EXPECT_EQ(differing, 0) << text.substr(0, 40) << " after " << cols.size() << " clicks";
    }
  }
  delete form;
}

}  // namespace
}  // namespace glint
