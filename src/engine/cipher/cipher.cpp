#include "engine/cipher/cipher.h"

#include "engine/cipher/cipher_tables.h"
#include "platform/byte_order.h"
#include "platform/secure_wipe.h"

#include <algorithm>

namespace ravelock::engine {

using platform::loadLe32;
using platform::storeLe32;

namespace {

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
    a[k] = loadLe32(data + 8 * k);
    b[k] = loadLe32(data + 8 * k + 4);
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
    storeLe32(data + 8 * k, b[k] ^ outL);
    storeLe32(data + 8 * k + 4, a[k] ^ outR);
  }
}

template <bool Decrypt>
void cryptBlocks(const CipherState& c, unsigned char* data, std::size_t count) {
  constexpr int kGroup = 4;
  std::size_t i = 0;
  for (; i + kGroup <= count; i += kGroup)
    cryptGroup<kGroup, Decrypt>(c, data + 8 * i);
  for (; i < count; ++i)
    cryptGroup<1, Decrypt>(c, data + 8 * i);
}

} // namespace

CipherState::~CipherState() {
  platform::secureWipe(this, sizeof *this);
}

void CipherState::Init(const unsigned char* key, std::size_t keyLength) {
  std::copy(kInitialP.begin(), kInitialP.end(), P);
  std::copy(kInitialS0.begin(), kInitialS0.end(), S[0]);
  std::copy(kInitialS1.begin(), kInitialS1.end(), S[1]);
  std::copy(kInitialS2.begin(), kInitialS2.end(), S[2]);
  std::copy(kInitialS3.begin(), kInitialS3.end(), S[3]);

  unsigned char repeated[kKeyScheduleBytes];
  for (std::size_t i = 0; i < kKeyScheduleBytes; ++i)
    repeated[i] = key[i % keyLength];
  for (std::size_t i = 0; i < 18; ++i)
    P[i] ^= loadLe32(repeated + 4 * i);
  platform::secureWipe(repeated, sizeof repeated);

  std::uint32_t L = 0, R = 0;
  for (std::size_t i = 0; i < 18; i += 2) {
    EncryptBlock(L, R);
    P[i] = L;
    P[i + 1] = R;
  }
  for (auto& box : S) {
    for (std::size_t j = 0; j < 256; j += 2) {
      EncryptBlock(L, R);
      box[j] = L;
      box[j + 1] = R;
    }
  }
}

void CipherState::EncryptBlock(std::uint32_t& L, std::uint32_t& R) const {
  for (int i = 0; i < 16; ++i) {
    L ^= P[i];
    R ^= roundF(S, L);
    std::swap(L, R);
  }
  std::swap(L, R);
  R ^= P[16];
  L ^= P[17];
}

void CipherState::DecryptBlock(std::uint32_t& L, std::uint32_t& R) const {
  for (int i = 17; i >= 2; --i) {
    L ^= P[i];
    R ^= roundF(S, L);
    std::swap(L, R);
  }
  std::swap(L, R);
  R ^= P[1];
  L ^= P[0];
}

void CipherState::EncryptBlocks(unsigned char* data, std::size_t blockCount) const {
  cryptBlocks<false>(*this, data, blockCount);
}

void CipherState::DecryptBlocks(unsigned char* data, std::size_t blockCount) const {
  cryptBlocks<true>(*this, data, blockCount);
}

} // namespace ravelock::engine
