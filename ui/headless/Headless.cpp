#include "ui/headless/Headless.h"

#include <array>

#include "ui/Forms.h"
#include "ui/Grids.h"
#include "ui/Menus.h"

namespace glint {

void TRecordingCanvas::FillRect(const TRect& rect) {
  TCanvasOp op;
  op.Kind = TCanvasOp::TKind::FillRect;
  op.Rect = rect;
  op.BrushColor = Brush.Color;
  Ops.push_back(std::move(op));
}

void TRecordingCanvas::DrawText(std::string_view text, const TRect& rect, TTextFormat format) {
  TCanvasOp op;
  op.Kind = TCanvasOp::TKind::DrawText;
  op.Rect = rect;
  op.Text = std::string(text);
  op.FontColor = Font.Color();
  op.Format = format;
  Ops.push_back(std::move(op));
}

std::vector<TCanvasOp> PaintGrid(TStringGrid& grid) {
  TRecordingCanvas canvas;
  grid.Paint(canvas);
  return std::move(canvas.Ops);
}

// Counting must stay cheap: a parse changes cells hundreds of thousands of times.
class THeadlessPeer : public TControlPeer {
 public:
  void Changed(TControlChange what) override { ++Changes[static_cast<std::size_t>(what)]; }
  void Invalidate() override { ++Invalidates; }

  std::array<int, static_cast<std::size_t>(TControlChange::Frame) + 1> Changes{};
  int Invalidates = 0;
};

class THeadlessMenuPeer : public TMenuPeer {
 public:
  THeadlessMenuPeer(THeadless& owner, TMenu& menu) : FOwner(owner), FMenu(menu) {}
  void Changed() override {}
  // As TrackPopupMenu returns the pick, the Win32 peer clicks it inside Popup.
  void Popup(int x, int y) override {
    const TMenuItem& items = FMenu.Items();
    TRecordedPopup popup{&FMenu, x, y, {}};
    for (int i = 0; i < items.Count(); ++i) popup.Captions.push_back(items.Items(i)->Caption());
    FOwner.Popups.push_back(std::move(popup));
    if (FOwner.WhilePopup) FOwner.WhilePopup(FMenu);
    int pick = -1;
    if (!FOwner.FPopupPicks.empty()) {
      pick = FOwner.FPopupPicks.front();
      FOwner.FPopupPicks.pop_front();
    }
    // The click may free the menu, and this peer with it: last thing.
    if (pick >= 0) items.Items(pick)->Click();
  }

 private:
  THeadless& FOwner;
  TMenu& FMenu;
};

THeadless::THeadless()
    : FPreviousWidgetSet(CurrentWidgetSet()), FPreviousDialogs(CurrentDialogService()) {
  SetWidgetSet(this);
  SetDialogService(this);
}

THeadless::~THeadless() {
  SetWidgetSet(FPreviousWidgetSet);
  SetDialogService(FPreviousDialogs);
}

std::unique_ptr<TControlPeer> THeadless::CreatePeer(TControl& control) {
  return std::make_unique<THeadlessPeer>();
}

std::unique_ptr<TMenuPeer> THeadless::CreateMenuPeer(TMenu& menu) {
  return std::make_unique<THeadlessMenuPeer>(*this, menu);
}

TModalResult THeadless::MessageDlg(const std::string& message, TMsgDlgType type,
                                   TMsgDlgButtons buttons) {
  Dialogs.push_back({message, type});
  if (FAnswers.empty()) return TModalResult::OK;
  TModalResult answer = FAnswers.front();
  FAnswers.pop_front();
  return answer;
}

void THeadless::ShowErrorBox(const std::string& message) { ErrorBoxes.push_back(message); }

bool THeadless::ExecuteFontDialog(TFont& font) {
  FontDialogs.push_back(font);
  if (FFontAnswers.empty()) return false;
  std::optional<TFont> answer = std::move(FFontAnswers.front());
  FFontAnswers.pop_front();
  if (!answer) return false;
  font.Assign(*answer);
  return true;
}

bool THeadless::ExecuteFileDialog(const TOpenDialog& dialog, std::string& fileName) {
  FileDialogs.push_back({dialog.Kind(), fileName, dialog.Filter(), dialog.DefaultExt(),
                         dialog.Title(), dialog.Options()});
  if (FFileAnswers.empty()) return false;
  std::optional<std::string> answer = std::move(FFileAnswers.front());
  FFileAnswers.pop_front();
  if (!answer) return false;
  fileName = std::move(*answer);
  return true;
}

TModalResult THeadless::ShowModal(TCustomForm& form) {
  ModalForms.push_back({form.ClassName(), form.Caption()});
  form.Show();
  if (WhileModal) WhileModal(form);
  if (form.ModalResult() != TModalResult::None) return form.ModalResult();
  if (FModalAnswers.empty()) return TModalResult::Cancel;
  const TModalResult answer = FModalAnswers.front();
  FModalAnswers.pop_front();
  return answer;
}

int THeadless::ChangeCount(const TControl& control, TControlChange what) const {
  auto* peer = dynamic_cast<const THeadlessPeer*>(control.Peer());
  return peer ? peer->Changes[static_cast<std::size_t>(what)] : 0;
}

int THeadless::InvalidateCount(const TControl& control) const {
  auto* peer = dynamic_cast<const THeadlessPeer*>(control.Peer());
  return peer ? peer->Invalidates : 0;
}

}  // namespace glint
