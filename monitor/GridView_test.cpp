#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "ide/IdeHost.h"
#include "monitor/MonitorFormTest.h"
#include "tests/support/TestSupport.h"

namespace glint {
namespace {

using test_support::BareReport;

// Rows with ties, a detail block per row that names the row's own unit and
// line, and one row without details.
const std::string kReport = BareReport(
    "B 20 30 s: b\n B 20\n\n"
    "A 3 100 o: a\n A 3\n\n"
    "C 100 5 m: 41 00\n"
    "A 20 100 plain\n A 20\n Z 1\n");

class GridView : public TMonitorFormTest {
 protected:
  void Click(TMouseButton button, int col, int row) {
    const TRect cell = MonitorGrid->CellRect(col, row);
    Form->GridMouseDown(MonitorGrid, button, {}, cell.Left + 3, cell.Top + 3);
  }
  std::vector<std::string> Column(int col) {
    std::vector<std::string> texts;
    for (int row = 1; row < MonitorGrid->RowCount(); ++row)
      texts.emplace_back(MonitorGrid->Cells(col, row));
    return texts;
  }
};

TEST_F(GridView, TitleClickSortsEachColumnItsWayAndDetailsFollowTheirRows) {
  Send(kReport);
  const struct {
    int Col;
    std::vector<std::string> Keys;
  } cases[] = {
      {0, {"A", "A", "B", "C"}},
      {1, {"3", "20", "20", "100"}},
      {2, {"100", "100", "30", "5"}},  // largest allocation first
      {3, {"m: 41 00", "o: a", "plain", "s: b"}},
      {2, {"100", "100", "30", "5"}},  // again: the same order
  };
  std::vector<std::string> previousUnits;
  for (const auto& c : cases) {
    Click(TMouseButton::Left, c.Col, 0);
    EXPECT_EQ(Column(c.Col), c.Keys) << "column " << c.Col;
    for (int row = 1; row < MonitorGrid->RowCount(); ++row) {
      const TReportLines details = Form->DetailsOfRow(row);
      if (MonitorGrid->Cells(0, row) == "C") {
        EXPECT_EQ(details.Count(), 0u);
        continue;
      }
      ASSERT_NE(details.Count(), 0u) << row;
      EXPECT_EQ(std::string(details[0]), std::string(MonitorGrid->Cells(0, row)) + " " +
                                             std::string(MonitorGrid->Cells(1, row)));
    }
  }
  EXPECT_TRUE(Backend.Dialogs.empty());
  EXPECT_TRUE(Backend.ErrorBoxes.empty());
  // A new report comes in report order.
  Send(kReport);
  EXPECT_EQ(Column(0), (std::vector<std::string>{"B", "A", "C", "A"}));
  EXPECT_EQ(Form->DetailsOfRow(1)[0], "B 20");
}

TEST_F(GridView, NonNumericColumnFallsBackSilentlyAndHexRaisesWithGridUntouched) {
  Send(BareReport("A 10 n/a x\nB 9 12 y\nC 8 4 z\n"));
  Click(TMouseButton::Left, 2, 0);  // "n/a": a character sort, descending, no message
  EXPECT_EQ(Column(2), (std::vector<std::string>{"n/a", "4", "12"}));
  EXPECT_TRUE(Backend.Dialogs.empty());

  Send(BareReport("A 10 1 x\nB $1F 2 y\nC 8 3 z\n"));
  EXPECT_THROW(Click(TMouseButton::Left, 1, 0), EConvertError);
  EXPECT_EQ(Column(1), (std::vector<std::string>{"10", "$1F", "8"}));

  Send(BareReport("A 10 1 x\n A 10\n"));
  Click(TMouseButton::Left, 0, 0);  // one data row: nothing to sort, no message
  EXPECT_EQ(Column(0), (std::vector<std::string>{"A"}));
  EXPECT_NE(Form->DetailsOfRow(1).Count(), 0u);
  EXPECT_TRUE(Backend.Dialogs.empty());
}

TEST_F(GridView, DetailMarksAreDrawnForTheRowsThatOwnThemAfterASort) {
  Send(kReport);
  Click(TMouseButton::Left, 0, 0);
  Form->Show();
  const std::vector<TCanvasOp> ops = PaintGrid(*MonitorGrid);
  std::vector<std::string> firstColumn;
  for (int row = 1; row < MonitorGrid->RowCount(); ++row) {
    const TRect cell = MonitorGrid->CellRect(0, row);
    for (const TCanvasOp& op : ops)
      if (op.Kind == TCanvasOp::TKind::DrawText && op.Rect.Left == cell.Left + 2 &&
          op.Rect.Top == cell.Top + 2)
        firstColumn.push_back(op.Text);
  }
  EXPECT_EQ(firstColumn, (std::vector<std::string>{"A ...", "A ...", "B ...", "C"}));
}

TEST_F(GridView, LineNumbersReadAsTheSorterReadsNumbers) {
  const struct {
    const char* Text;
    int Line;
  } cases[] = {{"42", 42}, {"$1F", 31}, {"0x10", 16}, {"n/a", 0}, {"", 0}, {"12a", 0}};
  for (const auto& c : cases) EXPECT_EQ(LineNumberOf(c.Text), c.Line) << c.Text;
}

TEST_F(GridView, LayoutGivesTheLastColumnTheRestAndNeverGoesNegative) {
  Form->Show();
  MonitorGrid->SetColWidths(0, 100);
  MonitorGrid->SetColWidths(1, 40);
  MonitorGrid->SetColWidths(2, 50);
  Form->SetWidth(700);
  const int line = MonitorGrid->GridLineWidth();
  EXPECT_EQ(MonitorGrid->ColWidths(3), MonitorGrid->ClientWidth() - (190 + 3 * line));
  MonitorGrid->UserSetColWidth(0, 120);  // a divider dragged: the last column follows
  EXPECT_EQ(MonitorGrid->ColWidths(3), MonitorGrid->ClientWidth() - (210 + 3 * line));
  Form->SetWidth(300);
  EXPECT_EQ(MonitorGrid->ColWidths(3), 0);

  Form->Panel1->SetWidth(200);
  EXPECT_EQ(Form->Edit1->Width(), 200 - 72 - 25);
  Form->Panel1->SetWidth(50);
  EXPECT_EQ(Form->Edit4->Width(), 0);
}

TEST_F(GridView, FontDialogSetsTheFontAndRowHeightOnOkOnly) {
  TFont chosen;
  chosen.Assign(Form->Font());
  chosen.SetName("Courier New");
  chosen.SetHeight(-20);
  Backend.QueueFont(chosen);
  Form->Font1Click(Form->Font1);
  EXPECT_EQ(Form->Font().Name(), "Courier New");
  EXPECT_EQ(MonitorGrid->Font().Name(), "Courier New");
  EXPECT_EQ(MonitorGrid->DefaultRowHeight(), 28);
  Backend.QueueFontCancel();
  Form->Font1Click(Form->Font1);
  ASSERT_EQ(Backend.FontDialogs.size(), 2u);
  EXPECT_EQ(Backend.FontDialogs[1].Name(), "Courier New");
  EXPECT_EQ(MonitorGrid->DefaultRowHeight(), 28);
}

TEST_F(GridView, WidgetRollsTheWindowUpToItsCaptionAndDownAgain) {
  Form->SetHeight(333);
  Form->Widget1->Click();
  EXPECT_TRUE(RolledUp);
  EXPECT_EQ(Form->Height(), 0);
  EXPECT_EQ(Form->Widget1->Glyph(), kRollDownGlyph);
  Form->Widget1->Click();
  EXPECT_FALSE(RolledUp);
  EXPECT_EQ(Form->Height(), 333);
  EXPECT_EQ(Form->Widget1->Glyph(), kRollUpGlyph);
  // The next window starts unrolled, whatever the last one was.
  Form->Widget1->Click();
  delete Form;
  Form = new TGlintMonitor(&Application());
  EXPECT_FALSE(RolledUp);
}

TEST_F(GridView, StayOnTopTogglesTheStyleOnTheSameWindow) {
  Form->Show();
  const TControlPeer* peer = Form->Peer();
  Form->StayOnTop1Click(Form->StayOnTop1);
  EXPECT_TRUE(Form->StayOnTop1->Checked());
  EXPECT_EQ(Form->FormStyle(), TFormStyle::StayOnTop);
  Form->StayOnTop1Click(Form->StayOnTop1);
  EXPECT_EQ(Form->FormStyle(), TFormStyle::Normal);
  EXPECT_EQ(Form->Peer(), peer);
}

class JumpToCode : public GridView {
 protected:
  void SetUp() override {
    GridView::SetUp();
    std::string text;
    for (int line = 1; line <= 100; ++line) text += "line " + std::to_string(line) + "\r\n";
    Host.Files[kFile] = text;
    ToolServices = Host.ToolServices();
    Send(BareReport("") +
         "Main 42 8 x\n Main 7\n Gone 3\n\nMain 10 8 y\nNowhere 5 8 z\nMain n/a 8 w\n"
         "Unit Map:\nMain " +
         kFile + "\n");
  }
  void TearDown() override {
    ToolServices = nullptr;
    IdeVersion = 4;
    GridView::TearDown();
  }
  std::vector<std::string> Jump(int row) {
    Host.ClearEditorCalls();
    MonitorGrid->SetRow(row);
    MonitorGrid->DoClick();
    EXPECT_EQ(Host.LiveIntfs(), 0) << "every host object released";
    return Host.EditorCalls();
  }
  // A report of `rows` whose unit map puts Main in kFile, then `map`.
  static std::string Report(const std::string& rows, const std::string& map = "") {
    return BareReport("") + rows + "Unit Map:\nMain " + kFile + "\n" + map;
  }
  static constexpr const char* kFile = "C:\\src\\Main.pas";
  TIdeHost Host;
};

TEST_F(JumpToCode, RowClickOpensTheFileScrollsOnlyWhenNeededAndReleasesEverything) {
  const std::vector<std::string> first = Jump(1);
  const std::vector<std::string> expected = {std::string("IsFileOpen ") + kFile,
                                             std::string("OpenFile ") + kFile,
                                             std::string("GetModuleInterface ") + kFile,
                                             "ShowSource",
                                             "GetEditorInterface",
                                             "GetView 0",
                                             "LinesInBuffer",
                                             "SetPos 0 1 42",
                                             "GetPos 1",
                                             "GetViewSize",
                                             "SetPos 1 1 42",
                                             "ShowSource",
                                             "Release View",
                                             "Release Editor",
                                             "Release Module"};
  EXPECT_EQ(first, expected);
  TIdeEditorFile* editor = Host.Editor(kFile);
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(editor->Cursor.Line, 42);
  EXPECT_EQ(editor->Top.Line, 42);
  EXPECT_FALSE(editor->BlockVisible);

  // Line 50 is in view below top 42 (20 rows): only the cursor moves.
  TEditPos top{1, 40};
  editor->Top = top;
  Send(BareReport("Main 50 8 x\nUnit Map:\nMain ") + kFile + "\n");
  const std::vector<std::string> second = Jump(1);
  EXPECT_EQ(second.front(), std::string("IsFileOpen ") + kFile);
  EXPECT_EQ(std::count(second.begin(), second.end(), "SetPos 1 1 50"), 0);
  EXPECT_EQ(editor->Cursor.Line, 50);
  EXPECT_EQ(editor->Top.Line, 40);
}

// The editor is handed a line of the file (100 lines here), and a view
// scrolls when the line is above it or on or below its last row (top +
// rows - 1), however large the host's numbers.
TEST_F(JumpToCode, LineStaysInTheFileAndScrollsOnlyWhenOutOfView) {
  constexpr std::int32_t kMost = INT32_MAX;
  const struct {
    const char* Cell;
    std::int32_t Top, Rows, Sent;
    bool Scrolls;
  } cases[] = {
      {"0", 1, 20, 1, false},    {"-5", 1, 20, 1, false},           {"n/a", 40, 20, 1, true},
      {"101", 1, 20, 100, true}, {"$7FFFFFFF", 90, 20, 100, false}, {"58", 40, 20, 58, false},
      {"59", 40, 20, 59, true},  {"50", 2, kMost, 50, false},       {"50", kMost, kMost, 50, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.Cell) + " top " + std::to_string(c.Top));
    Send(Report("Main " + std::string(c.Cell) + " 8 x\n"));
    Jump(1);
    TIdeEditorFile* editor = Host.Editor(kFile);
    ASSERT_NE(editor, nullptr);
    editor->Top = {1, c.Top};
    editor->ViewRows = c.Rows;
    const std::vector<std::string> calls = Jump(1);
    const std::string sent = "1 " + std::to_string(c.Sent);
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "SetPos 0 " + sent), 1);
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "SetPos 1 " + sent), c.Scrolls ? 1 : 0);
  }
}

TEST_F(JumpToCode, OldestIdeMarksTheLineAsALineBlock) {
  IdeVersion = 2;
  Jump(2);
  const TIdeEditorFile* editor = Host.Editor(kFile);
  ASSERT_NE(editor, nullptr);
  EXPECT_TRUE(editor->BlockVisible);
  EXPECT_EQ(editor->BlockType, btLine);
  EXPECT_EQ(editor->BlockStart.Line, 10);
  EXPECT_EQ(editor->BlockStart.CharIndex, 0);
  EXPECT_EQ(editor->BlockAfter.Line, 11);

  // The largest line number there is: the block must not end before it starts.
  Send(BareReport("Main $7FFFFFFF 8 x\nUnit Map:\nMain ") + kFile + "\n");
  Jump(1);
  EXPECT_GE(editor->BlockAfter.Line, editor->BlockStart.Line);
}

TEST_F(JumpToCode, MissingUnitModuleEditorOrViewEndsQuietly) {
  EXPECT_TRUE(Jump(3).empty());  // "Nowhere" is not in the unit map
  Host.NoModule = true;
  EXPECT_EQ(Jump(1).size(), 3u);  // is it open, open it, no module
  Host.NoModule = false;
  Host.NoEditor = true;
  EXPECT_EQ(Jump(1).back(), "Release Module");
  Host.NoEditor = false;
  Host.NoView = true;
  EXPECT_EQ(Jump(1).back(), "Release Module");
  Host.NoView = false;
  Jump(4);  // "n/a" reads as line 0
  EXPECT_EQ(Host.Editor(kFile)->Cursor.Line, 1);
  EXPECT_TRUE(Host.Errors().empty());
  EXPECT_TRUE(Backend.ErrorBoxes.empty());
}

TEST_F(JumpToCode, RightClickPopsUpTheDetailLinesAndAPickJumpsToItsLine) {
  Click(TMouseButton::Right, 1, 1);  // not column 0
  Click(TMouseButton::Right, 0, 2);  // no details
  EXPECT_TRUE(Backend.Popups.empty());

  Backend.QueuePopupPick(0);
  Click(TMouseButton::Right, 0, 1);
  ASSERT_EQ(Backend.Popups.size(), 1u);
  EXPECT_EQ(Backend.Popups[0].Captions,
            (std::vector<std::string>{"Main 7", "Gone 3", "-", "Cancel"}));
  const TRect cell = MonitorGrid->CellRect(0, 1);
  EXPECT_EQ(TPoint(Backend.Popups[0].X, Backend.Popups[0].Y),
            MonitorGrid->ClientToScreen({cell.Left + 3, cell.Top + 3}));
  ASSERT_NE(Host.Editor(kFile), nullptr);
  EXPECT_EQ(Host.Editor(kFile)->Cursor.Line, 7);
  EXPECT_EQ(Host.LiveIntfs(), 0);

  Host.ClearEditorCalls();
  Backend.QueuePopupPick(1);  // "Gone" is not in the unit map
  Click(TMouseButton::Right, 0, 1);
  Backend.QueuePopupPick(3);  // Cancel
  Click(TMouseButton::Right, 0, 1);
  Click(TMouseButton::Right, 0, 1);  // dismissed
  EXPECT_TRUE(Host.EditorCalls().empty());

  // A huge block shows its head only, so the menu stays quick to build.
  std::string report = BareReport("Main 1 8 x\n");
  for (std::size_t i = 0; i < kMaxPopupDetails + 5; ++i) report += " Main 7\n";
  Send(report);
  Click(TMouseButton::Right, 0, 1);
  const std::vector<std::string>& captions = Backend.Popups.back().Captions;
  ASSERT_EQ(captions.size(), kMaxPopupDetails + 3);
  EXPECT_EQ(captions[kMaxPopupDetails], "...");
  // Every menu went with its click; none is left with the grid.
  for (int i = 0; i < MonitorGrid->ComponentCount(); ++i)
    EXPECT_EQ(dynamic_cast<TPopupMenu*>(MonitorGrid->Components(i)), nullptr);
}

// A detail line without a space names no unit, even when the unit map
// has an entry without a name.
TEST_F(JumpToCode, DetailLineWithoutAUnitMakesNoJump) {
  Send(Report("Main 42 8 x\n 7\n\n", " C:\\src\\Other.pas\n"));
  Host.ClearEditorCalls();
  Backend.QueuePopupPick(0);
  Click(TMouseButton::Right, 0, 1);
  ASSERT_EQ(Backend.Popups.back().Captions.front(), "7");
  EXPECT_TRUE(Host.EditorCalls().empty());
}

// Each item keeps its own line: a report arriving while the menu is up
// takes the details away, and the pick still goes where its item said.
TEST_F(JumpToCode, ReportArrivingWhileThePopupIsUpLeavesItsItemsWhole) {
  Backend.WhilePopup = [this](TMenu&) { Send(Report("Main 3 8 x\n Main 9\n\n")); };
  Backend.QueuePopupPick(0);
  Click(TMouseButton::Right, 0, 1);
  Backend.WhilePopup = nullptr;
  ASSERT_NE(Host.Editor(kFile), nullptr);
  EXPECT_EQ(Host.Editor(kFile)->Cursor.Line, 7);
  EXPECT_EQ(MonitorGrid->Cells(1, 1), "3");
}

TEST_F(JumpToCode, TitleClickSortsWithoutJumping) {
  Host.ClearEditorCalls();
  Click(TMouseButton::Left, 1, 0);
  EXPECT_TRUE(Host.EditorCalls().empty());
}

}  // namespace
}  // namespace glint
