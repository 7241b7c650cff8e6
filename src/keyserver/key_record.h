#pragma once
// The record in which a key travels between the key dialogs, the file
// routines, the key server and key databases. Its layout is stored in key
// databases and sent to the key server, so it is fixed byte for byte.

#include <cstddef>
#include <cstdint>

namespace ravelock {

inline constexpr std::size_t kMaxKeyLength = 56;
inline constexpr std::size_t kKeyNameField = 36;
inline constexpr std::size_t kMaxKeyNameLength = 32;

#pragma pack(push, 1)
struct KeyRecord {
  char key[kMaxKeyLength];  // the pass phrase bytes, no terminator needed
  std::uint32_t length;     // 0 means no key
  char name[kKeyNameField]; // at most 32 bytes, then zero bytes
};
#pragma pack(pop)

static_assert(sizeof(KeyRecord) == 96);
static_assert(offsetof(KeyRecord, key) == 0);
static_assert(offsetof(KeyRecord, length) == 56);
static_assert(offsetof(KeyRecord, name) == 60);

inline constexpr std::size_t kKeyRecordSize = sizeof(KeyRecord);

} // namespace ravelock
