#include "ui/StdCtrls.h"

#include "ui/Forms.h"

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

TButton::TButton(TComponent* owner) : TControl(owner) { SetBounds(0, 0, 75, 25); }

void TButton::SetDefault(bool on) {
  if (on == FDefault) return;
  FDefault = on;
  Changed(TControlChange::Options);
}

void TButton::DoClick() {
  if (FModalResult != TModalResult::None) {
    for (TControl* c = Parent(); c; c = c->Parent())
      if (auto* form = dynamic_cast<TCustomForm*>(c)) {
        form->SetModalResult(FModalResult);
        break;
      }
  }
  TControl::DoClick();
}

}  // namespace glint
