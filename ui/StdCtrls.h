// ui/StdCtrls.h: labels, single-line edits and push buttons.
//
// TEdit's text is its window text (the control's caption). Its read-only
// state follows the edit control's own message, kEmSetReadOnly: wParam
// non-zero sets it, zero clears it, as the real control does.
// A TButton's click first gives its form the button's ModalResult (None
// leaves the form's alone), then runs OnClick. In a modal form, Enter
// clicks the Default button and Escape the Cancel one.
#pragma once

#include <string>

#include "ui/Controls.h"

namespace glint {

class TLabel : public TControl {
 public:
  explicit TLabel(TComponent* owner);
};

class TEdit : public TControl {
 public:
  explicit TEdit(TComponent* owner);

  const std::string& Text() const { return Caption(); }
  void SetText(std::string text) { SetCaption(std::move(text)); }
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool on);

 protected:
  void WndProc(TMessage& message) override;

 private:
  bool FReadOnly = false;
};

class TButton : public TControl {
 public:
  explicit TButton(TComponent* owner);

  TModalResult ModalResult() const { return FModalResult; }
  void SetModalResult(TModalResult result) { FModalResult = result; }
  bool Default() const { return FDefault; }
  void SetDefault(bool on);
  bool Cancel() const { return FCancel; }
  void SetCancel(bool on) { FCancel = on; }

  void DoClick() override;

 private:
  TModalResult FModalResult = TModalResult::None;
  bool FDefault = false, FCancel = false;
};

}  // namespace glint
