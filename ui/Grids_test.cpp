#include "ui/Grids.h"

#include <gtest/gtest.h>

#include "ui/headless/Headless.h"

namespace glint {
namespace {

// Paint draws only what fits, fixed rows first, then from the top row.
TEST(Grids, PaintVisitsTheVisibleCellsOnly) {
  TStringGrid grid(nullptr);
  grid.SetColCount(2);
  grid.SetFixedCols(0);
  grid.SetRowCount(100);
  grid.SetDefaultRowHeight(19);
  grid.SetBounds(0, 0, 200, 100);  // 5 rows of 20 pixels
  grid.SetDefaultDrawing(false);
  std::vector<std::pair<int, int>> drawn;
  grid.OnDrawCell = [&](TObject*, int col, int row, TRect, TGridDrawState state) {
    if (col == 0) drawn.push_back({row, state.Contains(TGridDrawStateItem::Fixed)});
  };
  grid.SetTopRow(50);
  auto ops = PaintGrid(grid);
  EXPECT_TRUE(ops.empty());  // no default drawing
  EXPECT_EQ(drawn, (std::vector<std::pair<int, int>>{{0, 1}, {50, 0}, {51, 0}, {52, 0}, {53, 0}}));
}

TEST(Grids, DefaultDrawingFillsAndWritesEachCell) {
  TStringGrid grid(nullptr);
  grid.SetColCount(2);
  grid.SetRowCount(2);
  grid.SetOptions({TGridOption::RowSelect});
  grid.SetCells(1, 1, "text");
  auto ops = PaintGrid(grid);
  ASSERT_EQ(ops.size(), 8u);
  EXPECT_EQ(ops[0].BrushColor, grid.FixedColor());
  EXPECT_EQ(ops[7].Text, "text");
  EXPECT_EQ(ops[7].FontColor, clHighlightText);  // row 1 is the current row
  EXPECT_EQ(ops[6].BrushColor, clHighlight);
}

TEST(Grids, GrowingRowByRowKeepsCells) {
  TStringGrid grid(nullptr);
  grid.SetColCount(4);
  grid.SetRowCount(1);
  for (int r = 1; r <= 1000; ++r) {
    grid.SetRowCount(grid.RowCount() + 1);
    grid.SetCells(3, r, std::to_string(r));
  }
  EXPECT_EQ(grid.Cells(3, 1), "1");
  EXPECT_EQ(grid.Cells(3, 1000), "1000");
  grid.SetRowCount(3);
  grid.SetRowCount(5);
  EXPECT_EQ(grid.Cells(3, 3), "");
}

}  // namespace
}  // namespace glint
