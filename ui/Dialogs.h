// ui/Dialogs.h: modal message dialogs, the error box and the font dialog,
// through the dialog service in force.
//
// Form and component code calls these; the Win32 backend shows real dialogs,
// the headless backend records each call and answers with what the test
// queued. With no dialog service installed a dialog is not shown and answers
// with its default: OK for a message, Cancel (nothing chosen) for a font.
#pragma once

#include <string>

#include "ui/Controls.h"

namespace glint {

enum class TMsgDlgType { Warning, Error, Information, Confirmation, Custom };
enum class TMsgDlgBtn { Yes, No, OK, Cancel, Abort, Retry, Ignore, All, NoToAll, YesToAll, Help };
using TMsgDlgButtons = TSet<TMsgDlgBtn>;

enum class TModalResult {
  None = 0,
  OK = 1,
  Cancel = 2,
  Abort = 3,
  Retry = 4,
  Ignore = 5,
  Yes = 6,
  No = 7
};

// Dialog services a widget set provides beside its peers.
class TDialogService {
 public:
  virtual ~TDialogService() = default;
  virtual TModalResult MessageDlg(const std::string& message, TMsgDlgType type,
                                  TMsgDlgButtons buttons) = 0;
  // The usual error box for an exception raised while handling user input.
  virtual void ShowErrorBox(const std::string& message) = 0;
  // Lets the user pick a font, starting from `font`; true on OK, with the
  // choice in `font`.
  virtual bool ExecuteFontDialog(TFont& font) { return false; }
};

TDialogService* CurrentDialogService();
void SetDialogService(TDialogService* service);

TModalResult MessageDlg(const std::string& message, TMsgDlgType type, TMsgDlgButtons buttons);
void ShowErrorBox(const std::string& message);

class TFontDialog : public TComponent {
 public:
  using TComponent::TComponent;

  TFont& Font() { return FFont; }
  const TFont& Font() const { return FFont; }
  // Opens the dialog on Font(); true on OK, with Font() then the chosen font.
  // On Cancel Font() stays as it was.
  bool Execute();

 private:
  TFont FFont;
};

}  // namespace glint
