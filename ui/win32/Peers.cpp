#include "ui/win32/Peers.h"

#include <algorithm>

#include "rtl/SysUtils.h"
#include "ui/ExtCtrls.h"
#include "ui/Forms.h"
#include "ui/StdCtrls.h"

namespace glint {

namespace {

constexpr char kPanelClass[] = "TGlintPanel";
constexpr char kSplitterClass[] = "TGlintSplitter";

class TFormPeer : public TWin32Peer {
 public:
  TFormPeer(TWin32& ws, TCustomForm& form) : TWin32Peer(ws, form), FForm(form) {
    const std::string className = form.ClassName();
    if (!ws.EnsureClass(className, CS_DBLCLKS, COLOR_BTNFACE))
      throw Exception("Cannot register the window class " + className);
    Create(className.c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, ExStyle(),
           reinterpret_cast<HWND>(Application().Handle()), true);
    SyncMenu();
    SyncInset();
  }

  void Changed(TControlChange what) override {
    if (!FHandle || FSyncing) return;
    switch (what) {
      case TControlChange::Visible:
        ShowWindow(FHandle, FForm.Visible() ? SW_SHOW : SW_HIDE);
        break;
      case TControlChange::Options:
        SetWindowPos(FHandle, ExStyle() ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        SyncMenu();
        break;
      default:
        TWin32Peer::Changed(what);
    }
  }

  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
    switch (msg) {
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
  DWORD ExStyle() const { return FForm.FormStyle() == TFormStyle::StayOnTop ? WS_EX_TOPMOST : 0; }

  void SyncMenu() {
    TWin32MenuPeer* peer = nullptr;
    if (TMainMenu* menu = FForm.Menu()) {
      menu->HandleNeeded();
      peer = dynamic_cast<TWin32MenuPeer*>(menu->Peer());
    }
    HMENU current = GetMenu(FHandle);
    if (peer && current && current == peer->Bar()) return;
    if (!peer && !current) return;
    SetMenu(FHandle, peer ? peer->BuildBar() : nullptr);
    if (current) DestroyMenu(current);
    DrawMenuBar(FHandle);
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

  void ModelFromWindow() {
    if (FSyncing || IsIconic(FHandle)) return;
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
        HGDIOBJ old = SelectObject(dc, FFont);
        SetBkMode(dc, TRANSPARENT);
        DrawTextA(dc, FControl.Caption().c_str(), -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        SelectObject(dc, old);
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
    Create("STATIC", WS_CHILD | SS_LEFT, 0, ParentHandle(label), false);
  }
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
std::unique_ptr<TWin32Peer> NewSplitterPeer(TWin32& ws, TSplitter& splitter) {
  return std::make_unique<TSplitterPeer>(ws, splitter);
}

TWin32MenuPeer::TWin32MenuPeer(TMenu& menu) : FMenu(menu) {}

TWin32MenuPeer::~TWin32MenuPeer() {
  // A bar still attached to a window is freed with the window.
  if (FBar && !IsMenu(FBar)) FBar = nullptr;
}

HMENU TWin32MenuPeer::Build(const TMenuItem& item, bool bar) {
  HMENU menu = bar ? CreateMenu() : CreatePopupMenu();
  for (int i = 0; i < item.Count(); ++i) {
    TMenuItem* child = item.Items(i);
    if (child->Caption() == "-") {
      AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    UINT flags = MF_STRING | (child->Checked() ? MF_CHECKED : 0);
    if (child->Count() > 0) {
      AppendMenuA(menu, flags | MF_POPUP, reinterpret_cast<UINT_PTR>(Build(*child, false)),
                  child->Caption().c_str());
    } else {
      const unsigned id = FNextId++;
      if (FNextId > 0x7FFF) FNextId = 1;
      FCommands[id] = child;
      AppendMenuA(menu, flags, id, child->Caption().c_str());
    }
  }
  return menu;
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
    if (peer && peer->Handle() && GetMenu(peer->Handle()) == FBar) {
      HMENU old = FBar;
      SetMenu(peer->Handle(), BuildBar());
      DestroyMenu(old);
      DrawMenuBar(peer->Handle());
    }
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

bool TWin32MenuPeer::Command(unsigned id) {
  auto it = FCommands.find(id);
  if (it == FCommands.end()) return false;
  TMenuItem* item = it->second;
  item->Click();
  return true;
}

}  // namespace glint
