// A title click on the monitor's grid of a report of 1,000,000 rows (a bare
// grid showing the report model, sorted as the window's click sorts it),
// for each column, against std::sort of the same keys
// converted beforehand in the column's direction: text to upper case,
// numbers to the floats the numeric sort compares (as the grid sort's own
// benchmark does), and, for a stricter comparison, to plain integers. The
// click's time includes reading and converting the keys and reordering the
// rows, whose details travel with them.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "bench/RatioReporter.h"
#include "monitor/ReportGrid.h"
#include "rtl/Conversions.h"
#include "rtl/SysUtils.h"
#include "tests/support/ReportGenerator.h"
#include "tools/glint/GlintShow.h"

namespace glint {
namespace {

constexpr int kRows = 1000000;
const char* const kTitles[] = {"UnitName", "Line", "Bytes", "Contents"};

struct TFixture {
  TFixture() {
    TReportShape shape;
    shape.Rows = kRows;
    shape.DetailEvery = 5;
    Report = std::make_shared<const TReport>(GenerateReport(shape));
    View.Show(Report);
  }
  // Report order again, without timing a parse.
  void Restore() { View.Show(Report); }
  std::shared_ptr<const TReport> Report;
  TReportView View;
};

TFixture& Fixture() {
  static TFixture fixture;
  return fixture;
}

void BM_TitleClick(benchmark::State& state) {
  TFixture& f = Fixture();
  const int col = static_cast<int>(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    f.Restore();
    state.ResumeTiming();
    f.View.ClickTitle(col);
  }
  state.SetLabel(kTitles[col]);
}

template <class Key, class Less>
void SortKeys(benchmark::State& state, std::vector<Key> keys, Less less) {
  std::vector<Key> work;
  for (auto _ : state) {
    state.PauseTiming();
    work = keys;
    state.ResumeTiming();
    std::sort(work.begin(), work.end(), less);
    benchmark::DoNotOptimize(work.data());
  }
}

template <class Key, class Convert>
void SortNumbers(benchmark::State& state, int col, Convert convert) {
  std::vector<Key> keys;
  const TStringGrid& grid = Fixture().View.Grid();
  for (int row = 1; row <= kRows; ++row) keys.push_back(convert(grid.Cells(col, row)));
  if (kColumnSorts[col].Direction == SortDirType::Descending)
    SortKeys(state, std::move(keys), std::greater<Key>());
  else
    SortKeys(state, std::move(keys), std::less<Key>());
}

void BM_StdSortInt(benchmark::State& state) {
  Fixture().Restore();
  const int col = static_cast<int>(state.range(0));
  SortNumbers<int>(state, col, [](std::string_view t) { return StrToInt(t); });
  state.SetLabel(kTitles[col]);
}

void BM_StdSort(benchmark::State& state) {
  Fixture().Restore();
  const int col = static_cast<int>(state.range(0));
  if (kColumnSorts[col].Type == ToSortType::Numeric) {
    const TFormatSettings settings = DefaultFormatSettings();
    SortNumbers<long double>(state, col,
                             [&](std::string_view t) { return StrToFloat(t, settings); });
  } else {
    const TStringGrid& grid = Fixture().View.Grid();
    std::vector<std::string> keys;
    for (int row = 1; row <= kRows; ++row) keys.push_back(UpperCase(grid.Cells(col, row)));
    SortKeys(state, std::move(keys), std::less<std::string>());
  }
  state.SetLabel(kTitles[col]);
}

BENCHMARK(BM_StdSort)->DenseRange(0, 3)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StdSortInt)->DenseRange(1, 2)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TitleClick)->DenseRange(0, 3)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace glint

int main(int argc, char** argv) {
  return glint::RunBenchmarks(argc, argv, [](const glint::TRatioReporter& reporter) {
    for (int col = 0; col < 4; ++col) {
      const std::string suffix = "/" + std::to_string(col) + "/iterations:3";
      const double ref = reporter.Time("BM_StdSort" + suffix);
      const double click = reporter.Time("BM_TitleClick" + suffix);
      const double ints = reporter.Time("BM_StdSortInt" + suffix);
      if (ref > 0 && click > 0)
        std::printf(
            "Title click on %-8s of %d rows: %.0f ms, %.2f times std::sort (aim: at most 2)",
            glint::kTitles[col], glint::kRows, click, click / ref);
      if (ints > 0) std::printf("; %.2f times std::sort of plain integers", click / ints);
      std::printf("\n");
    }
  });
}
