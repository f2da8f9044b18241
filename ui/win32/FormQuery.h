// ui/win32/FormQuery.h: how another process (a test) finds and clicks a
// form's caption buttons.
//
// - kCaptionButtonMessage, a registered window message sent to the form's
//   window with wParam the button's index in CaptionButtons(): returns the
//   button's centre in screen coordinates as MAKELONG(x, y) (signed: read it
//   with GET_X_LPARAM/GET_Y_LPARAM), or 0 when there is no such button.
// - WM_NCHITTEST at that point answers kCaptionButtonHit; WM_NCLBUTTONDOWN
//   then WM_NCLBUTTONUP with wParam kCaptionButtonHit and that point as
//   lParam click the button, as a real press and release there do.
#pragma once

namespace glint {

constexpr const char* kCaptionButtonMessage = "Glint.Form.CaptionButton";
// HTOBJECT: a code DefWindowProc gives no behaviour of its own.
constexpr unsigned kCaptionButtonHit = 19;

}  // namespace glint
