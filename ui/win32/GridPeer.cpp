// The grid window: every cell is painted by the model (TStringGrid::Paint,
// which runs the form's cell-drawing handler) on a GDI canvas; this file adds
// what only a window has: grid lines and title edges, the scroll bar, mouse,
// keys and wheel, column sizing at the title separators, the hint as a
// tooltip, and the query messages of GridQuery.h.
#include <windows.h>
// These two need <windows.h> first.
#include <commctrl.h>
#include <windowsx.h>
// The models' TCanvas::DrawText, not the A/W macro.
#undef DrawText

#include <algorithm>
#include <exception>
#include <string>

#include "ui/Grids.h"
#include "ui/win32/GdiCanvas.h"
#include "ui/win32/GridQuery.h"
#include "ui/win32/Handles.h"
#include "ui/win32/Peers.h"

namespace glint {

namespace {

constexpr char kGridClass[] = "TGlintGrid";
// How close to a title separator the pointer must be to size a column.
constexpr int kSizingSlack = 3;
constexpr int kWheelLines = 3;
// Long hints wrap at spaces beyond this width.
constexpr int kTipWidth = 400;
// A tooltip shows at most this much of a hint: the tooltip lays out and
// draws the whole text on every show, and a screenful is all anyone reads.
constexpr std::size_t kTipMaxChars = 2048;

UINT InfoMessage() {
  static const UINT msg = RegisterWindowMessageA(kGridInfoMessage);
  return msg;
}
UINT CellTextMessage() {
  static const UINT msg = RegisterWindowMessageA(kGridCellTextMessage);
  return msg;
}

TShiftState ShiftFromKeys(WPARAM keys) {
  TShiftState shift;
  if (keys & MK_SHIFT) shift.Include(TShiftKey::Shift);
  if (keys & MK_CONTROL) shift.Include(TShiftKey::Ctrl);
  if (GetKeyState(VK_MENU) < 0) shift.Include(TShiftKey::Alt);
  if (keys & MK_LBUTTON) shift.Include(TShiftKey::Left);
  if (keys & MK_RBUTTON) shift.Include(TShiftKey::Right);
  if (keys & MK_MBUTTON) shift.Include(TShiftKey::Middle);
  return shift;
}

bool CommonControlsReady() {
  static const bool ready = [] {
    INITCOMMONCONTROLSEX init{sizeof init, ICC_BAR_CLASSES};
    return InitCommonControlsEx(&init) != FALSE;
  }();
  return ready;
}

class TGridPeer : public TWin32Peer {
 public:
  TGridPeer(TWin32& ws, TStringGrid& grid) : TWin32Peer(ws, grid), FGrid(grid) {
    ws.EnsureClass(kGridClass, CS_DBLCLKS, -1);
    DWORD style = WS_CHILD | WS_TABSTOP | WS_CLIPSIBLINGS;
    const bool vertical =
        grid.ScrollBars() == TScrollStyle::Vertical || grid.ScrollBars() == TScrollStyle::Both;
    if (vertical) style |= WS_VSCROLL;
    InfoMessage();
    CellTextMessage();
    Create(kGridClass, style, WS_EX_CLIENTEDGE, ParentHandle(grid), true);
    const int edge = GetSystemMetrics(SM_CXEDGE);
    grid.SetClientInset({edge, edge, edge + (vertical ? GetSystemMetrics(SM_CXVSCROLL) : 0), edge});
    UpdateScrollBar();
    SyncHint();
  }

  ~TGridPeer() override {
    if (FTip && IsWindow(FTip)) DestroyWindow(FTip);
  }

  void Changed(TControlChange what) override {
    if (!FHandle) return;
    switch (what) {
      case TControlChange::Hint:
        SyncHint();
        break;
      case TControlChange::Content:
      case TControlChange::Options:
      case TControlChange::Font:
      case TControlChange::Color:
        Invalidate();
        break;
      default:
        TWin32Peer::Changed(what);
    }
  }

  // A parse changes cells many thousand times; one repaint (and scroll bar
  // update) when the window next paints is enough.
  void Invalidate() override {
    if (!FHandle || FRepaintPending) return;
    FRepaintPending = true;
    InvalidateRect(FHandle, nullptr, FALSE);
  }

  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
    const LRESULT result = Dispatch(msg, wParam, lParam);
    // Relayed after the model has seen the move: a hint it has just set
    // then starts the tooltip's timer already.
    if (FTip && msg >= WM_MOUSEFIRST && msg <= WM_MBUTTONDBLCLK) {
      POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      ::ClientToScreen(FHandle, &at);
      MSG relayed{FHandle, msg, wParam, lParam, static_cast<DWORD>(GetMessageTime()), at};
      SendMessageA(FTip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
    }
    return result;
  }

 private:
  LRESULT Dispatch(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == InfoMessage()) return Info(static_cast<TGridInfo>(wParam), lParam);
    if (msg == CellTextMessage())
      return PutCellText(static_cast<int>(wParam), static_cast<int>(lParam));
    switch (msg) {
      case WM_PAINT:
        Paint();
        return 0;
      case WM_ERASEBKGND:
        return 1;
      case WM_GETDLGCODE:
        return DLGC_WANTARROWS;
      case WM_VSCROLL:
        Scroll(LOWORD(wParam));
        return 0;
      case WM_MOUSEWHEEL:
        Wheel(GET_WHEEL_DELTA_WPARAM(wParam));
        return 0;
      case WM_KEYDOWN:
        Key(static_cast<UINT>(wParam));
        return 0;
      case WM_LBUTTONDOWN:
      case WM_LBUTTONDBLCLK:
        MouseDown(TMouseButton::Left, wParam, lParam);
        return 0;
      case WM_RBUTTONDOWN:
        MouseDown(TMouseButton::Right, wParam, lParam);
        return 0;
      case WM_MBUTTONDOWN:
        MouseDown(TMouseButton::Middle, wParam, lParam);
        return 0;
      case WM_MOUSEMOVE:
        if (FSizingCol >= 0)
          SizeColumn(GET_X_LPARAM(lParam));
        else
          FGrid.DoMouseMove(ShiftFromKeys(wParam), GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 0;
      case WM_LBUTTONUP:
        if (FSizingCol >= 0) ReleaseCapture();
        return 0;
      case WM_CAPTURECHANGED:
        FSizingCol = -1;
        return 0;
      case WM_SETCURSOR:
        if (LOWORD(lParam) == HTCLIENT) {
          POINT p;
          GetCursorPos(&p);
          ScreenToClient(FHandle, &p);
          const bool sizing = FSizingCol >= 0 || SeparatorAt(p.x, p.y) >= 0;
          SetCursor(LoadCursor(nullptr, sizing ? IDC_SIZEWE : IDC_ARROW));
          return TRUE;
        }
        break;
      default:
        break;
    }
    return TWin32Peer::HandleMessage(msg, wParam, lParam);
  }

  // The hint shows as a tooltip over the whole grid window while ShowHint is
  // on; an empty hint hides it.
  void SyncHint() {
    const bool show = FGrid.ShowHint() && !FGrid.Hint().empty();
    const std::string text = FGrid.Hint().substr(0, kTipMaxChars);
    if (!FTip) {
      if (!show || !CommonControlsReady()) return;
      FTip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                             WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, FHandle, nullptr,
                             static_cast<HINSTANCE>(FWidgetSet.Instance()), nullptr);
      if (!FTip) return;
      TOOLINFOA tool = Tool(text);
      SendMessageA(FTip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
      SendMessageA(FTip, TTM_SETMAXTIPWIDTH, 0, kTipWidth);
    }
    TOOLINFOA tool = Tool(text);
    SendMessageA(FTip, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
    SendMessageA(FTip, TTM_ACTIVATE, show, 0);
  }

  TOOLINFOA Tool(const std::string& text) const {
    TOOLINFOA tool{};
    // The size comctl32 5 accepts too (no manifest asks for version 6).
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.uFlags = TTF_IDISHWND;
    tool.hwnd = FHandle;
    tool.uId = reinterpret_cast<UINT_PTR>(FHandle);
    tool.lpszText = const_cast<char*>(text.c_str());
    return tool;
  }

  LRESULT Info(TGridInfo what, LPARAM col) const {
    switch (what) {
      case TGridInfo::RowCount:
        return FGrid.RowCount();
      case TGridInfo::ColCount:
        return FGrid.ColCount();
      case TGridInfo::Row:
        return FGrid.Row();
      case TGridInfo::TopRow:
        return FGrid.TopRow();
      case TGridInfo::FixedRows:
        return FGrid.FixedRows();
      case TGridInfo::ScrollPos: {
        SCROLLINFO si{};
        si.cbSize = sizeof si;
        si.fMask = SIF_POS;
        return GetScrollInfo(FHandle, SB_VERT, &si) ? si.nPos : -1;
      }
      case TGridInfo::ColWidth:
        return col >= 0 && col < FGrid.ColCount() ? FGrid.ColWidths(static_cast<int>(col)) : -1;
      case TGridInfo::RowHeight:
        return FGrid.DefaultRowHeight();
      case TGridInfo::GridLineWidth:
        return FGrid.GridLineWidth();
    }
    return -1;
  }

  LRESULT PutCellText(int col, int row) {
    if (col < 0 || col >= FGrid.ColCount() || row < 0 || row >= FGrid.RowCount()) return 0;
    const std::string text(FGrid.Cells(col, row));
    SetWindowTextA(FHandle, text.c_str());
    return static_cast<LRESULT>(text.size()) + 1;
  }

  void Paint() {
    FRepaintPending = false;
    UpdateScrollBar();
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(FHandle, &ps);
    RECT client;
    GetClientRect(FHandle, &client);
    {
      TMemoryDC memory(dc, client.right, client.bottom);
      // Background, then the line colour under the cells: the gaps the
      // cells leave are the grid lines.
      FillRect(memory.DC, &client,
               TGdiObject<HBRUSH>(CreateSolidBrush(ToColorRef(FGrid.Color()))).Get());
      const TRect extent = CellsExtent(client);
      RECT lines{0, 0, extent.Right, extent.Bottom};
      FillRect(memory.DC, &lines, GetSysColorBrush(COLOR_BTNSHADOW));
      std::exception_ptr failure;
      {
        TGdiCanvas canvas(memory.DC);
        canvas.Font = FGrid.Font();
        try {
          FGrid.Paint(canvas);
        } catch (...) {
          failure = std::current_exception();
        }
      }
      DrawTitleEdges(memory.DC, client);
      BitBlt(dc, 0, 0, client.right, client.bottom, memory.DC, 0, 0, SRCCOPY);
      EndPaint(FHandle, &ps);
      // Passed on after EndPaint, so the error box does not repaint forever.
      if (failure) std::rethrow_exception(failure);
    }
  }

  TRect CellsExtent(const RECT& client) const {
    int right = 0;
    for (int c = 0; c < FGrid.ColCount(); ++c) right += FGrid.ColWidths(c) + FGrid.GridLineWidth();
    const int rowStep = FGrid.DefaultRowHeight() + FGrid.GridLineWidth();
    const int rows = FGrid.FixedRows() + (FGrid.RowCount() - FGrid.TopRow());
    return {0, 0, std::min<int>(right, client.right), std::min<int>(rows * rowStep, client.bottom)};
  }

  void DrawTitleEdges(HDC dc, const RECT& client) const {
    for (int row = 0; row < FGrid.FixedRows(); ++row)
      for (int col = 0; col < FGrid.ColCount(); ++col) {
        const TRect r = FGrid.CellRect(col, row);
        if (r.Left >= client.right) break;
        RECT edge{r.Left, r.Top, r.Right, r.Bottom};
        DrawEdge(dc, &edge, BDR_RAISEDINNER, BF_RECT);
      }
  }

  void UpdateScrollBar() {
    if (!(GetWindowLongA(FHandle, GWL_STYLE) & WS_VSCROLL)) return;
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_ALL | SIF_DISABLENOSCROLL;
    si.nMin = 0;
    si.nMax = std::max(0, FGrid.RowCount() - FGrid.FixedRows() - 1);
    si.nPage = static_cast<UINT>(std::max(1, FGrid.VisibleRowCount()));
    si.nPos = FGrid.TopRow() - FGrid.FixedRows();
    SetScrollInfo(FHandle, SB_VERT, &si, TRUE);
  }

  void Scroll(UINT code) {
    const int top = FGrid.TopRow();
    const int page = std::max(1, FGrid.VisibleRowCount());
    int target = top;
    switch (code) {
      case SB_LINEUP:
        target = top - 1;
        break;
      case SB_LINEDOWN:
        target = top + 1;
        break;
      case SB_PAGEUP:
        target = top - page;
        break;
      case SB_PAGEDOWN:
        target = top + page;
        break;
      case SB_TOP:
        target = FGrid.FixedRows();
        break;
      case SB_BOTTOM:
        target = FGrid.RowCount();
        break;
      case SB_THUMBTRACK:
      case SB_THUMBPOSITION: {
        SCROLLINFO si{};
        si.cbSize = sizeof si;
        si.fMask = SIF_TRACKPOS;
        GetScrollInfo(FHandle, SB_VERT, &si);
        target = FGrid.FixedRows() + si.nTrackPos;
        break;
      }
      default:
        return;
    }
    FGrid.SetTopRow(target);
    UpdateScrollBar();
  }

  void Wheel(int delta) {
    FWheel += delta;
    const int notches = FWheel / WHEEL_DELTA;
    if (notches == 0) return;
    FWheel -= notches * WHEEL_DELTA;
    FGrid.SetTopRow(FGrid.TopRow() - notches * kWheelLines);
    UpdateScrollBar();
  }

  void Key(UINT key) {
    const int first = FGrid.FixedRows(), last = FGrid.RowCount() - 1;
    if (last < first) return;
    const int row = FGrid.Row();
    const int page = std::max(1, FGrid.VisibleRowCount());
    int target = row;
    switch (key) {
      case VK_UP:
        target = row - 1;
        break;
      case VK_DOWN:
        target = row + 1;
        break;
      case VK_PRIOR:
        target = row - page;
        break;
      case VK_NEXT:
        target = row + page;
        break;
      case VK_HOME:
        target = first;
        break;
      case VK_END:
        target = last;
        break;
      default:
        return;
    }
    target = std::clamp(target, first, last);
    if (target != row) FGrid.SetRow(target);
    UpdateScrollBar();
  }

  // The column whose right edge is under the pointer in the title rows.
  int SeparatorAt(int x, int y) const {
    if (!FGrid.Options().Contains(TGridOption::ColSizing)) return -1;
    const int titleHeight = FGrid.FixedRows() * (FGrid.DefaultRowHeight() + FGrid.GridLineWidth());
    if (y < 0 || y >= titleHeight) return -1;
    int right = 0;
    for (int c = 0; c < FGrid.ColCount(); ++c) {
      right += FGrid.ColWidths(c);
      if (x >= right - kSizingSlack && x <= right + kSizingSlack) return c;
      right += FGrid.GridLineWidth();
    }
    return -1;
  }

  void MouseDown(TMouseButton button, WPARAM keys, LPARAM lParam) {
    SetFocus(FHandle);
    const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
    if (button == TMouseButton::Left) {
      const int col = SeparatorAt(x, y);
      if (col >= 0) {
        FSizingCol = col;
        FSizingLeft = FGrid.CellRect(col, 0).Left;
        SetCapture(FHandle);
        return;
      }
    }
    TShiftState shift = ShiftFromKeys(keys);
    shift.Include(button == TMouseButton::Left    ? TShiftKey::Left
                  : button == TMouseButton::Right ? TShiftKey::Right
                                                  : TShiftKey::Middle);
    int col = -1, row = -1;
    FGrid.MouseToCell(x, y, col, row);
    if (button == TMouseButton::Left && col >= 0 && row >= FGrid.FixedRows() &&
        row < FGrid.RowCount()) {
      if (row != FGrid.Row()) FGrid.SetRow(row);
      FGrid.DoClick();
    }
    FGrid.DoMouseDown(button, shift, x, y);
  }

  void SizeColumn(int x) {
    const int width = std::max(kMinColWidth, x - FSizingLeft);
    if (FSizingCol < FGrid.ColCount() && width != FGrid.ColWidths(FSizingCol))
      FGrid.UserSetColWidth(FSizingCol, width);
  }

  TStringGrid& FGrid;
  bool FRepaintPending = false;
  int FSizingCol = -1, FSizingLeft = 0;
  int FWheel = 0;
  HWND FTip = nullptr;
};

}  // namespace

std::unique_ptr<TWin32Peer> NewGridPeer(TWin32& ws, TStringGrid& grid) {
  return std::make_unique<TGridPeer>(ws, grid);
}

}  // namespace glint
