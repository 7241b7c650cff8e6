#include "app/key_database_file.h"

#include "engine/cipher/cipher.h"
#include "engine/files/buffer_crypto.h"
#include "keyserver/key_database.h"
#include "platform/filesystem.h"
#include "support/fault_hooks.h"
#include "support/key_record.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>

namespace ravelock::app {
namespace {

using platform::Fault;
using platform::Op;

constexpr std::string_view kOldDatabase = "an older database, kept byte for byte";

std::vector<unsigned char> payloadOf(std::size_t length, unsigned char fill = 0x5A) {
  return std::vector<unsigned char>(length, fill);
}

std::string fileBytes(const engine::EncryptedFileHeader& header,
                      const std::vector<unsigned char>& payload) {
  unsigned char bytes[engine::kHeaderSize];
  engine::serializeHeader(header, bytes);
  return std::string(reinterpret_cast<const char*>(bytes), sizeof bytes) +
         std::string(payload.begin(), payload.end());
}

std::size_t filesIn(const std::filesystem::path& folder) {
  return static_cast<std::size_t>(
      std::distance(std::filesystem::directory_iterator(folder),
                    std::filesystem::directory_iterator()));
}

class DatabaseFile : public testing::Test {
protected:
  test::TempDir dir;
  const std::string path = dir.file("keys.rlk");
  const KeyRecord master = test::keyRecord("master", "My_keys_file_2026/12/11-14:20");
  const std::vector<unsigned char> payload = payloadOf(8 + 3 * kKeyRecordSize);
  const engine::EncryptedFileHeader header =
      databaseHeader(master, static_cast<std::uint32_t>(payload.size()), 0x11, 0x22);

  int save() {
    DatabaseTarget target(path);
    return target.prepare() && target.write(header, payload) ? 0 : 1;
  }
};

TEST_F(DatabaseFile, TheHeaderCarriesThePaddedLengthTheCrcsAndTheWholeName) {
  const KeyRecord full = test::keyRecord("k", std::string(32, 'n'));
  const auto h = databaseHeader(full, 296, 7, 9);
  EXPECT_EQ(h.identifier, engine::kFileIdentifier);
  EXPECT_EQ(h.originalSize, 296u);
  EXPECT_EQ(h.keyCheckCrc, 7u);
  EXPECT_EQ(h.contentCrc, 9u);
  EXPECT_EQ(std::string(h.keyName, sizeof h.keyName), std::string(32, 'n'));
}

TEST_F(DatabaseFile, ASaveWritesHeaderAndPayloadAndLeavesNothingElse) {
  ASSERT_EQ(save(), 0);
  EXPECT_EQ(test::readFile(path), fileBytes(header, payload));
  EXPECT_EQ(filesIn(dir.path()), 1u);
}

TEST_F(DatabaseFile, ASaveReplacesAReadOnlyDatabase) {
  test::writeFile(path, kOldDatabase);
  ASSERT_TRUE(platform::setAttributes(path.c_str(), platform::kAttrReadOnly));
  ASSERT_EQ(save(), 0);
  EXPECT_EQ(test::readFile(path), fileBytes(header, payload));
  EXPECT_EQ(filesIn(dir.path()), 1u);
}

TEST_F(DatabaseFile, ACancelledSaveLeavesTheOldFileAndItsAttributesOrNoFile) {
  {
    DatabaseTarget fresh(path);
    ASSERT_TRUE(fresh.prepare());
  }
  EXPECT_FALSE(platform::pathExists(path.c_str()));

  test::writeFile(path, kOldDatabase);
  ASSERT_TRUE(platform::setAttributes(path.c_str(), platform::kAttrReadOnly));
  const std::uint32_t before = platform::getAttributes(path.c_str());
  {
    DatabaseTarget old(path);
    ASSERT_TRUE(old.prepare());
    EXPECT_FALSE(platform::getAttributes(path.c_str()) & platform::kAttrReadOnly);
  }
  EXPECT_EQ(test::readFile(path), kOldDatabase);
  EXPECT_EQ(platform::getAttributes(path.c_str()), before);
  platform::setAttributes(path.c_str(), platform::kAttrNormal);
}

TEST_F(DatabaseFile, EveryFailureOfASaveLeavesTheOlderDatabaseIntact) {
  int failed = 0;
  test::forEveryFailurePoint(
      0, [&] { test::writeFile(path, kOldDatabase); }, [&] { return save(); },
      [&](Op, int, Fault, int result) {
        if (result != 0) {
          ++failed;
          EXPECT_EQ(test::readFile(path), kOldDatabase);
        } else {
          EXPECT_EQ(test::readFile(path), fileBytes(header, payload));
        }
        EXPECT_EQ(filesIn(dir.path()), 1u);
      });
  EXPECT_GT(failed, 0);
}

TEST_F(DatabaseFile, EveryFailureOfASaveToANewPathLeavesNoDatabase) {
  test::forEveryFailurePoint(
      0, [&] { std::filesystem::remove(path); }, [&] { return save(); },
      [&](Op op, int, Fault, int result) {
        if (result == 0)
          EXPECT_EQ(test::readFile(path), fileBytes(header, payload));
        else if (op == Op::Delete && platform::pathExists(path.c_str()))
          EXPECT_EQ(test::readFile(path), ""); // the probe could not be removed
        else
          EXPECT_EQ(filesIn(dir.path()), 0u);
      });
}

TEST_F(DatabaseFile, ThePayloadIsReadOnlyWhenTheFileHoldsWhatItsHeaderAnnounces) {
  struct Case {
    const char* what;
    std::size_t payloadBytes;
    std::uint32_t announced;
    PayloadRead expected;
  };
  const std::uint32_t one = 8 + kKeyRecordSize;
  const Case cases[] = {
      {"one record", one, one, PayloadRead::Read},
      {"the two lead words only", 8, 8, PayloadRead::NotDatabase},
      {"size field past the end", one, one + 8, PayloadRead::NotDatabase},
      {"size field far past the end", one, 0xFFFFFFF8u, PayloadRead::NotDatabase},
      {"part block", one + 4, one + 4, PayloadRead::NotDatabase},
      {"less announced than held", one + 16, one + 8, PayloadRead::Read},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    test::writeFile(path, std::string(engine::kHeaderSize, 'h') +
                              std::string(c.payloadBytes, 'p'));
    std::vector<unsigned char> read;
    EXPECT_EQ(readDatabasePayload(path.c_str(), c.announced, read), c.expected);
    EXPECT_EQ(read.size(), c.expected == PayloadRead::Read ? c.announced : 0u);
  }
  std::vector<unsigned char> read;
  EXPECT_EQ(readDatabasePayload(dir.file("missing.rlk").c_str(), one, read),
            PayloadRead::Unusable);
}

TEST_F(DatabaseFile, AFailingReadIsUnusableAndAShortOneNotADatabase) {
  const std::uint32_t one = 8 + kKeyRecordSize;
  test::writeFile(path, std::string(engine::kHeaderSize + one, 'p'));
  for (Op op : {Op::Open, Op::Size, Op::Seek, Op::Read}) {
    SCOPED_TRACE(platform::opName(op));
    std::vector<unsigned char> read;
    test::FailNth failing(op, 1);
    EXPECT_EQ(readDatabasePayload(path.c_str(), one, read), PayloadRead::Unusable);
    EXPECT_TRUE(read.empty());
  }
  std::vector<unsigned char> read;
  test::FailNth shortened(Op::Read, 1, Fault::Short);
  EXPECT_EQ(readDatabasePayload(path.c_str(), one, read), PayloadRead::NotDatabase);
}

#ifdef RAVELOCK_REFERENCE
// The independent reference reads a database written here and lists the
// same records.
TEST(DatabaseReference, ListsTheRecordsOfASavedDatabase) {
  test::TempDir dir;
  const std::string path = dir.file("reference.rlk");
  keyserver::DatabaseImageBuilder builder;
  builder.add(test::keyRecord("key one", "one"));
  builder.add(test::keyRecord(std::string(56, 'k'), std::string(32, 'n')));
  builder.add(test::keyRecord("3", "three"));
  std::vector<unsigned char> image = builder.finish();
  const auto padded = static_cast<std::uint32_t>(
      engine::paddedLength(keyserver::databaseContentLength(3)));
  engine::CipherState cipher;
  cipher.Init(reinterpret_cast<const unsigned char*>("master"), 6);
  engine::ContentCrcs crcs;
  ASSERT_EQ(engine::encipherPadded(cipher, image.data(), padded, nullptr, crcs), 0);
  const KeyRecord master = test::keyRecord("master", "Reference keys");
  DatabaseTarget target(path);
  ASSERT_TRUE(target.prepare());
  ASSERT_TRUE(target.write(databaseHeader(master, padded, crcs.keyCheck, crcs.content),
                           std::span(image.data(), padded)));

  const std::string command =
      "python3 '" RAVELOCK_REFERENCE "' database master '" + path + "'";
  std::FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string listed;
  char chunk[256];
  while (const std::size_t got = std::fread(chunk, 1, sizeof chunk, pipe))
    listed.append(chunk, got);
  ASSERT_EQ(pclose(pipe), 0) << listed;
  const auto hex = [](const std::string& text) {
    std::string out;
    char digits[3];
    for (const unsigned char c : text) {
      std::snprintf(digits, sizeof digits, "%02x", c);
      out += digits;
    }
    return out;
  };
  EXPECT_EQ(listed, "database: Reference keys\none\t" + hex("key one") + "\n" +
                        std::string(32, 'n') + "\t" + hex(std::string(56, 'k')) +
                        "\nthree\t" + hex("3") + "\n");
}
#endif

} // namespace
} // namespace ravelock::app
