// controls/widget.h: TWidget, the button in the monitor window's caption
// bar; it stays reachable when the window is rolled up to its caption.
#pragma once

#include "ui/Forms.h"

namespace glint {

// Marlett's character shown on a new widget.
constexpr int kWidgetGlyph = 116;

class TWidget : public TCaptionButton {
 public:
  explicit TWidget(TComponent* owner);
};

}  // namespace glint
