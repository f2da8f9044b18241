// Blowfish throughput without a benchmark library, so the Windows builds have it too (run
// it under Wine; bench/blowfish/compare.sh sets it beside the native figures). For each
// mode, the bulk path (EncryptBuffer / DecryptBuffer on 1 MiB in place) against the same
// build's block-by-block path (EncryptBlock / DecryptBlock over the same buffer), both
// measured in this run: prints MB/s of each and their ratio, above 1 when the bulk path is
// faster. Key setup has no such reference and gets keys per second alone.
// GLINT_BF_KERNELS=none or =avx512 limits the vector kernels as for blowfish_bench.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <vector>

#include "blowfish/Blowfish.h"
#include "blowfish/BlowfishCore.h"

namespace {

using glint::TBlowfish;
using TClock = std::chrono::steady_clock;

constexpr std::size_t kSize = 1 << 20;
constexpr std::uint8_t kKey[16] = {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF,
                                   0xF0, 0xE1, 0xD2, 0xC3, 0xB4, 0xA5, 0x96, 0x87};
constexpr std::uint8_t kIV[8] = {0xFE, 0xDC, 0xBA, 0x98, 0x76, 0x54, 0x32, 0x10};

struct TCase {
  const char* Name;
  glint::TCipherMode Mode;
  bool Encrypt;
};
constexpr TCase kCases[] = {{"EcbEnc", glint::ECB, true}, {"EcbDec", glint::ECB, false},
                            {"CbcEnc", glint::CBC, true}, {"CbcDec", glint::CBC, false},
                            {"CfbEnc", glint::CFB, true}, {"CfbDec", glint::CFB, false},
                            {"Ofb", glint::OFB, true}};

// Runs of `run` per second, from its fastest single run over some 0.3 s: on a machine
// shared with other work, a run that nothing interrupted.
double RunsPerSecond(const std::function<void()>& run) {
  double best = 1e9, total = 0;
  for (int runs = 0; runs < 5 || total < 0.3; ++runs) {
    const auto start = TClock::now();
    run();
    const std::chrono::duration<double> elapsed = TClock::now() - start;
    best = std::min(best, elapsed.count());
    total += elapsed.count();
  }
  return 1 / best;
}

void Check(int result) {
  if (result == glint::kBfOk) return;
  std::fprintf(stderr, "blowfish_timing: %s\n", glint::BlowfishResultText(result));
  std::exit(1);
}

}  // namespace

int main() {
  if (const char* kernels = std::getenv("GLINT_BF_KERNELS")) {
    if (!glint::bfcore::LimitWideKernels(kernels)) {
      std::fprintf(stderr, "GLINT_BF_KERNELS: none, avx512 or all\n");
      return 2;
    }
  }
  std::printf("kernel: %s\n", glint::bfcore::WideKernelName());
  std::printf("pointer bits: %d\n", static_cast<int>(8 * sizeof(void*)));
  std::vector<std::uint8_t> data(kSize);
  std::mt19937 random(1);
  for (auto& b : data) b = static_cast<std::uint8_t>(random());

  std::printf("%-8s %12s %12s %8s\n", "case", "bulk MB/s", "block MB/s", "ratio");
  const double megabytes = static_cast<double>(kSize) / 1e6;
  for (const TCase& c : kCases) {
    TBlowfish bf;
    Check(bf.InitialiseByte(kKey, 16));
    bf.SetCipherMode(c.Mode);
    bf.LoadIVByte(kIV, 8);
    std::uint8_t* p = data.data();
    const double bulk = RunsPerSecond(
        [&] { Check(c.Encrypt ? bf.EncryptBuffer(p, p, kSize) : bf.DecryptBuffer(p, p, kSize)); });
    const double single = RunsPerSecond([&] {
      for (std::size_t i = 0; i < kSize; i += 8) {
        Check(c.Encrypt ? bf.EncryptBlock(p + i, p + i) : bf.DecryptBlock(p + i, p + i));
      }
    });
    std::printf("%-8s %12.1f %12.1f %7.2fx\n", c.Name, bulk * megabytes, single * megabytes,
                bulk / single);
  }
  TBlowfish bf;
  const double keys = RunsPerSecond([&] {
    for (int i = 0; i < 100; ++i) Check(bf.InitialiseByte(kKey, 16));
  });
  std::printf("%-8s %12.0f keys/s\n", "KeySetup", keys * 100);
  return 0;
}
