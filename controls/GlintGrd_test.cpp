#include "controls/GlintGrd.h"

#include <gtest/gtest.h>

#include <string>

namespace glint {
namespace {

TEST(GlintGrd, DecodeContentsHint) {
  const struct {
    const char* Cell;
    const char* Text;
  } cases[] = {
      {"m: 48 65 6C 6C 6F 00 41", "Hello"},  // byte 0 ends it
      {"m: 41 4", "A"},                      // a lone digit is no pair
      {"m: 41 42", "AB"},                    // the last pair needs no separator
      {"m: 4G 41", ""},                      // neither is a non-hex pair
      {"m: 6c-6C", "ll"},                    // any case, any separator
      {"m: ", ""},
      {"m", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(DecodeContentsHint(c.Cell), c.Text) << c.Cell;
}

// Only a data row's contents cell that holds a dump gives a hint; moving
// anywhere else clears the one shown before.
TEST(GlintGrd, MouseMoveSetsTheHintOverDumpsOnly) {
  TMyGrid grid(nullptr);
  grid.SetColCount(4);
  grid.SetRowCount(3);
  grid.SetCells(kContentsCol, 0, "m: 54");  // a title row
  grid.SetCells(kContentsCol, 1, "m: 41 42");
  grid.SetCells(kContentsCol, 2, "p: 41 42");
  grid.SetCells(2, 1, "m: 41 42");
  int moves = 0;
  grid.OnMouseMove = [&](TObject*, TShiftState, int, int) { ++moves; };
  auto centre = [&](int col, int row) {
    const TRect r = grid.CellRect(col, row);
    return TPoint{(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
  };
  const struct {
    TPoint At;
    const char* Hint;
  } cases[] = {
      {centre(kContentsCol, 1), "AB"},
      {centre(kContentsCol, 0), ""},
      {centre(kContentsCol, 2), ""},
      {centre(2, 1), ""},
      {{5000, 30}, ""},
  };
  for (const auto& c : cases) {
    grid.SetHint("stale");
    grid.DoMouseMove({}, c.At.X, c.At.Y);
    EXPECT_EQ(grid.Hint(), c.Hint) << c.At.X << "," << c.At.Y;
  }
  EXPECT_EQ(moves, 5);
}

}  // namespace
}  // namespace glint
