// ui/win32/FormQuery.h: how another process (a test) finds and clicks a
// form's caption buttons and picks its menu bar's items.
//
// - kCaptionButtonMessage, a registered window message sent to the form's
//   window with wParam the button's index in CaptionButtons(): returns the
//   button's centre in screen coordinates as MAKELONG(x, y) (signed: read it
//   with GET_X_LPARAM/GET_Y_LPARAM), or 0 when there is no such button.
// - WM_NCHITTEST at that point answers kCaptionButtonHit; WM_NCLBUTTONDOWN
//   then WM_NCLBUTTONUP with wParam kCaptionButtonHit and that point as
//   lParam click the button, as a real press and release there do.
// - kFormItemIdMessage, wParam a global atom holding a menu item's component
//   name ("StayOnTop1"): returns the command identifier that picks the item
//   from the window's menu bar with WM_COMMAND, or 0 for none. Another
//   process cannot read a menu's items under Wine, and the identifiers change
//   whenever the bar is rebuilt.
#pragma once

namespace glint {

constexpr const char* kCaptionButtonMessage = "Glint.Form.CaptionButton";
// HTOBJECT: a code DefWindowProc gives no behaviour of its own.
constexpr unsigned kCaptionButtonHit = 19;
constexpr const char* kFormItemIdMessage = "Glint.Form.ItemId";

}  // namespace glint
