#include "engine/cipher/crc32.h"
#include "engine/engine_test_util.h"
#include "engine/files/buffer_crypto.h"
#include "engine/format/header.h"
#include "engine/known_answers.h"
#include "support/scripted_link.h"

#include <gtest/gtest.h>

namespace ravelock::engine {
namespace {

using test::ScriptedLink;

struct Enciphered {
  std::string data;
  ContentCrcs crcs;
};

Enciphered encipher(const std::string& key, std::size_t length) {
  CipherState c;
  keyed(c, key);
  Enciphered e{test::knownPlain(length), {}};
  e.data.resize(paddedLength(length), '\0');
  EXPECT_EQ(encipherPadded(c, bytes(e.data), e.data.size(), nullptr, e.crcs), 0);
  return e;
}

TEST(BufferCrypto, ProgressIsSentEvery64BlocksWhenItGrows) {
  CipherState c;
  keyed(c, "key");
  std::string data(512 * 10, 'x'); // 640 blocks: 10 polls
  ScriptedLink link;
  ContentCrcs crcs;
  ASSERT_EQ(encipherPadded(c, bytes(data), data.size(), &link, crcs), 0);
  EXPECT_EQ(link.polls, 10);
  const std::vector<std::uintptr_t> expected = {10, 20, 30, 40, 50, 60, 70, 80, 90, 100};
  EXPECT_EQ(link.progressValues(), expected);

  // Deciphering sends the last computed value once more at the end.
  ScriptedLink back;
  ASSERT_EQ(
      decipherPayload(c, bytes(data), data.size(), &back, crcs.keyCheck, crcs.content),
      0);
  std::vector<std::uintptr_t> withLast = expected;
  withLast.push_back(100);
  EXPECT_EQ(back.progressValues(), withLast);
  EXPECT_EQ(data, std::string(512 * 10, 'x'));
}

TEST(BufferCrypto, SmallPercentagesAreSentOnlyWhenTheyGrow) {
  CipherState c;
  keyed(c, "key");
  std::string data(512 * 250, 'x'); // each poll adds 0.4 %
  ScriptedLink link;
  ContentCrcs crcs;
  ASSERT_EQ(encipherPadded(c, bytes(data), data.size(), &link, crcs), 0);
  const auto values = link.progressValues();
  ASSERT_EQ(values.size(), 100u);
  EXPECT_EQ(values.front(), 1u);
  EXPECT_EQ(values.back(), 100u);
}

TEST(BufferCrypto, StopStateEndsEncipheringAndDeciphering) {
  CipherState c;
  keyed(c, "key");
  std::string data(512 * 4, 'x');
  ScriptedLink link;
  link.stopAtPoll = 2;
  ContentCrcs crcs;
  EXPECT_EQ(encipherPadded(c, bytes(data), data.size(), &link, crcs), 817);
  EXPECT_EQ(link.polls, 2);

  Enciphered e = encipher("key", 512 * 4);
  ScriptedLink stopper;
  stopper.stopAtPoll = 1;
  EXPECT_EQ(decipherPayload(c, bytes(e.data), e.data.size(), &stopper, e.crcs.keyCheck,
                            e.crcs.content),
            817);
}

TEST(BufferCrypto, WrongKeyStopsAfter16BlocksOrChecksAllBelow128) {
  Enciphered big = encipher("right", 1000);
  const std::string enciphered = big.data;
  CipherState wrong;
  keyed(wrong, "wrong");
  EXPECT_EQ(decipherPayload(wrong, bytes(big.data), big.data.size(), nullptr,
                            big.crcs.keyCheck, big.crcs.content),
            816);
  EXPECT_NE(big.data.substr(0, 128), enciphered.substr(0, 128));
  EXPECT_EQ(big.data.substr(128), enciphered.substr(128)); // the rest stays enciphered

  Enciphered small = encipher("right", 64);
  const std::string smallEnciphered = small.data;
  EXPECT_EQ(decipherPayload(wrong, bytes(small.data), 64, nullptr, small.crcs.keyCheck,
                            small.crcs.content),
            816);
  // All 64 bytes were deciphered (with the wrong key).
  for (std::size_t i = 0; i < 64; i += 8)
    EXPECT_NE(small.data.substr(i, 8), smallEnciphered.substr(i, 8)) << i;
}

TEST(BufferCrypto, DamageAfterTheKeyCheckGives820WithEverythingDeciphered) {
  Enciphered e = encipher("right", 1000);
  e.data[500] ^= 1;
  CipherState c;
  keyed(c, "right");
  EXPECT_EQ(decipherPayload(c, bytes(e.data), e.data.size(), nullptr, e.crcs.keyCheck,
                            e.crcs.content),
            820);
  const std::string plain = test::knownPlain(1000);
  EXPECT_EQ(e.data.substr(0, 496), plain.substr(0, 496));
  EXPECT_EQ(e.data.substr(504, 496), plain.substr(504));
}

TEST(BufferCrypto, AnyTeamAndAnyPiecesGiveTheBytesAndCrcsOfOnePass) {
  CipherState c;
  keyed(c, "team");
  // Across several rounds and shares, with a length no share divides.
  const std::size_t length = (9u << 20) + 8 * 77;
  const std::string plain = test::knownPlain(length);
  std::string expected = plain;
  CryptTeam one(1);
  PayloadEncipherer whole(c, one, nullptr, length);
  ASSERT_EQ(whole.next(bytes(expected), length), 0);
  const ContentCrcs expectedCrcs = whole.crcs();
  EXPECT_EQ(expectedCrcs.keyCheck,
            crc32(reinterpret_cast<const unsigned char*>(plain.data()), 128));
  EXPECT_EQ(expectedCrcs.content,
            crc32(reinterpret_cast<const unsigned char*>(plain.data()), length));

  for (std::size_t threads : {2u, 3u, 8u}) {
    for (std::size_t piece : {std::size_t{1} << 20, std::size_t{4096} + 8, length}) {
      SCOPED_TRACE(testing::Message() << threads << " threads, pieces of " << piece);
      CryptTeam team(threads);
      std::string data = plain;
      PayloadEncipherer enc(c, team, nullptr, length);
      for (std::size_t at = 0; at < length; at += piece)
        ASSERT_EQ(enc.next(bytes(data) + at, std::min(piece, length - at)), 0);
      ASSERT_TRUE(data == expected);
      EXPECT_EQ(enc.crcs().keyCheck, expectedCrcs.keyCheck);
      EXPECT_EQ(enc.crcs().content, expectedCrcs.content);

      PayloadDecipherer dec(c, team, nullptr, length, expectedCrcs.keyCheck,
                            expectedCrcs.content);
      for (std::size_t at = 0; at < length; at += piece)
        ASSERT_EQ(dec.next(bytes(data) + at, std::min(piece, length - at)), 0);
      EXPECT_EQ(dec.finish(), 0);
      ASSERT_TRUE(data == plain);
    }
  }
}

TEST(BufferCrypto, PollsOfALargeBufferFollowEvery64Blocks) {
  CipherState c;
  keyed(c, "key");
  std::string data((5u << 20) + 100 * 512, 'x');
  ScriptedLink link;
  ContentCrcs crcs;
  ASSERT_EQ(encipherPadded(c, bytes(data), data.size(), &link, crcs), 0);
  EXPECT_EQ(link.polls, static_cast<int>(data.size() / 512));
  const auto values = link.progressValues();
  ASSERT_EQ(values.size(), 100u);
  EXPECT_EQ(values.front(), 1u);
  EXPECT_EQ(values.back(), 100u);
  ScriptedLink stopper;
  stopper.stopAtPoll = 9000; // inside the second round of the threads
  EXPECT_EQ(encipherPadded(c, bytes(data), data.size(), &stopper, crcs), 817);
  EXPECT_EQ(stopper.polls, 9000);
}

TEST(BufferCrypto, LengthNotWholeBlocksChangesNothing) {
  std::string data = "0123456789abc";
  CipherState c;
  keyed(c, "k");
  EXPECT_EQ(decipherPayload(c, bytes(data), data.size(), nullptr, 0, 0), 819);
  EXPECT_EQ(data, "0123456789abc");
}

} // namespace
} // namespace ravelock::engine
