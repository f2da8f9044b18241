#include "ui/Forms.h"

#include <algorithm>

#include "rtl/SysUtils.h"
#include "ui/Dialogs.h"
#include "ui/Failure.h"
#include "ui/Menus.h"

namespace glint {

TCustomForm::TCustomForm(TComponent* owner) : TControl(owner) {
  SetVisible(false);
  SetBounds(0, 0, 320, 240);
}

namespace {
// Set while the application object exists, so a form freed during the
// module's shutdown does not reach for an application already gone.
TApplication* gApplication = nullptr;
}  // namespace

TCustomForm::~TCustomForm() {
  if (gApplication) gApplication->Forget(this);
  // TComponent frees the owned buttons after this destructor has run.
  for (TCaptionButton* button : FCaptionButtons) button->FForm = nullptr;
}

TCaptionButton::TCaptionButton(TComponent* owner)
    : TComponent(owner), FForm(dynamic_cast<TCustomForm*>(owner)) {
  if (!FForm) return;
  FForm->FCaptionButtons.push_back(this);
  FForm->CaptionButtonsChanged();
}

TCaptionButton::~TCaptionButton() {
  if (!FForm) return;
  auto& buttons = FForm->FCaptionButtons;
  buttons.erase(std::remove(buttons.begin(), buttons.end(), this), buttons.end());
  FForm->CaptionButtonsChanged();
}

void TCaptionButton::SetGlyph(int charCode) {
  if (charCode == FGlyph) return;
  FGlyph = charCode;
  if (FForm) FForm->CaptionButtonsChanged();
}

const std::string& TCaptionButton::GlyphFont() const {
  static const std::string marlett = "Marlett";
  return marlett;
}

void TCaptionButton::Click() {
  if (OnClick) OnClick(this);
}

void TCustomForm::SetFormStyle(TFormStyle style) {
  if (style == FFormStyle) return;
  FFormStyle = style;
  Changed(TControlChange::Options);
}

void TCustomForm::SetMenu(TMainMenu* menu) {
  if (FMenu) FMenu->RemoveFreeNotification(this);
  FMenu = menu;
  if (FMenu) FMenu->FreeNotification(this);
  Changed(TControlChange::Options);
}

void TCustomForm::Show() {
  if (FPosition == TPosition::ScreenCenter && !Visible())
    SetBounds((TScreen::Width() - Width()) / 2, (TScreen::Height() - Height()) / 2, Width(),
              Height());
  const bool made = !HandleAllocated();
  HandleNeeded();
  SetVisible(true);
  // As a new window's first WM_SIZE does: layouts made from the client size
  // (set before the window existed) meet the window's real one.
  if (made && OnResize) OnResize(this);
}

void TCustomForm::Close() {
  if (FModal) {
    FModalResult = TModalResult::Cancel;
    return;
  }
  switch (CloseAction()) {
    case TCloseAction::None:
      break;
    case TCloseAction::Hide:
      SetVisible(false);
      break;
    case TCloseAction::Free:
      SetVisible(false);
      Release();
      break;
  }
}

void TCustomForm::Release() { Application().QueueRelease(this); }

TModalResult TCustomForm::ShowModal() {
  if (Visible() || FModal) throw Exception("Cannot make a visible window modal");
  FModalResult = TModalResult::None;
  FModal = true;
  TModalResult result = TModalResult::Cancel;
  try {
    if (TWidgetSet* ws = CurrentWidgetSet()) result = ws->ShowModal(*this);
  } catch (...) {
    FModal = false;
    SetVisible(false);
    throw;
  }
  FModal = false;
  FModalResult = result;
  SetVisible(false);
  return result;
}

TApplication::TApplication() : TComponent(nullptr) { gApplication = this; }

TApplication::~TApplication() {
  FReleased.clear();
  // Owned forms go now, while this object is whole.
  DestroyComponents();
  gApplication = nullptr;
}

void TCustomForm::WndProc(TMessage& message) {
  if (!HandleMessage(message)) TControl::WndProc(message);
}

void TCustomForm::Notification(TComponent* component, TOperation operation) {
  TControl::Notification(component, operation);
  if (operation == TOperation::Remove && component == FMenu) FMenu = nullptr;
}

std::intptr_t DeliverMessage(TCustomForm& form, unsigned msg, std::uintptr_t wParam,
                             std::intptr_t lParam) {
  // No exception may leave a window procedure: it would unwind through the
  // window system's frames.
  std::intptr_t result = 0;
  RunReported([&] { result = form.Perform(msg, wParam, lParam); },
              [](const char* text) { ShowErrorBox(text); });
  return result;
}

void TApplication::ProcessReleased() {
  std::vector<TCustomForm*> released;
  released.swap(FReleased);
  for (TCustomForm* form : released) delete form;
}

void TApplication::QueueRelease(TCustomForm* form) {
  if (std::find(FReleased.begin(), FReleased.end(), form) == FReleased.end())
    FReleased.push_back(form);
}

void TApplication::Forget(TCustomForm* form) {
  FReleased.erase(std::remove(FReleased.begin(), FReleased.end(), form), FReleased.end());
}

TApplication& Application() {
  static TApplication application;
  return application;
}

int TScreen::Width() {
  TWidgetSet* ws = CurrentWidgetSet();
  return ws ? ws->ScreenSize().X : kDefaultScreenSize.X;
}

int TScreen::Height() {
  TWidgetSet* ws = CurrentWidgetSet();
  return ws ? ws->ScreenSize().Y : kDefaultScreenSize.Y;
}

}  // namespace glint
