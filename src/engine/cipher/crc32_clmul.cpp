// CRC-32 by folding with carry-less multiplication: 128-bit lanes of the
// message are multiplied forward by x^n mod P and added to the lanes further
// on, so four (or sixteen) independent chains run at once; the last lane is
// reduced to 32 bits with a Barrett step. The constants are x^n mod P for
// the fold distances, bit-reflected and shifted left once.

#include "engine/cipher/crc32.h"

#if defined(__x86_64__)

// GCC 12's AVX-512 headers start some intrinsics from a deliberately
// undefined register, which -Wmaybe-uninitialized reports in every caller.
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <immintrin.h>

namespace ravelock::engine {

namespace {

#define RAVELOCK_PCLMUL __attribute__((target("pclmul,sse4.1")))
#define RAVELOCK_VPCLMUL __attribute__((target("pclmul,sse4.1,avx512f,vpclmulqdq")))

// Fold distances: {x^(d+32), x^(d-32)} mod P for d = 512, 128, 2048 bits.
constexpr std::uint64_t kFold512Lo = 0x154442bd4, kFold512Hi = 0x1c6e41596;
constexpr std::uint64_t kFold128Lo = 0x1751997d0, kFold128Hi = 0x0ccaa009e;
constexpr std::uint64_t kFold2048Lo = 0x11542778a, kFold2048Hi = 0x1322d1430;
// x^64 mod P, and the Barrett pair: P itself and floor(x^64 / P).
constexpr std::uint64_t kFold64 = 0x163cd6124;
constexpr std::uint64_t kPolynomial = 0x1db710641, kBarrett = 0x1f7011641;

RAVELOCK_PCLMUL inline __m128i fold(__m128i x, __m128i k, __m128i next) {
  return _mm_xor_si128(
      _mm_xor_si128(_mm_clmulepi64_si128(x, k, 0x00), _mm_clmulepi64_si128(x, k, 0x11)),
      next);
}

RAVELOCK_PCLMUL inline __m128i load128(const unsigned char* p) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

// From four consecutive lanes and the whole 16-byte lanes left of the
// message to the running CRC; `length` is a multiple of 16.
RAVELOCK_PCLMUL std::uint32_t finish(__m128i x1, __m128i x2, __m128i x3, __m128i x4,
                                     const unsigned char* p, std::size_t length) {
  const __m128i k128 = _mm_set_epi64x(kFold128Hi, kFold128Lo);
  x1 = fold(x1, k128, x2);
  x1 = fold(x1, k128, x3);
  x1 = fold(x1, k128, x4);
  for (; length >= 16; p += 16, length -= 16)
    x1 = fold(x1, k128, load128(p));

  // 128 bits to 64, then Barrett reduction to 32.
  const __m128i low32 = _mm_setr_epi32(~0, 0, ~0, 0);
  x1 = _mm_xor_si128(_mm_srli_si128(x1, 8), _mm_clmulepi64_si128(x1, k128, 0x10));
  const __m128i k64 = _mm_set_epi64x(0, kFold64);
  x1 = _mm_xor_si128(_mm_srli_si128(x1, 4),
                     _mm_clmulepi64_si128(_mm_and_si128(x1, low32), k64, 0x00));
  const __m128i barrett = _mm_set_epi64x(kBarrett, kPolynomial);
  __m128i t = _mm_clmulepi64_si128(_mm_and_si128(x1, low32), barrett, 0x10);
  t = _mm_clmulepi64_si128(_mm_and_si128(t, low32), barrett, 0x00);
  return static_cast<std::uint32_t>(_mm_extract_epi32(_mm_xor_si128(x1, t), 1));
}

} // namespace

RAVELOCK_PCLMUL std::uint32_t crc32UpdatePclmul(std::uint32_t crc, const unsigned char* p,
                                                std::size_t length) {
  if (length < 64)
    return crc32UpdateSliced(crc, p, length);
  const std::size_t tail = length % 16;
  std::size_t n = length - tail - 64;
  __m128i x1 = _mm_xor_si128(load128(p), _mm_cvtsi32_si128(static_cast<int>(crc)));
  __m128i x2 = load128(p + 16), x3 = load128(p + 32), x4 = load128(p + 48);
  p += 64;
  const __m128i k512 = _mm_set_epi64x(kFold512Hi, kFold512Lo);
  for (; n >= 64; p += 64, n -= 64) {
    x1 = fold(x1, k512, load128(p));
    x2 = fold(x2, k512, load128(p + 16));
    x3 = fold(x3, k512, load128(p + 32));
    x4 = fold(x4, k512, load128(p + 48));
  }
  crc = finish(x1, x2, x3, x4, p, n);
  return crc32UpdateSliced(crc, p + n, tail);
}

namespace {

RAVELOCK_VPCLMUL inline __m512i fold512(__m512i x, __m512i k, __m512i next) {
  // Three-way exclusive or in one instruction.
  return _mm512_ternarylogic_epi32(_mm512_clmulepi64_epi128(x, k, 0x00),
                                   _mm512_clmulepi64_epi128(x, k, 0x11), next, 0x96);
}

RAVELOCK_VPCLMUL inline __m512i broadcastPair(std::uint64_t lo, std::uint64_t hi) {
  return _mm512_broadcast_i32x4(
      _mm_set_epi64x(static_cast<long long>(hi), static_cast<long long>(lo)));
}

} // namespace

RAVELOCK_VPCLMUL std::uint32_t
crc32UpdateVpclmul(std::uint32_t crc, const unsigned char* p, std::size_t length) {
  if (length < 256)
    return crc32UpdatePclmul(crc, p, length);
  const std::size_t tail = length % 16;
  std::size_t n = length - tail - 256;
  __m512i z0 =
      _mm512_xor_si512(_mm512_loadu_si512(p),
                       _mm512_zextsi128_si512(_mm_cvtsi32_si128(static_cast<int>(crc))));
  __m512i z1 = _mm512_loadu_si512(p + 64), z2 = _mm512_loadu_si512(p + 128),
          z3 = _mm512_loadu_si512(p + 192);
  p += 256;
  const __m512i k2048 = broadcastPair(kFold2048Lo, kFold2048Hi);
  for (; n >= 256; p += 256, n -= 256) {
    z0 = fold512(z0, k2048, _mm512_loadu_si512(p));
    z1 = fold512(z1, k2048, _mm512_loadu_si512(p + 64));
    z2 = fold512(z2, k2048, _mm512_loadu_si512(p + 128));
    z3 = fold512(z3, k2048, _mm512_loadu_si512(p + 192));
  }
  const __m512i k512 = broadcastPair(kFold512Lo, kFold512Hi);
  z0 = fold512(z0, k512, z1);
  z0 = fold512(z0, k512, z2);
  z0 = fold512(z0, k512, z3);
  for (; n >= 64; p += 64, n -= 64)
    z0 = fold512(z0, k512, _mm512_loadu_si512(p));
  crc = finish(_mm512_extracti32x4_epi32(z0, 0), _mm512_extracti32x4_epi32(z0, 1),
               _mm512_extracti32x4_epi32(z0, 2), _mm512_extracti32x4_epi32(z0, 3), p, n);
  return crc32UpdateSliced(crc, p + n, tail);
}

} // namespace ravelock::engine

#endif
