#pragma once
// The rounds in portable code, shared by the scalar kernels and by the tails
// of the vector kernels.

#include "engine/cipher/cipher.h"
#include "platform/byte_order.h"

namespace ravelock::engine {

// F: S0 takes the least significant byte, S3 the most significant.
inline std::uint32_t roundF(const std::uint32_t (&S)[4][256], std::uint32_t x) {
  return ((S[0][x & 0xFF] + S[1][(x >> 8) & 0xFF]) ^ S[2][(x >> 16) & 0xFF]) +
         S[3][x >> 24];
}

// Runs N blocks through the 16 rounds side by side. The rounds are unrolled
// in pairs so the halves never need swapping: after round 2k+1 the logical
// (L, R) is (a, b) again. `P` is the subkey order: forwards for enciphering,
// backwards for deciphering.
template <int N, bool Decrypt>
inline void cryptGroup(const CipherState& c, unsigned char* data) {
  std::uint32_t a[N], b[N];
#pragma GCC unroll 8
  for (int k = 0; k < N; ++k) {
    a[k] = platform::loadLe32(data + 8 * k);
    b[k] = platform::loadLe32(data + 8 * k + 4);
  }
#pragma GCC unroll 16
  for (int i = 0; i < 16; i += 2) {
    const std::uint32_t p0 = Decrypt ? c.P[17 - i] : c.P[i];
    const std::uint32_t p1 = Decrypt ? c.P[16 - i] : c.P[i + 1];
#pragma GCC unroll 8
    for (int k = 0; k < N; ++k) {
      a[k] ^= p0;
      b[k] ^= roundF(c.S, a[k]);
    }
#pragma GCC unroll 8
    for (int k = 0; k < N; ++k) {
      b[k] ^= p1;
      a[k] ^= roundF(c.S, b[k]);
    }
  }
  const std::uint32_t outL = Decrypt ? c.P[0] : c.P[17];
  const std::uint32_t outR = Decrypt ? c.P[1] : c.P[16];
#pragma GCC unroll 8
  for (int k = 0; k < N; ++k) {
    platform::storeLe32(data + 8 * k, b[k] ^ outL);
    platform::storeLe32(data + 8 * k + 4, a[k] ^ outR);
  }
}

// Groups of N, then what is left four and one at a time.
template <int N, bool Decrypt>
void cryptInterleaved(const CipherState& c, unsigned char* data, std::size_t count) {
  std::size_t i = 0;
  for (; i + N <= count; i += N)
    cryptGroup<N, Decrypt>(c, data + 8 * i);
  if constexpr (N > 4)
    for (; i + 4 <= count; i += 4)
      cryptGroup<4, Decrypt>(c, data + 8 * i);
  for (; i < count; ++i)
    cryptGroup<1, Decrypt>(c, data + 8 * i);
}

} // namespace ravelock::engine
