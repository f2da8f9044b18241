#include "controls/GlintGrd.h"

#include "rtl/Ascii.h"

namespace glint {

std::string DecodeContentsHint(std::string_view cell) {
  std::string text;
  for (std::size_t i = 3; i + 2 <= cell.size(); i += 3) {
    const int high = HexDigit(cell[i]), low = HexDigit(cell[i + 1]);
    if (high < 0 || low < 0 || (high == 0 && low == 0)) break;
    text += static_cast<char>(high * 16 + low);
  }
  return text;
}

void TMyGrid::DoMouseMove(TShiftState shift, int x, int y) {
  int col = -1, row = -1;
  MouseToCell(x, y, col, row);
  const std::string_view text = Cells(col, row);  // "" outside the grid
  const bool dump = row >= FixedRows() && col == kContentsCol && text.starts_with('m');
  SetHint(dump ? DecodeContentsHint(text) : std::string());
  TStringGrid::DoMouseMove(shift, x, y);
}

void TMyGrid::ColWidthsChanged() {
  if (OnColWidthsChanged) OnColWidthsChanged(this);
  TStringGrid::ColWidthsChanged();
}

}  // namespace glint
