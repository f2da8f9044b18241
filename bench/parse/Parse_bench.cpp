// A report of 100,000 rows delivered to a shown headless monitor window, as
// a monitored program sends it, against splitting the same text into lines.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "bench/RatioReporter.h"
#include "monitor/GlintExp.h"
#include "rtl/StringList.h"
#include "tests/support/ReportGenerator.h"
#include "ui/headless/Headless.h"

namespace glint {
namespace {

constexpr int kRows = 100000;

const std::string& ReportText() {
  static const std::string text = [] {
    TReportShape shape;
    shape.Rows = kRows;
    shape.DetailEvery = 5;
    return GenerateReport(shape);
  }();
  return text;
}

void BM_PlainSplit(benchmark::State& state) {
  const std::string& text = ReportText();
  for (auto _ : state) {
    auto lines = SplitLines(text);
    benchmark::DoNotOptimize(lines.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(text.size()));
}

void BM_CopyDataIntoMonitor(benchmark::State& state) {
  const std::string& text = ReportText();
  THeadless backend;
  auto* form = new TGlintMonitor(&Application());
  form->Show();
  TCopyDataStruct data;
  data.cbData = static_cast<std::uint32_t>(text.size() + 1);
  data.lpData = text.c_str();
  for (auto _ : state) {
    std::intptr_t result =
        DeliverMessage(*form, kWmCopyData, 0, reinterpret_cast<std::intptr_t>(&data));
    if (result != 1) state.SkipWithError("report rejected");
  }
  if (MonitorGrid->RowCount() != kRows + 1) state.SkipWithError("wrong row count");
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(text.size()));
  state.counters["rows/s"] = benchmark::Counter(static_cast<double>(state.iterations()) * kRows,
                                                benchmark::Counter::kIsRate);
  delete form;
}

BENCHMARK(BM_PlainSplit)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CopyDataIntoMonitor)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace glint

int main(int argc, char** argv) {
  return glint::RunBenchmarks(argc, argv, [](const glint::TRatioReporter& reporter) {
    double split = reporter.Time("BM_PlainSplit"), parse = reporter.Time("BM_CopyDataIntoMonitor");
    if (split > 0 && parse > 0)
      std::printf(
          "Report of %d rows (%zu bytes) into the monitor: %.0f rows/s, %.2f times the "
          "plain split into lines (aim: at most 4)\n",
          glint::kRows, glint::ReportText().size(), glint::kRows / (parse / 1e3), parse / split);
  });
}
