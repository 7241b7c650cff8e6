#pragma once
// Records and raw requests for the key server tests.

#include "keyserver/key_record.h"
#include "keyserver/protocol.h"
#include "support/key_record.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace ravelock::keyserver::test {

using ravelock::test::keyRecord;

inline bool sameRecord(const KeyRecord& a, const KeyRecord& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

inline std::vector<unsigned char> nameBytes(std::string_view name) {
  std::vector<unsigned char> bytes(name.begin(), name.end());
  bytes.push_back(0);
  return bytes;
}

inline std::vector<unsigned char> recordBytes(const KeyRecord& record) {
  const auto* p = reinterpret_cast<const unsigned char*>(&record);
  return {p, p + sizeof record};
}

// A request as the server copies it out of the section: the header and
// max(length, 4) bytes, or the header alone when the length is out of range.
inline std::vector<unsigned char> requestBytes(std::uint8_t command,
                                               const std::vector<unsigned char>& payload,
                                               std::uint32_t lengthField,
                                               std::uint16_t sequence = 0,
                                               std::uint8_t kind = kKindRequest) {
  std::vector<unsigned char> bytes(kHeaderSize, 0);
  writeHeader(bytes.data(), {kind, command, sequence, lengthField});
  if (lengthField <= kMaxPayload)
    bytes.resize(kHeaderSize + std::max<std::size_t>(lengthField, 4), 0);
  std::copy_n(payload.begin(), std::min(payload.size(), bytes.size() - kHeaderSize),
              bytes.begin() + kHeaderSize);
  return bytes;
}

inline std::vector<unsigned char>
requestBytes(std::uint8_t command, const std::vector<unsigned char>& payload) {
  return requestBytes(command, payload, static_cast<std::uint32_t>(payload.size()));
}

} // namespace ravelock::keyserver::test
