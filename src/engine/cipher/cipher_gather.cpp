// The gather kernels: each vector lane holds one block's half, the four
// S-box lookups of a round are four gathers. Two vectors are in flight so
// the gathers of one hide the latency of the other's. Compiled with target
// attributes and called only when CPUID says the processor has the feature.

#include "engine/cipher/cipher_kernels.h"
#include "engine/cipher/cipher_rounds.h"

#if defined(__x86_64__)

// GCC 12's AVX-512 headers start some intrinsics from a deliberately
// undefined register, which -Wmaybe-uninitialized reports in every caller.
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <immintrin.h>

namespace ravelock::engine {

namespace {

#define RAVELOCK_AVX2 __attribute__((target("avx2")))
#define RAVELOCK_AVX512 __attribute__((target("avx512f,avx512bw")))

// Subkey order of the 18 rounds and the final whitening, per direction.
template <bool Decrypt> inline std::uint32_t subkey(const CipherState& c, int i) {
  return Decrypt ? c.P[17 - i] : c.P[i];
}

// ---- AVX2: two vectors of 8 blocks ----

RAVELOCK_AVX2 inline __m256i roundF8(const CipherState& c, __m256i x) {
  const __m256i low = _mm256_set1_epi32(0xFF);
  const int* s = reinterpret_cast<const int*>(&c.S[0][0]);
  const __m256i s0 = _mm256_i32gather_epi32(s, _mm256_and_si256(x, low), 4);
  const __m256i s1 =
      _mm256_i32gather_epi32(s + 256, _mm256_and_si256(_mm256_srli_epi32(x, 8), low), 4);
  const __m256i s2 =
      _mm256_i32gather_epi32(s + 512, _mm256_and_si256(_mm256_srli_epi32(x, 16), low), 4);
  const __m256i s3 = _mm256_i32gather_epi32(s + 768, _mm256_srli_epi32(x, 24), 4);
  return _mm256_add_epi32(_mm256_xor_si256(_mm256_add_epi32(s0, s1), s2), s3);
}

// 64 bytes of 8 blocks as two vectors: the L halves and the R halves.
RAVELOCK_AVX2 inline void split8(const unsigned char* p, __m256i& L, __m256i& R) {
  const __m256i order = _mm256_setr_epi32(0, 2, 4, 6, 1, 3, 5, 7);
  const __m256i a = _mm256_permutevar8x32_epi32(
      _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)), order);
  const __m256i b = _mm256_permutevar8x32_epi32(
      _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32)), order);
  L = _mm256_permute2x128_si256(a, b, 0x20);
  R = _mm256_permute2x128_si256(a, b, 0x31);
}

RAVELOCK_AVX2 inline void join8(unsigned char* p, __m256i L, __m256i R) {
  const __m256i order = _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7);
  _mm256_storeu_si256(
      reinterpret_cast<__m256i*>(p),
      _mm256_permutevar8x32_epi32(_mm256_permute2x128_si256(L, R, 0x20), order));
  _mm256_storeu_si256(
      reinterpret_cast<__m256i*>(p + 32),
      _mm256_permutevar8x32_epi32(_mm256_permute2x128_si256(L, R, 0x31), order));
}

template <bool Decrypt>
RAVELOCK_AVX2 void cryptAvx2(const CipherState& c, unsigned char* data,
                             std::size_t count) {
  constexpr std::size_t kGroup = 16;
  std::size_t i = 0;
  for (; i + kGroup <= count; i += kGroup) {
    unsigned char* p = data + 8 * i;
    __m256i a0, b0, a1, b1;
    split8(p, a0, b0);
    split8(p + 64, a1, b1);
    for (int r = 0; r < 16; r += 2) {
      const __m256i p0 = _mm256_set1_epi32(static_cast<int>(subkey<Decrypt>(c, r)));
      const __m256i p1 = _mm256_set1_epi32(static_cast<int>(subkey<Decrypt>(c, r + 1)));
      a0 = _mm256_xor_si256(a0, p0);
      a1 = _mm256_xor_si256(a1, p0);
      b0 = _mm256_xor_si256(b0, _mm256_xor_si256(roundF8(c, a0), p1));
      b1 = _mm256_xor_si256(b1, _mm256_xor_si256(roundF8(c, a1), p1));
      a0 = _mm256_xor_si256(a0, roundF8(c, b0));
      a1 = _mm256_xor_si256(a1, roundF8(c, b1));
    }
    const __m256i outL = _mm256_set1_epi32(static_cast<int>(subkey<Decrypt>(c, 17)));
    const __m256i outR = _mm256_set1_epi32(static_cast<int>(subkey<Decrypt>(c, 16)));
    join8(p, _mm256_xor_si256(b0, outL), _mm256_xor_si256(a0, outR));
    join8(p + 64, _mm256_xor_si256(b1, outL), _mm256_xor_si256(a1, outR));
  }
  cryptInterleaved<8, Decrypt>(c, data + 8 * i, count - i);
}

// ---- AVX-512: two vectors of 16 blocks ----

RAVELOCK_AVX512 inline __m512i roundF16(const CipherState& c, __m512i x) {
  const __m512i low = _mm512_set1_epi32(0xFF);
  const int* s = reinterpret_cast<const int*>(&c.S[0][0]);
  const __m512i s0 = _mm512_i32gather_epi32(_mm512_and_si512(x, low), s, 4);
  const __m512i s1 =
      _mm512_i32gather_epi32(_mm512_and_si512(_mm512_srli_epi32(x, 8), low), s + 256, 4);
  const __m512i s2 =
      _mm512_i32gather_epi32(_mm512_and_si512(_mm512_srli_epi32(x, 16), low), s + 512, 4);
  const __m512i s3 = _mm512_i32gather_epi32(_mm512_srli_epi32(x, 24), s + 768, 4);
  return _mm512_add_epi32(_mm512_xor_si512(_mm512_add_epi32(s0, s1), s2), s3);
}

RAVELOCK_AVX512 inline void split16(const unsigned char* p, __m512i& L, __m512i& R) {
  const __m512i even =
      _mm512_setr_epi32(0, 2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 22, 24, 26, 28, 30);
  const __m512i odd =
      _mm512_setr_epi32(1, 3, 5, 7, 9, 11, 13, 15, 17, 19, 21, 23, 25, 27, 29, 31);
  const __m512i a = _mm512_loadu_si512(p);
  const __m512i b = _mm512_loadu_si512(p + 64);
  L = _mm512_permutex2var_epi32(a, even, b);
  R = _mm512_permutex2var_epi32(a, odd, b);
}

RAVELOCK_AVX512 inline void join16(unsigned char* p, __m512i L, __m512i R) {
  const __m512i first =
      _mm512_setr_epi32(0, 16, 1, 17, 2, 18, 3, 19, 4, 20, 5, 21, 6, 22, 7, 23);
  const __m512i second =
      _mm512_setr_epi32(8, 24, 9, 25, 10, 26, 11, 27, 12, 28, 13, 29, 14, 30, 15, 31);
  _mm512_storeu_si512(p, _mm512_permutex2var_epi32(L, first, R));
  _mm512_storeu_si512(p + 64, _mm512_permutex2var_epi32(L, second, R));
}

template <bool Decrypt>
RAVELOCK_AVX512 void cryptAvx512(const CipherState& c, unsigned char* data,
                                 std::size_t count) {
  constexpr std::size_t kGroup = 32;
  std::size_t i = 0;
  for (; i + kGroup <= count; i += kGroup) {
    unsigned char* p = data + 8 * i;
    __m512i a0, b0, a1, b1;
    split16(p, a0, b0);
    split16(p + 128, a1, b1);
    for (int r = 0; r < 16; r += 2) {
      const __m512i p0 = _mm512_set1_epi32(static_cast<int>(subkey<Decrypt>(c, r)));
      const __m512i p1 = _mm512_set1_epi32(static_cast<int>(subkey<Decrypt>(c, r + 1)));
      a0 = _mm512_xor_si512(a0, p0);
      a1 = _mm512_xor_si512(a1, p0);
      b0 = _mm512_xor_si512(b0, _mm512_xor_si512(roundF16(c, a0), p1));
      b1 = _mm512_xor_si512(b1, _mm512_xor_si512(roundF16(c, a1), p1));
      a0 = _mm512_xor_si512(a0, roundF16(c, b0));
      a1 = _mm512_xor_si512(a1, roundF16(c, b1));
    }
    const __m512i outL = _mm512_set1_epi32(static_cast<int>(subkey<Decrypt>(c, 17)));
    const __m512i outR = _mm512_set1_epi32(static_cast<int>(subkey<Decrypt>(c, 16)));
    join16(p, _mm512_xor_si512(b0, outL), _mm512_xor_si512(a0, outR));
    join16(p + 128, _mm512_xor_si512(b1, outL), _mm512_xor_si512(a1, outR));
  }
  cryptInterleaved<8, Decrypt>(c, data + 8 * i, count - i);
}

} // namespace

void encryptBlocksAvx2(const CipherState& c, unsigned char* data, std::size_t count) {
  cryptAvx2<false>(c, data, count);
}
void decryptBlocksAvx2(const CipherState& c, unsigned char* data, std::size_t count) {
  cryptAvx2<true>(c, data, count);
}
void encryptBlocksAvx512(const CipherState& c, unsigned char* data, std::size_t count) {
  cryptAvx512<false>(c, data, count);
}
void decryptBlocksAvx512(const CipherState& c, unsigned char* data, std::size_t count) {
  cryptAvx512<true>(c, data, count);
}

} // namespace ravelock::engine

#endif
