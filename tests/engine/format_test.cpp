#include "engine/cipher/crc32.h"
#include "engine/engine_test_util.h"
#include "engine/files/buffer_crypto.h"
#include "engine/format/header.h"
#include "engine/known_answers.h"
#include "keyserver/key_database.h"
#include "support/key_record.h"

#include <gtest/gtest.h>

#include <cstring>

namespace ravelock::engine {
namespace {

EncryptedFileHeader headerWith(std::uint32_t identifier, std::uint32_t originalSize) {
  EncryptedFileHeader h{};
  h.identifier = identifier;
  h.originalSize = originalSize;
  return h;
}

TEST(Header, SerializesLittleEndianInFileOrder) {
  EncryptedFileHeader h{kFileIdentifier, 0x01020304, 0xA0B0C0D0, 0x11223344, {}};
  std::memcpy(h.keyName, "abcdefghijklmnopqrstuvwxyz012345", 32);
  unsigned char raw[kHeaderSize];
  serializeHeader(h, raw);
  const unsigned char expected[16] = {0x13, 0x12, 0x11, 0x10, 0x04, 0x03, 0x02, 0x01,
                                      0xD0, 0xC0, 0xB0, 0xA0, 0x44, 0x33, 0x22, 0x11};
  EXPECT_EQ(std::memcmp(raw, expected, 16), 0);
  const HeaderInfo info = headerInfoFrom(parseHeader(raw));
  EXPECT_EQ(info.originalSize, 0x01020304u);
  EXPECT_EQ(info.keyCheckCrc, 0xA0B0C0D0u);
  EXPECT_EQ(info.contentCrc, 0x11223344u);
  // A 32-byte name has no terminator in the file; the record adds one.
  EXPECT_STREQ(info.keyName, "abcdefghijklmnopqrstuvwxyz012345");
}

TEST(Header, ChecksInReaderOrder) {
  struct Case {
    std::uint32_t identifier, originalSize;
    std::uint64_t fileSize;
    std::int32_t expected;
  } cases[] = {
      {kFileIdentifier, 0, 48, 0},
      {kFileIdentifier, 1, 48, 7},
      {kFileIdentifier, 8, 48, 7},
      {kFileIdentifier, 7, 56, 0},
      {kFileIdentifier, 8, 56, 0},
      {kFileIdentifier, 0, 56, 0}, // N = size + 8
      {kFileIdentifier, 0, 64, 7},
      {kFileIdentifier, 9, 56, 7},
      {kFileIdentifier, 8, 57, 6},
      {0x13121110, 8, 57, 5},
      {kFileIdentifier, 0xFFFFFFFF, 48 + 0x100000000ull, 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(checkHeader(headerWith(c.identifier, c.originalSize), c.fileSize),
              c.expected)
        << c.originalSize << " in " << c.fileSize;
}

TEST(KeyTest, UsesKeyCheckCrcFrom128BytesAndContentCrcBelow) {
  for (std::size_t plain : {119u, 127u, 128u, 200u}) {
    CipherState c;
    keyed(c, "right");
    std::string data = test::knownPlain(plain);
    data.resize(paddedLength(plain), '\0');
    ContentCrcs crcs;
    ASSERT_EQ(encipherPadded(c, bytes(data), data.size(), nullptr, crcs), 0);
    EXPECT_TRUE(
        keyFits(c, bytes(data), data.size(), data.size(), crcs.keyCheck, crcs.content));
    CipherState wrong;
    keyed(wrong, "wrong");
    EXPECT_FALSE(keyFits(wrong, bytes(data), data.size(), data.size(), crcs.keyCheck,
                         crcs.content));
    // Only the relevant CRC counts.
    if (data.size() >= 128)
      EXPECT_TRUE(keyFits(c, bytes(data), data.size(), data.size(), crcs.keyCheck, 0));
    else
      EXPECT_TRUE(keyFits(c, bytes(data), data.size(), data.size(), 0, crcs.content));
  }
}

TEST(KeyTest, EmptyPayloadFitsEveryKey) {
  CipherState c;
  keyed(c, "any");
  EXPECT_TRUE(keyFits(c, nullptr, 0, 0, 0, 0));
}

// A key database: identifier, count, records, enciphered under `master`.
struct Database {
  std::string payload;
  HeaderInfo info{};
};

Database makeDatabase(const std::string& master, std::uint32_t count,
                      std::uint32_t identifier = keyserver::KEY_DATABASE_ID,
                      std::uint32_t originalExtra = 0) {
  std::string plain(8 + count * kKeyRecordSize, 'k');
  std::memcpy(plain.data(), &identifier, 4);
  std::memcpy(plain.data() + 4, &count, 4);
  Database db;
  db.payload = plain;
  db.payload.resize(paddedLength(plain.size()), '\0');
  CipherState c;
  keyed(c, master);
  ContentCrcs crcs;
  encipherPadded(c, bytes(db.payload), db.payload.size(), nullptr, crcs);
  db.info.identifier = kFileIdentifier;
  db.info.originalSize = static_cast<std::uint32_t>(plain.size()) + originalExtra;
  db.info.keyCheckCrc = crcs.keyCheck;
  db.info.contentCrc = crcs.content;
  return db;
}

TEST(KeyDatabase, Checks) {
  const KeyRecord master = test::keyRecord("master key");
  struct Case {
    const char* what;
    Database db;
    KeyRecord key;
    std::int32_t expected;
  } cases[] = {
      {"valid, 3 records", makeDatabase("master key", 3), master, 0},
      {"valid, no records", makeDatabase("master key", 0), master, 0},
      {"size 8 bytes over", makeDatabase("master key", 2, keyserver::KEY_DATABASE_ID, 8),
       master, 0},
      {"size 9 bytes over", makeDatabase("master key", 2, keyserver::KEY_DATABASE_ID, 9),
       master, 3},
      {"wrong key", makeDatabase("master key", 3), test::keyRecord("other key"), 1},
      {"empty key", makeDatabase("master key", 3), KeyRecord{}, 1},
      {"wrong identifier", makeDatabase("master key", 3, 0x10111213), master, 2},
  };
  for (auto& c : cases)
    EXPECT_EQ(checkKeyDatabase(bytes(c.db.payload),
                               static_cast<std::uint32_t>(c.db.payload.size()), c.key,
                               c.db.info),
              c.expected)
        << c.what;
}

TEST(KeyDatabase, HostileCountAndShortPayloads) {
  const KeyRecord master = test::keyRecord("master key");
  // A count that would wrap a 32-bit size computation into range.
  Database db = makeDatabase("master key", 0);
  const std::uint32_t hostile = 0x02AAAAAB; // * 96 wraps to 32 in 32 bits
  std::string plain(8, '\0');
  std::memcpy(plain.data(), &keyserver::KEY_DATABASE_ID, 4);
  std::memcpy(plain.data() + 4, &hostile, 4);
  CipherState c;
  keyed(c, "master key");
  ContentCrcs crcs;
  encipherPadded(c, bytes(plain), 8, nullptr, crcs);
  HeaderInfo info{kFileIdentifier, crcs.keyCheck, crcs.content, 8 + 32, {}, 0};
  EXPECT_EQ(checkKeyDatabase(bytes(plain), 8, master, info), 3);

  // Fewer than 8 bytes: the key test of nothing passes when the header says
  // so, and the identifier cannot be read.
  HeaderInfo empty{kFileIdentifier, 0, 0, 0, {}, 0};
  EXPECT_EQ(checkKeyDatabase(nullptr, 0, master, empty), 2);
  // A short length that is not whole blocks never fits.
  EXPECT_EQ(checkKeyDatabase(bytes(db.payload), 5, master, db.info), 1);
}

} // namespace
} // namespace ravelock::engine
