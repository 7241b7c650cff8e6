#pragma once
// Key records for the tests, filled field by field as the record's layout
// has them: the key bytes and their length, and the name in its 36-byte
// field with zero bytes after it. Over-long names are copied up to the
// field's end so that tests can build the records the code must refuse.

#include "keyserver/key_record.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

namespace ravelock::test {

inline KeyRecord keyRecord(std::string_view key, std::string_view name = {}) {
  KeyRecord record{};
  std::copy_n(key.data(), std::min(key.size(), sizeof record.key), record.key);
  record.length = static_cast<std::uint32_t>(key.size());
  std::copy_n(name.data(), std::min(name.size(), sizeof record.name), record.name);
  return record;
}

} // namespace ravelock::test
