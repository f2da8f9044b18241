#include "ui/win32/Win32.h"

#include <windows.h>
// After <windows.h>.
#include <commdlg.h>
// The models' TCanvas::DrawText, not the A/W macro.
#undef DrawText

#include <algorithm>
#include <exception>
#include <new>

#include "rtl/SysUtils.h"
#include "ui/ExtCtrls.h"
#include "ui/Forms.h"
#include "ui/Grids.h"
#include "ui/StdCtrls.h"
#include "ui/win32/GdiCanvas.h"
#include "ui/win32/GridQuery.h"
#include "ui/win32/Peers.h"

namespace glint {

namespace {

constexpr char kPeerProp[] = "Glint.Peer";

// Nesting of messages being handled by our window procedure, and the
// top-level window of the outermost one (the owner of an error box).
int gMessageDepth = 0;
HWND gMessageWindow = nullptr;

HMODULE ThisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExA(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCSTR>(&ThisModule), &module);
  return module;
}

HWND DialogOwner() {
  if (gMessageWindow && IsWindow(gMessageWindow)) return gMessageWindow;
  return reinterpret_cast<HWND>(Application().Handle());
}

void ReportFailure(const char* text) {
  // Showing the box can itself fail (no desktop); nothing may escape here.
  try {
    ShowErrorBox(text);
  } catch (...) {
  }
}

}  // namespace

LRESULT CALLBACK PeerWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    // The peer learns its handle here: the messages of CreateWindowEx
    // arrive before it returns.
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    auto* creating = static_cast<TWin32Peer*>(create->lpCreateParams);
    if (creating) creating->AttachHandle(hwnd);
  }
  TWin32Peer* peer = TWin32Peer::FromHandle(hwnd);
  if (!peer) return DefWindowProcA(hwnd, msg, wParam, lParam);

  const HWND outerWindow = gMessageWindow;
  if (gMessageDepth++ == 0) gMessageWindow = GetAncestor(hwnd, GA_ROOT);
  LRESULT result = 0;
  // An exception must never unwind through user32's frames, so every
  // handler's failure stops here and is shown to the user.
  try {
    result = peer->HandleMessage(msg, wParam, lParam);
  } catch (const std::bad_alloc&) {
    ReportFailure(kOutOfMemoryText);
  } catch (const Exception& e) {
    ReportFailure(e.Message().c_str());
  } catch (const std::exception& e) {
    ReportFailure(e.what());
  } catch (...) {
    ReportFailure("Unexpected failure");
  }
  if (msg == WM_NCDESTROY) {
    // The peer may already be gone if the model was freed meanwhile.
    if (TWin32Peer* still = TWin32Peer::FromHandle(hwnd)) still->Detach();
    RemovePropA(hwnd, kPeerProp);
  }
  if (--gMessageDepth == 0) {
    gMessageWindow = outerWindow;
    try {
      Application().ProcessReleased();
    } catch (...) {
      ReportFailure("Unexpected failure while closing a window");
    }
  }
  return result;
}

TWin32Peer::~TWin32Peer() {
  if (FHandle) {
    // Windows may have destroyed the window already (its parent or owner
    // went first); then the handle is not ours any more.
    const HWND handle = FHandle;
    const bool ours = IsWindow(handle) && FromHandle(handle) == this;
    Detach();
    if (ours) DestroyWindow(handle);
  }
  if (FFont) DeleteObject(FFont);
}

void TWin32Peer::AttachHandle(HWND hwnd) {
  FHandle = hwnd;
  SetPropA(hwnd, kPeerProp, this);
}

void TWin32Peer::Detach() {
  if (!FHandle) return;
  if (HANDLE atom = GetPropA(FHandle, kControlNameProp)) {
    GlobalDeleteAtom(static_cast<ATOM>(reinterpret_cast<UINT_PTR>(atom)));
    RemovePropA(FHandle, kControlNameProp);
  }
  if (GetPropA(FHandle, kPeerProp) == this) RemovePropA(FHandle, kPeerProp);
  FHandle = nullptr;
}

TWin32Peer* TWin32Peer::FromHandle(HWND hwnd) {
  return static_cast<TWin32Peer*>(GetPropA(hwnd, kPeerProp));
}

HWND TWin32Peer::ParentHandle(const TControl& control) {
  TControl* parent = control.Parent();
  if (!parent) return nullptr;
  auto* peer = dynamic_cast<TWin32Peer*>(parent->Peer());
  return peer ? peer->Handle() : nullptr;
}

void TWin32Peer::Create(const char* className, DWORD style, DWORD exStyle, HWND parent,
                        bool ownClass) {
  FOwnClass = ownClass;
  const TRect r = FControl.BoundsRect();
  if (FControl.Visible()) style |= WS_VISIBLE;
  if (!FControl.Enabled()) style |= WS_DISABLED;
  FHandle = CreateWindowExA(
      exStyle, className, FControl.Caption().c_str(), style, r.Left, r.Top, r.Width(), r.Height(),
      parent, nullptr, static_cast<HINSTANCE>(FWidgetSet.Instance()), ownClass ? this : nullptr);
  if (!FHandle)
    throw Exception(
        Format("Cannot create a window of class %s (error %lu)", className, GetLastError()));
  if (!ownClass) AttachHandle(FHandle);
  if (!FControl.Name().empty()) {
    ATOM atom = GlobalAddAtomA(FControl.Name().c_str());
    if (atom) SetPropA(FHandle, kControlNameProp, reinterpret_cast<HANDLE>(UINT_PTR{atom}));
  }
  SyncFont();
}

void TWin32Peer::SyncBounds() {
  const TRect r = FControl.BoundsRect();
  MoveWindow(FHandle, r.Left, r.Top, r.Width(), r.Height(), TRUE);
}

void TWin32Peer::SyncFont() {
  HFONT font = MakeFont(FControl.Font());
  SendMessageA(FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  if (FFont) DeleteObject(FFont);
  FFont = font;
}

void TWin32Peer::Changed(TControlChange what) {
  if (!FHandle || FSyncing) return;
  switch (what) {
    case TControlChange::Bounds:
      SyncBounds();
      break;
    case TControlChange::Text:
      SetWindowTextA(FHandle, FControl.Caption().c_str());
      break;
    case TControlChange::Visible:
      ShowWindow(FHandle, FControl.Visible() ? SW_SHOWNA : SW_HIDE);
      break;
    case TControlChange::Enabled:
      EnableWindow(FHandle, FControl.Enabled());
      break;
    case TControlChange::Font:
      SyncFont();
      break;
    case TControlChange::Color:
    case TControlChange::Content:
      Invalidate();
      break;
    default:
      break;
  }
}

void TWin32Peer::Invalidate() {
  if (FHandle) InvalidateRect(FHandle, nullptr, TRUE);
}

bool TWin32Peer::ClientToScreen(TPoint& point) {
  POINT p{point.X, point.Y};
  if (!FHandle || !::ClientToScreen(FHandle, &p)) return false;
  point = {p.x, p.y};
  return true;
}

LRESULT TWin32Peer::Default(UINT msg, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(FHandle, msg, wParam, lParam);
}

LRESULT TWin32Peer::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_CTLCOLORSTATIC) {
    // Labels show the face colour of the container they sit on.
    HDC dc = reinterpret_cast<HDC>(wParam);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
  }
  return Default(msg, wParam, lParam);
}

TWin32::TWin32(void* instance)
    : FInstance(instance ? instance : ThisModule()),
      FPreviousWidgetSet(CurrentWidgetSet()),
      FPreviousDialogs(CurrentDialogService()) {
  SetWidgetSet(this);
  SetDialogService(this);
}

TWin32::~TWin32() {
  SetWidgetSet(FPreviousWidgetSet);
  SetDialogService(FPreviousDialogs);
  // Classes of a library outlive its unloading unless removed.
  for (const std::string& name : FClasses)
    UnregisterClassA(name.c_str(), static_cast<HINSTANCE>(FInstance));
}

bool TWin32::EnsureClass(const std::string& name, unsigned style, int background) {
  if (std::find(FClasses.begin(), FClasses.end(), name) != FClasses.end()) return true;
  WNDCLASSA wc{};
  wc.style = style;
  wc.lpfnWndProc = PeerWindowProc;
  wc.hInstance = static_cast<HINSTANCE>(FInstance);
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = background < 0 ? nullptr : GetSysColorBrush(background);
  wc.lpszClassName = name.c_str();
  if (!RegisterClassA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
  FClasses.push_back(name);
  return true;
}

std::unique_ptr<TControlPeer> TWin32::CreatePeer(TControl& control) {
  if (auto* form = dynamic_cast<TCustomForm*>(&control)) return NewFormPeer(*this, *form);
  // A child whose parent has no window stays a model.
  if (!TWin32Peer::ParentHandle(control)) return nullptr;
  if (auto* grid = dynamic_cast<TStringGrid*>(&control)) return NewGridPeer(*this, *grid);
  if (auto* splitter = dynamic_cast<TSplitter*>(&control)) return NewSplitterPeer(*this, *splitter);
  if (dynamic_cast<TPanel*>(&control)) return NewPanelPeer(*this, control);
  if (dynamic_cast<TEdit*>(&control)) return NewEditPeer(*this, control);
  if (dynamic_cast<TLabel*>(&control)) return NewLabelPeer(*this, control);
  return NewPanelPeer(*this, control);
}

std::unique_ptr<TMenuPeer> TWin32::CreateMenuPeer(TMenu& menu) {
  return std::make_unique<TWin32MenuPeer>(menu);
}

TPoint TWin32::ScreenSize() const {
  return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

void TWin32::HelpContents(const std::string& file, std::uintptr_t owner) {
  WinHelpA(reinterpret_cast<HWND>(owner), file.c_str(), HELP_CONTENTS, 0);
}

TModalResult TWin32::MessageDlg(const std::string& message, TMsgDlgType type,
                                TMsgDlgButtons buttons) {
  UINT flags = MB_OK;
  if (buttons.Contains(TMsgDlgBtn::Yes) && buttons.Contains(TMsgDlgBtn::No))
    flags = buttons.Contains(TMsgDlgBtn::Cancel) ? MB_YESNOCANCEL : MB_YESNO;
  else if (buttons.Contains(TMsgDlgBtn::OK) && buttons.Contains(TMsgDlgBtn::Cancel))
    flags = MB_OKCANCEL;
  else if (buttons.Contains(TMsgDlgBtn::Abort))
    flags = MB_ABORTRETRYIGNORE;
  else if (buttons.Contains(TMsgDlgBtn::Retry))
    flags = MB_RETRYCANCEL;
  const char* caption = "Information";
  switch (type) {
    case TMsgDlgType::Warning:
      flags |= MB_ICONWARNING;
      caption = "Warning";
      break;
    case TMsgDlgType::Error:
      flags |= MB_ICONERROR;
      caption = "Error";
      break;
    case TMsgDlgType::Information:
      flags |= MB_ICONINFORMATION;
      break;
    case TMsgDlgType::Confirmation:
      flags |= MB_ICONQUESTION;
      caption = "Confirm";
      break;
    case TMsgDlgType::Custom:
      caption = "Glint Monitor";
      break;
  }
  switch (MessageBoxA(DialogOwner(), message.c_str(), caption, flags)) {
    case IDOK:
      return TModalResult::OK;
    case IDCANCEL:
      return TModalResult::Cancel;
    case IDABORT:
      return TModalResult::Abort;
    case IDRETRY:
      return TModalResult::Retry;
    case IDIGNORE:
      return TModalResult::Ignore;
    case IDYES:
      return TModalResult::Yes;
    case IDNO:
      return TModalResult::No;
    default:
      return TModalResult::None;
  }
}

void TWin32::ShowErrorBox(const std::string& message) {
  MessageBoxA(DialogOwner(), message.c_str(), "Error", MB_OK | MB_ICONERROR);
}

bool TWin32::ExecuteFontDialog(TFont& font) {
  LOGFONTA log = ToLogFont(font);
  CHOOSEFONTA choose{};
  choose.lStructSize = sizeof choose;
  choose.hwndOwner = GetActiveWindow();
  if (!choose.hwndOwner) choose.hwndOwner = DialogOwner();
  choose.lpLogFont = &log;
  choose.Flags = CF_INITTOLOGFONTSTRUCT | CF_SCREENFONTS | CF_EFFECTS;
  const COLORREF shown = ToColorRef(font.Color());
  choose.rgbColors = shown;
  if (!ChooseFontA(&choose)) return false;
  // A colour left as it was keeps its system colour (clWindowText follows
  // the user's scheme), not the value it had today.
  const TColor color = choose.rgbColors == shown ? font.Color() : TColor{choose.rgbColors};
  AssignLogFont(font, log, color);
  return true;
}

}  // namespace glint
