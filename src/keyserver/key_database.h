#pragma once
// The plain image of a key database: KEY_DATABASE_ID, the number of
// records, the records exactly as the key server hands them out, then zero
// padding to whole cipher blocks. The client builds it from the server's
// export, the engine checks its first block after deciphering, and the
// main program reads the records back. Every count in an image is
// untrusted: it is bounded by the image's real length before use.

#include "keyserver/key_record.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace ravelock::keyserver {

inline constexpr std::uint32_t KEY_DATABASE_ID = 0xABECEDA1u;
// The identifier and the count before the records.
inline constexpr std::size_t kDatabaseLeadBytes = 8;
// Room after the records that the cipher's padding may use.
inline constexpr std::size_t kDatabaseSpareBytes = 8;

// The plain length of an image of `count` records, before padding.
inline constexpr std::uint64_t databaseContentLength(std::uint64_t count) {
  return kDatabaseLeadBytes + count * kKeyRecordSize;
}

// Builds an image record by record: the lead words are written by finish(),
// which also adds the spare bytes.
class DatabaseImageBuilder {
public:
  explicit DatabaseImageBuilder(std::uint32_t expectedCount = 0);
  void add(const KeyRecord& record);
  void add(std::span<const unsigned char> recordBytes);
  std::uint32_t count() const { return count_; }
  // The image (moved out) and its record count; the builder is empty after.
  std::vector<unsigned char> finish();
  // Wipes what was gathered, e.g. when the export failed half way.
  void discard();

private:
  std::vector<unsigned char> image_;
  std::uint32_t count_ = 0;
};

// How the first block of an image compares with the length it claims.
enum class DatabaseCheck {
  Valid,
  BadIdentifier, // no KEY_DATABASE_ID (or fewer than 8 bytes)
  BadCount,      // the count does not fit `length` (records and padding)
};

// The first 8 plain bytes against the image's whole length: the records of
// the count and at most 8 bytes of padding must make exactly `length`.
DatabaseCheck checkDatabaseLead(const unsigned char (&lead)[kDatabaseLeadBytes],
                                std::uint64_t length);

// The records of a deciphered image, when it checks as a whole: Valid and
// the records (pointing into `image`), else the fault and nothing.
struct DatabaseRecords {
  DatabaseCheck check = DatabaseCheck::BadIdentifier;
  std::span<const KeyRecord> records;
};
DatabaseRecords readDatabaseRecords(std::span<const unsigned char> image);

// The count of records a payload of `length` bytes can hold, whatever it
// says of itself (the progress dialog shows it before deciphering).
inline std::uint32_t recordsThatFit(std::uint64_t length) {
  return length < kDatabaseLeadBytes
             ? 0
             : static_cast<std::uint32_t>((length - kDatabaseLeadBytes) / kKeyRecordSize);
}

} // namespace ravelock::keyserver
