#include "ui/win32/CaptionButtons.h"

#include "ui/Forms.h"
#include "ui/win32/FormQuery.h"
#include "ui/win32/Peers.h"

namespace glint {

namespace {

// Desktop composition draws the frame itself and hides what a window draws
// there, so a form with caption buttons asks for the classic frame.
void UseClassicFrame(HWND window) {
  HMODULE dwm = LoadLibraryA("dwmapi.dll");
  if (!dwm) return;
  using TSetAttribute = HRESULT(WINAPI*)(HWND, DWORD, LPCVOID, DWORD);
  if (auto set = reinterpret_cast<TSetAttribute>(
          reinterpret_cast<void*>(GetProcAddress(dwm, "DwmSetWindowAttribute")))) {
    const DWORD disabled = 1;  // DWMNCRP_DISABLED
    set(window, 2 /* DWMWA_NCRENDERING_POLICY */, &disabled, sizeof disabled);
  }
  FreeLibrary(dwm);
}

}  // namespace

UINT TCaptionButtonBar::Message() {
  static const UINT msg = RegisterWindowMessageA(kCaptionButtonMessage);
  return msg;
}

HWND TCaptionButtonBar::Window() const { return FPeer.Handle(); }

void TCaptionButtonBar::Changed() {
  if (FForm.CaptionButtonCount() == 0 && !FClassicFrame) return;
  if (!FClassicFrame) {
    FClassicFrame = true;
    UseClassicFrame(Window());
  }
  RedrawWindow(Window(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOCHILDREN);
}

// The system buttons take one SM_CXSIZE slot each at the right of the
// caption (close, then maximize and minimize), and ours take the next slots
// leftwards, with the system buttons' look: 2 pixels narrower than the slot,
// 4 lower than SM_CYSIZE.
RECT TCaptionButtonBar::ButtonRect(int index) const {
  RECT window;
  GetWindowRect(Window(), &window);
  const LONG style = GetWindowLongA(Window(), GWL_STYLE);
  const bool sizing = style & WS_THICKFRAME;
  const int frameX = GetSystemMetrics(sizing ? SM_CXSIZEFRAME : SM_CXFIXEDFRAME);
  const int frameY = GetSystemMetrics(sizing ? SM_CYSIZEFRAME : SM_CYFIXEDFRAME);
  const int slot = GetSystemMetrics(SM_CXSIZE);
  int slots = index;
  if (style & WS_SYSMENU) slots += (style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX)) ? 3 : 1;
  const int right = (window.right - window.left) - frameX - slots * slot - 2;
  return {right - (slot - 2), frameY + 2, right, frameY + GetSystemMetrics(SM_CYSIZE) - 2};
}

int TCaptionButtonBar::ButtonAt(int x, int y) const {
  RECT window;
  GetWindowRect(Window(), &window);
  const POINT at{x - window.left, y - window.top};
  for (int i = 0; i < FForm.CaptionButtonCount(); ++i) {
    const RECT r = ButtonRect(i);
    if (PtInRect(&r, at)) return i;
  }
  return -1;
}

LRESULT TCaptionButtonBar::Centre(int index) const {
  if (index < 0 || index >= FForm.CaptionButtonCount()) return 0;
  RECT window;
  GetWindowRect(Window(), &window);
  const RECT r = ButtonRect(index);
  const int x = window.left + (r.left + r.right) / 2, y = window.top + (r.top + r.bottom) / 2;
  return MAKELONG(static_cast<WORD>(x), static_cast<WORD>(y));
}

void TCaptionButtonBar::Draw() {
  const int count = FForm.CaptionButtonCount();
  if (count == 0 || (GetWindowLongA(Window(), GWL_STYLE) & WS_CAPTION) != WS_CAPTION) return;
  const TWindowDC windowDC(Window(), TWindowDC::TArea::Window);
  const HDC dc = windowDC.Get();
  if (!dc) return;
  const RECT first = ButtonRect(0);
  const int glyphHeight = first.bottom - first.top - 4;
  if (!FGlyphFont || glyphHeight != FGlyphHeight) {
    FGlyphHeight = glyphHeight;
    FGlyphFont.Reset(CreateFontA(-glyphHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                 SYMBOL_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                 DEFAULT_QUALITY, DEFAULT_PITCH,
                                 FForm.CaptionButtons(0)->GlyphFont().c_str()));
  }
  const TSelection font(dc, FGlyphFont.Get());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  for (int i = 0; i < count; ++i) {
    RECT r = ButtonRect(i);
    if (r.left < 0) break;  // no room left in a narrow caption
    const bool pressed = i == FPressed;
    DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0));
    if (const int glyph = FForm.CaptionButtons(i)->Glyph()) {
      const char text = static_cast<char>(glyph);
      if (pressed) OffsetRect(&r, 1, 1);
      DrawTextA(dc, &text, 1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
  }
}

void TCaptionButtonBar::Press(int x, int y) {
  FPressed = ButtonAt(x, y);
  if (FPressed < 0) return;
  // The release may come outside the button, even outside the window.
  SetCapture(Window());
  Draw();
}

void TCaptionButtonBar::Release(int x, int y) {
  const int pressed = FPressed;
  const int over = ButtonAt(x, y);
  FPressed = -1;
  if (GetCapture() == Window()) ReleaseCapture();
  Draw();
  // The click may free the form, or the button: last thing.
  if (pressed >= 0 && pressed == over) FForm.CaptionButtons(pressed)->Click();
}

void TCaptionButtonBar::CancelPress() {
  if (FPressed < 0) return;
  FPressed = -1;
  Draw();
}

}  // namespace glint
