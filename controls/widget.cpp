#include "controls/widget.h"

namespace glint {

TWidget::TWidget(TComponent* owner) : TCaptionButton(owner) { SetGlyph(kWidgetGlyph); }

}  // namespace glint
