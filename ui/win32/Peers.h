// ui/win32/Peers.h: the window peers of the Win32 backend (internal to
// ui/win32).
//
// A TWin32Peer owns one window and keeps it in step with its control model:
// Changed() pushes the model's state to the window, HandleMessage() turns the
// window's input into calls on the model. A window that Windows destroyed
// first (its parent or owner went) is simply forgotten by its peer.
#pragma once

#include <windows.h>
// The models' TCanvas::DrawText, not the A/W macro.
#undef DrawText

#include <map>
#include <memory>
#include <string>

#include "ui/Controls.h"
#include "ui/Menus.h"
#include "ui/win32/Handles.h"
#include "ui/win32/Win32.h"

namespace glint {

class TButton;
class TCustomForm;
class TStringGrid;
class TSplitter;

// The one window procedure of every window class of ours.
LRESULT CALLBACK PeerWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

class TWin32Peer : public TControlPeer {
 public:
  TWin32Peer(TWin32& widgetSet, TControl& control) : FWidgetSet(widgetSet), FControl(control) {}
  ~TWin32Peer() override;

  HWND Handle() const { return FHandle; }
  TControl& Control() const { return FControl; }

  void Changed(TControlChange what) override;
  void Invalidate() override;
  bool ClientToScreen(TPoint& point) override;
  // The body of the window procedure for windows of our own classes.
  virtual LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  // Binds the window to this peer (from WM_NCCREATE for our own classes).
  void AttachHandle(HWND hwnd);
  // Called when the window is being destroyed (by us or by Windows).
  void Detach();

  // The peer of a window of ours, or null.
  static TWin32Peer* FromHandle(HWND hwnd);
  // The window of a control's parent, or null.
  static HWND ParentHandle(const TControl& control);

 protected:
  // Creates the window; `ownClass` windows are routed to HandleMessage.
  void Create(const char* className, DWORD style, DWORD exStyle, HWND parent, bool ownClass);
  virtual void SyncBounds();
  void SyncFont();
  LRESULT Default(UINT msg, WPARAM wParam, LPARAM lParam);

  TWin32& FWidgetSet;
  TControl& FControl;
  HWND FHandle = nullptr;
  TFontHandle FFont;
  bool FOwnClass = false;
  bool FSyncing = false;  // set while a window change is fed back to the model
};

std::unique_ptr<TWin32Peer> NewFormPeer(TWin32& ws, TCustomForm& form);
std::unique_ptr<TWin32Peer> NewGridPeer(TWin32& ws, TStringGrid& grid);
std::unique_ptr<TWin32Peer> NewSplitterPeer(TWin32& ws, TSplitter& splitter);
std::unique_ptr<TWin32Peer> NewPanelPeer(TWin32& ws, TControl& panel);
std::unique_ptr<TWin32Peer> NewLabelPeer(TWin32& ws, TControl& label);
std::unique_ptr<TWin32Peer> NewEditPeer(TWin32& ws, TControl& edit);
std::unique_ptr<TWin32Peer> NewButtonPeer(TWin32& ws, TButton& button);

// A menu as a real HMENU. Main menus are attached to their owner form's
// window; pop-up menus are tracked at a screen position. Picks arrive as
// command identifiers, which stay valid only for the menu built last.
class TWin32MenuPeer : public TMenuPeer {
 public:
  explicit TWin32MenuPeer(TMenu& menu);
  ~TWin32MenuPeer() override;

  void Changed() override;
  void Popup(int x, int y) override;
  // Runs the click of the item with this command identifier; false if none.
  bool Command(unsigned id);
  // The command identifier of an item of the menu built last; 0 if none.
  unsigned CommandOf(const TMenuItem& item) const;
  // Builds the menu bar for a form window (the caller sets it).
  HMENU BuildBar();
  HMENU Bar() const { return FBar; }

 private:
  struct TLines;
  HMENU Build(const TMenuItem& item, bool bar);

  TMenu& FMenu;
  HMENU FBar = nullptr;
  std::map<unsigned, TMenuItem*> FCommands;
  unsigned FNextId = 1;
};

}  // namespace glint
