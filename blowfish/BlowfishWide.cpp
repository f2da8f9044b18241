// blowfish/BlowfishWide.cpp: the wide kernels for independent blocks, in vector registers.
// Scalar code is bound by the byte extraction of the round function (about ten ALU
// operations per round and block); in vector registers that work is shared by many blocks,
// leaving the table lookups as the limit. Two ways to look up:
//  - byte slices (needs AVX-512 VBMI): 64 blocks, each S-box byte a 256-byte table read
//    with byte permutes; bound by the permutes (about two cycles each), from some 15% to
//    several times ahead of the gathers, by processor;
//  - gathers: sixteen blocks to a vector; a gather of sixteen words takes some twenty
//    cycles to deliver and the rounds of a vector are a serial chain, so several vectors run
//    interleaved, reaching about the load ports' limit.
// The CBC and CFB chaining is done in the vector registers too. Chosen at run time, the
// same in 32-bit code (which has eight vector registers instead of 32, so fewer vectors
// run interleaved); other processors and builds use the scalar kernels, which give the same
// results. AVX2 gathers (eight blocks to a vector) measured no faster than the scalar
// kernels, and SSE2 has neither gathers nor byte permutes, so neither has a kernel.
#include "blowfish/BlowfishCore.h"

#if (defined(__x86_64__) || defined(__i386__)) && defined(__GNUC__)
// GCC 12's AVX-512 headers start gathers from an undefined vector and then warn about it.
#pragma GCC diagnostic ignored "-Wuninitialized"
#ifndef __clang__
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <immintrin.h>
#define GLINT_BF_WIDE 1
#endif

namespace glint::bfcore {

namespace {
TWideKernels gWideKernels = TWideKernels::kAll;
}  // namespace

void LimitWideKernels(TWideKernels kernels) { gWideKernels = kernels; }

bool LimitWideKernels(std::string_view name) {
  constexpr std::pair<std::string_view, TWideKernels> kNames[] = {{"none", TWideKernels::kNone},
                                                                  {"avx512", TWideKernels::kAvx512},
                                                                  {"all", TWideKernels::kAll}};
  for (const auto& [known, kernels] : kNames) {
    if (name == known) {
      gWideKernels = kernels;
      return true;
    }
  }
  return false;
}

#if defined(GLINT_BF_WIDE)

namespace {

#define GLINT_BF_AVX512 __attribute__((target("avx512f,avx512bw")))

// GCC's detection also checks that the OS saves the vector state (XGETBV). The explicit
// init makes a first call from another unit's static initialiser safe.
bool HasWide() {
  static const bool has = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw");
  }();
  return has;
}

bool HasSliced() {
  static const bool has = HasWide() && __builtin_cpu_supports("avx512vbmi");
  return has;
}

// Vectors in flight per gather pass: enough to cover a gather's latency (on x86-64 two and
// four measure alike). 32-bit code has eight vector registers, which two vectors' halves
// and the round's temporaries about fill.
constexpr int kGroups = sizeof(void*) >= 8 ? 4 : 2;
// A tail shorter than this goes to the scalar code, which finishes a few blocks sooner.
constexpr std::size_t kMinTail = 4;

GLINT_BF_AVX512 inline __m512i F16(const std::uint32_t* s, __m512i x) {
  const __m512i byteMask = _mm512_set1_epi32(0xFF);
  const __m512i a = _mm512_srli_epi32(x, 24);
  const __m512i b = _mm512_and_si512(_mm512_srli_epi32(x, 16), byteMask);
  const __m512i c = _mm512_and_si512(_mm512_srli_epi32(x, 8), byteMask);
  const __m512i d = _mm512_and_si512(x, byteMask);
  __m512i f =
      _mm512_add_epi32(_mm512_i32gather_epi32(a, s, 4), _mm512_i32gather_epi32(b, s + 256, 4));
  f = _mm512_xor_si512(f, _mm512_i32gather_epi32(c, s + 512, 4));
  return _mm512_add_epi32(f, _mm512_i32gather_epi32(d, s + 768, 4));
}

// P entry n of the direction's order, in every lane.
GLINT_BF_AVX512 inline __m512i Key(const std::uint32_t* p, bool decrypt, int n) {
  return _mm512_set1_epi32(static_cast<int>(p[decrypt ? 17 - n : n]));
}

constexpr bool Deciphers(TWideMode mode) {
  return mode == TWideMode::kEcbDecrypt || mode == TWideMode::kCbcDecrypt;
}

// Two vectors of eight raw blocks to the sixteen left and right halves, and back (the
// halves leave swapped, as in the scalar core, with the last P entry XORed in).
GLINT_BF_AVX512 inline __m512i SwapHalves() {
  // Each half of a block is big-endian in memory.
  return _mm512_broadcast_i32x4(
      _mm_setr_epi8(3, 2, 1, 0, 7, 6, 5, 4, 11, 10, 9, 8, 15, 14, 13, 12));
}

GLINT_BF_AVX512 inline void Split(__m512i x0, __m512i x1, __m512i& l, __m512i& r) {
  const __m512i lefts =
      _mm512_setr_epi32(0, 2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 22, 24, 26, 28, 30);
  const __m512i rights =
      _mm512_setr_epi32(1, 3, 5, 7, 9, 11, 13, 15, 17, 19, 21, 23, 25, 27, 29, 31);
  const __m512i a = _mm512_shuffle_epi8(x0, SwapHalves());
  const __m512i b = _mm512_shuffle_epi8(x1, SwapHalves());
  l = _mm512_permutex2var_epi32(a, lefts, b);
  r = _mm512_permutex2var_epi32(a, rights, b);
}

GLINT_BF_AVX512 inline void Join(__m512i l, __m512i r, __m512i lastKey, __m512i& y0, __m512i& y1) {
  const __m512i low = _mm512_setr_epi32(0, 16, 1, 17, 2, 18, 3, 19, 4, 20, 5, 21, 6, 22, 7, 23);
  const __m512i high =
      _mm512_setr_epi32(8, 24, 9, 25, 10, 26, 11, 27, 12, 28, 13, 29, 14, 30, 15, 31);
  const __m512i right = _mm512_xor_si512(r, lastKey);
  y0 = _mm512_shuffle_epi8(_mm512_permutex2var_epi32(right, low, l), SwapHalves());
  y1 = _mm512_shuffle_epi8(_mm512_permutex2var_epi32(right, high, l), SwapHalves());
}

// Loads n vectors of raw blocks, and for CBC and CFB each block's predecessor: the vector
// moved up one block, the carry's top lane first. `carry` leaves with the last block.
template <int N, TWideMode M, bool kMasked = false>
GLINT_BF_AVX512 inline void LoadBlocks(const std::uint8_t* in, __m512i (&z)[N], __m512i (&prev)[N],
                                       __m512i& carry, __mmask8 m0 = 0xFF, __mmask8 m1 = 0xFF) {
  for (int j = 0; j < N; ++j) {
    if constexpr (kMasked) {
      z[j] = _mm512_maskz_loadu_epi64(j == 0 ? m0 : m1, in + 64 * j);
    } else {
      z[j] = _mm512_loadu_si512(in + 64 * j);
    }
  }
  if constexpr (M == TWideMode::kCbcDecrypt || M == TWideMode::kCfbDecrypt) {
    prev[0] = _mm512_alignr_epi64(z[0], carry, 7);
    for (int j = 1; j < N; ++j) prev[j] = _mm512_alignr_epi64(z[j], z[j - 1], 7);
    carry = z[N - 1];
  }
}

// The cipher's input for a block, and its output from the cipher's.
template <TWideMode M>
GLINT_BF_AVX512 inline __m512i CipherInput(__m512i z, __m512i prev) {
  return M == TWideMode::kCfbDecrypt ? prev : z;
}

template <TWideMode M>
GLINT_BF_AVX512 inline __m512i Output(__m512i y, __m512i z, __m512i prev) {
  if constexpr (M == TWideMode::kCbcDecrypt) return _mm512_xor_si512(y, prev);
  if constexpr (M == TWideMode::kCfbDecrypt) return _mm512_xor_si512(y, z);
  return y;
}

// G vectors of sixteen blocks: 2G input vectors of raw block bytes. `carry` holds the
// cipher block before the first in its top lane (CBC, CFB) and leaves with the last.
// kMasked: one vector pair, only the blocks set in `m0`/`m1` are read and written.
template <int G, TWideMode M, bool kMasked = false>
GLINT_BF_AVX512 inline void Chunk(const std::uint32_t* s, const std::uint32_t* p,
                                  const std::uint8_t* in, std::uint8_t* out, __m512i& carry,
                                  __mmask8 m0 = 0xFF, __mmask8 m1 = 0xFF) {
  constexpr bool kDecrypt = Deciphers(M);
  __m512i z[2 * G], prev[2 * G], l[G], r[G];
  LoadBlocks<2 * G, M, kMasked>(in, z, prev, carry, m0, m1);
  for (int g = 0; g < G; ++g) {
    Split(CipherInput<M>(z[2 * g], prev[2 * g]), CipherInput<M>(z[2 * g + 1], prev[2 * g + 1]),
          l[g], r[g]);
    l[g] = _mm512_xor_si512(l[g], Key(p, kDecrypt, 0));
  }
  for (int n = 1; n < 17; n += 2) {
    const __m512i kOdd = Key(p, kDecrypt, n);
    const __m512i kEven = Key(p, kDecrypt, n + 1);
    for (int g = 0; g < G; ++g) r[g] = _mm512_ternarylogic_epi32(r[g], F16(s, l[g]), kOdd, 0x96);
    for (int g = 0; g < G; ++g) l[g] = _mm512_ternarylogic_epi32(l[g], F16(s, r[g]), kEven, 0x96);
  }
  for (int g = 0; g < G; ++g) {
    __m512i y0, y1;
    Join(l[g], r[g], Key(p, kDecrypt, 17), y0, y1);
    y0 = Output<M>(y0, z[2 * g], prev[2 * g]);
    y1 = Output<M>(y1, z[2 * g + 1], prev[2 * g + 1]);
    if constexpr (kMasked) {
      _mm512_mask_storeu_epi64(out, m0, y0);
      _mm512_mask_storeu_epi64(out + 64, m1, y1);
    } else {
      _mm512_storeu_si512(out + 128 * g, y0);
      _mm512_storeu_si512(out + 128 * g + 64, y1);
    }
  }
}

// The byte-sliced kernel: 64 blocks at once, each of the eight block bytes in its own
// vector, one byte per block. A table lookup is then a byte permute: vpermi2b indexes 128
// bytes, so each byte of an S-box entry (a 256-byte table of its own) takes two permutes
// and a select on the index's top bit. The additions carry from byte to byte in masks.
#define GLINT_BF_VBMI __attribute__((target("avx512f,avx512bw,avx512vbmi")))

constexpr std::size_t kSliceBlocks = 64;

// planes[k][j][e]: byte j (0 the least significant) of S-box k's entry e.
struct TSlices {
  alignas(64) std::uint8_t planes[4][4][256];
  alignas(64) std::uint32_t keys[18][4];  // byte j of the round's P entry, in all four bytes
};

GLINT_BF_VBMI void BuildSlices(const std::uint32_t* s, const std::uint32_t* p, bool decrypt,
                               TSlices& t) {
  for (int k = 0; k < 4; ++k) {
    for (int e = 0; e < 256; e += 16) {
      const __m512i v = _mm512_loadu_si512(s + 256 * k + e);
      for (int j = 0; j < 4; ++j) {
        _mm_store_si128(reinterpret_cast<__m128i*>(&t.planes[k][j][e]),
                        _mm512_cvtepi32_epi8(_mm512_srli_epi32(v, 8 * j)));
      }
    }
  }
  for (int n = 0; n < 18; ++n) {
    const std::uint32_t key = p[decrypt ? 17 - n : n];
    for (int j = 0; j < 4; ++j) t.keys[n][j] = ((key >> (8 * j)) & 0xFFu) * 0x01010101u;
  }
}

GLINT_BF_VBMI inline __m512i Lookup(const std::uint8_t* table, __m512i index, __mmask64 upper) {
  const __m512i low =
      _mm512_permutex2var_epi8(_mm512_load_si512(table), index, _mm512_load_si512(table + 64));
  const __m512i high = _mm512_permutex2var_epi8(_mm512_load_si512(table + 128), index,
                                                _mm512_load_si512(table + 192));
  return _mm512_mask_blend_epi8(upper, low, high);
}

// a += b on byte-sliced 32-bit words, byte 0 the least significant.
GLINT_BF_VBMI inline void AddSliced(__m512i (&a)[4], const __m512i (&b)[4]) {
  const __m512i one = _mm512_set1_epi8(1);
  __m512i sum = _mm512_add_epi8(a[0], b[0]);
  __mmask64 carry = _mm512_cmplt_epu8_mask(sum, a[0]);
  a[0] = sum;
  for (int j = 1; j < 4; ++j) {
    sum =
        _mm512_mask_add_epi8(_mm512_add_epi8(a[j], b[j]), carry, _mm512_add_epi8(a[j], b[j]), one);
    // With a carry in, the byte carries out when the sum wraps to or past a; else past it.
    // (korq: 32-bit code would OR the 64-bit masks in general registers through memory.)
    if (j < 3) {
      carry = _kor_mask64(_mm512_cmplt_epu8_mask(sum, a[j]),
                          _mm512_mask_cmpeq_epi8_mask(carry, sum, a[j]));
    }
    a[j] = sum;
  }
}

// x ^= F(y) ^ key, all byte-sliced.
GLINT_BF_VBMI inline void RoundSliced(const TSlices& t, __m512i (&x)[4], const __m512i (&y)[4],
                                      const std::uint32_t* key) {
  __m512i f[4], g[4];
  // S-box k is indexed by byte 3 - k of y.
  const __mmask64 up0 = _mm512_movepi8_mask(y[3]);
  const __mmask64 up1 = _mm512_movepi8_mask(y[2]);
  for (int j = 0; j < 4; ++j) {
    f[j] = Lookup(t.planes[0][j], y[3], up0);
    g[j] = Lookup(t.planes[1][j], y[2], up1);
  }
  AddSliced(f, g);
  const __mmask64 up2 = _mm512_movepi8_mask(y[1]);
  for (int j = 0; j < 4; ++j) f[j] = _mm512_xor_si512(f[j], Lookup(t.planes[2][j], y[1], up2));
  const __mmask64 up3 = _mm512_movepi8_mask(y[0]);
  for (int j = 0; j < 4; ++j) g[j] = Lookup(t.planes[3][j], y[0], up3);
  AddSliced(f, g);
  for (int j = 0; j < 4; ++j) {
    x[j] = _mm512_ternarylogic_epi32(x[j], f[j], _mm512_set1_epi32(static_cast<int>(key[j])), 0x96);
  }
}

// An 8x8 transpose of 64-bit words across the eight vectors.
GLINT_BF_VBMI inline void TransposeWords(__m512i (&v)[8]) {
  __m512i a[8], b[8];
  for (int j = 0; j < 8; j += 2) {
    a[j] = _mm512_unpacklo_epi64(v[j], v[j + 1]);
    a[j + 1] = _mm512_unpackhi_epi64(v[j], v[j + 1]);
  }
  const __m512i pairsLow = _mm512_setr_epi64(0, 1, 8, 9, 4, 5, 12, 13);
  const __m512i pairsHigh = _mm512_setr_epi64(2, 3, 10, 11, 6, 7, 14, 15);
  for (int j = 0; j < 8; j += 4) {
    for (int h = 0; h < 2; ++h) {
      b[j + h] = _mm512_permutex2var_epi64(a[j + h], pairsLow, a[j + h + 2]);
      b[j + h + 2] = _mm512_permutex2var_epi64(a[j + h], pairsHigh, a[j + h + 2]);
    }
  }
  const __m512i quadsLow = _mm512_setr_epi64(0, 1, 2, 3, 8, 9, 10, 11);
  const __m512i quadsHigh = _mm512_setr_epi64(4, 5, 6, 7, 12, 13, 14, 15);
  for (int h = 0; h < 4; ++h) {
    v[h] = _mm512_permutex2var_epi64(b[h], quadsLow, b[h + 4]);
    v[h + 4] = _mm512_permutex2var_epi64(b[h], quadsHigh, b[h + 4]);
  }
}

// Within each vector, an 8x8 transpose of bytes: word q gets byte q of each block.
GLINT_BF_VBMI inline void TransposeBytes(__m512i (&v)[8]) {
  alignas(64) static constexpr std::uint8_t kBytes[64] = {
      0,  8,  16, 24, 32, 40, 48, 56, 1,  9,  17, 25, 33, 41, 49, 57, 2,  10, 18, 26, 34, 42,
      50, 58, 3,  11, 19, 27, 35, 43, 51, 59, 4,  12, 20, 28, 36, 44, 52, 60, 5,  13, 21, 29,
      37, 45, 53, 61, 6,  14, 22, 30, 38, 46, 54, 62, 7,  15, 23, 31, 39, 47, 55, 63};
  const __m512i bytes = _mm512_load_si512(kBytes);
  for (auto& x : v) x = _mm512_permutexvar_epi8(bytes, x);
}

// 64 blocks byte-sliced. (Running gathered vectors alongside, or a second run of 64, gained
// nothing measurable: the permutes are the limit.)
template <TWideMode M>
GLINT_BF_VBMI inline void SliceChunk(const TSlices& t, const std::uint8_t* in, std::uint8_t* out,
                                     __m512i& carry) {
  __m512i z[8], prev[8], v[8];
  LoadBlocks<8, M>(in, z, prev, carry);
  for (int j = 0; j < 8; ++j) v[j] = CipherInput<M>(z[j], prev[j]);
  // Eight vectors of eight blocks become the eight byte slices of the 64 blocks (slice q,
  // lane i: byte q of block i); the two steps in reverse order undo it.
  TransposeBytes(v);
  TransposeWords(v);
  // Slice 0 is the block's first byte, the top byte of its left half.
  __m512i l[4], r[4];
  for (int j = 0; j < 4; ++j) {
    l[j] = _mm512_xor_si512(v[3 - j], _mm512_set1_epi32(static_cast<int>(t.keys[0][j])));
    r[j] = v[7 - j];
  }
  for (int n = 1; n < 17; n += 2) {
    RoundSliced(t, r, l, t.keys[n]);
    RoundSliced(t, l, r, t.keys[n + 1]);
  }
  // The halves leave swapped, as in the scalar core.
  for (int j = 0; j < 4; ++j) {
    v[3 - j] = _mm512_xor_si512(r[j], _mm512_set1_epi32(static_cast<int>(t.keys[17][j])));
    v[7 - j] = l[j];
  }
  TransposeWords(v);
  TransposeBytes(v);
  for (int j = 0; j < 8; ++j) _mm512_storeu_si512(out + 64 * j, Output<M>(v[j], z[j], prev[j]));
}

template <TWideMode M>
GLINT_BF_VBMI std::size_t RunSliced(const std::uint32_t* s, const std::uint32_t* p,
                                    const std::uint8_t* in, std::uint8_t* out, std::size_t blocks,
                                    __m512i& carry) {
  TSlices t;
  BuildSlices(s, p, Deciphers(M), t);
  std::size_t i = 0;
  for (; i + kSliceBlocks <= blocks; i += kSliceBlocks) {
    SliceChunk<M>(t, in + 8 * i, out + 8 * i, carry);
  }
  Wipe(&t, sizeof t);
  return i;
}

template <TWideMode M>
GLINT_BF_AVX512 std::size_t Run(const std::uint32_t* s, const std::uint32_t* p,
                                const std::uint8_t* in, std::uint8_t* out, std::size_t blocks,
                                std::uint8_t* chain) {
  std::uint64_t chainBits;
  std::memcpy(&chainBits, chain, 8);
  __m512i carry = _mm512_set1_epi64(static_cast<long long>(chainBits));
  std::size_t i = 0;
  if (blocks >= kSliceBlocks && gWideKernels == TWideKernels::kAll && HasSliced()) {
    i = RunSliced<M>(s, p, in, out, blocks, carry);
  }
  for (; i + 16 * kGroups <= blocks; i += 16 * kGroups) {
    Chunk<kGroups, M>(s, p, in + 8 * i, out + 8 * i, carry);
  }
  for (; i + 16 <= blocks; i += 16) Chunk<1, M>(s, p, in + 8 * i, out + 8 * i, carry);
  if (const std::size_t n = blocks - i; n >= kMinTail) {
    const auto m0 = static_cast<__mmask8>(n >= 8 ? 0xFF : (1u << n) - 1);
    const auto m1 = static_cast<__mmask8>(n > 8 ? (1u << (n - 8)) - 1 : 0);
    // The last block read becomes the carry; taken before the output may overwrite it.
    std::uint64_t last;
    std::memcpy(&last, in + 8 * (blocks - 1), 8);
    Chunk<1, M, true>(s, p, in + 8 * i, out + 8 * i, carry, m0, m1);
    carry = _mm512_set1_epi64(static_cast<long long>(last));
    i = blocks;
  }
  if (i > 0) {
    alignas(64) std::uint64_t lanes[8];
    _mm512_store_si512(lanes, carry);
    std::memcpy(chain, &lanes[7], 8);
    Wipe(lanes, sizeof lanes);
  }
  return i;
}

}  // namespace

const char* WideKernelName() {
  if (gWideKernels == TWideKernels::kNone || !HasWide()) return "scalar";
  return gWideKernels == TWideKernels::kAll && HasSliced() ? "avx512-vbmi" : "avx512";
}

std::size_t CipherWide(TSBoxes s, const std::uint32_t* p, const std::uint8_t* in, std::uint8_t* out,
                       std::size_t blocks, TWideMode mode, std::uint8_t* chain) {
  if (gWideKernels == TWideKernels::kNone || !HasWide() || blocks < kMinTail) return 0;
  const std::uint32_t* boxes = &s[0][0];
  switch (mode) {
    case TWideMode::kEcbEncrypt:
      return Run<TWideMode::kEcbEncrypt>(boxes, p, in, out, blocks, chain);
    case TWideMode::kEcbDecrypt:
      return Run<TWideMode::kEcbDecrypt>(boxes, p, in, out, blocks, chain);
    case TWideMode::kCbcDecrypt:
      return Run<TWideMode::kCbcDecrypt>(boxes, p, in, out, blocks, chain);
    case TWideMode::kCfbDecrypt:
      return Run<TWideMode::kCfbDecrypt>(boxes, p, in, out, blocks, chain);
  }
  return 0;
}

#else

const char* WideKernelName() { return "scalar"; }

std::size_t CipherWide(TSBoxes, const std::uint32_t*, const std::uint8_t*, std::uint8_t*,
                       std::size_t, TWideMode, std::uint8_t*) {
  return 0;
}

#endif

}  // namespace glint::bfcore
