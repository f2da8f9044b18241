#include <gtest/gtest.h>

#include <string>

#include "monitor/MonitorFormTest.h"
#include "tests/support/TestSupport.h"

namespace glint {
namespace {

using test_support::BareReport;

class MonitorForm : public TMonitorFormTest {
 protected:
  // The text drawn into cell (col, row), and its operation.
  const TCanvasOp* TextOf(const std::vector<TCanvasOp>& ops, int col, int row) {
    TRect cell = MonitorGrid->CellRect(col, row);
    for (const TCanvasOp& op : ops)
      if (op.Kind == TCanvasOp::TKind::DrawText && op.Rect.Left == cell.Left + 2 &&
          op.Rect.Top == cell.Top + 2)
        return &op;
    return nullptr;
  }
};

TEST_F(MonitorForm, FormCreateLaysOutPanelSplitterAndGrid) {
  Form->Show();
  EXPECT_EQ(Form->ClassName(), "TGlintMonitor");
  EXPECT_EQ(Form->Caption(), "Glint Monitor");
  EXPECT_EQ(Form->Panel1->Right(), 257);
  EXPECT_EQ(MonitorSplitter->Left(), 257);
  EXPECT_EQ(MonitorSplitter->Width(), 4);
  EXPECT_EQ(MonitorSplitter->Cursor(), TCursor::HSplit);
  EXPECT_EQ(MonitorGrid->Left(), 261);
  EXPECT_EQ(MonitorGrid->Right(), Form->ClientWidth());
  EXPECT_EQ(MonitorGrid->Options(),
            (TGridOptions{TGridOption::FixedVertLine, TGridOption::FixedHorzLine,
                          TGridOption::ColSizing, TGridOption::RowSelect}));
  EXPECT_FALSE(MonitorGrid->DefaultDrawing());
  EXPECT_EQ(MonitorGrid->ScrollBars(), TScrollStyle::Vertical);
  EXPECT_EQ(MonitorGrid->FixedCols(), 0);
  EXPECT_EQ(MonitorGrid->RowCount(), 2);
  EXPECT_EQ(MonitorGrid->Cells(3, 0), "Contents");
  EXPECT_EQ(Form->VersionItem->Caption(), "Expert Version v. 2.08");
  EXPECT_EQ(Form->Menu(), Form->MainMenu1);
  EXPECT_EQ(Form->MainMenu1->Items().Find("StayOnTop1"), Form->StayOnTop1);
  // The set-read-only message with 0 clears the edits' read-only state; the
  // disabled panel is what keeps the user out.
  EXPECT_FALSE(Form->Edit1->ReadOnly());
  EXPECT_FALSE(Form->Panel1->Enabled());
}

TEST_F(MonitorForm, SplitterDragResizesThePanel) {
  MonitorSplitter->DoDrag(40);
  EXPECT_EQ(Form->Panel1->Width(), 297);
  EXPECT_EQ(MonitorSplitter->Left(), 297);
  EXPECT_EQ(MonitorGrid->Left(), 301);
}

TEST_F(MonitorForm, GridDrawsTitlesPrefixColoursSelectionAndDetailMarks) {
  Send(
      BareReport("A 1 1 s: blue\n B 2\n\nC 2 2 o: red\n"
                 "D 3 3 m: 41 00\nE 4 4 plain\n F 9\n"));
  Form->Show();
  auto ops = PaintGrid(*MonitorGrid);
  const TCanvasOp* title = TextOf(ops, 1, 0);
  ASSERT_TRUE(title);
  EXPECT_EQ(title->Text, "Line");
  EXPECT_TRUE(title->Format.Contains(TTextFormatFlag::Center));
  // Row 1 is the current row: highlight over its blue.
  EXPECT_EQ(TextOf(ops, 0, 1)->Text, "A ...");
  EXPECT_EQ(TextOf(ops, 3, 1)->FontColor, clHighlightText);
  EXPECT_EQ(TextOf(ops, 3, 2)->FontColor, clRed);
  EXPECT_EQ(TextOf(ops, 3, 3)->FontColor, MonitorGrid->Font().Color());
  EXPECT_EQ(TextOf(ops, 0, 3)->Text, "D");
  EXPECT_EQ(TextOf(ops, 0, 4)->Text, "E ...");  // the last row is marked too
  EXPECT_EQ(MonitorGrid->Cells(0, 4), "E");     // the mark is drawn, not stored
  MonitorGrid->SetRow(2);
  ops = PaintGrid(*MonitorGrid);
  EXPECT_EQ(TextOf(ops, 3, 1)->FontColor, clBlue);
  EXPECT_TRUE(TextOf(ops, 3, 1)->Format.Contains(TTextFormatFlag::Left));
  int highlighted = 0;
  for (const TCanvasOp& op : ops)
    if (op.Kind == TCanvasOp::TKind::FillRect && op.BrushColor == clHighlight) ++highlighted;
  EXPECT_EQ(highlighted, 4);
}

}  // namespace
}  // namespace glint
