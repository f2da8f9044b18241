// The Win32 backend in this process, driven by real window messages: the
// windows follow the models, input reaches the models' events, the grid paints
// through OnDrawCell and answers its query messages, and a failing handler
// ends in the error box instead of unwinding through user32; a caption button
// is drawn and clicked in the caption bar.
#include "ui/win32/Win32.h"

#include <gtest/gtest.h>
#include <windowsx.h>

#include <algorithm>
#include <string>
#include <vector>

#include "rtl/SysUtils.h"
#include "ui/ExtCtrls.h"
#include "ui/FailureTest.h"
#include "ui/Forms.h"
#include "ui/Grids.h"
#include "ui/StdCtrls.h"
#include "ui/win32/FormQuery.h"
#include "ui/win32/GridQuery.h"
#include "ui/win32/Peers.h"

namespace glint {
namespace {

class TRecordingDialogs : public TDialogService {
 public:
  TModalResult MessageDlg(const std::string& message, TMsgDlgType, TMsgDlgButtons) override {
    Errors.push_back(message);
    return TModalResult::OK;
  }
  void ShowErrorBox(const std::string& message) override { Errors.push_back(message); }
  std::vector<std::string> Errors;
};

class TProbeForm : public TForm {
 public:
  explicit TProbeForm(bool* freed) : TForm(nullptr), FFreed(freed) {}
  ~TProbeForm() override { *FFreed = true; }
  std::string ClassName() const override { return "TGlintBackendProbe"; }
  bool HandleMessage(TMessage& message) override {
    if (message.Msg != kWmCopyData) return false;
    const auto* data = reinterpret_cast<const TCopyDataStruct*>(message.LParam);
    Received = static_cast<const char*>(data->lpData);
    if (Received == "fail") throw Exception("bad report");
    message.Result = 1;
    return true;
  }
  std::string Received;

 protected:
  TCloseAction CloseAction() override { return TCloseAction::Free; }

 private:
  bool* FFreed;
};

HWND HandleOf(const TControl& control) {
  auto* peer = dynamic_cast<TWin32Peer*>(control.Peer());
  return peer ? peer->Handle() : nullptr;
}

void Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

class Win32Backend : public ::testing::Test {
 protected:
  void SetUp() override {
    SetDialogService(&FDialogs);
    Form = new TProbeForm(&FormFreed);
    Form->SetBounds(40, 40, 640, 420);
    Form->SetCaption("Probe");
    Panel = new TPanel(Form);
    Panel->SetParent(Form);
    Panel->SetAlign(TAlign::Left);
    Panel->SetWidth(200);
    Edit = new TEdit(Form);
    Edit->SetName("Edit1");
    Edit->SetParent(Panel);
    Splitter = new TSplitter(Form);
    Splitter->SetParent(Form);
    Splitter->SetBounds(200, 0, 4, 100);
    Grid = new TStringGrid(Form);
    Grid->SetName("Grid");
    Grid->SetParent(Form);
    Grid->SetAlign(TAlign::Client);
    Grid->SetColCount(4);
    Grid->SetFixedCols(0);
    Grid->SetRowCount(100);
    Grid->SetScrollBars(TScrollStyle::Vertical);
    Grid->SetDefaultDrawing(false);
    Grid->SetOptions({TGridOption::FixedVertLine, TGridOption::FixedHorzLine,
                      TGridOption::ColSizing, TGridOption::RowSelect});
    for (int row = 0; row < 100; ++row) Grid->SetCells(0, row, "r" + std::to_string(row));
    Grid->OnDrawCell = [this](TObject*, int col, int row, TRect, TGridDrawState) {
      Drawn.push_back(row);
    };
    Grid->OnMouseDown = [this](TObject*, TMouseButton, TShiftState, int, int) { ++MouseDowns; };
    Grid->OnClick = [this](TObject*) { ++Clicks; };
    Form->Show();
    Pump();
  }
  void TearDown() override {
    if (!FormFreed) delete Form;
    SetDialogService(&FBackend);
  }

  TWin32 FBackend;
  TRecordingDialogs FDialogs;
  bool FormFreed = false;
  TProbeForm* Form;
  TPanel* Panel;
  TEdit* Edit;
  TSplitter* Splitter;
  TStringGrid* Grid;
  std::vector<int> Drawn;
  int MouseDowns = 0, Clicks = 0;
};

std::string TextOf(HWND window) {
  char text[256] = "";
  GetWindowTextA(window, text, sizeof text);
  return text;
}

TEST_F(Win32Backend, WindowsFollowTheModels) {
  HWND form = HandleOf(*Form);
  ASSERT_NE(form, nullptr);
  char cls[64] = "";
  GetClassNameA(form, cls, sizeof cls);
  EXPECT_STREQ(cls, "TGlintBackendProbe");
  EXPECT_EQ(TextOf(form), "Probe");
  EXPECT_EQ(GetParent(HandleOf(*Edit)), HandleOf(*Panel));
  Edit->SetText("C:\\x.exe");
  EXPECT_EQ(TextOf(HandleOf(*Edit)), "C:\\x.exe");
  Edit->Perform(kEmSetReadOnly, 1, 0);
  EXPECT_TRUE(GetWindowLongA(HandleOf(*Edit), GWL_STYLE) & ES_READONLY);
  // The grid fills what the panel and splitter leave of the client area.
  RECT client;
  GetClientRect(form, &client);
  EXPECT_EQ(Grid->Left(), 204);
  EXPECT_EQ(Grid->Width(), client.right - 204);
}

TEST_F(Win32Backend, CopyDataReachesTheFormAndAFailureShowsInTheErrorBox) {
  std::string text = "hello";
  COPYDATASTRUCT data{0, static_cast<DWORD>(text.size() + 1), text.data()};
  EXPECT_EQ(SendMessageA(HandleOf(*Form), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data)), 1);
  EXPECT_EQ(Form->Received, "hello");
  text = "fail";
  data = {0, static_cast<DWORD>(text.size() + 1), text.data()};
  EXPECT_EQ(SendMessageA(HandleOf(*Form), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data)), 0);
  EXPECT_EQ(FDialogs.Errors, std::vector<std::string>{"bad report"});
}

// The grid's input runs in the window procedure itself, not in a form's dispatch.
TEST_F(Win32Backend, AnyFailureInTheWindowProcedureShowsInTheErrorBox) {
  const TRect cell = Grid->CellRect(1, 3);
  for (const TFailureKind& kind : kFailureKinds) {
    SCOPED_TRACE(kind.Name);
    FDialogs.Errors.clear();
    Grid->OnMouseDown = [&kind](TObject*, TMouseButton, TShiftState, int, int) { kind.Raise(); };
    EXPECT_EQ(SendMessageA(HandleOf(*Grid), WM_LBUTTONDOWN, MK_LBUTTON,
                           MAKELPARAM(cell.Left + 5, cell.Top + 5)),
              0);
    SendMessageA(HandleOf(*Grid), WM_LBUTTONUP, 0, MAKELPARAM(cell.Left + 5, cell.Top + 5));
    EXPECT_EQ(FDialogs.Errors,
              std::vector<std::string>{kind.Text ? kind.Text : kUnexpectedFailureText});
  }
}

// A control class the backend has no window for.
class TGauge : public TControl {
 public:
  using TControl::TControl;
};

TEST_F(Win32Backend, AControlWithoutAPeerFailsWhereItIsMade) {
  auto* gauge = new TGauge(Form);
  try {
    gauge->SetParent(Panel);
    ADD_FAILURE() << "no failure";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "no Win32 peer for TGauge");
  }
  EXPECT_EQ(gauge->Peer(), nullptr);
}

TEST_F(Win32Backend, GridPaintsEveryVisibleCellThroughOnDrawCell) {
  Drawn.clear();
  HWND grid = HandleOf(*Grid);
  InvalidateRect(grid, nullptr, FALSE);
  UpdateWindow(grid);
  const int visible = Grid->VisibleRowCount();
  ASSERT_GT(visible, 3);
  EXPECT_GE(static_cast<int>(Drawn.size()), 4 * (visible + 1));
  EXPECT_EQ(std::count(Drawn.begin(), Drawn.end(), 0), 4);
}

TEST_F(Win32Backend, KeysWheelAndScrollBarMoveTheGrid) {
  HWND grid = HandleOf(*Grid);
  SendMessageA(grid, WM_KEYDOWN, VK_END, 0);
  EXPECT_EQ(Grid->Row(), 99);
  EXPECT_EQ(Grid->TopRow(), 100 - Grid->VisibleRowCount());
  SendMessageA(grid, WM_KEYDOWN, VK_HOME, 0);
  EXPECT_EQ(Grid->Row(), 1);
  EXPECT_EQ(Grid->TopRow(), 1);
  SendMessageA(grid, WM_KEYDOWN, VK_NEXT, 0);
  EXPECT_EQ(Grid->Row(), 1 + Grid->VisibleRowCount());
  SendMessageA(grid, WM_KEYDOWN, VK_UP, 0);
  EXPECT_EQ(Grid->Row(), Grid->VisibleRowCount());
  SendMessageA(grid, WM_KEYDOWN, VK_HOME, 0);
  SendMessageA(grid, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
  EXPECT_EQ(Grid->TopRow(), 4);
  SendMessageA(grid, WM_VSCROLL, SB_PAGEDOWN, 0);
  EXPECT_EQ(Grid->TopRow(), 4 + Grid->VisibleRowCount());
  EXPECT_EQ(Clicks, 0);
}

TEST_F(Win32Backend, MouseSelectsRowsAndSizesColumnsAtTheTitleSeparators) {
  HWND grid = HandleOf(*Grid);
  const TRect cell = Grid->CellRect(1, 3);
  SendMessageA(grid, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(cell.Left + 5, cell.Top + 5));
  SendMessageA(grid, WM_LBUTTONUP, 0, MAKELPARAM(cell.Left + 5, cell.Top + 5));
  EXPECT_EQ(Grid->Row(), 3);
  EXPECT_EQ(Clicks, 1);
  EXPECT_EQ(MouseDowns, 1);

  const TRect title = Grid->CellRect(1, 0);
  SendMessageA(grid, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(title.Left + 5, title.Top + 5));
  EXPECT_EQ(Clicks, 1);
  EXPECT_EQ(MouseDowns, 2);

  const int right = title.Right;
  SendMessageA(grid, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(right, 5));
  SendMessageA(grid, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(right + 30, 5));
  SendMessageA(grid, WM_LBUTTONUP, 0, MAKELPARAM(right + 30, 5));
  EXPECT_EQ(Grid->ColWidths(1), title.Width() + 30);
  EXPECT_EQ(MouseDowns, 2);
}

TEST_F(Win32Backend, GridQueryMessagesAnswerWithTheModelsCells) {
  HWND grid = HandleOf(*Grid);
  const UINT info = RegisterWindowMessageA(kGridInfoMessage);
  const UINT cellText = RegisterWindowMessageA(kGridCellTextMessage);
  EXPECT_EQ(SendMessageA(grid, info, static_cast<WPARAM>(TGridInfo::RowCount), 0), 100);
  EXPECT_EQ(SendMessageA(grid, cellText, 0, 42), 4);
  EXPECT_EQ(TextOf(grid), "r42");
  EXPECT_EQ(SendMessageA(grid, cellText, 4, 0), 0);
  EXPECT_EQ(SendMessageA(grid, cellText, 0, 100), 0);
  // The geometry another process needs to click a cell.
  Grid->SetColWidths(1, 77);
  EXPECT_EQ(SendMessageA(grid, info, static_cast<WPARAM>(TGridInfo::ColWidth), 1), 77);
  EXPECT_EQ(SendMessageA(grid, info, static_cast<WPARAM>(TGridInfo::ColWidth), 4), -1);
  EXPECT_EQ(SendMessageA(grid, info, static_cast<WPARAM>(TGridInfo::RowHeight), 0),
            Grid->DefaultRowHeight());
  EXPECT_EQ(SendMessageA(grid, info, static_cast<WPARAM>(TGridInfo::GridLineWidth), 0),
            Grid->GridLineWidth());
}

// The button shows its face in the caption and clicks on a press and
// release over it, also with the form rolled up to its caption; the saved
// height then comes back.
TEST_F(Win32Backend, CaptionButtonDrawsAndClicksInTheCaption) {
  auto* button = new TCaptionButton(Form);
  button->SetGlyph(116);
  int clicks = 0;
  button->OnClick = [&](TObject* sender) { clicks += sender == button; };
  HWND form = HandleOf(*Form);
  const UINT centreOf = RegisterWindowMessageA(kCaptionButtonMessage);
  EXPECT_EQ(SendMessageA(form, centreOf, 1, 0), 0);
  auto press = [&](unsigned releaseHit, LPARAM releaseAt) {
    const LPARAM at = SendMessageA(form, centreOf, 0, 0);
    EXPECT_EQ(SendMessageA(form, WM_NCHITTEST, 0, at), kCaptionButtonHit);
    SendMessageA(form, WM_NCLBUTTONDOWN, kCaptionButtonHit, at);
    SendMessageA(form, WM_NCLBUTTONUP, releaseHit, releaseAt ? releaseAt : at);
    return at;
  };
  const LPARAM at = press(kCaptionButtonHit, 0);
  EXPECT_EQ(clicks, 1);
  press(HTCAPTION, MAKELONG(GET_X_LPARAM(at) - 60, GET_Y_LPARAM(at)));
  EXPECT_EQ(clicks, 1);

  RedrawWindow(form, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
  RECT window;
  GetWindowRect(form, &window);
  HDC dc = GetWindowDC(form);
  int face = 0;
  for (int dx = -6; dx <= 6; ++dx)
    face += GetPixel(dc, GET_X_LPARAM(at) - window.left + dx, GET_Y_LPARAM(at) - window.top) ==
            GetSysColor(COLOR_BTNFACE);
  ReleaseDC(form, dc);
  EXPECT_GT(face, 0);

  const int saved = Form->Height();
  Form->SetHeight(0);
  GetWindowRect(form, &window);
  EXPECT_GT(Form->Height(), 0);  // Windows keeps the caption
  EXPECT_EQ(Form->Height(), window.bottom - window.top);
  EXPECT_EQ(Grid->Height(), 0);
  press(kCaptionButtonHit, 0);
  EXPECT_EQ(clicks, 2);
  Form->SetHeight(saved);
  GetWindowRect(form, &window);
  EXPECT_EQ(window.bottom - window.top, saved);
  EXPECT_GT(Grid->Height(), 0);
}

TEST_F(Win32Backend, ClosingAFreeingFormDeletesItAfterItsMessage) {
  HWND form = HandleOf(*Form);
  SendMessageA(form, WM_CLOSE, 0, 0);
  EXPECT_TRUE(FormFreed);
  EXPECT_FALSE(IsWindow(form));
}

}  // namespace
}  // namespace glint
