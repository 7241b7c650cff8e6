// The key database check on an arbitrary header record, key and payload.

#include "engine/format/header.h"

#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  using namespace ravelock;
  if (size < sizeof(engine::HeaderInfo) + sizeof(KeyRecord))
    return 0;
  engine::HeaderInfo info;
  KeyRecord key;
  std::memcpy(&info, data, sizeof info);
  std::memcpy(&key, data + sizeof info, sizeof key);
  const std::size_t offset = sizeof info + sizeof key;
  // An exact-size copy, so reading past the payload is caught.
  std::vector<unsigned char> payload(data + offset, data + size);
  engine::checkKeyDatabase(payload.data(), static_cast<std::uint32_t>(payload.size()),
                           key, info);
  return 0;
}
