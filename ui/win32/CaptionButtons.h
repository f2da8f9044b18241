// ui/win32/CaptionButtons.h: the caption buttons of a form's window (the
// form's TCaptionButton models), drawn over the caption Windows draws, left
// of the system buttons and with their look, and pressed and released as
// they are. The form's peer owns one and hands it the non-client messages;
// another process finds the buttons through ui/win32/FormQuery.h.
#pragma once

#include <windows.h>

#include "ui/win32/Handles.h"

namespace glint {

class TCustomForm;
class TWin32Peer;

class TCaptionButtonBar {
 public:
  TCaptionButtonBar(TWin32Peer& peer, TCustomForm& form) : FPeer(peer), FForm(form) {}

  // The registered message that asks for a button's centre.
  static UINT Message();

  // The form's buttons changed: the caption is drawn again (once there are
  // buttons, in the classic frame, which a window can draw on).
  void Changed();
  // Draws the buttons; after Windows has drawn the caption.
  void Draw();
  // The button under a screen point, or -1.
  int ButtonAt(int x, int y) const;
  // The centre of button `index` in screen coordinates as MAKELONG(x, y); 0 for none.
  LRESULT Centre(int index) const;

  bool Pressing() const { return FPressed >= 0; }
  // A press at a screen point; over a button, the window captures the mouse.
  void Press(int x, int y);
  // The press ends at a screen point: a release over the pressed button
  // clicks it, which may free the form and this object with it.
  void Release(int x, int y);
  // The capture went elsewhere: no button stays pressed.
  void CancelPress();

 private:
  HWND Window() const;
  // Button `index` in window coordinates.
  RECT ButtonRect(int index) const;

  TWin32Peer& FPeer;
  TCustomForm& FForm;
  int FPressed = -1;  // the button being pressed
  bool FClassicFrame = false;
  TFontHandle FGlyphFont;
  int FGlyphHeight = 0;
};

}  // namespace glint
