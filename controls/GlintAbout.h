// controls/GlintAbout.h: unit GlintAbout, TAboutBox, the monitor's About
// dialog: product name, version, a short description, a link to the
// product's home page and an OK button that closes it. Shown with
// ShowModal; whoever shows it sets the version text and frees it.
#pragma once

#include <string>

#include "controls/UrlLabel.h"
#include "ui/ExtCtrls.h"
#include "ui/Forms.h"
#include "ui/StdCtrls.h"

namespace glint {

constexpr const char* kGlintProductName = "Glint Monitor";
constexpr const char* kGlintHomePage = "https://brackenware.example/glint/";

class TAboutBox : public TForm {
 public:
  explicit TAboutBox(TComponent* owner);

  std::string ClassName() const override { return "TAboutBox"; }

  TPanel* Panel1;
  TLabel *ProductName, *Version, *Comments;
  TUrlLabel* HomePage;
  TButton* OKButton;
};

}  // namespace glint
