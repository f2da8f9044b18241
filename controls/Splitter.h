// controls/Splitter.h: TMySplitter, the bar between the monitor's header
// panel and its grid; dragging it resizes the panel.
#pragma once

#include "ui/ExtCtrls.h"

namespace glint {

class TMySplitter : public TSplitter {
 public:
  using TSplitter::TSplitter;
};

}  // namespace glint
