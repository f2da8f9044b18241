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

// Rows swapped in whole: the current and top rows stay inside the new
// rows, and the old ones come back to the caller.
TEST(Grids, SwapRowsKeepsTheCurrentRowInside) {
  TStringGrid grid(nullptr);
  grid.SetColCount(2);
  grid.SetRowCount(100);
  grid.SetBounds(0, 0, 200, 100);
  grid.SetCells(1, 99, "old");
  grid.SetRow(99);
  TGridRows rows(2);
  grid.CopyRows(0, 1, rows);
  rows.Add()[1].Text = "new";
  grid.SwapRows(rows);
  EXPECT_EQ(grid.RowCount(), 2);
  EXPECT_EQ(grid.Row(), 1);
  EXPECT_EQ(grid.TopRow(), 1);
  EXPECT_EQ(grid.Cells(1, 1), "new");
  EXPECT_EQ(rows.Count(), 100);
  TGridRows narrow(3);
  narrow.Add();
  grid.SwapRows(narrow);  // another column count: refused, nothing changes
  EXPECT_EQ(grid.Cells(1, 1), "new");
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

// Rows and columns move whole, objects included, and only inside the range.
TEST(Grids, PermuteMovesWholeLinesWithTheirObjects) {
  TStringGrid grid(nullptr);
  grid.SetColCount(3);
  grid.SetRowCount(4);
  TObject marker;
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 3; ++c) grid.SetCells(c, r, std::to_string(c) + std::to_string(r));
  grid.SetObjects(2, 3, &marker);
  grid.PermuteRows(1, {3, 1, 2});
  EXPECT_EQ(grid.Rows(0), (TGridLine{{"00"}, {"10"}, {"20"}}));
  EXPECT_EQ(grid.Rows(1), (TGridLine{{"03"}, {"13"}, {"23", &marker}}));
  EXPECT_EQ(grid.Rows(3), (TGridLine{{"02"}, {"12"}, {"22"}}));
  grid.PermuteCols(0, {2, 0, 1});
  EXPECT_EQ(grid.Cols(0), (TGridLine{{"20"}, {"23", &marker}, {"21"}, {"22"}}));
  EXPECT_EQ(grid.Cols(2), (TGridLine{{"10"}, {"13"}, {"11"}, {"12"}}));
  // A list that is not a permutation of its range is refused, grid untouched.
  EXPECT_THROW(grid.PermuteRows(1, {1, 1, 2}), EInvalidGridOperation);
  EXPECT_THROW(grid.PermuteRows(2, {2, 3, 4}), EInvalidGridOperation);
  EXPECT_EQ(grid.Cells(0, 1), "23");
}

// Rows of a source read their texts from it and move as indices; a write,
// or a change of the columns, gives a row cells of the grid's own and
// leaves the source as it was.
TEST(Grids, SourceRowsReadFromTheSourceUntilWritten) {
  struct TSource : TGridSource {
    std::string_view CellText(int col, std::uint32_t item) const override {
      return Texts[item][static_cast<std::size_t>(col)];
    }
    std::vector<std::vector<std::string>> Texts{{"a0", "a1"}, {"b0", "b1"}, {"c0", "c1"}};
  };
  auto source = std::make_shared<TSource>();
  TStringGrid grid(nullptr);
  grid.SetColCount(2);
  grid.SetCells(0, 0, "title");
  TGridRows rows(2);
  grid.CopyRows(0, 1, rows);
  rows.AddItems(source, 3);
  grid.SwapRows(rows);
  const TSource& texts = *source;
  source.reset();  // the grid holds its source as long as it shows it
  auto column = [&](int col) {
    std::vector<std::string> texts;
    for (int row = 0; row < grid.RowCount(); ++row) texts.emplace_back(grid.Cells(col, row));
    return texts;
  };
  ASSERT_EQ(grid.RowCount(), 4);
  EXPECT_EQ(column(0), (std::vector<std::string>{"title", "a0", "b0", "c0"}));
  EXPECT_EQ(grid.SourceItem(0), -1);
  EXPECT_EQ(grid.Objects(0, 1), nullptr);

  grid.PermuteRows(1, {3, 1, 2});
  EXPECT_EQ(column(1), (std::vector<std::string>{"", "c1", "a1", "b1"}));
  EXPECT_EQ(grid.SourceItem(1), 2);
  EXPECT_EQ(grid.Rows(1), (TGridLine{{"c0", nullptr}, {"c1", nullptr}}));

  TObject tag;
  grid.SetCells(0, 2, "mine");
  grid.SetObjects(1, 3, &tag);
  EXPECT_EQ(column(0), (std::vector<std::string>{"title", "c0", "mine", "b0"}));
  EXPECT_EQ(column(1), (std::vector<std::string>{"", "c1", "a1", "b1"}));
  EXPECT_EQ(grid.SourceItem(2), -1);
  EXPECT_EQ(grid.Objects(1, 3), &tag);
  EXPECT_EQ(texts.Texts[0][0], "a0");

  grid.SetRowCount(3);  // the rows that stay keep what they show
  EXPECT_EQ(column(0), (std::vector<std::string>{"title", "c0", "mine"}));
  EXPECT_EQ(grid.SourceItem(1), 2);
  grid.SetColCount(3);
  EXPECT_EQ(column(1), (std::vector<std::string>{"", "c1", "a1"}));
  EXPECT_EQ(grid.SourceItem(1), -1);
  grid.SetColCount(2);
  EXPECT_EQ(column(0), (std::vector<std::string>{"title", "c0", "mine"}));
}

}  // namespace
}  // namespace glint
