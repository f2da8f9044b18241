// The monitor window's grid view and navigation: cell drawing, title-click
// sorting, the detail pop-up, the jump to a source line and the layout
// handlers.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "ide/EditIntf.h"
#include "monitor/GlintExp.h"
#include "rtl/Conversions.h"
#include "ui/Dialogs.h"
#include "ui/Graphics.h"

namespace glint {

int IdeVersion = 4;
bool RolledUp = false;
int SavedHeight = 0;

int LineNumberOf(std::string_view text) {
  std::int32_t value = 0;
  return TryStrToInt(text, value) ? value : 0;
}

TReportLines TGlintMonitor::DetailsOfRow(int row) const {
  return MonitorGrid ? DetailsOfGridRow(*MonitorGrid, *FReport, row) : TReportLines();
}

void TGlintMonitor::GridDrawCell(TObject* sender, int col, int row, TRect rect,
                                 TGridDrawState state) {
  TCanvas& canvas = *MonitorGrid->Canvas();
  std::string text(MonitorGrid->Cells(col, row));
  TTextFormat format{TTextFormatFlag::SingleLine, TTextFormatFlag::VCenter,
                     TTextFormatFlag::NoPrefix};
  canvas.Font = MonitorGrid->Font();
  if (row == 0) {
    canvas.Brush.Color = MonitorGrid->FixedColor();
    format.Include(TTextFormatFlag::Center);
  } else {
    canvas.Brush.Color = MonitorGrid->Color();
    format.Include(TTextFormatFlag::Left);
    std::string_view prefix = std::string_view(text).substr(0, 3);
    if (prefix == "s: ")
      canvas.Font.SetColor(clBlue);
    else if (prefix == "o: ")
      canvas.Font.SetColor(clRed);
    if (col == 0 && DetailsOfRow(row).Count() > 0) text += " ...";
    if (row == MonitorGrid->Row()) {
      canvas.Brush.Color = clHighlight;
      canvas.Font.SetColor(clHighlightText);
    }
  }
  canvas.FillRect(rect);
  canvas.DrawText(text, {rect.Left + 2, rect.Top + 2, rect.Right - 2, rect.Bottom - 2}, format);
}

void TGlintMonitor::GridMouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x,
                                  int y) {
  if (!MonitorGrid) return;
  TMyGrid& grid = *MonitorGrid;
  // Repainted whatever happens, a sort that raised included.
  struct TRepaint {
    TMyGrid& Grid;
    ~TRepaint() { Grid.Invalidate(); }
  } repaint{grid};
  int col = -1, row = -1;
  grid.MouseToCell(x, y, col, row);
  if (button == TMouseButton::Left && row == 0 && col >= 0 && col < grid.ColCount()) {
    SortByColumn(col);
  } else if (button == TMouseButton::Right && col == 0) {
    if (const TReportLines details = DetailsOfRow(row); details.Count() > 0)
      PopupDetails(details, grid.ClientToScreen({x, y}));
  }
}

void TGlintMonitor::SortByColumn(int col) { SortReportGrid(*MonitorGrid, col); }

// Each item holds its own copy of its line: a report delivered while the
// menu is open (its loop handles sent messages) replaces the details.
void TGlintMonitor::PopupDetails(const TReportLines& details, TPoint screen) {
  // Owned by the grid as a component; freed here once Popup has returned,
  // never inside the handler of its own item.
  auto menu = std::make_unique<TPopupMenu>(MonitorGrid);
  auto add = [&menu](const std::string& caption, TNotifyEvent onClick) {
    auto* item = new TMenuItem(menu.get());
    item->SetCaption(caption);
    item->OnClick = std::move(onClick);
    menu->Items().Add(item);
  };
  const std::uint32_t shown = std::min<std::uint32_t>(details.Count(), kMaxPopupDetails);
  for (std::uint32_t i = 0; i < shown; ++i)
    add(std::string(details[i]), [this](TObject* sender) { PopupHandler(sender); });
  if (shown < details.Count()) add("...", {});
  add("-", {});
  add("Cancel", {});
  menu->Popup(screen.X, screen.Y);
}

// A detail line reads "<unit> <line>": the unit up to the first space, the
// line number in the (trimmed) rest.
void TGlintMonitor::PopupHandler(TObject* sender) {
  const auto* item = dynamic_cast<const TMenuItem*>(sender);
  if (!item) return;
  const std::string& caption = item->Caption();
  const std::size_t space = caption.find(' ');
  const std::string unitName = space == std::string::npos ? "" : caption.substr(0, space);
  const std::string rest = caption.substr(space == std::string::npos ? 0 : space, 255);
  JumpToCode(unitName, LineNumberOf(Trim(rest)));
}

void TGlintMonitor::GridClick(TObject* sender) {
  if (!MonitorGrid) return;
  const int row = MonitorGrid->Row();
  if (row < 1 || row >= MonitorGrid->RowCount()) return;
  const std::string unitName(MonitorGrid->Cells(0, row));
  if (unitName.empty()) return;
  JumpToCode(unitName, LineNumberOf(MonitorGrid->Cells(1, row)));
}

void TGlintMonitor::JumpToCode(const std::string& unitName, int line) {
  if (!ToolServices || !UnitMap || unitName.empty()) return;
  const std::string file = UnitMap->Values(unitName);
  if (file.empty()) return;
  const char* fileName = file.c_str();
  if (!ToolServices->IsFileOpen(fileName)) ToolServices->OpenFile(fileName);

  THostRef module(ToolServices->GetModuleInterface(fileName));
  if (!module) return;
  module->ShowSource();
  THostRef editor(module->GetEditorInterface());
  if (!editor) return;
  THostRef view(editor->GetView(0));
  if (!view) return;

  // A report may name any line: the editor gets one of the file's own,
  // whatever it would make of the others.
  const int lines = editor->LinesInBuffer();
  line = std::max(1, lines > 0 ? std::min(line, lines) : line);
  const TEditPos target{1, line};
  view->SetPos(epCursorPos, &target);
  TEditPos top;
  TViewSize size;
  view->GetPos(epTopPos, &top);
  view->GetViewSize(&size);
  // Scrolled only when the line is not comfortably in view already. The
  // host's numbers may be anything, so they are added in 64 bits.
  if (line < top.Line || line > std::int64_t{top.Line} + size.Rows - 2)
    view->SetPos(epTopPos, &target);

  if (IdeVersion == 2) {
    // The oldest IDE shows no cursor line of its own: mark the line.
    // A host may count the largest line number there is.
    const TCharPos start{0, line}, after{0, line < INT32_MAX ? line + 1 : line};
    editor->SetBlockVisible(false);
    editor->SetBlockType(btLine);
    editor->SetBlockStart(&start);
    editor->SetBlockAfter(&after);
    editor->SetBlockVisible(true);
  }
  module->ShowSource();
}

// The last column takes what the others leave of the grid's client width.
void TGlintMonitor::FormResize(TObject* sender) {
  if (!MonitorGrid) return;
  TMyGrid& grid = *MonitorGrid;
  const int last = grid.ColCount() - 1;
  if (last < 0) return;
  int used = 0;
  for (int col = 0; col < last; ++col) used += grid.ColWidths(col) + grid.GridLineWidth();
  grid.SetColWidths(last, std::max(0, grid.ClientWidth() - used));
}

void TGlintMonitor::GridColWidthsChanged(TObject* sender) { FormResize(sender); }

void TGlintMonitor::Panel1Resize(TObject* sender) {
  for (TEdit* edit : {Edit1, Edit2, Edit3, Edit4})
    edit->SetWidth(std::max(0, Panel1->Width() - edit->Left() - 25));
}

void TGlintMonitor::StayOnTop1Click(TObject* sender) {
  StayOnTop1->SetChecked(!StayOnTop1->Checked());
  // A z-order change only: the window keeps its handle, so senders that
  // found it still reach it.
  SetFormStyle(StayOnTop1->Checked() ? TFormStyle::StayOnTop : TFormStyle::Normal);
}

void TGlintMonitor::Exit1Click(TObject* sender) { Close(); }

void TGlintMonitor::Font1Click(TObject* sender) {
  TFontDialog dialog(nullptr);
  dialog.Font().Assign(Font());
  if (!dialog.Execute()) return;
  Font().Assign(dialog.Font());
  MonitorGrid->SetDefaultRowHeight(std::abs(Font().Height()) + 8);
}

// Windows keeps a window at least as high as its caption, so "0" leaves
// the caption (and this widget in it) on screen.
void TGlintMonitor::Widget1Click(TObject* sender) {
  if (!RolledUp) {
    SavedHeight = Height();
    SetHeight(0);
    RolledUp = true;
    Widget1->SetGlyph(kRollDownGlyph);
  } else {
    SetHeight(SavedHeight);
    RolledUp = false;
    Widget1->SetGlyph(kRollUpGlyph);
  }
}

}  // namespace glint
