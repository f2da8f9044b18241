// controls/UrlLabel.h: TUrlLabel, a label that looks like a link (blue,
// underlined, a pointing hand over it) and opens its address in the user's
// browser when clicked, through the widget set in force.
#pragma once

#include <string>

#include "ui/StdCtrls.h"

namespace glint {

class TUrlLabel : public TLabel {
 public:
  explicit TUrlLabel(TComponent* owner);

  const std::string& Url() const { return FUrl; }
  void SetUrl(std::string url) { FUrl = std::move(url); }

  // Opens Url() (nothing for an empty one), then runs OnClick.
  void DoClick() override;

 private:
  std::string FUrl;
};

}  // namespace glint
