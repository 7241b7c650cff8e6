#include "engine/format/header.h"

#include "engine/cipher/crc32.h"
#include "engine/results.h"
#include "keyserver/key_database.h"
#include "platform/byte_order.h"
#include "platform/secure_wipe.h"

#include <algorithm>
#include <cstring>

namespace ravelock::engine {

using platform::loadLe32;
using platform::storeLe32;

EncryptedFileHeader parseHeader(const unsigned char (&bytes)[kHeaderSize]) {
  EncryptedFileHeader h;
  h.identifier = loadLe32(bytes);
  h.originalSize = loadLe32(bytes + 4);
  h.keyCheckCrc = loadLe32(bytes + 8);
  h.contentCrc = loadLe32(bytes + 12);
  std::memcpy(h.keyName, bytes + 16, kKeyNameBytes);
  return h;
}

void serializeHeader(const EncryptedFileHeader& h, unsigned char (&bytes)[kHeaderSize]) {
  storeLe32(bytes, h.identifier);
  storeLe32(bytes + 4, h.originalSize);
  storeLe32(bytes + 8, h.keyCheckCrc);
  storeLe32(bytes + 12, h.contentCrc);
  std::memcpy(bytes + 16, h.keyName, kKeyNameBytes);
}

HeaderInfo headerInfoFrom(const EncryptedFileHeader& h) {
  HeaderInfo info;
  info.identifier = h.identifier;
  info.keyCheckCrc = h.keyCheckCrc;
  info.contentCrc = h.contentCrc;
  info.originalSize = h.originalSize;
  std::memcpy(info.keyName, h.keyName, kKeyNameBytes);
  info.terminator = 0;
  return info;
}

std::int32_t checkHeader(const EncryptedFileHeader& header, std::uint64_t fileSize) {
  if (header.identifier != kFileIdentifier)
    return kTestBadIdentifier;
  const std::uint64_t payload = fileSize - kHeaderSize;
  if (payload % 8 != 0)
    return kTestPartBlock;
  if (payload < header.originalSize || payload > std::uint64_t{header.originalSize} + 8)
    return kTestSizeMismatch;
  return kResultOk;
}

bool keyFits(const CipherState& cipher, const unsigned char* payload,
             std::size_t available, std::uint64_t payloadSize, std::uint32_t keyCheckCrc,
             std::uint32_t contentCrc) {
  const std::size_t tested =
      static_cast<std::size_t>(std::min<std::uint64_t>(payloadSize, kKeyCheckBytes));
  if (tested % 8 != 0 || available < tested)
    return false;
  unsigned char scratch[kKeyCheckBytes];
  if (tested > 0)
    std::memcpy(scratch, payload, tested);
  cipher.DecryptBlocks(scratch, tested / 8);
  const std::uint32_t crc = crc32(scratch, tested);
  platform::secureWipe(scratch, sizeof scratch);
  return crc == (payloadSize >= kKeyCheckBytes ? keyCheckCrc : contentCrc);
}

std::int32_t checkKeyDatabase(const unsigned char* payload, std::uint32_t length,
                              const KeyRecord& key, const HeaderInfo& info) {
  if (key.length < 1 || key.length > kMaxKeyLength)
    return kDatabaseKeyDoesNotFit;
  CipherState cipher;
  cipher.Init(reinterpret_cast<const unsigned char*>(key.key), key.length);
  if (!keyFits(cipher, payload, length, length, info.keyCheckCrc, info.contentCrc))
    return kDatabaseKeyDoesNotFit;
  if (length < 8)
    return kDatabaseBadIdentifier;
  unsigned char first[keyserver::kDatabaseLeadBytes];
  std::memcpy(first, payload, sizeof first);
  cipher.DecryptBlocks(first, 1);
  const keyserver::DatabaseCheck check =
      keyserver::checkDatabaseLead(first, info.originalSize);
  platform::secureWipe(first, sizeof first);
  if (check == keyserver::DatabaseCheck::BadIdentifier)
    return kDatabaseBadIdentifier;
  if (check == keyserver::DatabaseCheck::BadCount)
    return kDatabaseBadCount;
  return kDatabaseValid;
}

} // namespace ravelock::engine
