#include "engine/cipher/cipher.h"

#include "engine/cipher/cipher_kernels.h"
#include "engine/cipher/cipher_rounds.h"
#include "engine/cipher/cipher_tables.h"
#include "platform/byte_order.h"
#include "platform/secure_wipe.h"

#include <algorithm>

namespace ravelock::engine {

using platform::loadLe32;

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
  selectedCipherKernel().encrypt(*this, data, blockCount);
}

void CipherState::DecryptBlocks(unsigned char* data, std::size_t blockCount) const {
  selectedCipherKernel().decrypt(*this, data, blockCount);
}

} // namespace ravelock::engine
