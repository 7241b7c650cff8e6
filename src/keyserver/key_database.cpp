#include "keyserver/key_database.h"

#include "platform/byte_order.h"
#include "platform/secure_wipe.h"

#include <algorithm>
#include <cstring>

namespace ravelock::keyserver {

namespace {

// A caller's expected count only sizes the first allocation; more than a
// server's answer can list is not worth reserving for.
constexpr std::uint32_t kMostReserved = 8192;

std::size_t imageCapacity(std::uint32_t count) {
  return static_cast<std::size_t>(databaseContentLength(count)) + kDatabaseSpareBytes;
}

} // namespace

DatabaseImageBuilder::DatabaseImageBuilder(std::uint32_t expectedCount) {
  image_.reserve(imageCapacity(std::min(expectedCount, kMostReserved)));
  image_.resize(kDatabaseLeadBytes, 0);
}

void DatabaseImageBuilder::add(const KeyRecord& record) {
  add(std::span(reinterpret_cast<const unsigned char*>(&record), sizeof record));
}

void DatabaseImageBuilder::add(std::span<const unsigned char> recordBytes) {
  if (recordBytes.size() != kKeyRecordSize)
    return;
  // Grown by hand, so no copy of a key is left behind in freed memory.
  if (image_.size() + kKeyRecordSize + kDatabaseSpareBytes > image_.capacity()) {
    std::vector<unsigned char> larger;
    larger.reserve(imageCapacity(count_ * 2 + 1));
    larger.assign(image_.begin(), image_.end());
    platform::secureWipe(image_.data(), image_.size());
    image_.swap(larger);
  }
  image_.insert(image_.end(), recordBytes.begin(), recordBytes.end());
  ++count_;
}

std::vector<unsigned char> DatabaseImageBuilder::finish() {
  image_.resize(image_.size() + kDatabaseSpareBytes, 0);
  platform::storeLe32(image_.data(), KEY_DATABASE_ID);
  platform::storeLe32(image_.data() + 4, count_);
  count_ = 0;
  std::vector<unsigned char> done;
  done.swap(image_);
  return done;
}

void DatabaseImageBuilder::discard() {
  platform::secureWipe(image_.data(), image_.size());
  image_.assign(kDatabaseLeadBytes, 0);
  count_ = 0;
}

DatabaseCheck checkDatabaseLead(const unsigned char (&lead)[kDatabaseLeadBytes],
                                std::uint64_t length) {
  if (platform::loadLe32(lead) != KEY_DATABASE_ID)
    return DatabaseCheck::BadIdentifier;
  // 64-bit, so a hostile count cannot wrap around into range.
  const std::uint64_t content = databaseContentLength(platform::loadLe32(lead + 4));
  if (length < content || length > content + kDatabaseSpareBytes)
    return DatabaseCheck::BadCount;
  return DatabaseCheck::Valid;
}

DatabaseRecords readDatabaseRecords(std::span<const unsigned char> image) {
  DatabaseRecords result;
  if (image.size() < kDatabaseLeadBytes)
    return result;
  unsigned char lead[kDatabaseLeadBytes];
  std::memcpy(lead, image.data(), sizeof lead);
  result.check = checkDatabaseLead(lead, image.size());
  if (result.check != DatabaseCheck::Valid)
    return result;
  // The count was bounded by the real length just above.
  const std::uint32_t count = platform::loadLe32(lead + 4);
  result.records = std::span(
      reinterpret_cast<const KeyRecord*>(image.data() + kDatabaseLeadBytes), count);
  return result;
}

} // namespace ravelock::keyserver
