#include "controls/UrlLabel.h"

namespace glint {

TUrlLabel::TUrlLabel(TComponent* owner) : TLabel(owner) {
  Font().SetColor(clBlue);
  Font().SetStyle({TFontStyle::Underline});
  SetCursor(TCursor::HandPoint);
}

void TUrlLabel::DoClick() {
  if (TWidgetSet* ws = CurrentWidgetSet(); ws && !FUrl.empty()) ws->OpenUrl(FUrl);
  TLabel::DoClick();
}

}  // namespace glint
