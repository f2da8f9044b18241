// controls/GlintGrd.h: TMyGrid, the monitor's string grid. It adds one
// event, OnColWidthsChanged, fired whenever the user changes a column width,
// before the grid's own handling of the change; and, as the pointer moves,
// it sets its Hint to the text a memory dump in the contents column holds.
#pragma once

#include <string>
#include <string_view>

#include "ui/Grids.h"

namespace glint {

// The column whose dumps ("m: 48 65 ...") the hint decodes.
constexpr int kContentsCol = 3;

// The text a contents cell's dump spells: after a 3-character prefix, each
// 3-character group is two hex digits and a separator (the last may lack
// it). Decoding ends at the first group that is not two hex digits or that
// is byte 0.
std::string DecodeContentsHint(std::string_view cell);

class TMyGrid : public TStringGrid {
 public:
  using TStringGrid::TStringGrid;

  TNotifyEvent OnColWidthsChanged;

  void DoMouseMove(TShiftState shift, int x, int y) override;

 protected:
  void ColWidthsChanged() override;
};

}  // namespace glint
