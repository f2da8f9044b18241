// The registry file of Setup and the settings code, loaded and saved again as
// GLINT_REGISTRY_FILE is: a generated export of 200,000 keys, and one key 500 levels deep,
// each against reading the same file's lines.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench/RatioReporter.h"
#include "win32api/MemRegistry.h"

namespace glint {
namespace {

using namespace win32;

constexpr int kKeys = 200000;
constexpr int kDepth = 500;

// As the registry editor exports a user hive: UTF-16 with a byte order mark, CRLF. Half the
// keys are siblings under one key (file types under Classes), half spread over vendors and
// products; each has a string, and every other one a number or bytes.
std::string LargeExport() {
  std::string text = "Windows Registry Editor Version 5.00\n\n";
  for (int i = 0; i < kKeys; ++i) {
    const std::string n = std::to_string(i);
    text += i % 2 ? "[HKEY_CURRENT_USER\\Software\\Classes\\.ext" + n + "]\n"
                  : "[HKEY_CURRENT_USER\\Software\\Vendor" + std::to_string(i / 2000) +
                        "\\Product" + std::to_string(i / 40) + "\\Key" + n + "]\n";
    text += "@=\"File type " + n + "\"\n";
    if (i % 4 == 0) text += "\"Count\"=dword:0000002a\n";
    if (i % 4 == 2) text += "\"Data\"=hex:01,02,03,04,05,06,07,08\n";
    text += "\n";
  }
  return text;
}

std::string DeepExport() {
  std::string text = "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER";
  for (int i = 0; i < kDepth; ++i) text += "\\k" + std::to_string(i);
  return text + "]\n\"Level\"=dword:000001f4\n\n";
}

std::string EditorBytes(const std::string& ascii) {
  std::string bytes = "\xFF\xFE";
  for (char c : ascii) {
    if (c == '\n') bytes += std::string("\r\0", 2);
    bytes += c;
    bytes += '\0';
  }
  return bytes;
}

struct TFiles {
  TFiles() {
    const auto dir = std::filesystem::temp_directory_path();
    Large = (dir / "glint-registry-bench-large.reg").string();
    Deep = (dir / "glint-registry-bench-deep.reg").string();
    std::ofstream(Large, std::ios::binary) << EditorBytes(LargeExport());
    std::ofstream(Deep, std::ios::binary) << EditorBytes(DeepExport());
    LargeSize = std::filesystem::file_size(Large);
  }
  ~TFiles() {
    std::filesystem::remove(Large);
    std::filesystem::remove(Deep);
  }
  std::string Large, Deep;
  std::uintmax_t LargeSize = 0;
};

const TFiles& Files() {
  static const TFiles files;
  return files;
}

void ReadLines(benchmark::State& state, const std::string& file) {
  for (auto _ : state) {
    std::ifstream in(file, std::ios::binary);
    std::string line;
    std::size_t lines = 0;
    while (std::getline(in, line)) ++lines;
    benchmark::DoNotOptimize(lines);
  }
}

// Loaded and saved back over itself, as a run of Setup does.
void LoadAndSave(benchmark::State& state, const std::string& file) {
  for (auto _ : state) {
    std::string error;
    TRegFileStyle style;
    if (!MemRegistryLoadFile(file, &error, &style) || !MemRegistrySaveFile(file, &error, style)) {
      state.SkipWithError(error.c_str());
      break;
    }
  }
  MemRegistryReset();
}

void BM_ReadLargeLines(benchmark::State& state) { ReadLines(state, Files().Large); }
void BM_LoadAndSaveLarge(benchmark::State& state) { LoadAndSave(state, Files().Large); }
void BM_ReadDeepLines(benchmark::State& state) { ReadLines(state, Files().Deep); }
void BM_LoadAndSaveDeep(benchmark::State& state) { LoadAndSave(state, Files().Deep); }

BENCHMARK(BM_ReadLargeLines)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadAndSaveLarge)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadDeepLines)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoadAndSaveDeep)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace glint

int main(int argc, char** argv) {
  return glint::RunBenchmarks(argc, argv, [](const glint::TRatioReporter& reporter) {
    const double read = reporter.Time("BM_ReadLargeLines");
    const double load = reporter.Time("BM_LoadAndSaveLarge");
    if (read > 0 && load > 0)
      std::printf(
          "Registry file of %d keys (%ju bytes) loaded and saved in %.0f ms, %.1f times "
          "reading its lines (aim: under 2000 ms)\n",
          glint::kKeys, glint::Files().LargeSize, load, load / read);
    const double readDeep = reporter.Time("BM_ReadDeepLines");
    const double loadDeep = reporter.Time("BM_LoadAndSaveDeep");
    if (readDeep > 0 && loadDeep > 0)
      std::printf(
          "A key %d levels deep loaded and saved in %.0f us, %.1f times reading its lines\n",
          glint::kDepth, loadDeep, loadDeep / readDeep);
  });
}
