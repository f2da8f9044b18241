#include "ui/Dialogs.h"

namespace glint {

namespace {
TDialogService* gDialogs = nullptr;
}  // namespace

TDialogService* CurrentDialogService() { return gDialogs; }
void SetDialogService(TDialogService* service) { gDialogs = service; }

TModalResult MessageDlg(const std::string& message, TMsgDlgType type, TMsgDlgButtons buttons) {
  return gDialogs ? gDialogs->MessageDlg(message, type, buttons) : TModalResult::OK;
}

void ShowErrorBox(const std::string& message) {
  if (gDialogs) gDialogs->ShowErrorBox(message);
}

bool TFontDialog::Execute() {
  // The service works on a copy, so a cancelled dialog changes nothing.
  TFont chosen = FFont;
  if (!gDialogs || !gDialogs->ExecuteFontDialog(chosen)) return false;
  FFont.Assign(chosen);
  return true;
}

bool TOpenDialog::Execute() {
  std::string chosen = FFileName;
  if (!gDialogs || !gDialogs->ExecuteFileDialog(*this, chosen)) return false;
  FFileName = std::move(chosen);
  return true;
}

}  // namespace glint
