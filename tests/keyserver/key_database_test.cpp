#include "keyserver/key_database.h"

#include "platform/byte_order.h"
#include "support/key_record.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace ravelock::keyserver {
namespace {

using platform::loadLe32;
using platform::storeLe32;

std::vector<unsigned char> imageOf(std::initializer_list<const char*> names) {
  DatabaseImageBuilder builder(1); // grows past its reservation
  for (const char* name : names)
    builder.add(test::keyRecord(std::string("key of ") + name, name));
  return builder.finish();
}

TEST(KeyDatabaseImage, HoldsTheRecordsInOrderAfterTheLeadWordsAndSpareBytes) {
  const auto image = imageOf({"one", "two", "three"});
  ASSERT_EQ(image.size(), 8 + 3 * kKeyRecordSize + kDatabaseSpareBytes);
  EXPECT_EQ(loadLe32(image.data()), 0xABECEDA1u);
  EXPECT_EQ(loadLe32(image.data() + 4), 3u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(image.data()) + 8 + 96 + 60),
            "two");

  // What the cipher gets is the content padded to whole blocks.
  const std::span content(image.data(), databaseContentLength(3));
  const DatabaseRecords read = readDatabaseRecords(content);
  ASSERT_EQ(read.check, DatabaseCheck::Valid);
  ASSERT_EQ(read.records.size(), 3u);
  EXPECT_STREQ(read.records[2].name, "three");
  EXPECT_EQ(std::string(read.records[2].key, read.records[2].length), "key of three");
  EXPECT_EQ(readDatabaseRecords(std::span(image)).check, DatabaseCheck::Valid);
}

TEST(KeyDatabaseImage, AnEmptyExportIsTheLeadWordsAlone) {
  DatabaseImageBuilder builder;
  const auto image = builder.finish();
  ASSERT_EQ(image.size(), 16u);
  EXPECT_EQ(loadLe32(image.data() + 4), 0u);
  EXPECT_EQ(readDatabaseRecords(std::span(image.data(), 8)).records.size(), 0u);
}

TEST(KeyDatabaseImage, DiscardStartsAgainEmpty) {
  DatabaseImageBuilder builder;
  builder.add(test::keyRecord("secret", "a"));
  builder.discard();
  EXPECT_EQ(builder.count(), 0u);
  EXPECT_EQ(builder.finish().size(), 16u);
}

TEST(KeyDatabaseImage, HostileImagesAreRefusedWithoutReadingPastThem) {
  struct Case {
    const char* what;
    std::uint32_t identifier;
    std::uint32_t count;
    std::size_t length;
    DatabaseCheck expected;
  };
  const std::size_t two = 8 + 2 * kKeyRecordSize;
  const Case cases[] = {
      {"exact", KEY_DATABASE_ID, 2, two, DatabaseCheck::Valid},
      {"with 8 bytes of padding", KEY_DATABASE_ID, 2, two + 8, DatabaseCheck::Valid},
      {"9 bytes over", KEY_DATABASE_ID, 2, two + 9, DatabaseCheck::BadCount},
      {"count past the end", KEY_DATABASE_ID, 3, two, DatabaseCheck::BadCount},
      {"count that would wrap", KEY_DATABASE_ID, 0xFFFFFFFFu, two,
       DatabaseCheck::BadCount},
      {"count under the length", KEY_DATABASE_ID, 1, two, DatabaseCheck::BadCount},
      {"another identifier", 0x10111213u, 2, two, DatabaseCheck::BadIdentifier},
      {"lead words cut", KEY_DATABASE_ID, 0, 7, DatabaseCheck::BadIdentifier},
      {"nothing", KEY_DATABASE_ID, 0, 0, DatabaseCheck::BadIdentifier},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    // Exactly as long as the case says, so a read past it is caught.
    std::vector<unsigned char> image(std::max<std::size_t>(c.length, 8), 0);
    storeLe32(image.data(), c.identifier);
    storeLe32(image.data() + 4, c.count);
    image.resize(c.length);
    image.shrink_to_fit();
    const DatabaseRecords read = readDatabaseRecords(image);
    EXPECT_EQ(read.check, c.expected);
    if (c.expected != DatabaseCheck::Valid)
      EXPECT_TRUE(read.records.empty());
    else
      EXPECT_EQ(read.records.size(), c.count);
  }
}

TEST(KeyDatabaseImage, RecordsThatFitDropTheRemainder) {
  EXPECT_EQ(recordsThatFit(0), 0u);
  EXPECT_EQ(recordsThatFit(8), 0u);
  EXPECT_EQ(recordsThatFit(8 + 96 + 95), 1u);
  EXPECT_EQ(recordsThatFit(8 + 3 * 96 + 8), 3u);
}

} // namespace
} // namespace ravelock::keyserver
