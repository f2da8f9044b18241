// ui/Controls.h: the base of every control model, and the seam a backend
// plugs into.
//
// Models decide, backends carry out. A control model holds all state (bounds,
// caption, cells, colours) and calls Changed() after every change. A backend
// (ui/headless for tests, ui/win32 for real windows) installs a TWidgetSet
// that gives each control a TControlPeer when the control needs a handle
// (HandleNeeded: a form being shown creates its children's peers, parents
// first). The peer reads the model in Changed() and updates the real thing;
// user input goes the other way, through the models' Do* methods, which fire
// the events. Form logic only ever talks to models, so the same form code
// runs headless in tests and as real windows on Windows.
// Controls are TComponents: owned and freed by their owner.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "rtl/Component.h"

namespace glint {

// Colours as 0x00BBGGRR; values with the top bit set name a system colour.
using TColor = std::uint32_t;
constexpr TColor clBlack = 0x000000, clWhite = 0xFFFFFF, clRed = 0x0000FF, clBlue = 0xFF0000;
constexpr TColor kSystemColor = 0x80000000;
constexpr TColor clWindow = kSystemColor | 5, clWindowText = kSystemColor | 8;
constexpr TColor clBtnFace = kSystemColor | 15, clHighlight = kSystemColor | 13,
                 clHighlightText = kSystemColor | 14;

struct TPoint {
  int X = 0, Y = 0;
  friend bool operator==(const TPoint&, const TPoint&) = default;
};
struct TRect {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  int Width() const { return Right - Left; }
  int Height() const { return Bottom - Top; }
  friend bool operator==(const TRect&, const TRect&) = default;
};

enum class TAlign { None, Top, Bottom, Left, Right, Client };
enum class TMouseButton { Left, Right, Middle };
enum class TCursor { Default, HSplit, VSplit };

// A small bit set over an enum class whose values are bit numbers.
template <typename E>
class TSet {
 public:
  constexpr TSet() = default;
  constexpr TSet(std::initializer_list<E> items) {
    for (E e : items) Include(e);
  }
  constexpr bool Contains(E e) const { return (FBits >> static_cast<unsigned>(e)) & 1u; }
  constexpr TSet& Include(E e) { FBits |= 1u << static_cast<unsigned>(e); return *this; }
  constexpr TSet& Exclude(E e) { FBits &= ~(1u << static_cast<unsigned>(e)); return *this; }
  constexpr std::uint32_t Bits() const { return FBits; }
  constexpr bool Empty() const { return FBits == 0; }
  friend constexpr bool operator==(TSet, TSet) = default;

 private:
  std::uint32_t FBits = 0;
};

enum class TShiftKey { Shift, Alt, Ctrl, Left, Right, Middle, Double };
using TShiftState = TSet<TShiftKey>;

// What changed, so a peer can update only that.
enum class TControlChange { Bounds, Text, Visible, Enabled, Color, Font, Content, Options, Parent };

class TControl;

class TControlPeer {
 public:
  virtual ~TControlPeer() = default;
  virtual void Changed(TControlChange what) = 0;
  // Asks for a repaint of the whole control.
  virtual void Invalidate() {}
};

class TWidgetSet {
 public:
  virtual ~TWidgetSet() = default;
  // May return null: the control then stays a pure model.
  virtual std::unique_ptr<TControlPeer> CreatePeer(TControl& control) = 0;
};

// The widget set in force; none by default (pure models, nothing drawn).
TWidgetSet* CurrentWidgetSet();
void SetWidgetSet(TWidgetSet* widgetSet);

using TNotifyEvent = std::function<void(TObject* sender)>;

class TControl : public TComponent {
 public:
  explicit TControl(TComponent* owner);
  ~TControl() override;

  TControl* Parent() const { return FParent; }
  void SetParent(TControl* parent);
  int ControlCount() const { return static_cast<int>(FControls.size()); }
  TControl* Controls(int index) const { return FControls.at(static_cast<std::size_t>(index)); }

  int Left() const { return FBounds.Left; }
  int Top() const { return FBounds.Top; }
  int Width() const { return FBounds.Width(); }
  int Height() const { return FBounds.Height(); }
  int Right() const { return FBounds.Right; }
  int Bottom() const { return FBounds.Bottom; }
  TRect BoundsRect() const { return FBounds; }
  void SetBounds(int left, int top, int width, int height);
  void SetLeft(int v) { SetBounds(v, Top(), Width(), Height()); }
  void SetTop(int v) { SetBounds(Left(), v, Width(), Height()); }
  void SetWidth(int v) { SetBounds(Left(), Top(), v, Height()); }
  void SetHeight(int v) { SetBounds(Left(), Top(), Width(), v); }
  // Client area, in the control's own coordinates; backends may narrow it
  // (scroll bars, borders) through SetClientInset.
  int ClientWidth() const { return Width() - FClientInset.Left - FClientInset.Right; }
  int ClientHeight() const { return Height() - FClientInset.Top - FClientInset.Bottom; }
  void SetClientInset(TRect inset) { FClientInset = inset; }

  TAlign Align() const { return FAlign; }
  void SetAlign(TAlign align);
  bool Visible() const { return FVisible; }
  void SetVisible(bool visible);
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool enabled);
  const std::string& Caption() const { return FCaption; }
  void SetCaption(std::string caption);
  const std::string& Hint() const { return FHint; }
  void SetHint(std::string hint);
  bool ShowHint() const { return FShowHint; }
  void SetShowHint(bool v) { FShowHint = v; }
  bool ParentShowHint() const { return FParentShowHint; }
  void SetParentShowHint(bool v) { FParentShowHint = v; }
  int TabOrder() const { return FTabOrder; }
  void SetTabOrder(int v) { FTabOrder = v; }
  TCursor Cursor() const { return FCursor; }
  void SetCursor(TCursor c) { FCursor = c; }
  TColor Color() const { return FColor; }
  void SetColor(TColor c);

  TNotifyEvent OnClick;

  TControlPeer* Peer() const { return FPeer.get(); }
  // Gives this control (and, for containers, its children) a peer from the
  // current widget set if it has none yet.
  void HandleNeeded();
  bool HandleAllocated() const { return FPeer != nullptr; }
  void Invalidate();

  // Backend entry: the user clicked.
  virtual void DoClick();

 protected:
  void Changed(TControlChange what);
  // Lays out aligned children inside the client area.
  void AlignControls();

 private:
  TControl* FParent = nullptr;
  std::vector<TControl*> FControls;
  TRect FBounds{0, 0, 0, 0};
  TRect FClientInset{0, 0, 0, 0};
  TAlign FAlign = TAlign::None;
  bool FVisible = true, FEnabled = true, FShowHint = false, FParentShowHint = true;
  std::string FCaption, FHint;
  int FTabOrder = -1;
  TCursor FCursor = TCursor::Default;
  TColor FColor = clBtnFace;
  std::unique_ptr<TControlPeer> FPeer;
  bool FAligning = false;
};

}  // namespace glint
