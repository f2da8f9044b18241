#include "controls/GlintAbout.h"

namespace glint {

namespace {

template <class T>
T* NewChild(TComponent* owner, TControl* parent, const char* name, TRect bounds) {
  auto* control = new T(owner);
  control->SetName(name);
  control->SetBounds(bounds.Left, bounds.Top, bounds.Width(), bounds.Height());
  control->SetParent(parent);
  return control;
}

}  // namespace

TAboutBox::TAboutBox(TComponent* owner) : TForm(owner) {
  SetName("AboutBox");
  SetCaption(std::string("About ") + kGlintProductName);
  SetBorderStyle(TFormBorderStyle::Dialog);
  SetPosition(TPosition::ScreenCenter);
  SetBounds(0, 0, 338, 234);

  Panel1 = NewChild<TPanel>(this, this, "Panel1", {8, 8, 322, 152});
  ProductName = NewChild<TLabel>(this, Panel1, "ProductName", {16, 14, 298, 36});
  ProductName->SetCaption(kGlintProductName);
  ProductName->Font().SetSize(14);
  ProductName->Font().SetStyle({TFontStyle::Bold});
  Version = NewChild<TLabel>(this, Panel1, "Version", {16, 42, 298, 56});
  Comments = NewChild<TLabel>(this, Panel1, "Comments", {16, 66, 298, 108});
  Comments->SetCaption(
      "Shows the memory-leak reports of the programs you debug and opens "
      "the leaking lines in the IDE's editor.");
  HomePage = NewChild<TUrlLabel>(this, Panel1, "HomePage", {16, 118, 298, 132});
  HomePage->SetUrl(kGlintHomePage);
  HomePage->SetCaption(kGlintHomePage);
  OKButton = NewChild<TButton>(this, this, "OKButton", {127, 168, 202, 193});
  OKButton->SetCaption("OK");
  OKButton->SetModalResult(TModalResult::OK);
  OKButton->SetDefault(true);
  OKButton->SetCancel(true);
}

}  // namespace glint
