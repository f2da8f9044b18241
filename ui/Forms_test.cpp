#include "ui/Forms.h"

#include <gtest/gtest.h>

#include "rtl/SysUtils.h"
#include "ui/Dialogs.h"
#include "ui/ExtCtrls.h"
#include "ui/FailureTest.h"
#include "ui/Menus.h"
#include "ui/StdCtrls.h"
#include "ui/headless/Headless.h"

namespace glint {
namespace {

class TProbeForm : public TForm {
 public:
  using TForm::TForm;
  std::string ClassName() const override { return "TProbeForm"; }
  bool HandleMessage(TMessage& message) override {
    if (message.Msg == 0x400) throw Exception("handler failed");
    if (message.Msg == 0x403) Raise();
    if (message.Msg != 0x401) return false;
    message.Result = 7;
    return true;
  }
  TCloseAction Action = TCloseAction::Hide;
  void (*Raise)() = nullptr;
  bool* Destroyed = nullptr;
  ~TProbeForm() override {
    if (Destroyed) *Destroyed = true;
  }

 protected:
  TCloseAction CloseAction() override { return Action; }
};

TEST(Forms, DeliverMessageTurnsAnExceptionIntoAnErrorBox) {
  THeadless backend;
  TProbeForm form(nullptr);
  EXPECT_EQ(DeliverMessage(form, 0x401, 0, 0), 7);
  EXPECT_EQ(DeliverMessage(form, 0x400, 0, 0), 0);
  EXPECT_EQ(DeliverMessage(form, 0x402, 0, 0), 0);
  EXPECT_EQ(backend.ErrorBoxes, (std::vector<std::string>{"handler failed"}));
}

TEST(Forms, DeliverMessageShowsEveryKindOfFailure) {
  for (const TFailureKind& kind : kFailureKinds) {
    SCOPED_TRACE(kind.Name);
    THeadless backend;
    TProbeForm form(nullptr);
    form.Raise = kind.Raise;
    EXPECT_EQ(DeliverMessage(form, 0x403, 0, 0), 0);
    EXPECT_EQ(backend.ErrorBoxes,
              std::vector<std::string>{kind.Text ? kind.Text : kUnexpectedFailureText});
  }
  // Nor may the error box's own failure escape.
  struct TFailingBox : THeadless {
    void ShowErrorBox(const std::string&) override { throw std::bad_alloc(); }
  } failing;
  TProbeForm form(nullptr);
  form.Raise = kFailureKinds[0].Raise;
  EXPECT_EQ(DeliverMessage(form, 0x403, 0, 0), 0);
}

TEST(Forms, CloseHidesOrFreesAfterTheHandler) {
  THeadless backend;
  bool destroyed = false;
  auto* form = new TProbeForm(&Application());
  form->Destroyed = &destroyed;
  form->Show();
  form->Close();
  EXPECT_FALSE(form->Visible());
  Application().ProcessReleased();
  EXPECT_FALSE(destroyed);
  form->Action = TCloseAction::Free;
  form->Close();
  form->Close();  // queued once
  EXPECT_FALSE(destroyed);
  Application().ProcessReleased();
  EXPECT_TRUE(destroyed);
}

TEST(Forms, OnResizeRunsWhenTheShownFormsWindowIsMadeNotOnLaterShows) {
  THeadless backend;
  TProbeForm form(nullptr);
  int resizes = 0;
  form.OnResize = [&resizes](TObject*) { ++resizes; };
  form.Show();
  EXPECT_EQ(resizes, 1);
  form.Close();
  form.Show();
  EXPECT_EQ(resizes, 1);
}

TEST(Forms, EditReadOnlyFollowsItsMessage) {
  TEdit edit(nullptr);
  edit.Perform(kEmSetReadOnly, 1, 0);
  EXPECT_TRUE(edit.ReadOnly());
  edit.Perform(kEmSetReadOnly, 0, 0);
  EXPECT_FALSE(edit.ReadOnly());
}

TEST(Forms, ChildrenFollowTheFormFontUntilGivenTheirOwn) {
  THeadless backend;
  TProbeForm form(nullptr);
  auto* panel = new TPanel(&form);
  panel->SetParent(&form);
  auto* edit = new TEdit(&form);
  edit->SetParent(panel);
  form.Show();
  form.Font().SetHeight(-20);
  EXPECT_EQ(edit->Font().Height(), -20);
  EXPECT_EQ(backend.ChangeCount(*edit, TControlChange::Font), 1);
  edit->Font().SetName("Courier New");
  EXPECT_FALSE(edit->ParentFont());
  form.Font().SetHeight(-8);
  EXPECT_EQ(edit->Font().Height(), -20);
  EXPECT_EQ(panel->Font().Height(), -8);
}

TEST(Forms, FontSizeAndHeightConvertAtNinetySixDpi) {
  TFont font;
  EXPECT_EQ(font.Size(), 8);  // -11 pixels
  font.SetSize(10);
  EXPECT_EQ(font.Height(), -13);
  font.SetHeight(-16);
  EXPECT_EQ(font.Size(), 12);
}

// The dialog opens on the component's font; OK takes the answer, Cancel
// (also when nothing is queued, or with no dialog service) keeps the font.
TEST(Forms, FontDialogTakesTheChosenFontOnOKOnly) {
  TFontDialog dialog(nullptr);
  dialog.Font().SetName("Courier New");
  EXPECT_FALSE(dialog.Execute());
  THeadless backend;
  TFont chosen;
  chosen.SetName("Arial");
  chosen.SetStyle({TFontStyle::Bold});
  backend.QueueFont(chosen);
  backend.QueueFontCancel();
  EXPECT_TRUE(dialog.Execute());
  EXPECT_FALSE(dialog.Execute());
  EXPECT_FALSE(dialog.Execute());
  EXPECT_TRUE(dialog.Font().SameAs(chosen));
  ASSERT_EQ(backend.FontDialogs.size(), 3u);
  EXPECT_EQ(backend.FontDialogs[0].Name(), "Courier New");
  EXPECT_TRUE(backend.FontDialogs[2].SameAs(chosen));
}

// A button's ModalResult closes its modal form, wherever it sits; closing
// the form otherwise answers Cancel and neither hides nor frees it while
// it is modal. The form is hidden again afterwards.
TEST(Forms, ShowModalReturnsTheModalResultThatClosedTheForm) {
  bool destroyed = false;
  TProbeForm form(nullptr);
  form.Destroyed = &destroyed;
  form.Action = TCloseAction::Free;
  auto* panel = new TPanel(&form);
  panel->SetParent(&form);
  auto* ok = new TButton(&form);
  ok->SetParent(panel);
  ok->SetModalResult(TModalResult::OK);
  auto* plain = new TButton(&form);
  plain->SetParent(&form);
  EXPECT_EQ(form.ShowModal(), TModalResult::Cancel);  // no widget set: never shown
  THeadless backend;
  backend.QueueModalResult(TModalResult::Retry);
  const std::pair<std::function<void(TCustomForm&)>, TModalResult> cases[] = {
      {[&](TCustomForm&) { ok->DoClick(); }, TModalResult::OK},
      {[&](TCustomForm& shown) { shown.Close(); }, TModalResult::Cancel},
      {[&](TCustomForm&) { plain->DoClick(); }, TModalResult::Retry}};
  for (const auto& [action, expected] : cases) {
    backend.WhileModal = [&](TCustomForm& shown) {
      EXPECT_TRUE(shown.Visible() && shown.Modal());
      action(shown);
    };
    EXPECT_EQ(form.ShowModal(), expected);
    EXPECT_FALSE(form.Visible() || form.Modal());
  }
  Application().ProcessReleased();
  EXPECT_FALSE(destroyed);
  form.Show();
  EXPECT_THROW(form.ShowModal(), Exception);
}

TEST(Forms, MenuItemsNestFindAndClick) {
  THeadless backend;
  TProbeForm form(nullptr);
  auto* menu = new TMainMenu(&form);
  auto* file = new TMenuItem(&form);
  auto* exit = new TMenuItem(&form);
  exit->SetName("Exit1");
  menu->Items().Add(file);
  file->Add(exit);
  int clicks = 0;
  exit->OnClick = [&](TObject* sender) { clicks += sender == exit; };
  EXPECT_EQ(menu->Items().Find("Exit1"), exit);
  menu->Items().Find("Exit1")->Click();
  EXPECT_EQ(clicks, 1);
  delete exit;  // leaves its parent's list
  EXPECT_EQ(file->Count(), 0);
}

// A queued pick is clicked inside Popup; none queued, or -1, dismisses the
// menu. The click may free the menu: the record keeps the captions.
TEST(Forms, PopupMenuClicksTheQueuedPick) {
  THeadless backend;
  TProbeForm form(nullptr);
  auto* popup = new TPopupMenu(nullptr);
  std::vector<std::string> clicked;
  for (const char* caption : {"Copy", "Save"}) {
    auto* item = new TMenuItem(&form);
    item->SetCaption(caption);
    item->OnClick = [&, item](TObject*) { clicked.push_back(item->Caption()); };
    popup->Items().Add(item);
  }
  popup->Popup(10, 20);
  backend.QueuePopupPick(-1);
  popup->Popup(10, 20);
  backend.QueuePopupPick(0);
  popup->Popup(30, 40);
  EXPECT_EQ(clicked, std::vector<std::string>{"Copy"});
  popup->Items().Items(1)->OnClick = [&](TObject*) { delete popup; };
  backend.QueuePopupPick(1);
  popup->Popup(50, 60);
  ASSERT_EQ(backend.Popups.size(), 4u);
  EXPECT_EQ(backend.Popups[2].Menu, backend.Popups[0].Menu);
  EXPECT_EQ(backend.Popups[2].Y, 40);
  EXPECT_EQ(backend.Popups[3].Captions, (std::vector<std::string>{"Copy", "Save"}));
}

// Every change to a form's caption buttons asks its peer to draw the
// caption again; buttons leave the list when freed, before or with the form.
TEST(Forms, CaptionButtonsBelongToTheirForm) {
  THeadless backend;
  auto* form = new TProbeForm(nullptr);
  form->Show();
  auto* first = new TCaptionButton(form);
  auto* second = new TCaptionButton(form);
  second->SetGlyph(116);
  second->SetGlyph(116);
  EXPECT_EQ(backend.ChangeCount(*form, TControlChange::Frame), 3);
  delete first;
  ASSERT_EQ(form->CaptionButtonCount(), 1);
  EXPECT_EQ(form->CaptionButtons(0), second);
  EXPECT_EQ(backend.ChangeCount(*form, TControlChange::Frame), 4);
  TCaptionButton loose(nullptr);
  loose.SetGlyph(1);
  EXPECT_EQ(loose.Form(), nullptr);
  delete form;
}

TEST(Forms, ScreenSizeComesFromTheWidgetSet) {
  THeadless backend;
  EXPECT_EQ(TScreen::Width(), 1024);
  backend.SetScreenSize({1600, 900});
  EXPECT_EQ(TScreen::Height(), 900);
}

}  // namespace
}  // namespace glint
