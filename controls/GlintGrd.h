// controls/GlintGrd.h: TMyGrid, the monitor's string grid. It adds one
// event, OnColWidthsChanged, fired whenever the user changes a column width,
// before the grid's own handling of the change.
#pragma once

#include "ui/Grids.h"

namespace glint {

class TMyGrid : public TStringGrid {
 public:
  using TStringGrid::TStringGrid;

  TNotifyEvent OnColWidthsChanged;

 protected:
  void ColWidthsChanged() override;
};

}  // namespace glint
