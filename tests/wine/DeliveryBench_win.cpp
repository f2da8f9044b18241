// glint_delivery_bench: times the delivery of a 10,000-row report to the real
// monitor window under Wine and sets it beside the headless parse of the
// same text in this process, the reference. Prints the times and the ratio;
// the aim is that the window adds no more than 3 times the headless parse.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "monitor/GlintExp.h"
#include "tests/wine/WineDriver_win.h"  // first: it tames <windows.h>
#include "ui/headless/Headless.h"

namespace glint::wine {
namespace {

constexpr int kRows = 10000;
constexpr int kRepeats = 5;

std::string MakeReport(int rows) {
  std::string text =
      "Report on     : C:\\Projects\\Bench\\Bench.exe\r\n"
      "------------------------------------------------------------\r\n"
      "Created at : 08.12.2026 14:31:07\r\n\r\n"
      "Peak  : 184300 pointers\r\nPeak memory: 20156200 bytes\r\n\r\n"
      "Leaked allocations (unit, line, size, contents):\r\n"
      "------------------------------------------------------------\r\n";
  const char* contents[] = {"o: TStringList", "s: Widget, blue", "m: 48 65 6C 6C 6F 00"};
  for (int i = 0; i < rows; ++i) {
    text += "Unit" + std::to_string(i % 97) + " " + std::to_string(10 + i % 5000) + " " +
            std::to_string(16 * (1 + i % 300)) + " " + contents[i % 3] + "\r\n";
    if (i % 4 == 0)
      text += " Classes " + std::to_string(i % 1800) + "\r\n Unit" + std::to_string(i % 97) + " " +
              std::to_string(i % 700) + "\r\n\r\n";
  }
  text += "\r\nUnit Map:\r\n";
  for (int u = 0; u < 97; ++u)
    text +=
        "Unit" + std::to_string(u) + " C:\\Projects\\Bench\\Unit" + std::to_string(u) + ".pas\r\n";
  return text;
}

// Median of `repeats` timed runs, in milliseconds.
double MedianMs(int repeats, const std::function<bool()>& run) {
  std::vector<double> times;
  for (int i = 0; i < repeats; ++i) {
    const auto start = std::chrono::steady_clock::now();
    if (!run()) return -1;
    times.push_back(
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
            .count());
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

int Run() {
  const std::string text = MakeReport(kRows);
  TCopyDataStruct modelData;
  modelData.cbData = static_cast<std::uint32_t>(text.size() + 1);
  modelData.lpData = text.c_str();

  double headlessMs = 0;
  {
    THeadless headless;
    auto form = std::make_unique<TGlintMonitor>(nullptr);
    headlessMs = MedianMs(kRepeats, [&] {
      return DeliverMessage(*form, kWmCopyData, 0, reinterpret_cast<std::intptr_t>(&modelData)) ==
             1;
    });
  }

  RegisterExpert(4);
  THostSession host(4, true);
  HWND monitor = nullptr;
  if (!WaitFor([&] { return !(TopLevelWindows("TGlintMonitor").empty()); }, 20000)) {
    std::fprintf(stderr, "glint_delivery_bench: the monitor window did not open\n");
    return 1;
  }
  monitor = TopLevelWindows("TGlintMonitor").front();

  COPYDATASTRUCT data{};
  data.cbData = static_cast<DWORD>(text.size() + 1);
  data.lpData = const_cast<char*>(text.c_str());
  const double windowMs = MedianMs(kRepeats, [&] {
    return SendMessageA(monitor, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data)) == 1;
  });

  char dir[MAX_PATH], file[MAX_PATH];
  GetTempPathA(MAX_PATH, dir);
  GetTempFileNameA(dir, "gln", 0, file);
  std::ofstream(file, std::ios::binary) << text;
  const double glintMs = MedianMs(3, [&] { return SendWithGlint(file) == 0; });
  DeleteFileA(file);

  if (headlessMs <= 0 || windowMs <= 0 || glintMs <= 0) {
    std::fprintf(stderr, "glint_delivery_bench: a delivery failed\n");
    return 1;
  }
  const double added = (windowMs - headlessMs) / headlessMs;
  std::printf("report: %d rows, %zu bytes; medians of %d runs\n", kRows, text.size(), kRepeats);
  std::printf("headless parse (reference)         %9.1f ms\n", headlessMs);
  std::printf("WM_COPYDATA to the monitor window  %9.1f ms  (%.2f x headless)\n", windowMs,
              windowMs / headlessMs);
  std::printf("glint send, until it returns       %9.1f ms  (process start included)\n", glintMs);
  std::printf("the window adds %.2f x the headless parse (aim: at most 3)\n", added);
  return 0;
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
