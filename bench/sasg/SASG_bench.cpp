// Sorts 100,000 grid rows by a numeric, a character and a date key, and the
// same keys, converted beforehand, with std::sort; prints how many times
// std::sort's time each kind takes. The grid sort's time includes reading
// and converting the keys and moving the rows: once in a grid of four
// columns, as the monitor's, and once in a grid of the key column alone,
// which shows the sort's own cost apart from moving cells.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "bench/RatioReporter.h"
#include "controls/SASG.h"
#include "rtl/Conversions.h"
#include "rtl/SysUtils.h"
#include "ui/Grids.h"

namespace glint {
namespace {

constexpr int kRows = 100000;
constexpr int kNumericCol = 1, kTextCol = 2, kDateCol = 3;

// Column 0 the row number, then the three keys: numbers with some repeats,
// mixed-case words, dates over 30 years. Each key also has a grid of its own.
struct TFixture {
  TFixture()
      : Grid(nullptr), Narrow{TStringGrid(nullptr), TStringGrid(nullptr), TStringGrid(nullptr)} {
    std::mt19937 rng(42);
    Grid.SetColCount(4);
    Grid.SetRowCount(kRows);
    for (int r = 0; r < kRows; ++r) {
      std::string word;
      for (int n = 5 + static_cast<int>(rng() % 8); n > 0; --n)
        word += static_cast<char>((rng() % 2 ? 'a' : 'A') + rng() % 26);
      const int year = 1995 + static_cast<int>(rng() % 30);
      const std::string date = std::to_string(1 + rng() % 12) + "/" +
                               std::to_string(1 + rng() % 28) + "/" + std::to_string(year);
      Grid.SetCells(0, r, std::to_string(r));
      Grid.SetCells(kNumericCol, r, std::to_string(static_cast<int>(rng() % 2000000) - 1000000));
      Grid.SetCells(kTextCol, r, word);
      Grid.SetCells(kDateCol, r, date);
    }
    for (int r = 0; r < kRows; ++r) Rows.push_back(Grid.Rows(r));
    for (TStringGrid& narrow : Narrow) {
      narrow.SetColCount(1);
      narrow.SetRowCount(kRows);
    }
  }
  // Puts the unsorted rows back; `keyCol` > 0 fills that key's narrow grid.
  TStringGrid& Restore(int keyCol, bool narrow) {
    if (narrow) {
      TStringGrid& grid = Narrow[keyCol - 1];
      for (int r = 0; r < kRows; ++r)
        grid.SetCells(0, r,
                      Rows[static_cast<std::size_t>(r)][static_cast<std::size_t>(keyCol)].Text);
      return grid;
    }
    for (int r = 0; r < kRows; ++r) Grid.SetRows(r, Rows[static_cast<std::size_t>(r)]);
    return Grid;
  }
  TStringGrid Grid;
  TStringGrid Narrow[3];
  std::vector<TGridLine> Rows;
  TFormatSettings Settings;
};

TFixture& Fixture() {
  static TFixture fixture;
  return fixture;
}

void GridSort(benchmark::State& state, ToSortType type, int keyCol, bool narrow) {
  TFixture& f = Fixture();
  TSortAStringGrid sorter(nullptr);
  sorter.SetFormatSettings(f.Settings);
  sorter.SetEndIndex(kRows - 1);
  sorter.SetSortIndex(narrow ? 0 : keyCol);
  for (auto _ : state) {
    state.PauseTiming();
    sorter.SetGridToSort(&f.Restore(keyCol, narrow));
    sorter.SetSortType(type);
    state.ResumeTiming();
    sorter.Sort();
  }
  if (sorter.SortResult() != 0 || sorter.GetSortType() != type) state.SkipWithError("not sorted");
}

template <class Value, class Convert>
void StdSort(benchmark::State& state, int keyCol, Convert convert) {
  TFixture& f = Fixture();
  std::vector<Value> keys;
  for (int r = 0; r < kRows; ++r) keys.push_back(convert(f.Grid.Cells(keyCol, r)));
  std::vector<Value> work;
  for (auto _ : state) {
    state.PauseTiming();
    work = keys;
    state.ResumeTiming();
    std::sort(work.begin(), work.end());
    benchmark::DoNotOptimize(work.data());
  }
}

void BM_GridNumeric(benchmark::State& s) { GridSort(s, ToSortType::Numeric, kNumericCol, false); }
void BM_GridCharacter(benchmark::State& s) { GridSort(s, ToSortType::Character, kTextCol, false); }
void BM_GridDate(benchmark::State& s) { GridSort(s, ToSortType::Date, kDateCol, false); }
void BM_KeyGridNumeric(benchmark::State& s) { GridSort(s, ToSortType::Numeric, kNumericCol, true); }
void BM_KeyGridCharacter(benchmark::State& s) {
  GridSort(s, ToSortType::Character, kTextCol, true);
}
void BM_KeyGridDate(benchmark::State& s) { GridSort(s, ToSortType::Date, kDateCol, true); }
void BM_StdNumeric(benchmark::State& s) {
  StdSort<long double>(s, kNumericCol,
                       [](std::string_view t) { return StrToFloat(t, Fixture().Settings); });
}
void BM_StdCharacter(benchmark::State& s) {
  StdSort<std::string>(s, kTextCol, [](std::string_view t) { return UpperCase(t); });
}
void BM_StdDate(benchmark::State& s) {
  StdSort<double>(s, kDateCol,
                  [](std::string_view t) { return StrToDate(t, Fixture().Settings); });
}

BENCHMARK(BM_StdNumeric)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GridNumeric)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_KeyGridNumeric)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StdCharacter)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GridCharacter)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_KeyGridCharacter)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StdDate)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GridDate)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_KeyGridDate)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace glint

int main(int argc, char** argv) {
  return glint::RunBenchmarks(argc, argv, [](const glint::TRatioReporter& reporter) {
    const auto time = [&](const std::string& name) { return reporter.Time(name); };
    for (const char* kind : {"Numeric", "Character", "Date"}) {
      const double ref = time(std::string("BM_Std") + kind);
      const double wide = time(std::string("BM_Grid") + kind);
      const double keys = time(std::string("BM_KeyGrid") + kind);
      if (ref <= 0) continue;
      std::printf(
          "%-9s sort of 100000 rows: %.2f times std::sort with 4 columns, %.2f with the key "
          "column only (aim: at most 2)\n",
          kind, wide / ref, keys / ref);
    }
  });
}
