#include "ui/win32/Peers.h"

#include <windowsx.h>

#include <algorithm>

#include "rtl/SysUtils.h"
#include "ui/ExtCtrls.h"
#include "ui/Forms.h"
#include "ui/StdCtrls.h"
#include "ui/win32/CaptionButtons.h"
#include "ui/win32/FormQuery.h"
#include "ui/win32/Handles.h"
#include "ui/win32/MenuBuild.h"

namespace glint {

namespace {

constexpr char kPanelClass[] = "TGlintPanel";
constexpr char kSplitterClass[] = "TGlintSplitter";

class TFormPeer : public TWin32Peer {
 public:
  TFormPeer(TWin32& ws, TCustomForm& form)
      : TWin32Peer(ws, form), FForm(form), FButtons(*this, form) {
    const std::string className = form.ClassName();
    if (!ws.EnsureClass(className, CS_DBLCLKS, COLOR_BTNFACE))
      throw Exception("Cannot register the window class " + className);
    Create(className.c_str(), Style(), ExStyle(), reinterpret_cast<HWND>(Application().Handle()),
           true);
    SyncMenu();
    SyncInset();
    TCaptionButtonBar::Message();
    FButtons.Changed();
  }

  void Changed(TControlChange what) override {
    if (!FHandle || FSyncing) return;
    switch (what) {
      case TControlChange::Frame:
        FButtons.Changed();
        break;
      case TControlChange::Visible:
        ShowWindow(FHandle, FForm.Visible() ? SW_SHOW : SW_HIDE);
        break;
      case TControlChange::Options:
        SyncTopmost();
        SyncMenu();
        break;
      default:
        TWin32Peer::Changed(what);
    }
  }

  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg == ItemIdMessage()) return ItemIdOf(wParam);
    if (msg == TCaptionButtonBar::Message()) return FButtons.Centre(static_cast<int>(wParam));
    switch (msg) {
      // Windows draws the caption on these (WM_SETTEXT without a WM_NCPAINT);
      // the buttons go on top of it.
      case WM_NCPAINT:
      case WM_NCACTIVATE:
      case WM_SETTEXT: {
        const LRESULT result = Default(msg, wParam, lParam);
        FButtons.Draw();
        return result;
      }
      case WM_NCHITTEST: {
        const LRESULT hit = Default(msg, wParam, lParam);
        if (hit == HTCAPTION && FButtons.ButtonAt(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)) >= 0)
          return kCaptionButtonHit;
        return hit;
      }
      case WM_NCLBUTTONDOWN:
      case WM_NCLBUTTONDBLCLK:
        if (wParam != kCaptionButtonHit) break;
        FButtons.Press(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 0;
      case WM_NCLBUTTONUP:
        if (wParam != kCaptionButtonHit && !FButtons.Pressing()) break;
        FButtons.Release(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 0;
      case WM_LBUTTONUP:
        if (FButtons.Pressing()) {
          POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
          ::ClientToScreen(FHandle, &at);
          FButtons.Release(at.x, at.y);
          return 0;
        }
        break;
      case WM_CAPTURECHANGED:
        FButtons.CancelPress();
        break;
      case WM_COPYDATA:
        return DeliverMessage(FForm, msg, wParam, lParam);
      case WM_COMMAND:
        if (lParam == 0 && HIWORD(wParam) == 0) {
          if (auto* menu =
                  FForm.Menu() ? dynamic_cast<TWin32MenuPeer*>(FForm.Menu()->Peer()) : nullptr)
            menu->Command(LOWORD(wParam));
          return 0;
        }
        break;
      case WM_CLOSE:
        FForm.Close();
        return 0;
      case WM_WINDOWPOSCHANGED: {
        const LRESULT result = Default(msg, wParam, lParam);
        ModelFromWindow();
        return result;
      }
      default:
        break;
    }
    return TWin32Peer::HandleMessage(msg, wParam, lParam);
  }

 protected:
  void SyncBounds() override {
    const TRect r = FForm.BoundsRect();
    SetWindowPos(FHandle, nullptr, r.Left, r.Top, r.Width(), r.Height(),
                 SWP_NOZORDER | SWP_NOACTIVATE);
    SyncInset();
  }

 private:
  bool Dialog() const { return FForm.BorderStyle() == TFormBorderStyle::Dialog; }
  DWORD Style() const {
    return WS_CLIPCHILDREN | (Dialog() ? WS_POPUP | WS_CAPTION | WS_SYSMENU : WS_OVERLAPPEDWINDOW);
  }
  DWORD ExStyle() const {
    return (FForm.FormStyle() == TFormStyle::StayOnTop ? WS_EX_TOPMOST : 0) |
           (Dialog() ? WS_EX_DLGMODALFRAME : 0);
  }

  // A z-order change only: the window keeps its handle.
  void SyncTopmost() {
    const bool topmost = FForm.FormStyle() == TFormStyle::StayOnTop;
    constexpr UINT flags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
    SetWindowPos(FHandle, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, flags);
    HWND owner = GetWindow(FHandle, GW_OWNER);
    if (topmost || !owner || !(GetWindowLongA(FHandle, GWL_EXSTYLE) & WS_EX_TOPMOST)) return;
    // Wine (8.0) places an owned window lying right above its owner "after
    // itself" for HWND_NOTOPMOST and so keeps it topmost; without its owner
    // for that one call the window drops the style.
    SetWindowLongPtrA(FHandle, GWLP_HWNDPARENT, 0);
    SetWindowPos(FHandle, HWND_NOTOPMOST, 0, 0, 0, 0, flags);
    SetWindowLongPtrA(FHandle, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
  }

  static UINT ItemIdMessage() {
    static const UINT msg = RegisterWindowMessageA(kFormItemIdMessage);
    return msg;
  }

  LRESULT ItemIdOf(WPARAM atom) const {
    TMainMenu* menu = FForm.Menu();
    if (!menu) return 0;
    return ItemIdByAtom(atom, [&](const char* name) -> unsigned {
      const auto* item = dynamic_cast<const TMenuItem*>(FForm.FindComponent(name));
      const auto* peer = dynamic_cast<const TWin32MenuPeer*>(menu->Peer());
      return item && peer ? peer->CommandOf(*item) : 0;
    });
  }

  void SyncMenu() {
    TWin32MenuPeer* peer = nullptr;
    if (TMainMenu* menu = FForm.Menu()) {
      menu->HandleNeeded();
      peer = dynamic_cast<TWin32MenuPeer*>(menu->Peer());
    }
    HMENU current = GetMenu(FHandle);
    if (peer && current && current == peer->Bar()) return;
    if (!peer && !current) return;
    ReplaceMenuBar(FHandle, peer ? peer->BuildBar() : nullptr);
  }

  // The model's client size must be the window's: borders, caption and
  // menu bar are known only once the window exists.
  void SyncInset() {
    if (IsIconic(FHandle)) return;
    RECT window, client;
    GetWindowRect(FHandle, &window);
    GetClientRect(FHandle, &client);
    POINT origin{0, 0};
    ::ClientToScreen(FHandle, &origin);
    const TRect inset{origin.x - window.left, origin.y - window.top,
                      window.right - (origin.x + client.right),
                      window.bottom - (origin.y + client.bottom)};
    if (inset == FFormInset) return;
    FFormInset = inset;
    FForm.SetClientInset(inset);
    // Re-setting a child's alignment is the models' public way to have the
    // parent lay its children out again in the new client area.
    if (FForm.ControlCount() > 0) FForm.Controls(0)->SetAlign(FForm.Controls(0)->Align());
  }

  // Where the window goes back to when restored. GetWindowPlacement gives
  // it in workspace coordinates, which a taskbar at the top or left of the
  // screen shifts from the screen's.
  TRect NormalBounds() const {
    WINDOWPLACEMENT place{};
    place.length = sizeof place;
    if (!GetWindowPlacement(FHandle, &place)) return FForm.RestoredBounds();
    RECT r = place.rcNormalPosition;
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (GetMonitorInfoA(MonitorFromWindow(FHandle, MONITOR_DEFAULTTOPRIMARY), &info))
      OffsetRect(&r, info.rcWork.left - info.rcMonitor.left, info.rcWork.top - info.rcMonitor.top);
    return {r.left, r.top, r.right, r.bottom};
  }

  // A minimised window keeps its model bounds; a maximised one lays its
  // children out in the maximised rectangle. Both tell the model where
  // they go back to, which is what a stored position wants.
  void ModelFromWindow() {
    if (FSyncing) return;
    const bool iconic = IsIconic(FHandle) != FALSE;
    const TWindowState state = iconic                       ? TWindowState::Minimized
                               : IsZoomed(FHandle) != FALSE ? TWindowState::Maximized
                                                            : TWindowState::Normal;
    FForm.DoWindowState(state, state == TWindowState::Normal ? TRect{} : NormalBounds());
    if (iconic) return;
    RECT window;
    GetWindowRect(FHandle, &window);
    FSyncing = true;
    try {
      SyncInset();
      FForm.SetBounds(window.left, window.top, window.right - window.left,
                      window.bottom - window.top);
    } catch (...) {
      FSyncing = false;
      throw;
    }
    FSyncing = false;
  }

  TCustomForm& FForm;
  TRect FFormInset{-1, -1, -1, -1};
  TCaptionButtonBar FButtons;
};

class TPanelPeer : public TWin32Peer {
 public:
  TPanelPeer(TWin32& ws, TControl& panel) : TWin32Peer(ws, panel) {
    ws.EnsureClass(kPanelClass, 0, COLOR_BTNFACE);
    Create(kPanelClass, WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT,
           ParentHandle(panel), true);
  }

  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg == WM_PAINT) {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(FHandle, &ps);
      RECT r;
      GetClientRect(FHandle, &r);
      DrawEdge(dc, &r, BDR_RAISEDINNER, BF_RECT);
      if (!FControl.Caption().empty()) {
        const TSelection font(dc, FFont.Get());
        SetBkMode(dc, TRANSPARENT);
        DrawTextA(dc, FControl.Caption().c_str(), -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
      }
      EndPaint(FHandle, &ps);
      return 0;
    }
    return TWin32Peer::HandleMessage(msg, wParam, lParam);
  }
};

class TLabelPeer : public TWin32Peer {
 public:
  TLabelPeer(TWin32& ws, TControl& label) : TWin32Peer(ws, label) {
    // SS_NOTIFY: clicks and the pointer's shape are asked of the parent.
    Create("STATIC", WS_CHILD | SS_LEFT | SS_NOTIFY, 0, ParentHandle(label), false);
  }
};

class TButtonPeer : public TWin32Peer {
 public:
  TButtonPeer(TWin32& ws, TButton& button) : TWin32Peer(ws, button), FButton(button) {
    Create("BUTTON", WS_CHILD | WS_TABSTOP | Kind(), 0, ParentHandle(button), false);
  }

  void Changed(TControlChange what) override {
    if (what == TControlChange::Options && FHandle) {
      SendMessageA(FHandle, BM_SETSTYLE, Kind(), TRUE);
      return;
    }
    TWin32Peer::Changed(what);
  }

 private:
  DWORD Kind() const { return FButton.Default() ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON; }

  TButton& FButton;
};

class TEditPeer : public TWin32Peer {
 public:
  TEditPeer(TWin32& ws, TControl& edit) : TWin32Peer(ws, edit) {
    Create("EDIT", WS_CHILD | WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE,
           ParentHandle(edit), false);
    SyncReadOnly();
  }

  void Changed(TControlChange what) override {
    if (what == TControlChange::Options && FHandle) {
      SyncReadOnly();
      return;
    }
    TWin32Peer::Changed(what);
  }

 private:
  void SyncReadOnly() {
    auto* edit = dynamic_cast<TEdit*>(&FControl);
    if (edit) SendMessageA(FHandle, EM_SETREADONLY, edit->ReadOnly(), 0);
  }
};

class TSplitterPeer : public TWin32Peer {
 public:
  TSplitterPeer(TWin32& ws, TSplitter& splitter) : TWin32Peer(ws, splitter), FSplitter(splitter) {
    ws.EnsureClass(kSplitterClass, 0, COLOR_BTNFACE);
    Create(kSplitterClass, WS_CHILD | WS_CLIPSIBLINGS, 0, ParentHandle(splitter), true);
  }

  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
    switch (msg) {
      case WM_SETCURSOR:
        SetCursor(LoadCursor(nullptr, Horizontal() ? IDC_SIZENS : IDC_SIZEWE));
        return TRUE;
      case WM_LBUTTONDOWN:
        SetCapture(FHandle);
        FLast = ScreenPos();
        return 0;
      case WM_MOUSEMOVE:
        if (GetCapture() == FHandle) {
          const int now = ScreenPos();
          if (now != FLast) {
            const int delta = now - FLast;
            FLast = now;
            FSplitter.DoDrag(delta);
          }
        }
        return 0;
      case WM_LBUTTONUP:
        if (GetCapture() == FHandle) ReleaseCapture();
        return 0;
      default:
        return TWin32Peer::HandleMessage(msg, wParam, lParam);
    }
  }

 private:
  bool Horizontal() const {
    return FSplitter.Align() == TAlign::Top || FSplitter.Align() == TAlign::Bottom;
  }
  int ScreenPos() const {
    POINT p;
    GetCursorPos(&p);
    return Horizontal() ? p.y : p.x;
  }

  TSplitter& FSplitter;
  int FLast = 0;
};

}  // namespace

std::unique_ptr<TWin32Peer> NewFormPeer(TWin32& ws, TCustomForm& form) {
  return std::make_unique<TFormPeer>(ws, form);
}
std::unique_ptr<TWin32Peer> NewPanelPeer(TWin32& ws, TControl& panel) {
  return std::make_unique<TPanelPeer>(ws, panel);
}
std::unique_ptr<TWin32Peer> NewLabelPeer(TWin32& ws, TControl& label) {
  return std::make_unique<TLabelPeer>(ws, label);
}
std::unique_ptr<TWin32Peer> NewEditPeer(TWin32& ws, TControl& edit) {
  return std::make_unique<TEditPeer>(ws, edit);
}
std::unique_ptr<TWin32Peer> NewButtonPeer(TWin32& ws, TButton& button) {
  return std::make_unique<TButtonPeer>(ws, button);
}
std::unique_ptr<TWin32Peer> NewSplitterPeer(TWin32& ws, TSplitter& splitter) {
  return std::make_unique<TSplitterPeer>(ws, splitter);
}

TWin32MenuPeer::TWin32MenuPeer(TMenu& menu) : FMenu(menu) {}

TWin32MenuPeer::~TWin32MenuPeer() {
  // A bar still attached to a window is freed with the window.
  if (FBar && !IsMenu(FBar)) FBar = nullptr;
}

// How the models' menu items show; identifiers are handed out as the menu is built.
struct TWin32MenuPeer::TLines {
  TWin32MenuPeer& Peer;
  int Count(const TMenuItem& item) const { return item.Count(); }
  TMenuItem& Child(const TMenuItem& item, int index) const { return *item.Items(index); }
  TMenuLine Line(const TMenuItem& item) const {
    return {.Caption = item.Caption(), .Submenu = item.Count() > 0, .Checked = item.Checked()};
  }
  UINT_PTR Command(TMenuItem& item) const {
    const unsigned id = Peer.FNextId++;
    if (Peer.FNextId > 0x7FFF) Peer.FNextId = 1;
    Peer.FCommands[id] = &item;
    return id;
  }
};

HMENU TWin32MenuPeer::Build(const TMenuItem& item, bool bar) {
  TLines lines{*this};
  return BuildMenu(item, bar, lines);
}

HMENU TWin32MenuPeer::BuildBar() {
  FCommands.clear();
  FBar = Build(FMenu.Items(), true);
  return FBar;
}

void TWin32MenuPeer::Changed() {
  // Find the window our bar hangs on and give it a fresh one.
  if (!FBar) return;
  if (auto* form = dynamic_cast<TCustomForm*>(FMenu.Owner())) {
    auto* peer = dynamic_cast<TWin32Peer*>(form->Peer());
    if (peer && peer->Handle() && GetMenu(peer->Handle()) == FBar)
      ReplaceMenuBar(peer->Handle(), BuildBar());
  }
}

void TWin32MenuPeer::Popup(int x, int y) {
  FCommands.clear();
  HMENU menu = Build(FMenu.Items(), false);
  HWND owner = nullptr;
  if (auto* control = dynamic_cast<TControl*>(FMenu.Owner()))
    if (auto* peer = dynamic_cast<TWin32Peer*>(control->Peer())) owner = peer->Handle();
  if (!owner) owner = GetActiveWindow();
  const UINT id = static_cast<UINT>(
      TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN | TPM_TOPALIGN, x, y, 0,
                     owner, nullptr));
  DestroyMenu(menu);
  // The click may free the pop-up menu, and this peer with it: last thing.
  if (id) Command(id);
}

unsigned TWin32MenuPeer::CommandOf(const TMenuItem& item) const {
  for (const auto& [id, command] : FCommands)
    if (command == &item) return id;
  return 0;
}

bool TWin32MenuPeer::Command(unsigned id) {
  auto it = FCommands.find(id);
  if (it == FCommands.end()) return false;
  TMenuItem* item = it->second;
  item->Click();
  return true;
}

}  // namespace glint
