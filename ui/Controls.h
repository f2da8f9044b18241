// ui/Controls.h: the base of every control model, and the seam a backend
// plugs into.
//
// Models decide, backends carry out. A control model holds all state (bounds,
// caption, cells, colours, font) and calls Changed() after every change.
// How a backend plugs in:
//  1. Implement TWidgetSet (CreatePeer, ScreenSize) and TDialogService
//     (ui/Dialogs.h), and install both with SetWidgetSet/SetDialogService.
//  2. CreatePeer gives each control a TControlPeer when the control needs a
//     handle (HandleNeeded: a form being shown creates its children's peers,
//     parents first). The peer reads the model in Changed() and updates the
//     real thing; for owner-drawn controls it paints by handing a TCanvas
//     (ui/Graphics.h) to the model (TStringGrid::Paint).
//  3. User input goes the other way, through the models' Do* methods, which
//     fire the events; window messages go through Perform/WndProc, and a
//     form's messages through DeliverMessage (ui/Forms.h), the one place
//     where a handler's exception becomes an error box.
// Form logic only ever talks to models, so the same form code runs headless
// in tests (ui/headless) and as real windows on Windows (ui/win32).
// Controls are TComponents: owned and freed by their owner.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "rtl/Component.h"
#include "ui/Graphics.h"
#include "ui/Messages.h"
#include "ui/Types.h"

namespace glint {

// What changed, so a peer can update only that.
// Hint: the hint text or ShowHint; Frame: what a form draws in its caption
// (its caption buttons).
enum class TControlChange {
  Bounds,
  Text,
  Visible,
  Enabled,
  Color,
  Font,
  Content,
  Options,
  Parent,
  Hint,
  Frame
};

class TControl;
class TCustomForm;
class TMenu;

class TControlPeer {
 public:
  virtual ~TControlPeer() = default;
  virtual void Changed(TControlChange what) = 0;
  // Asks for a repaint of the whole control.
  virtual void Invalidate() {}
  // Turns a client point into screen coordinates; false when the peer
  // cannot tell (the model then works it out from the bounds).
  virtual bool ClientToScreen(TPoint& point) { return false; }
};

// Screen size reported when no widget set says otherwise.
constexpr TPoint kDefaultScreenSize{1024, 768};

class TMenuPeer {
 public:
  virtual ~TMenuPeer() = default;
  // Something in the menu's item tree changed (items, captions, checks).
  virtual void Changed() = 0;
  // Shows a pop-up menu at a screen position.
  virtual void Popup(int x, int y) {}
};

class TWidgetSet {
 public:
  virtual ~TWidgetSet() = default;
  // May return null: the control then stays a pure model.
  virtual std::unique_ptr<TControlPeer> CreatePeer(TControl& control) = 0;
  // A menu's peer, made when its owner form gets a window or a pop-up menu
  // pops up; may return null.
  virtual std::unique_ptr<TMenuPeer> CreateMenuPeer(TMenu& menu) { return nullptr; }
  // Size of the primary screen in pixels.
  virtual TPoint ScreenSize() const { return kDefaultScreenSize; }
  // The body of TCustomForm::ShowModal: shows the form and returns once the
  // user has closed it, with its ModalResult. The default shows nothing and
  // answers Cancel.
  virtual TModalResult ShowModal(TCustomForm& form) { return TModalResult::Cancel; }
  // Opens a web address in the user's browser.
  virtual void OpenUrl(const std::string& url) {}
  // Opens a help file at its contents page in the system's help engine, for
  // the window `owner` (an opaque handle, 0 for none). Without a help engine
  // nothing happens; the engine itself tells the user about a bad file.
  virtual void HelpContents(const std::string& file, std::uintptr_t owner) {}
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
  void SetShowHint(bool v);
  bool ParentShowHint() const { return FParentShowHint; }
  void SetParentShowHint(bool v) { FParentShowHint = v; }
  int TabOrder() const { return FTabOrder; }
  void SetTabOrder(int v) { FTabOrder = v; }
  TCursor Cursor() const { return FCursor; }
  void SetCursor(TCursor c) { FCursor = c; }
  TColor Color() const { return FColor; }
  void SetColor(TColor c);
  // While ParentFont is on (the default) the font follows the parent's;
  // changing it turns ParentFont off, as in the VCL.
  const TFont& Font() const { return FFont; }
  TFont& Font() { return FFont; }
  void SetFont(const TFont& font) { FFont.Assign(font); }
  bool ParentFont() const { return FParentFont; }
  void SetParentFont(bool on);

  // A point of the client area in screen coordinates.
  TPoint ClientToScreen(TPoint point) const;

  // Sends a window message to the control's model; returns its result.
  std::intptr_t Perform(unsigned msg, std::uintptr_t wParam, std::intptr_t lParam);

  TNotifyEvent OnClick;
  // Fires after the width or height changed (children already aligned),
  // and for a form when its window has been made (TCustomForm::Show).
  TNotifyEvent OnResize;

  TControlPeer* Peer() const { return FPeer.get(); }
  // Gives this control (and, for containers, its children) a peer from the
  // current widget set if it has none yet.
  void HandleNeeded();
  bool HandleAllocated() const { return FPeer != nullptr; }
  void Invalidate();

  // Backend entry: the user clicked.
  virtual void DoClick();

 protected:
  // Handles one message; the default leaves it unhandled (result 0).
  virtual void WndProc(TMessage& message) {}
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
  TFont FFont;
  bool FParentFont = true;
  std::unique_ptr<TControlPeer> FPeer;
  bool FAligning = false;

  void FontChanged();
  void TakeParentFont();
};

}  // namespace glint
