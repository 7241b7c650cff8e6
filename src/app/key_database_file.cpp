#include "app/key_database_file.h"

#include "keyserver/key_database.h"
#include "platform/file.h"
#include "platform/filesystem.h"
#include "platform/replace_file.h"
#include "platform/system_error.h"

#include <cstring>
#include <string_view>

namespace ravelock::app {

namespace {

// Beside the database while it is written; short, so it fits wherever the
// database's own name does.
constexpr std::string_view kTemporaryPrefix = "~kdb";

} // namespace

engine::EncryptedFileHeader databaseHeader(const KeyRecord& master,
                                           std::uint32_t paddedLength,
                                           std::uint32_t keyCheckCrc,
                                           std::uint32_t contentCrc) {
  engine::EncryptedFileHeader header{};
  header.identifier = engine::kFileIdentifier;
  header.originalSize = paddedLength;
  header.keyCheckCrc = keyCheckCrc;
  header.contentCrc = contentCrc;
  std::memcpy(header.keyName, master.name, sizeof header.keyName);
  return header;
}

DatabaseTarget::~DatabaseTarget() {
  if (!written_)
    restoreAttributes();
}

void DatabaseTarget::restoreAttributes() {
  if (!existed_)
    return;
  const std::uint32_t error = platform::lastSystemError();
  platform::setAttributes(path_.c_str(), oldAttributes_);
  platform::setLastSystemError(error);
  existed_ = false;
}

bool DatabaseTarget::prepare() {
  oldAttributes_ = platform::getAttributes(path_.c_str());
  existed_ = oldAttributes_ != platform::kInvalidAttributes;
  if (existed_ && !platform::setAttributes(path_.c_str(), platform::kAttrNormal)) {
    existed_ = false;
    return false;
  }
  // An existing file is opened without being cut; a new one is made and
  // removed again, so a cancelled save leaves nothing behind.
  platform::File probe = platform::File::open(
      path_.c_str(), platform::Access::Write, platform::Share::None,
      existed_ ? platform::Disposition::OpenExisting : platform::Disposition::CreateNew);
  if (!probe.isOpen()) {
    restoreAttributes();
    return false;
  }
  probe.close();
  if (!existed_ && !platform::deleteFile(path_.c_str()))
    return false;
  return true;
}

bool DatabaseTarget::write(const engine::EncryptedFileHeader& header,
                           std::span<const unsigned char> payload) {
  unsigned char headerBytes[engine::kHeaderSize];
  engine::serializeHeader(header, headerBytes);
  const auto asText = [](const unsigned char* bytes, std::size_t size) {
    return std::string_view(reinterpret_cast<const char*>(bytes), size);
  };
  written_ = platform::replaceFile(
      path_.c_str(), false, kTemporaryPrefix,
      {asText(headerBytes, sizeof headerBytes), asText(payload.data(), payload.size())});
  if (!written_)
    restoreAttributes();
  return written_;
}

bool databasePayloadFits(std::uint64_t length) {
  return length % 8 == 0 && length >= keyserver::kDatabaseLeadBytes + kKeyRecordSize;
}

PayloadRead readDatabasePayload(const char* path, std::uint32_t announced,
                                std::vector<unsigned char>& payload) {
  payload.clear();
  platform::File file =
      platform::File::open(path, platform::Access::Read, platform::Share::Read,
                           platform::Disposition::OpenExisting);
  std::uint64_t size = 0;
  if (!file.isOpen() || !file.size(size))
    return PayloadRead::Unusable;
  // The size field is the file's own claim: bounded by what it holds.
  if (size < engine::kHeaderSize || size - engine::kHeaderSize < announced)
    return PayloadRead::NotDatabase;
  if (!databasePayloadFits(announced))
    return PayloadRead::NotDatabase;
  if (!file.seek(engine::kHeaderSize))
    return PayloadRead::Unusable;
  payload.resize(announced);
  std::size_t got = 0;
  if (!file.read(std::as_writable_bytes(std::span(payload)), got)) {
    payload.clear();
    return PayloadRead::Unusable;
  }
  if (got != announced) {
    payload.clear();
    return PayloadRead::NotDatabase;
  }
  return PayloadRead::Read;
}

} // namespace ravelock::app
