// ui/Forms.h: forms, the application object and the screen.
//
// A form is a top-level control with a caption, a window class name (how
// other programs find its window), a style, a font and a main menu. Its
// window messages arrive through DeliverMessage, which is the window
// procedure's body: the form's HandleMessage runs, and whatever it throws is
// shown in the error box (ui/Dialogs.h, in the text ui/Failure.h gives) and
// gives result 0. Both backends and the tests deliver messages only through
// it.
// Closing a form runs CloseAction(): Hide hides it, Free releases it; a
// released form is deleted by Application().ProcessReleased(), never inside
// its own handler. A form shown with ShowModal() is closed by setting its
// ModalResult (a button with a ModalResult does that when clicked); closing
// it otherwise answers Cancel. The caller frees it afterwards.
// Application() is the owner of forms that live as long as the module; its
// Handle is the window that owns the module's windows (in the add-in, the
// IDE's main window).
// A TCaptionButton owned by a form is drawn in the form's caption bar, left
// of the system buttons; being outside the client area, it stays reachable
// when the window is rolled up to its caption.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ui/Controls.h"
#include "ui/Failure.h"
#include "ui/Messages.h"

namespace glint {

class TMainMenu;
class TCaptionButton;

enum class TFormStyle { Normal, StayOnTop };
enum class TCloseAction { None, Hide, Free };
// Dialog: a fixed frame without minimize and maximize buttons. Both take
// effect when the window is made.
enum class TFormBorderStyle { Sizeable, Dialog };
// ScreenCenter: each Show puts the form in the middle of the screen.
enum class TPosition { Designed, ScreenCenter };
// As the user left the window: the backend reports it.
enum class TWindowState { Normal, Minimized, Maximized };

class TCustomForm : public TControl {
 public:
  explicit TCustomForm(TComponent* owner);
  ~TCustomForm() override;

  // The window class name; by default the form's class, as a sender finds it.
  virtual std::string ClassName() const = 0;

  TFormStyle FormStyle() const { return FFormStyle; }
  void SetFormStyle(TFormStyle style);
  TMainMenu* Menu() const { return FMenu; }
  void SetMenu(TMainMenu* menu);
  TFormBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TFormBorderStyle style) { FBorderStyle = style; }
  TPosition Position() const { return FPosition; }
  void SetPosition(TPosition position) { FPosition = position; }

  TWindowState WindowState() const { return FWindowState; }
  // The bounds the window has when it is neither minimised nor maximised:
  // BoundsRect() while it is normal, else what the backend last reported.
  TRect RestoredBounds() const {
    return FWindowState == TWindowState::Normal ? BoundsRect() : FRestoredBounds;
  }
  // Backend entry: the user minimised, maximised or restored the window;
  // `restored` is where it goes back to (unused for Normal). A minimised
  // window's bounds stay as they were; a maximised one's follow the window.
  void DoWindowState(TWindowState state, TRect restored) {
    FWindowState = state;
    FRestoredBounds = restored;
  }

  // Makes the form visible, creating its window (and its children's) first;
  // once the window is made, OnResize runs.
  void Show();
  // Runs the close action (see above).
  void Close();
  // Asks for the form to be deleted once its current handler has returned.
  void Release();
  // Shows the form as a modal dialog through the widget set and returns
  // once it is closed, hidden again, with its ModalResult. Raises when the
  // form is visible already.
  TModalResult ShowModal();
  TModalResult ModalResult() const { return FModalResult; }
  void SetModalResult(TModalResult result) { FModalResult = result; }
  bool Modal() const { return FModal; }

  // Handles one window message; false leaves it to the default handling.
  virtual bool HandleMessage(TMessage& message) { return false; }

  // The caption buttons the form owns, in creation order: the first sits
  // next to the system buttons, the others follow leftwards.
  int CaptionButtonCount() const { return static_cast<int>(FCaptionButtons.size()); }
  TCaptionButton* CaptionButtons(int index) const {
    return FCaptionButtons.at(static_cast<std::size_t>(index));
  }

 protected:
  void WndProc(TMessage& message) override;
  virtual TCloseAction CloseAction() { return TCloseAction::Hide; }
  void Notification(TComponent* component, TOperation operation) override;

 private:
  friend class TCaptionButton;
  void CaptionButtonsChanged() { Changed(TControlChange::Frame); }

  TFormStyle FFormStyle = TFormStyle::Normal;
  TMainMenu* FMenu = nullptr;
  TFormBorderStyle FBorderStyle = TFormBorderStyle::Sizeable;
  TPosition FPosition = TPosition::Designed;
  TWindowState FWindowState = TWindowState::Normal;
  TRect FRestoredBounds;
  TModalResult FModalResult = TModalResult::None;
  bool FModal = false;
  std::vector<TCaptionButton*> FCaptionButtons;
};

class TCaptionButton : public TComponent {
 public:
  // Shown in the caption of `owner` if that is a form, nowhere otherwise.
  explicit TCaptionButton(TComponent* owner);
  ~TCaptionButton() override;

  TCustomForm* Form() const { return FForm; }
  // A character of the symbol font GlyphFont(); 0 draws an empty button.
  int Glyph() const { return FGlyph; }
  void SetGlyph(int charCode);
  const std::string& GlyphFont() const;

  TNotifyEvent OnClick;
  // Backend entry: the user clicked the button.
  virtual void Click();

 private:
  friend class TCustomForm;
  TCustomForm* FForm;
  int FGlyph = 0;
};

// The form class the kit's forms derive from.
class TForm : public TCustomForm {
 public:
  using TCustomForm::TCustomForm;
};

// The window procedure's body for a form: HandleMessage, with anything it
// throws shown in the error box; returns the message result (0 after a
// failure).
std::intptr_t DeliverMessage(TCustomForm& form, unsigned msg, std::uintptr_t wParam,
                             std::intptr_t lParam);

class TApplication : public TComponent {
 public:
  TApplication();
  ~TApplication() override;

  // Opaque window handle that owns the module's windows; 0 for none.
  std::uintptr_t Handle() const { return FHandle; }
  void SetHandle(std::uintptr_t handle) { FHandle = handle; }

  // Deletes the forms released since the last call.
  void ProcessReleased();

 private:
  friend class TCustomForm;
  void QueueRelease(TCustomForm* form);
  void Forget(TCustomForm* form);

  std::uintptr_t FHandle = 0;
  std::vector<TCustomForm*> FReleased;
};

TApplication& Application();

// The primary screen, as the widget set in force reports it.
struct TScreen {
  static int Width();
  static int Height();
};

}  // namespace glint
