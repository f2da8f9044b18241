// A report of 100,000 rows parsed as the monitor parses a delivered one: into
// the report model alone, and into the model and the monitor's grid of it
// (a bare grid), against splitting the same text into lines.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>

#include "bench/RatioReporter.h"
#include "monitor/Report.h"
#include "rtl/StringList.h"
#include "tests/support/ReportGenerator.h"
#include "tools/glint/GlintShow.h"

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

void CountBytes(benchmark::State& state) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(ReportText().size()));
  state.counters["rows/s"] = benchmark::Counter(static_cast<double>(state.iterations()) * kRows,
                                                benchmark::Counter::kIsRate);
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

void BM_ParseReport(benchmark::State& state) {
  for (auto _ : state) {
    const TReport report(ReportText());
    if (report.RowCount() != kRows) state.SkipWithError("wrong row count");
  }
  CountBytes(state);
}

// What the window does with a delivered text, drawing aside: the previous
// report goes as the new one is shown.
void BM_ParseIntoGrid(benchmark::State& state) {
  TReportView view;
  for (auto _ : state) view.LoadText(ReportText());
  if (view.Grid().RowCount() != kRows + 1) state.SkipWithError("wrong row count");
  CountBytes(state);
}

BENCHMARK(BM_PlainSplit)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseReport)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseIntoGrid)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace glint

int main(int argc, char** argv) {
  return glint::RunBenchmarks(argc, argv, [](const glint::TRatioReporter& reporter) {
    const double split = reporter.Time("BM_PlainSplit");
    const struct {
      const char* Name;
      const char* What;
    } parses[] = {{"BM_ParseReport", "into the report model"},
                  {"BM_ParseIntoGrid", "into the model and the monitor's grid"}};
    for (const auto& parse : parses) {
      const double time = reporter.Time(parse.Name);
      if (split > 0 && time > 0)
        std::printf(
            "Report of %d rows (%zu bytes) %s: %.0f rows/s, %.2f times the plain split into "
            "lines (aim: at most 4)\n",
            glint::kRows, glint::ReportText().size(), parse.What, glint::kRows / (time / 1e3),
            time / split);
    }
  });
}
