// bench/RatioReporter.h: a console reporter that also keeps each benchmark's
// CPU time per iteration, so a benchmark's main can print its ratio to the
// reference measured in the same run. CPU time, because the machine may be
// shared while a benchmark runs.
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

namespace glint {

class TRatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
      std::string name = run.benchmark_name();
      FTimes[name.substr(0, name.find("/min_time:"))] = run.GetAdjustedCPUTime();
    }
  }
  // The time of the benchmark `name` (without its /min_time suffix); 0 when
  // it did not run.
  double Time(const std::string& name) const {
    auto it = FTimes.find(name);
    return it == FTimes.end() ? 0.0 : it->second;
  }

 private:
  std::map<std::string, double> FTimes;
};

// A benchmark program's main: runs the benchmarks the command line names
// (all by default), then `report`, which prints ratios from the reporter's
// times. Returns main's exit status.
template <class Report>
int RunBenchmarks(int argc, char** argv, Report report) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  TRatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  report(reporter);
  benchmark::Shutdown();
  return 0;
}

}  // namespace glint
