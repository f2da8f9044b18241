#include "ui/ExtCtrls.h"

#include <algorithm>

namespace glint {

TPanel::TPanel(TComponent* owner) : TControl(owner) { SetBounds(0, 0, 185, 41); }

TSplitter::TSplitter(TComponent* owner) : TControl(owner) {
  SetAlign(TAlign::Left);
  SetBounds(0, 0, 3, 100);
  SetCursor(TCursor::HSplit);
}

TControl* TSplitter::ResizedControl() const {
  TControl* parent = Parent();
  if (!parent) return nullptr;
  for (int i = 0; i < parent->ControlCount(); ++i) {
    TControl* c = parent->Controls(i);
    if (c == this || !c->Visible() || c->Align() != Align()) continue;
    bool touches = false;
    switch (Align()) {
      case TAlign::Left:
        touches = c->Right() == Left();
        break;
      case TAlign::Right:
        touches = c->Left() == Right();
        break;
      case TAlign::Top:
        touches = c->Bottom() == Top();
        break;
      case TAlign::Bottom:
        touches = c->Top() == Bottom();
        break;
      default:
        break;
    }
    if (touches) return c;
  }
  return nullptr;
}

void TSplitter::DoDrag(int delta) {
  TControl* c = ResizedControl();
  if (!c || delta == 0) return;
  switch (Align()) {
    case TAlign::Left:
      c->SetWidth(std::max(FMinSize, c->Width() + delta));
      break;
    case TAlign::Right:
      c->SetWidth(std::max(FMinSize, c->Width() - delta));
      break;
    case TAlign::Top:
      c->SetHeight(std::max(FMinSize, c->Height() + delta));
      break;
    case TAlign::Bottom:
      c->SetHeight(std::max(FMinSize, c->Height() - delta));
      break;
    default:
      return;
  }
  if (OnMoved) OnMoved(this);
}

}  // namespace glint
