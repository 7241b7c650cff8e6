#pragma once
// The engine's 64-bit block cipher: Blowfish's structure, rounds and initial
// tables with three byte-order changes that every stored file depends on:
// F indexes S0 with the least significant byte of its input and S3 with the
// most significant; key words are read little-endian from the repeated key;
// block halves are the little-endian words of bytes 0..3 and 4..7.

#include <cstddef>
#include <cstdint>

namespace ravelock::engine {

class CipherState {
public:
  static constexpr std::size_t kBlockSize = 8;
  static constexpr std::size_t kKeyScheduleBytes = 72;

  CipherState() = default;
  CipherState(const CipherState&) = delete;
  CipherState& operator=(const CipherState&) = delete;
  ~CipherState();

  // Loads the initial tables and runs the key schedule. keyLength >= 1; a key
  // longer than 72 bytes contributes its first 72 bytes only.
  void Init(const unsigned char* key, std::size_t keyLength);

  void EncryptBlock(std::uint32_t& L, std::uint32_t& R) const;
  void DecryptBlock(std::uint32_t& L, std::uint32_t& R) const;

  // Electronic code book over `blockCount` 8-byte blocks in place, by the
  // fastest kernel this processor has (cipher_kernels.h).
  void EncryptBlocks(unsigned char* data, std::size_t blockCount) const;
  void DecryptBlocks(unsigned char* data, std::size_t blockCount) const;

  std::uint32_t P[18];
  std::uint32_t S[4][256];
};

} // namespace ravelock::engine
