// ui/headless/Headless.h: the backend for tests and command-line tools: no
// windows, everything recorded.
//
// THeadless installs itself as the widget set and dialog service for its
// lifetime (and puts the previous ones back). Peers count what changed;
// PaintGrid runs a grid's painting on a TRecordingCanvas, so tests can see
// what would be drawn; pop-ups and dialogs are recorded, and a test queues
// the answers the dialogs give (OK for a message, Cancel for a font, a file
// or a modal form when none is queued) and the item a pop-up menu's user
// picks (none when none is queued). A modal form is shown and answered at
// once; WhileModal lets a test act on it meanwhile, as WhilePopup does on a
// pop-up menu. Addresses to open are
// recorded; no browser starts.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ui/Controls.h"
#include "ui/Dialogs.h"
#include "ui/Graphics.h"

namespace glint {

class TStringGrid;

struct TCanvasOp {
  enum class TKind { FillRect, DrawText };
  TKind Kind = TKind::FillRect;
  TRect Rect;
  TColor BrushColor = 0;  // FillRect
  std::string Text;       // DrawText
  TColor FontColor = 0;   // DrawText
  TTextFormat Format;     // DrawText
};

class TRecordingCanvas : public TCanvas {
 public:
  void FillRect(const TRect& rect) override;
  void DrawText(std::string_view text, const TRect& rect, TTextFormat format) override;

  std::vector<TCanvasOp> Ops;
};

// Paints the grid as its window would and returns what was drawn.
std::vector<TCanvasOp> PaintGrid(TStringGrid& grid);

struct TRecordedFileDialog {
  TFileDialogKind Kind = TFileDialogKind::Open;
  std::string FileName, Filter, DefaultExt, Title;
  TOpenOptions Options;
};

// The form may be gone by the time a test looks.
struct TRecordedModal {
  std::string ClassName, Caption;
};

// A request to open a help file at its contents page.
struct TRecordedHelp {
  std::string File;
  std::uintptr_t Owner = 0;
  bool operator==(const TRecordedHelp&) const = default;
};

struct TRecordedDialog {
  std::string Message;
  TMsgDlgType Type = TMsgDlgType::Information;
};

// Menu may be gone by the time a test looks (the pick's click may free it);
// Captions are the top-level items' captions as they were shown.
struct TRecordedPopup {
  const TMenu* Menu = nullptr;
  int X = 0, Y = 0;
  std::vector<std::string> Captions;
};

class THeadless : public TWidgetSet, public TDialogService {
 public:
  THeadless();
  ~THeadless() override;
  THeadless(const THeadless&) = delete;
  THeadless& operator=(const THeadless&) = delete;

  // TWidgetSet
  std::unique_ptr<TControlPeer> CreatePeer(TControl& control) override;
  std::unique_ptr<TMenuPeer> CreateMenuPeer(TMenu& menu) override;
  TPoint ScreenSize() const override { return FScreenSize; }
  void SetScreenSize(TPoint size) { FScreenSize = size; }
  TModalResult ShowModal(TCustomForm& form) override;
  void OpenUrl(const std::string& url) override { OpenedUrls.push_back(url); }
  void HelpContents(const std::string& file, std::uintptr_t owner) override {
    HelpCalls.push_back({file, owner});
  }
  std::vector<TRecordedHelp> HelpCalls;

  // TDialogService
  TModalResult MessageDlg(const std::string& message, TMsgDlgType type,
                          TMsgDlgButtons buttons) override;
  void ShowErrorBox(const std::string& message) override;
  bool ExecuteFontDialog(TFont& font) override;
  bool ExecuteFileDialog(const TOpenDialog& dialog, std::string& fileName) override;

  // Answers for the next dialogs, in order.
  void QueueAnswer(TModalResult answer) { FAnswers.push_back(answer); }
  // The pick for the next pop-up menus, in order: an index into the menu's
  // top-level items, whose Click then runs inside Popup; -1 dismisses it.
  void QueuePopupPick(int itemIndex) { FPopupPicks.push_back(itemIndex); }
  // Answers for the next font dialogs, in order: OK with this font, or Cancel.
  void QueueFont(const TFont& font) { FFontAnswers.emplace_back(font); }
  void QueueFontCancel() { FFontAnswers.emplace_back(std::nullopt); }
  // Answers for the next file dialogs, in order: OK with this name, or Cancel.
  void QueueFileName(std::string name) { FFileAnswers.emplace_back(std::move(name)); }
  void QueueFileCancel() { FFileAnswers.emplace_back(std::nullopt); }
  // Answers for the next modal forms whose ModalResult is still None once
  // WhileModal has run.
  void QueueModalResult(TModalResult result) { FModalAnswers.push_back(result); }
  // Runs while a modal form is shown, e.g. to click its buttons.
  std::function<void(TCustomForm& form)> WhileModal;
  // Runs while a pop-up menu is up, before its pick (if any) is clicked.
  std::function<void(TMenu& menu)> WhilePopup;

  // Number of Changed() calls a control's peer has seen, by kind (0 for a
  // control without a headless peer). Peers must not outlive this object.
  int ChangeCount(const TControl& control, TControlChange what) const;
  int InvalidateCount(const TControl& control) const;

  std::vector<TRecordedDialog> Dialogs;
  std::vector<std::string> ErrorBoxes;
  // The font each font dialog was opened with.
  std::vector<TFont> FontDialogs;
  std::vector<TRecordedPopup> Popups;
  std::vector<TRecordedFileDialog> FileDialogs;
  std::vector<TRecordedModal> ModalForms;
  std::vector<std::string> OpenedUrls;

 private:
  friend class THeadlessMenuPeer;

  TWidgetSet* FPreviousWidgetSet;
  TDialogService* FPreviousDialogs;
  TPoint FScreenSize = kDefaultScreenSize;
  std::deque<TModalResult> FAnswers;
  std::deque<int> FPopupPicks;
  std::deque<std::optional<TFont>> FFontAnswers;
  std::deque<std::optional<std::string>> FFileAnswers;
  std::deque<TModalResult> FModalAnswers;
};

}  // namespace glint
