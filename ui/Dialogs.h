// ui/Dialogs.h: modal message dialogs, the error box, the font dialog and
// the file dialogs, through the dialog service in force.
//
// Form and component code calls these; the Win32 backend shows real dialogs,
// the headless backend records each call and answers with what the test
// queued. With no dialog service installed a dialog is not shown and answers
// with its default: OK for a message, Cancel (nothing chosen) for a font or
// a file.
#pragma once

#include <string>

#include "ui/Controls.h"

namespace glint {

enum class TMsgDlgType { Warning, Error, Information, Confirmation, Custom };
enum class TMsgDlgBtn { Yes, No, OK, Cancel, Abort, Retry, Ignore, All, NoToAll, YesToAll, Help };
using TMsgDlgButtons = TSet<TMsgDlgBtn>;

// Dialog services a widget set provides beside its peers.
class TOpenDialog;

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
  // Lets the user pick a file as `dialog` describes, starting from
  // `fileName`; true on OK, with the choice in `fileName`.
  virtual bool ExecuteFileDialog(const TOpenDialog& dialog, std::string& fileName) { return false; }
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

// The common file dialogs' options, as their flags. NoChangeDir keeps the
// process's current folder: an add-in must not move its host's.
enum class TOpenOption { OverwritePrompt, HideReadOnly, PathMustExist, FileMustExist, NoChangeDir };
using TOpenOptions = TSet<TOpenOption>;
enum class TFileDialogKind { Open, Save };

// Filter: "Description|mask|Description|mask..."; a mask may list several
// patterns separated by ';'. DefaultExt: without the dot ("gln"), appended
// to a typed name that has no extension.
class TOpenDialog : public TComponent {
 public:
  using TComponent::TComponent;

  virtual TFileDialogKind Kind() const { return TFileDialogKind::Open; }
  const std::string& FileName() const { return FFileName; }
  void SetFileName(std::string name) { FFileName = std::move(name); }
  const std::string& Filter() const { return FFilter; }
  void SetFilter(std::string filter) { FFilter = std::move(filter); }
  const std::string& DefaultExt() const { return FDefaultExt; }
  void SetDefaultExt(std::string ext) { FDefaultExt = std::move(ext); }
  // "" for the system's own title ("Open", "Save As").
  const std::string& Title() const { return FTitle; }
  void SetTitle(std::string title) { FTitle = std::move(title); }
  TOpenOptions Options() const { return FOptions; }
  void SetOptions(TOpenOptions options) { FOptions = options; }

  // Shows the dialog with FileName() preset; true on OK, with FileName()
  // then the chosen file. On Cancel FileName() stays as it was.
  bool Execute();

 private:
  std::string FFileName, FFilter, FDefaultExt, FTitle;
  TOpenOptions FOptions{TOpenOption::HideReadOnly};
};

class TSaveDialog : public TOpenDialog {
 public:
  using TOpenDialog::TOpenDialog;
  TFileDialogKind Kind() const override { return TFileDialogKind::Save; }
};

}  // namespace glint
