// The monitor window: its design-time controls, FormCreate/FormDestroy,
// and message intake.
#include <cstdlib>

#include "monitor/GlintExp.h"
#include "monitor/Settings.h"
#include "ui/Graphics.h"

namespace glint {

TGlintMonitor* GlintMonitor = nullptr;
TMyGrid* MonitorGrid = nullptr;
TMySplitter* MonitorSplitter = nullptr;

namespace {

TMenuItem* NewItem(TComponent* owner, TMenuItem& parent, const char* name, const char* caption,
                   TNotifyEvent onClick = {}) {
  auto* item = new TMenuItem(owner);
  item->SetName(name);
  item->SetCaption(caption);
  item->OnClick = std::move(onClick);
  parent.Add(item);
  return item;
}

template <class T>
T* NewControl(TControl* parent, const char* name, int left, int top, int width, int height) {
  auto* control = new T(parent->Owner() ? parent->Owner() : parent);
  control->SetName(name);
  control->SetBounds(left, top, width, height);
  control->SetParent(parent);
  return control;
}

}  // namespace

TGlintMonitor::TGlintMonitor(TComponent* owner) : TForm(owner) {
  CreateDesignControls();
  try {
    FormCreate();
  } catch (...) {
    // The controls go with the half-made form; the globals must not outlive them.
    if (MonitorGrid && MonitorGrid->Owner() == this) MonitorGrid = nullptr;
    if (MonitorSplitter && MonitorSplitter->Owner() == this) MonitorSplitter = nullptr;
    throw;
  }
}

TGlintMonitor::~TGlintMonitor() { FormDestroy(); }

// The layout the form was designed with; FormCreate adds the rest.
void TGlintMonitor::CreateDesignControls() {
  SetName("GlintMonitor");
  SetCaption("Glint Monitor");
  SetBounds(192, 107, 640, 420);
  SetClientInset({4, 42, 4, 4});

  Panel1 = new TPanel(this);
  Panel1->SetName("Panel1");
  Panel1->SetBounds(0, 0, 257, 360);
  Panel1->SetAlign(TAlign::Left);
  Panel1->SetEnabled(false);
  Panel1->SetParent(this);
  Label1 = NewControl<TLabel>(Panel1, "Label1", 8, 12, 60, 13);
  Label2 = NewControl<TLabel>(Panel1, "Label2", 8, 40, 60, 13);
  Label3 = NewControl<TLabel>(Panel1, "Label3", 8, 68, 60, 13);
  Label4 = NewControl<TLabel>(Panel1, "Label4", 8, 96, 60, 13);
  Label1->SetCaption(kReportHeaderCaptions[0]);
  Label2->SetCaption(kReportHeaderCaptions[1]);
  Label3->SetCaption(kReportHeaderCaptions[2]);
  Label4->SetCaption(kReportHeaderCaptions[3]);
  Edit1 = NewControl<TEdit>(Panel1, "Edit1", 72, 8, 160, 21);
  Edit2 = NewControl<TEdit>(Panel1, "Edit2", 72, 36, 160, 21);
  Edit3 = NewControl<TEdit>(Panel1, "Edit3", 72, 64, 160, 21);
  Edit4 = NewControl<TEdit>(Panel1, "Edit4", 72, 92, 160, 21);
  for (TEdit* edit : {Edit1, Edit2, Edit3, Edit4}) edit->SetReadOnly(true);

  MainMenu1 = new TMainMenu(this);
  MainMenu1->SetName("MainMenu1");
  TMenuItem& bar = MainMenu1->Items();
  auto handler = [this](void (TGlintMonitor::*method)(TObject*)) {
    return [this, method](TObject* sender) { (this->*method)(sender); };
  };
  File1 = NewItem(this, bar, "File1", "&File");
  Open1 = NewItem(this, *File1, "Open1", "&Open...", handler(&TGlintMonitor::Open1Click));
  SaveAs1 = NewItem(this, *File1, "SaveAs1", "Save &As...", handler(&TGlintMonitor::SaveAs1Click));
  SaveSettings1 = NewItem(this, *File1, "SaveSettings1", "Save &Settings",
                          handler(&TGlintMonitor::SaveSettings1Click));
  N1 = NewItem(this, *File1, "N1", "-");
  Exit1 = NewItem(this, *File1, "Exit1", "E&xit", handler(&TGlintMonitor::Exit1Click));
  Options1 = NewItem(this, bar, "Options1", "&Options");
  StayOnTop1 = NewItem(this, *Options1, "StayOnTop1", "Stay on &top",
                       handler(&TGlintMonitor::StayOnTop1Click));
  Font1 = NewItem(this, *Options1, "Font1", "&Font...", handler(&TGlintMonitor::Font1Click));
  Help1 = NewItem(this, bar, "Help1", "&Help");
  Contents1 =
      NewItem(this, *Help1, "Contents1", "&Contents", handler(&TGlintMonitor::Contents1Click));
  About1 = NewItem(this, *Help1, "About1", "&About...", handler(&TGlintMonitor::About1Click));
  VersionItem = NewItem(this, *Help1, "VersionItem", "Expert Version");
  SetMenu(MainMenu1);

  Widget1 = new TWidget(this);
  Widget1->SetName("Widget1");
  Widget1->SetGlyph(kRollUpGlyph);
  Widget1->OnClick = handler(&TGlintMonitor::Widget1Click);
}

void TGlintMonitor::FormCreate() {
  MonitorSplitter = new TMySplitter(this);
  MonitorSplitter->SetName("MonitorSplitter");
  MonitorSplitter->SetParent(this);
  MonitorSplitter->SetLeft(257);
  MonitorSplitter->SetAlign(TAlign::Left);
  MonitorSplitter->SetWidth(4);
  MonitorSplitter->SetCursor(TCursor::HSplit);

  MonitorGrid = new TMyGrid(this);
  TMyGrid& grid = *MonitorGrid;
  grid.SetName("MonitorGrid");
  grid.SetParent(this);
  grid.SetAlign(TAlign::Client);
  grid.SetColCount(4);
  grid.SetDefaultDrawing(false);
  grid.SetFixedCols(0);
  grid.SetFixedRows(1);
  grid.SetHint("");
  grid.SetOptions({TGridOption::FixedVertLine, TGridOption::FixedHorzLine, TGridOption::ColSizing,
                   TGridOption::RowSelect});
  grid.SetParentShowHint(false);
  grid.SetRowCount(2);
  grid.SetScrollBars(TScrollStyle::Vertical);
  grid.SetShowHint(true);
  grid.SetTabOrder(1);
  grid.OnClick = [this](TObject* sender) { GridClick(sender); };
  grid.OnDrawCell = [this](TObject* sender, int col, int row, TRect rect, TGridDrawState state) {
    GridDrawCell(sender, col, row, rect, state);
  };
  grid.OnMouseDown = [this](TObject* sender, TMouseButton button, TShiftState shift, int x, int y) {
    GridMouseDown(sender, button, shift, x, y);
  };
  grid.OnColWidthsChanged = [this](TObject* sender) { GridColWidthsChanged(sender); };
  OnResize = [this](TObject* sender) { FormResize(sender); };
  Panel1->OnResize = [this](TObject* sender) { Panel1Resize(sender); };
  for (int col = 0; col < 4; ++col) grid.SetCells(col, 0, kReportColumnTitles[col]);

  for (TEdit* edit : {Edit1, Edit2, Edit3, Edit4}) edit->Perform(kEmSetReadOnly, 0, 0);

  ReadSettings();

  VersionItem->SetCaption(VersionItem->Caption() + " " + kExpertVersion);

  UnitMap = std::make_unique<TStringList>();
  UnitMap->SetSorted(true);
  FReport = std::make_shared<const TReport>();
}

void TGlintMonitor::FormDestroy() {
  // Paints and clicks can still arrive while the controls are torn down;
  // they must not reach the lists freed here.
  if (MonitorGrid && MonitorGrid->Owner() == this) {
    TMyGrid& grid = *MonitorGrid;
    grid.OnClick = nullptr;
    grid.OnDrawCell = nullptr;
    grid.OnMouseDown = nullptr;
    grid.OnColWidthsChanged = nullptr;
  }
  OnResize = nullptr;
  Panel1->OnResize = nullptr;
  // The next window starts unrolled, whatever this one was.
  RolledUp = false;
  UnitMap.reset();
  if (GlintMonitor == this) GlintMonitor = nullptr;
  // The grid and splitter are freed with the form right after this.
  if (MonitorGrid && MonitorGrid->Owner() == this) MonitorGrid = nullptr;
  if (MonitorSplitter && MonitorSplitter->Owner() == this) MonitorSplitter = nullptr;
}

bool TGlintMonitor::HandleMessage(TMessage& message) {
  if (message.Msg == kWmCopyData) {
    WMCopyData(message);
    return true;
  }
  return false;
}

// The sender's buffer is trusted for cbData bytes only: a text without its
// terminating zero must not be read past its end.
void TGlintMonitor::WMCopyData(TMessage& message) {
  const auto* data = reinterpret_cast<const TCopyDataStruct*>(message.LParam);
  std::string_view bytes;
  if (data && data->lpData && data->cbData > 0)
    bytes = std::string_view(static_cast<const char*>(data->lpData), data->cbData);
  ReplaceReport(bytes);
  message.Result = 1;
}

}  // namespace glint
