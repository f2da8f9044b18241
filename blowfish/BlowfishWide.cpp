// blowfish/BlowfishWide.cpp: the wide kernel, sixteen independent blocks at once in the
// lanes of AVX-512 registers, with the S-box lookups as gathers. Scalar code is bound by
// the byte extraction of the round function (about ten ALU operations per round and
// block); in vector registers that work is shared by sixteen blocks, leaving the table
// loads as the limit. Chosen at run time; other processors and builds use the scalar
// kernels, which give the same results.
#include "blowfish/BlowfishCore.h"

#if defined(__x86_64__) && defined(__GNUC__)
// GCC 12's AVX-512 headers start gathers from an undefined vector and then warn about it.
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <immintrin.h>
#define GLINT_BF_WIDE 1
#endif

namespace glint::bfcore {

#if defined(GLINT_BF_WIDE)

namespace {

#define GLINT_BF_AVX512 __attribute__((target("avx512f,avx512bw")))

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

GLINT_BF_AVX512 void Wide16(const std::uint32_t* s, const std::uint32_t* p, const std::uint8_t* in,
                            std::uint8_t* out, bool decrypt) {
  // Each half of a block is big-endian in memory.
  const __m512i swap =
      _mm512_broadcast_i32x4(_mm_setr_epi8(3, 2, 1, 0, 7, 6, 5, 4, 11, 10, 9, 8, 15, 14, 13, 12));
  const __m512i lefts =
      _mm512_setr_epi32(0, 2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 22, 24, 26, 28, 30);
  const __m512i rights =
      _mm512_setr_epi32(1, 3, 5, 7, 9, 11, 13, 15, 17, 19, 21, 23, 25, 27, 29, 31);
  const __m512i low = _mm512_setr_epi32(0, 16, 1, 17, 2, 18, 3, 19, 4, 20, 5, 21, 6, 22, 7, 23);
  const __m512i high =
      _mm512_setr_epi32(8, 24, 9, 25, 10, 26, 11, 27, 12, 28, 13, 29, 14, 30, 15, 31);
  const __m512i z0 = _mm512_shuffle_epi8(_mm512_loadu_si512(in), swap);
  const __m512i z1 = _mm512_shuffle_epi8(_mm512_loadu_si512(in + 64), swap);
  __m512i l = _mm512_permutex2var_epi32(z0, lefts, z1);
  __m512i r = _mm512_permutex2var_epi32(z0, rights, z1);
  l = _mm512_xor_si512(l, Key(p, decrypt, 0));
  for (int n = 1; n < 17; n += 2) {
    r = _mm512_xor_si512(r, _mm512_xor_si512(F16(s, l), Key(p, decrypt, n)));
    l = _mm512_xor_si512(l, _mm512_xor_si512(F16(s, r), Key(p, decrypt, n + 1)));
  }
  r = _mm512_xor_si512(r, Key(p, decrypt, 17));
  // The halves leave swapped, as in the scalar core.
  _mm512_storeu_si512(out, _mm512_shuffle_epi8(_mm512_permutex2var_epi32(r, low, l), swap));
  _mm512_storeu_si512(out + 64, _mm512_shuffle_epi8(_mm512_permutex2var_epi32(r, high, l), swap));
}

bool HasWide() {
  static const bool has = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw");
  return has;
}

}  // namespace

bool CipherWide(TSBoxes s, const std::uint32_t* p, const std::uint8_t* in, std::uint8_t* out,
                std::size_t groups, bool decrypt) {
  if (!HasWide()) return false;
  for (std::size_t g = 0; g < groups; ++g) {
    Wide16(&s[0][0], p, in + g * 8 * kWideBlocks, out + g * 8 * kWideBlocks, decrypt);
  }
  return true;
}

#else

bool CipherWide(TSBoxes, const std::uint32_t*, const std::uint8_t*, std::uint8_t*, std::size_t,
                bool) {
  return false;
}

#endif

}  // namespace glint::bfcore
