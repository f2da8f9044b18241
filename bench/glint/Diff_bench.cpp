// `glint diff` of two generated reports of 1,000,000 rows (different seeds,
// so most sites change) against reading and parsing the two files alone
// into the report model, as the monitor's File/Open does, in one run.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench/RatioReporter.h"
#include "monitor/Report.h"
#include "tests/support/ReportGenerator.h"
#include "tools/glint/ReportStats.h"

namespace glint {
namespace {

constexpr int kRows = 1000000;

struct TFiles {
  TFiles() {
    const auto dir = std::filesystem::temp_directory_path();
    for (int i = 0; i < 2; ++i) {
      TReportShape shape;
      shape.Rows = kRows;
      shape.Seed = static_cast<std::uint32_t>(i + 1);
      Names[i] = (dir / ("glint-diff-bench-" + std::to_string(i) + ".gln")).string();
      std::ofstream(Names[i], std::ios::binary) << GenerateReport(shape);
    }
  }
  ~TFiles() {
    for (const std::string& name : Names) std::filesystem::remove(name);
  }
  std::string Names[2];
};

const TFiles& Files() {
  static const TFiles files;
  return files;
}

void BM_ParseTwoFiles(benchmark::State& state) {
  for (auto _ : state)
    for (const std::string& name : Files().Names) {
      const TReport report = TReport::LoadFromFile(name);
      benchmark::DoNotOptimize(report.RowCount());
    }
}

void BM_Diff(benchmark::State& state) {
  for (auto _ : state) {
    TDiffBuilder builder;
    for (int i = 0; i < 2; ++i) builder.Add(TReport::LoadFromFile(Files().Names[i]), i == 1);
    const TReportDiff diff = builder.Finish();
    if (diff.New.Allocations != kRows) state.SkipWithError("wrong row count");
    benchmark::DoNotOptimize(diff.Sites.data());
  }
}

BENCHMARK(BM_ParseTwoFiles)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Diff)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace glint

int main(int argc, char** argv) {
  return glint::RunBenchmarks(argc, argv, [](const glint::TRatioReporter& reporter) {
    const double parse = reporter.Time("BM_ParseTwoFiles/iterations:3");
    const double diff = reporter.Time("BM_Diff/iterations:3");
    if (parse > 0 && diff > 0)
      std::printf(
          "glint diff of two %d-row reports: %.0f ms, %.2f times parsing the two files "
          "(aim: at most 1.5)\n",
          glint::kRows, diff, diff / parse);
  });
}
