// ui/StdCtrls.h: labels and single-line edits.
//
// TEdit's text is its window text (the control's caption). Its read-only
// state follows the edit control's own message, kEmSetReadOnly: wParam
// non-zero sets it, zero clears it, as the real control does.
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

}  // namespace glint
