#include "ui/Controls.h"

#include <algorithm>

namespace glint {

namespace {
TWidgetSet* gWidgetSet = nullptr;
}  // namespace

TWidgetSet* CurrentWidgetSet() { return gWidgetSet; }
void SetWidgetSet(TWidgetSet* widgetSet) { gWidgetSet = widgetSet; }

TControl::TControl(TComponent* owner) : TComponent(owner) {
  FFont.OnChange = [this] {
    FParentFont = false;
    FontChanged();
  };
}

void TControl::TakeParentFont() {
  if (!FParentFont || !FParent || FFont.SameAs(FParent->FFont)) return;
  auto hook = std::move(FFont.OnChange);
  FFont.Assign(FParent->FFont);
  FFont.OnChange = std::move(hook);
  FontChanged();
}

void TControl::SetParentFont(bool on) {
  FParentFont = on;
  TakeParentFont();
}

void TControl::FontChanged() {
  Changed(TControlChange::Font);
  for (TControl* child : FControls) child->TakeParentFont();
}

std::intptr_t TControl::Perform(unsigned msg, std::uintptr_t wParam, std::intptr_t lParam) {
  TMessage message{msg, wParam, lParam, 0};
  WndProc(message);
  return message.Result;
}

TControl::~TControl() {
  // The peer goes first: it may still talk to the window system about us.
  FPeer.reset();
  for (TControl* child : FControls) child->FParent = nullptr;
  if (FParent) {
    auto& siblings = FParent->FControls;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
  }
}

void TControl::SetParent(TControl* parent) {
  if (parent == FParent) return;
  if (FParent) {
    auto& siblings = FParent->FControls;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    FParent->AlignControls();
  }
  FParent = parent;
  if (FParent) {
    TakeParentFont();
    FParent->FControls.push_back(this);
    FParent->AlignControls();
    if (FParent->HandleAllocated()) HandleNeeded();
  }
  Changed(TControlChange::Parent);
}

void TControl::SetBounds(int left, int top, int width, int height) {
  TRect r{left, top, left + width, top + height};
  if (r == FBounds) return;
  const bool resized = r.Width() != FBounds.Width() || r.Height() != FBounds.Height();
  FBounds = r;
  Changed(TControlChange::Bounds);
  AlignControls();
  if (FParent && FAlign != TAlign::None) FParent->AlignControls();
  if (resized && OnResize) OnResize(this);
}

TPoint TControl::ClientToScreen(TPoint point) const {
  if (FPeer && FPeer->ClientToScreen(point)) return point;
  for (const TControl* c = this; c; c = c->FParent) {
    point.X += c->FClientInset.Left + c->Left();
    point.Y += c->FClientInset.Top + c->Top();
  }
  return point;
}

void TControl::SetAlign(TAlign align) {
  FAlign = align;
  if (FParent) FParent->AlignControls();
}

void TControl::SetVisible(bool visible) {
  if (visible == FVisible) return;
  FVisible = visible;
  Changed(TControlChange::Visible);
  if (FParent) FParent->AlignControls();
}

void TControl::SetEnabled(bool enabled) {
  if (enabled == FEnabled) return;
  FEnabled = enabled;
  Changed(TControlChange::Enabled);
}

void TControl::SetCaption(std::string caption) {
  if (caption == FCaption) return;
  FCaption = std::move(caption);
  Changed(TControlChange::Text);
}

// Mouse moves set the hint again and again; only a real change reaches the
// peer, so a shown tooltip does not flicker.
void TControl::SetHint(std::string hint) {
  if (hint == FHint) return;
  FHint = std::move(hint);
  Changed(TControlChange::Hint);
}

void TControl::SetShowHint(bool v) {
  if (v == FShowHint) return;
  FShowHint = v;
  Changed(TControlChange::Hint);
}

void TControl::SetColor(TColor c) {
  FColor = c;
  Changed(TControlChange::Color);
}

void TControl::HandleNeeded() {
  if (!FPeer && gWidgetSet) FPeer = gWidgetSet->CreatePeer(*this);
  for (TControl* child : FControls) child->HandleNeeded();
}

void TControl::Invalidate() {
  if (FPeer) FPeer->Invalidate();
}

void TControl::DoClick() {
  if (OnClick) OnClick(this);
}

void TControl::Changed(TControlChange what) {
  if (FPeer) FPeer->Changed(what);
}

void TControl::AlignControls() {
  if (FAligning) return;
  FAligning = true;
  TRect room{0, 0, ClientWidth(), ClientHeight()};
  auto place = [&](TAlign which) {
    // As the VCL does: controls of one alignment keep the order of their
    // current positions, so a splitter created later at x=257 stays right
    // of a panel at x=0.
    std::vector<TControl*> line;
    for (TControl* c : FControls)
      if (c->FVisible && c->FAlign == which) line.push_back(c);
    std::stable_sort(line.begin(), line.end(), [which](TControl* a, TControl* b) {
      switch (which) {
        case TAlign::Top:
          return a->Top() < b->Top();
        case TAlign::Bottom:
          return a->Bottom() > b->Bottom();
        case TAlign::Left:
          return a->Left() < b->Left();
        case TAlign::Right:
          return a->Right() > b->Right();
        default:
          return false;
      }
    });
    for (TControl* c : line) {
      switch (which) {
        case TAlign::Top:
          c->SetBounds(room.Left, room.Top, room.Width(), c->Height());
          room.Top += c->Height();
          break;
        case TAlign::Bottom:
          c->SetBounds(room.Left, room.Bottom - c->Height(), room.Width(), c->Height());
          room.Bottom -= c->Height();
          break;
        case TAlign::Left:
          c->SetBounds(room.Left, room.Top, c->Width(), room.Height());
          room.Left += c->Width();
          break;
        case TAlign::Right:
          c->SetBounds(room.Right - c->Width(), room.Top, c->Width(), room.Height());
          room.Right -= c->Width();
          break;
        case TAlign::Client:
          c->SetBounds(room.Left, room.Top, std::max(0, room.Width()), std::max(0, room.Height()));
          break;
        case TAlign::None:
          break;
      }
    }
  };
  for (TAlign a : {TAlign::Top, TAlign::Bottom, TAlign::Left, TAlign::Right, TAlign::Client})
    place(a);
  FAligning = false;
}

}  // namespace glint
