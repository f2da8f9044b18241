// The real modules under Wine: the IDE stand-in loads the add-in, the menu
// item opens one monitor window, and `glint send` from another process
// delivers reports that read back, through window messages, exactly as the
// headless form shows them.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>

#include "monitor/GlintExp.h"
#include "tests/support/ReportGenerator.h"
#include "tests/wine/WineDriver_win.h"  // first: it tames <windows.h>
#include "ui/headless/Headless.h"

namespace glint::wine {
namespace {

std::string ReadFile(const std::string& hostPath) {
  std::ifstream in(WinPath(hostPath), std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The headless twin of the monitor window: the same form logic, fed the same
// texts in the same order.
class THeadlessMonitor {
 public:
  THeadlessMonitor() : FForm(std::make_unique<TGlintMonitor>(nullptr)) {}
  ~THeadlessMonitor() { FForm.reset(); }

  // True when the form took the report (the window then answers 1).
  bool Deliver(const std::string& text) {
    TCopyDataStruct data;
    data.cbData = static_cast<std::uint32_t>(text.size() + 1);
    data.lpData = text.c_str();
    return DeliverMessage(*FForm, kWmCopyData, 0, reinterpret_cast<std::intptr_t>(&data)) == 1;
  }

  TMonitorView View() const {
    TMonitorView view;
    TEdit* edits[] = {FForm->Edit1, FForm->Edit2, FForm->Edit3, FForm->Edit4};
    for (int i = 0; i < 4; ++i) view.Edits[i] = edits[i]->Text();
    view.RowCount = MonitorGrid->RowCount();
    view.ColCount = MonitorGrid->ColCount();
    for (int row = 0; row < view.RowCount; ++row) {
      std::vector<std::string> cells;
      for (int col = 0; col < view.ColCount; ++col)
        cells.emplace_back(MonitorGrid->Cells(col, row));
      view.Cells.push_back(std::move(cells));
    }
    return view;
  }

  const std::vector<std::string>& ErrorBoxes() const { return FHeadless.ErrorBoxes; }

 private:
  THeadless FHeadless;
  std::unique_ptr<TGlintMonitor> FForm;
};

void ExpectSameView(const TMonitorView& real, const TMonitorView& headless) {
  for (int i = 0; i < 4; ++i) EXPECT_EQ(real.Edits[i], headless.Edits[i]) << "Edit" << i + 1;
  ASSERT_EQ(real.RowCount, headless.RowCount);
  ASSERT_EQ(real.ColCount, headless.ColCount);
  EXPECT_EQ(real.Cells, headless.Cells);
}

// An error box the monitor's process shows.
HWND FindErrorBox(HWND monitor) {
  DWORD monitorProcess = 0;
  GetWindowThreadProcessId(monitor, &monitorProcess);
  for (HWND box : TopLevelWindows("#32770")) {
    DWORD process = 0;
    GetWindowThreadProcessId(box, &process);
    if (process == monitorProcess && IsWindowVisible(box)) return box;
  }
  return nullptr;
}

struct TSendResult {
  int Status = -1;
  std::string ErrorBoxText;  // "" when no box came up
};

// Sends a report with glint; an error box the monitor shows meanwhile is read
// and closed, as a user would.
TSendResult SendClosingErrorBox(HWND monitor, const std::string& hostPath) {
  TProcess send("\"" + WinPath(Env("GLINT_EXE")) + "\" send \"" + WinPath(hostPath) + "\"");
  TSendResult result;
  WaitFor(
      [&] {
        if (!send.Running()) return true;
        if (HWND box = FindErrorBox(monitor)) {
          char text[512] = "";
          GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
          result.ErrorBoxText = text;
          PostMessageA(box, WM_COMMAND, IDOK, 0);
          WaitFor([&] { return !IsWindow(box); }, 5000);
        }
        return false;
      },
      60000);
  result.Status = send.Wait(1000);
  return result;
}

class WineMonitor : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int ide : {2, 3, 4}) RegisterExpert(ide);
  }
};

TEST_F(WineMonitor, EachIdeVersionLoadsItsAddInAfterProjectSource) {
  for (int ide : {2, 3, 4}) {
    SCOPED_TRACE(ide);
    TProcess list(
        "\"" + WinPath(Env("GLINT_HOST_EXE")) + "\" --ide " + std::to_string(ide) + " --list-menu",
        true);
    ASSERT_EQ(list.Wait(60000), 0);
    std::istringstream lines(list.Output());
    std::vector<std::string> items;
    for (std::string line; std::getline(lines, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      items.push_back(line);
    }
    auto source = std::find(items.begin(), items.end(), "ViewPrjSourceItem=Project &Source");
    ASSERT_NE(source, items.end()) << list.Output();
    ASSERT_NE(source + 1, items.end());
    EXPECT_EQ(*(source + 1), "ViewGlintMonitorItem=Glint Monitor");
    // The window's real menu bar, built from those items, in the same order.
    auto shown = std::find(items.begin(), items.end(), "menu: Project &Source");
    ASSERT_NE(shown, items.end()) << list.Output();
    ASSERT_NE(shown + 1, items.end());
    EXPECT_EQ(*(shown + 1), "menu: Glint Monitor");
  }
}

TEST_F(WineMonitor, PickingTheItemTwiceOpensOneOwnedMonitorWindow) {
  THostSession host(4);
  EXPECT_TRUE(TopLevelWindows("TGlintMonitor").empty());
  ASSERT_TRUE(host.PickItem("ViewGlintMonitorItem"));
  HWND monitor = WaitForMonitor();
  ASSERT_NE(monitor, nullptr);
  EXPECT_EQ(WindowText(monitor), "Glint Monitor");
  EXPECT_EQ(GetWindow(monitor, GW_OWNER), host.MainWindow());

  ASSERT_TRUE(host.PickItem("ViewGlintMonitorItem"));
  const auto monitors = TopLevelWindows("TGlintMonitor");
  ASSERT_EQ(monitors.size(), 1u);
  EXPECT_EQ(monitors[0], monitor);
}

TEST_F(WineMonitor, SentSamplesReadBackAsTheHeadlessFormShowsThem) {
  const auto samples = SampleNames();
  THostSession host(4, true);
  HWND monitor = WaitForMonitor();
  ASSERT_NE(monitor, nullptr);
  THeadlessMonitor headless;
  // Every sample twice, in two orders, so each delivery replaces a different
  // report.
  std::vector<std::string> order(samples);
  order.insert(order.end(), samples.rbegin(), samples.rend());
  for (const std::string& name : order) {
    SCOPED_TRACE(name);
    const std::string path = SamplePath(name);
    const bool accepted = headless.Deliver(ReadFile(path));
    const TSendResult sent = SendClosingErrorBox(monitor, path);
    EXPECT_EQ(sent.Status, accepted ? 0 : 1);
    if (accepted) {
      EXPECT_EQ(sent.ErrorBoxText, "");
    } else {
      ASSERT_FALSE(headless.ErrorBoxes().empty());
      EXPECT_EQ(sent.ErrorBoxText, headless.ErrorBoxes().back());
    }
    ExpectSameView(ReadMonitor(monitor), headless.View());
  }
}

TEST_F(WineMonitor, ShortReportKeepsThePreviousGridAndFailsTheSender) {
  const std::string inventory = SamplePath("inventory.gln");
  const std::string shortReport = SamplePath("too-short.gln");
  THostSession host(4, true);
  HWND monitor = WaitForMonitor();
  ASSERT_NE(monitor, nullptr);
  ASSERT_EQ(SendWithGlint(inventory), 0);
  const TMonitorView before = ReadMonitor(monitor);
  ASSERT_GT(before.RowCount, 2);

  const TSendResult sent = SendClosingErrorBox(monitor, shortReport);
  EXPECT_EQ(sent.Status, 1);
  EXPECT_NE(sent.ErrorBoxText.find("List index out of bounds"), std::string::npos)
      << sent.ErrorBoxText;
  const TMonitorView after = ReadMonitor(monitor);
  EXPECT_EQ(after.RowCount, before.RowCount);
  EXPECT_EQ(after.Cells, before.Cells);
}

// A generated report written where `glint send` can read it; removed after.
class TReportFile {
 public:
  explicit TReportFile(const std::string& text) {
    char dir[MAX_PATH], file[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    GetTempFileNameA(dir, "gln", 0, file);
    FPath = file;
    std::ofstream(FPath, std::ios::binary) << text;
  }
  ~TReportFile() { DeleteFileA(FPath.c_str()); }
  // glint send takes host paths and Wine paths alike.
  const std::string& Path() const { return FPath; }

 private:
  std::string FPath;
};

std::vector<std::string> RowOf(const TGeneratedRow& row) {
  return {row.Unit, row.Line, row.Bytes, row.Contents};
}

TEST_F(WineMonitor, LargeReportIsShownScrolledToItsEndAndTheWindowGoesOn) {
  THostSession host(4, true);
  HWND monitor = WaitForMonitor();
  ASSERT_NE(monitor, nullptr);
  TReportShape shape;
  shape.Rows = 200000;
  TReportFile big(GenerateReport(shape));

  const TSendResult sent = SendClosingErrorBox(monitor, big.Path());
  ASSERT_EQ(sent.Status, 0) << sent.ErrorBoxText;
  ASSERT_EQ(GridInfo(monitor, TGridInfo::RowCount), shape.Rows + 1);
  EXPECT_EQ(ReadGridRow(monitor, 0),
            (std::vector<std::string>{"Unit Name", "Line", "Bytes", "Contents"}));
  EXPECT_EQ(ReadGridRow(monitor, 1), RowOf(GeneratedRow(shape, 1)));
  EXPECT_EQ(ReadGridRow(monitor, shape.Rows), RowOf(GeneratedRow(shape, shape.Rows)));
  EXPECT_EQ(WindowText(FindControl(monitor, "Edit1")), "C:\\Projects\\Generated\\Generated.exe");

  // Past 65,535 rows the scroll position no longer fits the message's 16
  // bits: the end must still be reached, by the scroll bar and the keys.
  HWND grid = FindControl(monitor, "MonitorGrid");
  SendMessageA(grid, WM_VSCROLL, SB_BOTTOM, 0);
  const int top = GridInfo(monitor, TGridInfo::TopRow);
  EXPECT_GT(top, shape.Rows - 100);
  EXPECT_EQ(GridInfo(monitor, TGridInfo::ScrollPos), top - 1);
  // A thumb message carries the position in 16 bits; the grid must take the
  // scroll bar's own 32-bit one, which stays where it is outside a drag.
  SendMessageA(grid, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, (top - 1) & 0xFFFF), 0);
  EXPECT_EQ(GridInfo(monitor, TGridInfo::TopRow), top);
  SendMessageA(grid, WM_VSCROLL, SB_TOP, 0);
  EXPECT_EQ(GridInfo(monitor, TGridInfo::TopRow), 1);
  SendMessageA(grid, WM_KEYDOWN, VK_END, 0);
  EXPECT_EQ(GridInfo(monitor, TGridInfo::Row), shape.Rows);
  EXPECT_EQ(GridInfo(monitor, TGridInfo::TopRow), top);

  // The window goes on: a small report replaces the large one.
  const std::string inventory = SamplePath("inventory.gln");
  THeadlessMonitor headless;
  ASSERT_TRUE(headless.Deliver(ReadFile(inventory)));
  ASSERT_EQ(SendWithGlint(inventory), 0);
  ExpectSameView(ReadMonitor(monitor), headless.View());
  EXPECT_TRUE(host.Running());
}

TEST_F(WineMonitor, FailingHandlerShowsTheErrorKeepsTheReportAndTheHostRuns) {
  // The add-in's test build in the stand-in's process runs out of memory, on
  // purpose, at the sixth row of any report.
  RegisterExpert(4, "GLINT_FAULT_EXPERT_DLL");
  SetEnvironmentVariableA("GLINT_FAULT_AFTER_ROWS", "5");
  THostSession host(4, true);
  SetEnvironmentVariableA("GLINT_FAULT_AFTER_ROWS", nullptr);
  HWND monitor = WaitForMonitor();
  ASSERT_NE(monitor, nullptr);
  ASSERT_EQ(SendWithGlint(SamplePath("leaky-lf.gln")), 0);
  const TMonitorView before = ReadMonitor(monitor);
  ASSERT_EQ(before.RowCount, 4);

  TReportShape shape;
  shape.Rows = 50;
  TReportFile failing(GenerateReport(shape));
  const TSendResult sent = SendClosingErrorBox(monitor, failing.Path());
  EXPECT_EQ(sent.Status, 1);
  EXPECT_EQ(sent.ErrorBoxText, kOutOfMemoryText);
  const TMonitorView after = ReadMonitor(monitor);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(after.Edits[i], before.Edits[i]);
  EXPECT_EQ(after.Cells, before.Cells);

  EXPECT_TRUE(host.Running());
  ASSERT_EQ(SendWithGlint(SamplePath("empty-unixeol.gln")), 0);
  EXPECT_EQ(GridInfo(monitor, TGridInfo::RowCount), 2);
}

TEST(WineSend, WithoutAMonitorWindowTheSenderSaysSoAndExits2) {
  const std::string inventory = SamplePath("inventory.gln");
  ASSERT_TRUE(TopLevelWindows("TGlintMonitor").empty());
  EXPECT_EQ(SendWithGlint(inventory), 2);
}

}  // namespace
}  // namespace glint::wine
