#include "engine/cipher/cipher.h"
#include "engine/cipher/cipher_tables.h"
#include "engine/engine_test_util.h"
#include "engine/files/buffer_crypto.h"
#include "engine/known_answers.h"

#include <gtest/gtest.h>

#include <cstring>

namespace ravelock::engine {
namespace {

using test::kKnownAnswers;
using test::knownKey;
using test::knownPlain;

TEST(CipherTables, AnchorValuesOfPi) {
  EXPECT_EQ(kInitialP[0], 0x243F6A88u);
  EXPECT_EQ(kInitialP[17], 0x8979FB1Bu);
  EXPECT_EQ(kInitialS0[0], 0xD1310BA6u);
  EXPECT_EQ(kInitialS1[0], 0x4B7A70E9u);
  EXPECT_EQ(kInitialS2[0], 0xE93D5A68u);
  EXPECT_EQ(kInitialS3[0], 0x3A39CE37u);
  EXPECT_EQ(kInitialS3[255], 0x3AC372E6u);
}

TEST(Cipher, ZeroBlockMatchesReferenceForEveryKeyLength) {
  for (const auto& v : kKnownAnswers) {
    const std::string key = knownKey(v.keyLength);
    CipherState c;
    keyed(c, key);
    std::uint32_t L = 0, R = 0;
    c.EncryptBlock(L, R);
    EXPECT_EQ(L, v.zeroBlockL) << "key length " << v.keyLength;
    EXPECT_EQ(R, v.zeroBlockR) << "key length " << v.keyLength;
  }
}

TEST(Cipher, EnciphersKnownAnswersWithTheirCrcs) {
  for (const auto& v : kKnownAnswers) {
    SCOPED_TRACE(testing::Message()
                 << "key " << v.keyLength << " plain " << v.plainLength);
    CipherState c;
    keyed(c, knownKey(v.keyLength));
    std::string data = knownPlain(v.plainLength);
    data.resize(v.paddedLength, '\0');
    ContentCrcs crcs;
    ASSERT_EQ(encipherPadded(c, bytes(data), data.size(), nullptr, crcs), 0);
    EXPECT_EQ(data, v.cipherText);
    EXPECT_EQ(crcs.keyCheck, v.keyCheckCrc);
    EXPECT_EQ(crcs.content, v.contentCrc);
  }
}

TEST(Cipher, GroupedBlocksEqualSingleBlocksBothWays) {
  CipherState c;
  keyed(c, "group");
  std::string data = knownPlain(8 * 23); // groups of 4 plus a tail of 3
  std::string single = data;
  c.EncryptBlocks(bytes(data), 23);
  for (std::size_t i = 0; i < single.size(); i += 8) {
    std::uint32_t L, R;
    std::memcpy(&L, single.data() + i, 4);
    std::memcpy(&R, single.data() + i + 4, 4);
    c.EncryptBlock(L, R);
    std::memcpy(single.data() + i, &L, 4);
    std::memcpy(single.data() + i + 4, &R, 4);
  }
  EXPECT_EQ(data, single);
  c.DecryptBlocks(bytes(data), 23);
  EXPECT_EQ(data, knownPlain(8 * 23));
}

TEST(Cipher, DecipheringRestoresEveryKeyLength) {
  const std::string plain = knownPlain(8 * 40);
  for (std::size_t n = 1; n <= 56; ++n) {
    CipherState c;
    keyed(c, knownKey(n));
    std::string data = plain;
    c.EncryptBlocks(bytes(data), 40);
    EXPECT_NE(data, plain);
    c.DecryptBlocks(bytes(data), 40);
    EXPECT_EQ(data, plain) << "key length " << n;
  }
}

TEST(Cipher, KeyIsCutAt72Bytes) {
  const std::string key = knownKey(100);
  CipherState first72, longer;
  keyed(first72, key.substr(0, 72));
  for (std::size_t n : {72u, 73u, 100u}) {
    keyed(longer, key.substr(0, n));
    EXPECT_EQ(std::memcmp(&first72, &longer, sizeof(CipherState)), 0) << n;
  }
}

TEST(Cipher, RepeatingKeysGiveTheSameSchedule) {
  // 18 bytes fill K exactly four times, 36 twice: "ab..r" and its doubling
  // give the same 72-byte K and so the same state.
  const std::string k18 = knownKey(18);
  CipherState once, twice;
  keyed(once, k18);
  keyed(twice, k18 + k18);
  EXPECT_EQ(std::memcmp(&once, &twice, sizeof(CipherState)), 0);
}

} // namespace
} // namespace ravelock::engine
