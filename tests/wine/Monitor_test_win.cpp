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
      for (int col = 0; col < view.ColCount; ++col) cells.push_back(MonitorGrid->Cells(col, row));
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

HWND WaitForMonitor() {
  HWND monitor = nullptr;
  WaitFor(
      [&] {
        auto windows = TopLevelWindows("TGlintMonitor");
        if (windows.empty()) return false;
        monitor = windows.front();
        return IsWindowVisible(monitor) != FALSE;
      },
      20000);
  return monitor;
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
  if (samples.empty()) GTEST_SKIP() << "no sample reports (GLINT_SHARED_DIR)";
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
  if (inventory.empty() || shortReport.empty()) GTEST_SKIP() << "sample reports missing";
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

TEST(WineSend, WithoutAMonitorWindowTheSenderSaysSoAndExits2) {
  const std::string inventory = SamplePath("inventory.gln");
  if (inventory.empty()) GTEST_SKIP() << "sample reports missing";
  ASSERT_TRUE(TopLevelWindows("TGlintMonitor").empty());
  EXPECT_EQ(SendWithGlint(inventory), 2);
}

}  // namespace
}  // namespace glint::wine
