// The key database loader on arbitrary input: the engine's check of an
// enciphered payload against a header record and a key, and the reading
// of the records from a deciphered image.

#include "engine/format/header.h"
#include "keyserver/key_database.h"

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
  // The same bytes as a deciphered image: every record handed out must lie
  // inside it.
  const keyserver::DatabaseRecords read = keyserver::readDatabaseRecords(payload);
  std::uint32_t lengths = 0;
  for (const KeyRecord& record : read.records)
    lengths += record.length;
  return static_cast<int>(lengths & 0);
}
