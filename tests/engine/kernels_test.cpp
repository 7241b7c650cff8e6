// Every cipher and CRC kernel this processor can run against the portable
// reference: every whole-block length up to 4096 bytes, and 64 MiB, both
// directions.

#include "engine/cipher/cipher_kernels.h"
#include "engine/cipher/crc32.h"
#include "engine/engine_test_util.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace ravelock::engine {
namespace {

using Bytes = std::vector<unsigned char>;

Bytes randomBytes(std::size_t n, std::uint64_t seed) {
  std::mt19937_64 gen(seed);
  Bytes b(n);
  for (std::size_t i = 0; i < n; i += 8) {
    const std::uint64_t v = gen();
    for (std::size_t k = 0; k < 8 && i + k < n; ++k)
      b[i + k] = static_cast<unsigned char>(v >> (8 * k));
  }
  return b;
}

// The kernels under test: all but the reference.
std::span<const CipherKernel> fastCipherKernels() {
  return supportedCipherKernels().subspan(1);
}

class CipherKernels : public testing::Test {
protected:
  void SetUp() override { keyed(cipher, "kernels against the reference"); }
  CipherState cipher;
};

TEST_F(CipherKernels, EveryLengthUpTo4096MatchesTheReferenceBothWays) {
  constexpr std::size_t kGuard = 16;
  const CipherKernel& reference = referenceCipherKernel();
  for (std::size_t blocks = 0; blocks <= 512; ++blocks) {
    // Odd offsets too: the kernels must not assume aligned data.
    const std::size_t offset = blocks % 8;
    const Bytes plain = randomBytes(offset + 8 * blocks + kGuard, blocks);
    Bytes expected = plain;
    reference.encrypt(cipher, expected.data() + offset, blocks);
    for (const CipherKernel& kernel : fastCipherKernels()) {
      SCOPED_TRACE(testing::Message() << kernel.name << ", " << blocks << " blocks");
      Bytes data = plain;
      kernel.encrypt(cipher, data.data() + offset, blocks);
      ASSERT_EQ(data, expected); // the guard bytes included
      kernel.decrypt(cipher, data.data() + offset, blocks);
      ASSERT_EQ(data, plain);
    }
  }
}

TEST_F(CipherKernels, SixtyFourMebibytesMatchTheReferenceBothWays) {
  constexpr std::size_t kBlocks = (64u << 20) / 8;
  const Bytes plain = randomBytes(8 * kBlocks, 64);
  Bytes expected = plain;
  referenceCipherKernel().encrypt(cipher, expected.data(), kBlocks);
  for (const CipherKernel& kernel : fastCipherKernels()) {
    SCOPED_TRACE(kernel.name);
    Bytes data = plain;
    kernel.encrypt(cipher, data.data(), kBlocks);
    ASSERT_TRUE(data == expected);
    kernel.decrypt(cipher, data.data(), kBlocks);
    ASSERT_TRUE(data == plain);
  }
}

TEST(CipherKernelChoice, IsASupportedFastKernel) {
  const CipherKernel& chosen = selectedCipherKernel();
  bool found = false;
  for (const CipherKernel& kernel : fastCipherKernels())
    found = found || kernel.encrypt == chosen.encrypt;
  EXPECT_TRUE(found) << chosen.name;
}

TEST(CrcKernels, EveryLengthUpTo4096MatchesTheSlicedReference) {
  const Bytes data = randomBytes(4096 + 8, 7);
  for (const CrcKernel& kernel : supportedCrcKernels()) {
    SCOPED_TRACE(kernel.name);
    for (std::size_t length = 0; length <= 4096; ++length) {
      const std::size_t offset = length % 8;
      // A running value other than the initial one shows it is folded in.
      const std::uint32_t start = static_cast<std::uint32_t>(length * 0x9E3779B9u);
      ASSERT_EQ(kernel.update(start, data.data() + offset, length),
                crc32UpdateSliced(start, data.data() + offset, length))
          << length;
    }
  }
}

TEST(CrcKernels, SixtyFourMebibytesMatchTheSlicedReference) {
  const Bytes data = randomBytes(64u << 20, 65);
  const std::uint32_t expected = crc32UpdateSliced(kCrcInitial, data.data(), data.size());
  for (const CrcKernel& kernel : supportedCrcKernels())
    EXPECT_EQ(kernel.update(kCrcInitial, data.data(), data.size()), expected)
        << kernel.name;
}

TEST(CrcCombine, PiecesCombineToTheWhole) {
  const Bytes data = randomBytes(100000, 3);
  const std::uint32_t whole = crc32(data.data(), data.size());
  for (std::size_t split : {0u, 1u, 7u, 8u, 128u, 4097u, 65536u, 99999u, 100000u}) {
    const std::uint32_t a = crc32(data.data(), split);
    const std::uint32_t b = crc32(data.data() + split, data.size() - split);
    EXPECT_EQ(crc32Combine(a, b, data.size() - split), whole) << split;
  }
  // Three pieces, combined left to right.
  const std::uint32_t ab =
      crc32Combine(crc32(data.data(), 10), crc32(data.data() + 10, 20), 20);
  EXPECT_EQ(crc32Combine(ab, crc32(data.data() + 30, data.size() - 30), data.size() - 30),
            whole);
}

} // namespace
} // namespace ravelock::engine
