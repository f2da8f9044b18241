// ui/ExtCtrls.h: panels and the splitter bar.
//
// A TSplitter sits between an aligned control and the rest of its parent;
// dragging it to a new position resizes that control (the one aligned to the
// same side, just before the splitter), keeping at least MinSize pixels.
#pragma once

#include "ui/Controls.h"

namespace glint {

class TPanel : public TControl {
 public:
  explicit TPanel(TComponent* owner);
};

class TSplitter : public TControl {
 public:
  explicit TSplitter(TComponent* owner);

  int MinSize() const { return FMinSize; }
  void SetMinSize(int size) { FMinSize = size; }

  // The control the splitter resizes; null when none sits next to it.
  TControl* ResizedControl() const;

  TNotifyEvent OnMoved;
  // Backend entry: the user dragged the bar by `delta` pixels (right or down
  // positive).
  virtual void DoDrag(int delta);

 private:
  int FMinSize = 30;
};

}  // namespace glint
