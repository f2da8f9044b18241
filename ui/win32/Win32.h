// ui/win32/Win32.h: the Win32 backend: the control models become real
// windows.
//
// A TWin32 object installs itself as the widget set and dialog service for
// its lifetime (the add-in library keeps one for as long as it is loaded).
// Forms become top-level windows of the form's class name, owned by
// Application().Handle(); panels, splitters and grids are window classes of
// our own, labels, edits and buttons the system's STATIC, EDIT and BUTTON;
// a click on a label or button reaches its model through the parent's
// WM_COMMAND. Any other control class raises "no Win32 peer for <class>"
// when its window would be made. A modal form runs its own message loop with
// the thread's other windows disabled. Every window of ours goes through one
// window procedure, which hands the message to the control's peer; whatever
// a handler throws stops there and is shown in the error box, and forms
// released during a message are deleted once the outermost message has been
// handled. The window classes are unregistered
// when the object goes, so the library can be unloaded and loaded again.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ui/Controls.h"
#include "ui/Dialogs.h"

namespace glint {

class TWin32 : public TWidgetSet, public TDialogService {
 public:
  // `instance` is the module (HINSTANCE) the window classes are registered
  // for; 0 picks the module this code is linked into.
  explicit TWin32(void* instance = nullptr);
  ~TWin32() override;
  TWin32(const TWin32&) = delete;
  TWin32& operator=(const TWin32&) = delete;

  // TWidgetSet
  std::unique_ptr<TControlPeer> CreatePeer(TControl& control) override;
  std::unique_ptr<TMenuPeer> CreateMenuPeer(TMenu& menu) override;
  TPoint ScreenSize() const override;
  // Owned by our active window; until its ModalResult is set (or its window
  // goes) the thread's other windows are disabled and a message loop of its
  // own runs, with Enter and Escape clicking its Default and Cancel buttons
  // (Escape without one closes it).
  TModalResult ShowModal(TCustomForm& form) override;
  // ShellExecute "open"; raises when the shell refuses.
  void OpenUrl(const std::string& url) override;
  // WinHelp's contents page of the file.
  void HelpContents(const std::string& file, std::uintptr_t owner) override;

  // TDialogService: real message boxes, owned by the window whose message is
  // being handled (or the application window).
  TModalResult MessageDlg(const std::string& message, TMsgDlgType type,
                          TMsgDlgButtons buttons) override;
  void ShowErrorBox(const std::string& message) override;
  // The common font dialog (ChooseFont), owned by our active window.
  bool ExecuteFontDialog(TFont& font) override;
  // The common open and save dialogs (GetOpenFileName, GetSaveFileName),
  // owned by our active window; raises when the dialog cannot be shown.
  bool ExecuteFileDialog(const TOpenDialog& dialog, std::string& fileName) override;

  void* Instance() const { return FInstance; }
  // Registers a window class of ours once; false when Windows refuses.
  bool EnsureClass(const std::string& name, unsigned style, int background);

 private:
  void* FInstance;
  TWidgetSet* FPreviousWidgetSet;
  TDialogService* FPreviousDialogs;
  std::vector<std::string> FClasses;
};

}  // namespace glint
