#include "ui/StdCtrls.h"

namespace glint {

TLabel::TLabel(TComponent* owner) : TControl(owner) { SetBounds(0, 0, 65, 13); }

TEdit::TEdit(TComponent* owner) : TControl(owner) {
  SetColor(clWindow);
  SetBounds(0, 0, 121, 21);
}

void TEdit::SetReadOnly(bool on) {
  if (on == FReadOnly) return;
  FReadOnly = on;
  Changed(TControlChange::Options);
}

void TEdit::WndProc(TMessage& message) {
  if (message.Msg == kEmSetReadOnly) {
    SetReadOnly(message.WParam != 0);
    message.Result = 1;
    return;
  }
  TControl::WndProc(message);
}

}  // namespace glint
