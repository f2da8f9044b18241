// Blowfish throughput and key setup: TBlowfish against OpenSSL's libcrypto (BF_* API) and
// libgcrypt on the same keys and data, every mode, 8 KiB and 1 MiB buffers. After the
// runs it prints each reference's time divided by ours: above 1 means we are faster.
// GLINT_BF_KERNELS=none (scalar only) or =avx512 (gathers) measures the kernels that
// processors without AVX-512, or without its byte permutes, would run.
#define OPENSSL_SUPPRESS_DEPRECATED
#include <benchmark/benchmark.h>
#include <gcrypt.h>
#include <openssl/blowfish.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "bench/RatioReporter.h"
#include "blowfish/Blowfish.h"
#include "blowfish/BlowfishCore.h"

namespace {

using glint::TBlowfish;

constexpr unsigned char kKey[16] = {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF,
                                    0xF0, 0xE1, 0xD2, 0xC3, 0xB4, 0xA5, 0x96, 0x87};
constexpr unsigned char kIV[8] = {0xFE, 0xDC, 0xBA, 0x98, 0x76, 0x54, 0x32, 0x10};

enum class TOp { EcbEnc, EcbDec, CbcEnc, CbcDec, CfbEnc, CfbDec, Ofb };
constexpr const char* kOpNames[] = {"EcbEnc", "EcbDec", "CbcEnc", "CbcDec",
                                    "CfbEnc", "CfbDec", "Ofb"};
constexpr TOp kOps[] = {TOp::EcbEnc, TOp::EcbDec, TOp::CbcEnc, TOp::CbcDec,
                        TOp::CfbEnc, TOp::CfbDec, TOp::Ofb};
constexpr std::size_t kSizes[] = {8 << 10, 1 << 20};

std::vector<unsigned char> Data(std::size_t size) {
  std::vector<unsigned char> data(size);
  std::mt19937 random(1);
  for (auto& b : data) b = static_cast<unsigned char>(random());
  return data;
}

glint::TCipherMode ModeOf(TOp op) {
  switch (op) {
    case TOp::CbcEnc:
    case TOp::CbcDec:
      return glint::CBC;
    case TOp::CfbEnc:
    case TOp::CfbDec:
      return glint::CFB;
    case TOp::Ofb:
      return glint::OFB;
    default:
      return glint::ECB;
  }
}

bool Encrypts(TOp op) { return op != TOp::EcbDec && op != TOp::CbcDec && op != TOp::CfbDec; }

void GlintRun(benchmark::State& state, TOp op, std::size_t size) {
  TBlowfish bf;
  if (bf.InitialiseByte(kKey, 16) != glint::kBfOk) state.SkipWithError("key");
  bf.SetCipherMode(ModeOf(op));
  bf.LoadIVByte(kIV, 8);
  auto data = Data(size);
  for (auto _ : state) {
    const int result = Encrypts(op) ? bf.EncryptBuffer(data.data(), data.data(), size)
                                    : bf.DecryptBuffer(data.data(), data.data(), size);
    benchmark::DoNotOptimize(result);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}

void OpensslRun(benchmark::State& state, TOp op, std::size_t size) {
  BF_KEY key;
  BF_set_key(&key, 16, kKey);
  unsigned char iv[8];
  std::memcpy(iv, kIV, 8);
  int num = 0;
  auto data = Data(size);
  unsigned char* p = data.data();
  const long length = static_cast<long>(size);
  for (auto _ : state) {
    switch (op) {
      case TOp::EcbEnc:
      case TOp::EcbDec:
        for (std::size_t i = 0; i < size; i += 8) {
          BF_ecb_encrypt(p + i, p + i, &key, op == TOp::EcbEnc ? BF_ENCRYPT : BF_DECRYPT);
        }
        break;
      case TOp::CbcEnc:
      case TOp::CbcDec:
        BF_cbc_encrypt(p, p, length, &key, iv, op == TOp::CbcEnc ? BF_ENCRYPT : BF_DECRYPT);
        break;
      case TOp::CfbEnc:
      case TOp::CfbDec:
        BF_cfb64_encrypt(p, p, length, &key, iv, &num, op == TOp::CfbEnc ? BF_ENCRYPT : BF_DECRYPT);
        break;
      case TOp::Ofb:
        BF_ofb64_encrypt(p, p, length, &key, iv, &num);
        break;
    }
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}

int GcryptMode(TOp op) {
  switch (ModeOf(op)) {
    case glint::CBC:
      return GCRY_CIPHER_MODE_CBC;
    case glint::CFB:
      return GCRY_CIPHER_MODE_CFB;
    case glint::OFB:
      return GCRY_CIPHER_MODE_OFB;
    default:
      return GCRY_CIPHER_MODE_ECB;
  }
}

void GcryptRun(benchmark::State& state, TOp op, std::size_t size) {
  gcry_cipher_hd_t handle;
  if (gcry_cipher_open(&handle, GCRY_CIPHER_BLOWFISH, GcryptMode(op), 0) ||
      gcry_cipher_setkey(handle, kKey, 16) ||
      (ModeOf(op) != glint::ECB && gcry_cipher_setiv(handle, kIV, 8))) {
    state.SkipWithError("libgcrypt setup failed");
    return;
  }
  auto data = Data(size);
  for (auto _ : state) {
    const auto err = Encrypts(op) ? gcry_cipher_encrypt(handle, data.data(), size, nullptr, 0)
                                  : gcry_cipher_decrypt(handle, data.data(), size, nullptr, 0);
    benchmark::DoNotOptimize(err);
    benchmark::ClobberMemory();
  }
  gcry_cipher_close(handle);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}

void GlintKeySetup(benchmark::State& state) {
  TBlowfish bf;
  for (auto _ : state) {
    const int result = bf.InitialiseByte(kKey, 16);
    benchmark::DoNotOptimize(result);
  }
}

void OpensslKeySetup(benchmark::State& state) {
  BF_KEY key;
  for (auto _ : state) {
    BF_set_key(&key, 16, kKey);
    benchmark::DoNotOptimize(key);
  }
}

void GcryptKeySetup(benchmark::State& state) {
  gcry_cipher_hd_t handle;
  gcry_cipher_open(&handle, GCRY_CIPHER_BLOWFISH, GCRY_CIPHER_MODE_ECB, 0);
  for (auto _ : state) {
    const auto err = gcry_cipher_setkey(handle, kKey, 16);
    benchmark::DoNotOptimize(err);
  }
  gcry_cipher_close(handle);
}

// Prints reference time / ours for every case that ran.
void PrintRatios(const glint::TRatioReporter& reporter) {
  std::printf("\nSpeed of TBlowfish relative to the references (reference time / ours):\n");
  std::printf("%-16s %10s %10s\n", "case", "OpenSSL", "libgcrypt");
  std::vector<std::string> cases = {"KeySetup"};
  for (std::size_t size : kSizes) {
    for (const char* op : kOpNames) cases.push_back(std::string(op) + "/" + std::to_string(size));
  }
  for (const std::string& c : cases) {
    const double ours = reporter.Time("Glint/" + c);
    if (ours <= 0) continue;
    std::printf("%-16s", c.c_str());
    for (const char* ref : {"OpenSSL/", "Gcrypt/"}) {
      const double theirs = reporter.Time(ref + c);
      if (theirs <= 0) {
        std::printf(" %10s", "-");
      } else {
        std::printf(" %9.2fx", theirs / ours);
      }
    }
    std::printf("\n");
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (!gcry_check_version(GCRYPT_VERSION)) return 1;
  gcry_control(GCRYCTL_DISABLE_SECMEM, 0);
  gcry_control(GCRYCTL_INITIALIZATION_FINISHED, 0);

  if (const char* kernels = std::getenv("GLINT_BF_KERNELS")) {
    if (!glint::bfcore::LimitWideKernels(kernels)) {
      std::fprintf(stderr, "GLINT_BF_KERNELS: none, avx512 or all\n");
      return 2;
    }
  }
  std::printf("kernel: %s\n", glint::bfcore::WideKernelName());
  const double minTime = 0.1;
  benchmark::RegisterBenchmark("Glint/KeySetup", GlintKeySetup)->MinTime(minTime);
  benchmark::RegisterBenchmark("OpenSSL/KeySetup", OpensslKeySetup)->MinTime(minTime);
  benchmark::RegisterBenchmark("Gcrypt/KeySetup", GcryptKeySetup)->MinTime(minTime);
  using TRunner = void (*)(benchmark::State&, TOp, std::size_t);
  const std::pair<const char*, TRunner> impls[] = {
      {"Glint", GlintRun}, {"OpenSSL", OpensslRun}, {"Gcrypt", GcryptRun}};
  for (std::size_t size : kSizes) {
    for (TOp op : kOps) {
      for (const auto& [name, run] : impls) {
        const std::string label =
            std::string(name) + "/" + kOpNames[static_cast<int>(op)] + "/" + std::to_string(size);
        benchmark::RegisterBenchmark(label.c_str(), [run = run, op, size](benchmark::State& s) {
          run(s, op, size);
        })->MinTime(minTime);
      }
    }
  }
  benchmark::Initialize(&argc, argv);
  glint::TRatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  PrintRatios(reporter);
  benchmark::Shutdown();
  return 0;
}
