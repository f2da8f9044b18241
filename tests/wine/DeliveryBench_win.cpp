// glint_delivery_bench: times the delivery of generated reports of 10,000,
// 100,000 and 1,000,000 rows to the real monitor window under Wine and sets
// each beside the headless parse of the same text in this process, the
// reference. Prints the times, the ratio (aim: the window adds no more than
// 2 times the headless parse) and the stand-in's peak working set against
// the report's size (aim: at most 4 times the report's bytes). On the
// million-row report it also times a click on the "Bytes" title in the real
// window, repaint included, against the same click on the headless form
// (aim: at most 2 times).
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "monitor/GlintExp.h"
#include "tests/support/ReportGenerator.h"
#include "tests/wine/WineDriver_win.h"  // first: it tames <windows.h>
// After <windows.h>, which it needs.
#include <psapi.h>

#include "ui/headless/Headless.h"

namespace glint::wine {
namespace {

constexpr int kBytesColumn = 2;

// Median of `repeats` timed runs, in milliseconds; -1 when a run failed.
// `between`, when given, runs untimed before every run but the first.
double MedianMs(int repeats, const std::function<bool()>& run,
                const std::function<bool()>& between = {}) {
  std::vector<double> times;
  for (int i = 0; i < repeats; ++i) {
    if (i > 0 && between && !between()) return -1;
    const auto start = std::chrono::steady_clock::now();
    if (!run()) return -1;
    times.push_back(
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
            .count());
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

// A process's working set now and at its peak, in MiB.
struct TWorkingSet {
  double Now = -1, Peak = -1;
};

TWorkingSet WorkingSetMiB(DWORD processId) {
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
  if (!process) return {};
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  const BOOL ok = GetProcessMemoryInfo(process, &counters, sizeof counters);
  CloseHandle(process);
  if (!ok) return {};
  return {static_cast<double>(counters.WorkingSetSize) / (1 << 20),
          static_cast<double>(counters.PeakWorkingSetSize) / (1 << 20)};
}

// The Bytes cells of the first and last data rows: both clicks must sort alike.
using TEnds = std::vector<std::string>;

bool Measure(int rows, bool titleClick) {
  TReportShape shape;
  shape.Rows = rows;
  const std::string text = GenerateReport(shape);
  const int repeats = rows >= 1000000 ? 3 : 5;
  const double mib = static_cast<double>(text.size()) / (1 << 20);

  double headlessMs = 0, headlessClickMs = 0;
  TEnds headlessEnds;
  {
    THeadless headless;
    auto form = std::make_unique<TGlintMonitor>(nullptr);
    TCopyDataStruct data;
    data.cbData = static_cast<std::uint32_t>(text.size() + 1);
    data.lpData = text.c_str();
    const auto deliver = [&] {
      return DeliverMessage(*form, kWmCopyData, 0, reinterpret_cast<std::intptr_t>(&data)) == 1;
    };
    headlessMs = MedianMs(repeats, deliver);
    if (titleClick) {
      // The click as the grid's window hands it on, and the paint of what
      // the window shows; every click sorts report order.
      const TRect title = MonitorGrid->CellRect(kBytesColumn, 0);
      headlessClickMs = MedianMs(
          repeats,
          [&] {
            form->GridMouseDown(MonitorGrid, TMouseButton::Left, {TShiftKey::Left}, title.Left + 1,
                                title.Top + 1);
            return !PaintGrid(*MonitorGrid).empty();
          },
          deliver);
      headlessEnds = {std::string(MonitorGrid->Cells(kBytesColumn, 1)),
                      std::string(MonitorGrid->Cells(kBytesColumn, MonitorGrid->RowCount() - 1))};
    }
  }

  // A fresh stand-in for each size, so its peak belongs to this report.
  THostSession host(4, true);
  if (!WaitFor([&] { return !TopLevelWindows("TGlintMonitor").empty(); }, 20000)) {
    std::fprintf(stderr, "glint_delivery_bench: the monitor window did not open\n");
    return false;
  }
  HWND monitor = TopLevelWindows("TGlintMonitor").front();
  const TWorkingSet idle = WorkingSetMiB(host.ProcessId());
  COPYDATASTRUCT data{};
  data.cbData = static_cast<DWORD>(text.size() + 1);
  data.lpData = const_cast<char*>(text.c_str());
  const auto deliver = [&] {
    return SendMessageA(monitor, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data)) == 1;
  };
  // What the first report into an empty window keeps while it is shown,
  // and the peak of its delivery; then the peak while the same report
  // replaces itself (the old one is kept until the new one is whole). The
  // peaks hold Wine's own copies of the message data (two or three here).
  const bool first = deliver();
  // The window replies before the stand-in has let go of the message, and
  // Wine hands the copies of its data back a moment later: what the report
  // keeps is the working set once it has settled.
  DWORD_PTR ignored = 0;
  SendMessageTimeoutA(monitor, WM_NULL, 0, 0, SMTO_NORMAL, 30000, &ignored);
  TWorkingSet shown = WorkingSetMiB(host.ProcessId());
  for (int i = 0; i < 40; ++i) {
    Sleep(250);
    const TWorkingSet now = WorkingSetMiB(host.ProcessId());
    const bool settled = std::abs(now.Now - shown.Now) < 0.5;
    shown = now;
    if (settled && i > 0) break;
  }
  const double windowMs = MedianMs(repeats, deliver);
  const double peakMiB = WorkingSetMiB(host.ProcessId()).Peak - idle.Peak;
  if (headlessMs <= 0 || windowMs <= 0 || !first) {
    std::fprintf(stderr, "glint_delivery_bench: a delivery of %d rows failed\n", rows);
    return false;
  }
  std::printf(
      "%9d rows %6.1f MiB: headless %7.1f ms, window %7.1f ms, adds %4.2f x (aim <= 2); "
      "stand-in above idle (%4.1f MiB): report shown %6.1f MiB = %5.2f x the report (aim <= 3; "
      "peak of its delivery %5.2f x), replacing it peaks at %6.1f MiB = %5.2f x (aim <= 7)\n",
      rows, mib, headlessMs, windowMs, (windowMs - headlessMs) / headlessMs, idle.Now,
      shown.Now - idle.Now, (shown.Now - idle.Now) / mib, (shown.Peak - idle.Peak) / mib, peakMiB,
      peakMiB / mib);
  std::fflush(stdout);
  if (!titleClick) return true;

  // The button-down message returns once the grid has sorted and
  // invalidated itself; the stand-in's loop mostly paints before it takes
  // the button-up, but nothing makes it. RedrawWindow(RDW_UPDATENOW) sends
  // a WM_PAINT still pending and returns after it; the WM_NULL after it
  // waits for a paint the stand-in had begun itself (no update region left
  // for RedrawWindow). A query message alone would not do: sent messages
  // are handled before a pending paint.
  HWND grid = GridWindow(monitor);
  const POINT title = CellPoint(monitor, kBytesColumn, 0);
  const double windowClickMs = MedianMs(
      repeats,
      [&] {
        ClickGrid(monitor, title);
        RedrawWindow(grid, nullptr, nullptr, RDW_UPDATENOW);
        DWORD_PTR ignored = 0;
        return SendMessageTimeoutA(grid, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &ignored) != 0 &&
               !GetUpdateRect(grid, nullptr, FALSE);
      },
      deliver);
  const TEnds windowEnds = {ReadGridRow(monitor, 1)[kBytesColumn],
                            ReadGridRow(monitor, rows)[kBytesColumn]};
  if (headlessClickMs <= 0 || windowClickMs <= 0 || windowEnds != headlessEnds) {
    std::fprintf(stderr, "glint_delivery_bench: the title click on %d rows failed\n", rows);
    return false;
  }
  std::printf(
      "%9d rows: click on the Bytes title: headless %7.1f ms (sort, paint), window %7.1f ms "
      "(click, repaint) = %4.2f x (aim <= 2)\n",
      rows, headlessClickMs, windowClickMs, windowClickMs / headlessClickMs);
  std::fflush(stdout);
  return true;
}

int Run() {
  RegisterExpert(4);
  std::printf(
      "WM_COPYDATA to the monitor window against the headless parse (the reference),"
      " medians\n");
  bool ok = true;
  for (int rows : {10000, 100000, 1000000}) ok = Measure(rows, rows == 1000000) && ok;
  return ok ? 0 : 1;
}

}  // namespace
}  // namespace glint::wine

int main() {
  try {
    return glint::wine::Run();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "glint_delivery_bench: %s\n", e.what());
    return 1;
  }
}
