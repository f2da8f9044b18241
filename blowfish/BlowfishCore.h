// blowfish/BlowfishCore.h: the Blowfish round network on native 32-bit words, shared by the
// key schedule, the single-block path and the multi-block kernels. Internal to the unit.
//
// The multi-block forms run N independent blocks side by side: each round's table loads
// for one block overlap the others', which the serial chain of a single block cannot do.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <utility>

// The kernels only reach their speed with every lane and round inlined into one body, so
// the lane arrays live in registers.
#if defined(__GNUC__)
#define GLINT_BF_FLATTEN __attribute__((flatten))
#else
#define GLINT_BF_FLATTEN
#endif

namespace glint::bfcore {

// Zeroes memory in a way the optimiser may not drop as a dead store: the empty asm tells the
// compiler the cleared bytes may still be read.
inline void Wipe(void* p, std::size_t n) {
  if (n == 0) return;
#if defined(__GNUC__)
  std::memset(p, 0, n);
  __asm__ __volatile__("" : : "r"(p) : "memory");
#else
  volatile unsigned char* v = static_cast<volatile unsigned char*>(p);
  while (n--) *v++ = 0;
#endif
}

using TSBoxes = const std::uint32_t (*)[256];

inline std::uint32_t F(TSBoxes s, std::uint32_t x) {
  return ((s[0][x >> 24] + s[1][(x >> 16) & 0xFF]) ^ s[2][(x >> 8) & 0xFF]) + s[3][x & 0xFF];
}

// Block halves are big-endian in memory; the hosts we build for are little-endian.
inline std::uint32_t LoadBE(const std::uint8_t* b) {
  std::uint32_t v;
  std::memcpy(&v, b, 4);
#if defined(__GNUC__)
  return __builtin_bswap32(v);
#else
  return (v >> 24) | ((v >> 8) & 0xFF00u) | ((v << 8) & 0xFF0000u) | (v << 24);
#endif
}

inline void StoreBE(std::uint8_t* b, std::uint32_t v) {
#if defined(__GNUC__)
  v = __builtin_bswap32(v);
#else
  v = (v >> 24) | ((v >> 8) & 0xFF00u) | ((v << 8) & 0xFF0000u) | (v << 24);
#endif
  std::memcpy(b, &v, 4);
}

// The P entry is XORed in before F so it stays off the round's critical path.
inline void Encipher(TSBoxes s, const std::uint32_t* p, std::uint32_t& left, std::uint32_t& right) {
  std::uint32_t l = left ^ p[0];
  std::uint32_t r = right;
  for (int n = 1; n < 17; n += 2) {
    r ^= p[n];
    r ^= F(s, l);
    l ^= p[n + 1];
    l ^= F(s, r);
  }
  left = r ^ p[17];
  right = l;
}

inline void Decipher(TSBoxes s, const std::uint32_t* p, std::uint32_t& left, std::uint32_t& right) {
  std::uint32_t l = left ^ p[17];
  std::uint32_t r = right;
  for (int n = 16; n > 0; n -= 2) {
    r ^= p[n];
    r ^= F(s, l);
    l ^= p[n - 1];
    l ^= F(s, r);
  }
  left = r ^ p[0];
  right = l;
}

// Calls fn(0) .. fn(N-1), unrolled whatever the optimiser decides about loops.
template <std::size_t N, class Fn>
inline void Lanes(Fn&& fn) {
  [&]<std::size_t... K>(std::index_sequence<K...>) { (fn(K), ...); }
  (std::make_index_sequence<N>{});
}

template <std::size_t N>
inline void EncipherN(TSBoxes s, const std::uint32_t* p, std::uint32_t (&l)[N],
                      std::uint32_t (&r)[N]) {
  Lanes<N>([&](std::size_t k) { l[k] ^= p[0]; });
  for (int n = 1; n < 17; n += 2) {
    const std::uint32_t pOdd = p[n];
    const std::uint32_t pEven = p[n + 1];
    Lanes<N>([&](std::size_t k) { r[k] ^= pOdd ^ F(s, l[k]); });
    Lanes<N>([&](std::size_t k) { l[k] ^= pEven ^ F(s, r[k]); });
  }
  Lanes<N>([&](std::size_t k) {
    const std::uint32_t t = r[k] ^ p[17];
    r[k] = l[k];
    l[k] = t;
  });
}

template <std::size_t N>
inline void DecipherN(TSBoxes s, const std::uint32_t* p, std::uint32_t (&l)[N],
                      std::uint32_t (&r)[N]) {
  Lanes<N>([&](std::size_t k) { l[k] ^= p[17]; });
  for (int n = 16; n > 0; n -= 2) {
    const std::uint32_t pEven = p[n];
    const std::uint32_t pOdd = p[n - 1];
    Lanes<N>([&](std::size_t k) { r[k] ^= pEven ^ F(s, l[k]); });
    Lanes<N>([&](std::size_t k) { l[k] ^= pOdd ^ F(s, r[k]); });
  }
  Lanes<N>([&](std::size_t k) {
    const std::uint32_t t = r[k] ^ p[0];
    r[k] = l[k];
    l[k] = t;
  });
}

// What the vector kernel does with each block: ECB either way, or the decryption of the
// modes whose cipher input is known up front (CBC deciphers, CFB enciphers the previous
// cipher block).
enum class TWideMode : std::uint8_t { kEcbEncrypt, kEcbDecrypt, kCbcDecrypt, kCfbDecrypt };

// Runs the leading blocks of `blocks` from `in` to `out` (the same buffer or apart) through
// the vector kernel and returns how many it did: 0 where the processor or the build has no
// such kernel, and it may leave a short tail to the caller. `chain` holds the cipher block
// before the first (block bytes; CBC and CFB) and receives the last one done.
// BlowfishWide.cpp.
std::size_t CipherWide(TSBoxes s, const std::uint32_t* p, const std::uint8_t* in, std::uint8_t* out,
                       std::size_t blocks, TWideMode mode, std::uint8_t* chain);

// The best vector kernel CipherWide may take, so tests and benchmarks reach the ones a
// processor with more features would not use: none (the scalar code), up to the AVX-512
// gathers, or all, the byte slices too (the default).
enum class TWideKernels : std::uint8_t { kNone, kAvx512, kAll };
void LimitWideKernels(TWideKernels kernels);
// The same by the names "none", "avx512" and "all"; false for any other.
bool LimitWideKernels(std::string_view name);
// What a long run of blocks takes now, under the limit and on this processor: "scalar",
// "avx512" (the gathers) or "avx512-vbmi" (the byte slices).
const char* WideKernelName();

}  // namespace glint::bfcore
