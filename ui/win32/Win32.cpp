#include "ui/win32/Win32.h"

#include <windows.h>
// After <windows.h>.
#include <commdlg.h>
#include <shellapi.h>
// The models' TCanvas::DrawText, not the A/W macro.
#undef DrawText

#include <cxxabi.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <typeinfo>
#include <vector>

#include "rtl/SysUtils.h"
#include "ui/ExtCtrls.h"
#include "ui/Failure.h"
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

// Where a dialog of ours goes: above the window the user works in.
HWND ActiveOwner() {
  HWND owner = GetActiveWindow();
  return owner ? owner : DialogOwner();
}

HCURSOR CursorOf(TCursor cursor) {
  switch (cursor) {
    case TCursor::HSplit:
      return LoadCursor(nullptr, IDC_SIZEWE);
    case TCursor::VSplit:
      return LoadCursor(nullptr, IDC_SIZENS);
    case TCursor::HandPoint:
      return LoadCursor(nullptr, IDC_HAND);
    default:
      return nullptr;
  }
}

void ShowFailure(const char* text) { ShowErrorBox(text); }

// A control's class as its source names it ("TPanel").
std::string ClassNameOf(const TControl& control) {
  const char* mangled = typeid(control).name();
  int status = 0;
  const std::unique_ptr<char, void (*)(void*)> plain(
      abi::__cxa_demangle(mangled, nullptr, nullptr, &status), std::free);
  const std::string name = plain ? plain.get() : mangled;
  const std::size_t colons = name.rfind("::");
  return colons == std::string::npos ? name : name.substr(colons + 2);
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
  RunReported([&] { result = peer->HandleMessage(msg, wParam, lParam); }, ShowFailure);
  if (msg == WM_NCDESTROY) {
    // The peer may already be gone if the model was freed meanwhile.
    if (TWin32Peer* still = TWin32Peer::FromHandle(hwnd)) still->Detach();
    RemovePropA(hwnd, kPeerProp);
  }
  if (--gMessageDepth == 0) {
    gMessageWindow = outerWindow;
    RunReported([] { Application().ProcessReleased(); }, ShowFailure,
                "Unexpected failure while closing a window");
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
  FFont.Reset(font);
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
  switch (msg) {
    case WM_CTLCOLORSTATIC: {
      // Labels show the face colour of the container they sit on, in their
      // own font's colour.
      HDC dc = reinterpret_cast<HDC>(wParam);
      TColor color = clWindowText;
      if (TWin32Peer* child = FromHandle(reinterpret_cast<HWND>(lParam)))
        color = child->Control().Font().Color();
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, ToColorRef(color));
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_COMMAND:
      // A system control's click (BN_CLICKED, and STN_CLICKED of a label)
      // is told to its parent.
      if (lParam != 0 && HIWORD(wParam) == BN_CLICKED) {
        if (TWin32Peer* child = FromHandle(reinterpret_cast<HWND>(lParam))) {
          child->Control().DoClick();
          return 0;
        }
      }
      break;
    case WM_SETCURSOR:
      // A system control asks its parent first; ours ask this way too.
      if (LOWORD(lParam) == HTCLIENT) {
        if (TWin32Peer* target = FromHandle(reinterpret_cast<HWND>(wParam))) {
          if (HCURSOR cursor = CursorOf(target->Control().Cursor())) {
            SetCursor(cursor);
            return TRUE;
          }
        }
      }
      break;
    default:
      break;
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
  if (auto* button = dynamic_cast<TButton*>(&control)) return NewButtonPeer(*this, *button);
  if (dynamic_cast<TLabel*>(&control)) return NewLabelPeer(*this, control);
  // A plain panel in its place would hide the missing piece until a user saw an empty box.
  throw Exception("no Win32 peer for " + ClassNameOf(control));
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

bool TWin32::ExecuteFileDialog(const TOpenDialog& dialog, std::string& fileName) {
  // "Text|*.txt|All|*.*" as the dialog wants it: zeros between, two at the end.
  std::string filter = dialog.Filter();
  std::replace(filter.begin(), filter.end(), '|', '\0');
  filter.append(2, '\0');
  std::vector<char> file(32768, '\0');
  fileName.copy(file.data(), std::min(fileName.size(), file.size() - 1));
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = ActiveOwner();
  ofn.lpstrFilter = dialog.Filter().empty() ? nullptr : filter.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.lpstrDefExt = dialog.DefaultExt().empty() ? nullptr : dialog.DefaultExt().c_str();
  ofn.lpstrTitle = dialog.Title().empty() ? nullptr : dialog.Title().c_str();
  ofn.Flags = OFN_EXPLORER | OFN_ENABLESIZING;
  const TOpenOptions options = dialog.Options();
  const std::pair<TOpenOption, DWORD> flags[] = {
      {TOpenOption::OverwritePrompt, OFN_OVERWRITEPROMPT},
      {TOpenOption::HideReadOnly, OFN_HIDEREADONLY},
      {TOpenOption::PathMustExist, OFN_PATHMUSTEXIST},
      {TOpenOption::FileMustExist, OFN_FILEMUSTEXIST},
      {TOpenOption::NoChangeDir, OFN_NOCHANGEDIR}};
  for (const auto& [option, flag] : flags)
    if (options.Contains(option)) ofn.Flags |= flag;
  const BOOL chosen =
      dialog.Kind() == TFileDialogKind::Save ? GetSaveFileNameA(&ofn) : GetOpenFileNameA(&ofn);
  if (!chosen) {
    // 0: the user cancelled; anything else kept the dialog from showing.
    if (const DWORD error = CommDlgExtendedError())
      throw Exception(Format("The file dialog could not be shown (error 0x%lX)", error));
    return false;
  }
  fileName = file.data();
  return true;
}

void TWin32::OpenUrl(const std::string& url) {
  const auto result = reinterpret_cast<INT_PTR>(
      ShellExecuteA(ActiveOwner(), "open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  // Values up to 32 are errors.
  if (result <= 32) throw Exception(Format("Cannot open %s (error %d)", url.c_str(), int(result)));
}

namespace {

BOOL CALLBACK CollectEnabledWindow(HWND window, LPARAM list) {
  if (IsWindowVisible(window) && IsWindowEnabled(window))
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  return TRUE;
}

// The first visible, enabled button below `parent` with the flag set.
TButton* FindButton(const TControl& parent, bool (TButton::*flag)() const) {
  for (int i = 0; i < parent.ControlCount(); ++i) {
    TControl* control = parent.Controls(i);
    if (auto* button = dynamic_cast<TButton*>(control))
      if ((button->*flag)() && button->Visible() && button->Enabled()) return button;
    if (TButton* inner = FindButton(*control, flag)) return inner;
  }
  return nullptr;
}

// Enter and Escape in a modal form. The buttons are clicked through their
// windows, so a failing click ends in the error box like any other.
bool ModalKey(TCustomForm& form, HWND window, const MSG& msg) {
  if (msg.message != WM_KEYDOWN || (msg.wParam != VK_RETURN && msg.wParam != VK_ESCAPE))
    return false;
  if (msg.hwnd != window && !IsChild(window, msg.hwnd)) return false;
  TButton* button = nullptr;
  if (msg.wParam == VK_RETURN) {
    if (TWin32Peer* focused = TWin32Peer::FromHandle(GetFocus()))
      button = dynamic_cast<TButton*>(&focused->Control());
    if (!button) button = FindButton(form, &TButton::Default);
  } else {
    button = FindButton(form, &TButton::Cancel);
    if (!button) form.Close();
  }
  if (auto* peer = button ? dynamic_cast<TWin32Peer*>(button->Peer()) : nullptr)
    SendMessageA(peer->Handle(), BM_CLICK, 0, 0);
  return true;
}

// Runs until the form has a ModalResult or its window is gone. Sent
// messages (another process's clicks) are handled inside PeekMessage, so
// the result is looked at after every call, not only after posted input.
TModalResult RunModalLoop(TCustomForm& form, HWND window) {
  for (;;) {
    MSG msg;
    while (form.ModalResult() == TModalResult::None && IsWindow(window) &&
           PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        // Left for the loop that ends the program.
        PostQuitMessage(static_cast<int>(msg.wParam));
        return TModalResult::Cancel;
      }
      if (ModalKey(form, window, msg) || IsDialogMessageA(window, &msg)) continue;
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    if (form.ModalResult() != TModalResult::None) return form.ModalResult();
    if (!IsWindow(window)) return TModalResult::Cancel;
    MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  }
}

}  // namespace

TModalResult TWin32::ShowModal(TCustomForm& form) {
  form.HandleNeeded();
  auto* peer = dynamic_cast<TWin32Peer*>(form.Peer());
  if (!peer || !peer->Handle()) throw Exception("Cannot show the window " + form.Caption());
  const HWND window = peer->Handle();
  // An owned window stays above its owner: above a stay-on-top monitor too.
  const HWND active = GetActiveWindow();
  if (active && active != window)
    SetWindowLongPtrA(window, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(active));
  std::vector<HWND> disabled;
  EnumThreadWindows(GetCurrentThreadId(), CollectEnabledWindow,
                    reinterpret_cast<LPARAM>(&disabled));
  std::erase(disabled, window);
  for (HWND other : disabled) EnableWindow(other, FALSE);
  const auto enableAgain = [&disabled] {
    for (HWND other : disabled)
      if (IsWindow(other)) EnableWindow(other, TRUE);
  };
  TModalResult result = TModalResult::Cancel;
  try {
    form.Show();
    SetActiveWindow(window);
    result = RunModalLoop(form, window);
  } catch (...) {
    enableAgain();
    throw;
  }
  // Enabled before the form hides, so its owner is activated again rather
  // than another program's window.
  enableAgain();
  if (active && IsWindow(active)) SetActiveWindow(active);
  return result;
}

}  // namespace glint
