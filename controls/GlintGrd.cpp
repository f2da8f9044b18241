#include "controls/GlintGrd.h"

namespace glint {

void TMyGrid::ColWidthsChanged() {
  if (OnColWidthsChanged) OnColWidthsChanged(this);
  TStringGrid::ColWidthsChanged();
}

}  // namespace glint
