#pragma once
// The file side of key databases: the 48-byte header of an encrypted file
// in front of the enciphered image. Saving never truncates an existing
// database first: the new file is written beside it, flushed and moved over
// it in one step, so a failed or cancelled save leaves the old one byte for
// byte. Loading reads the payload the header announces only when the file
// really holds it.

#include "engine/format/header.h"
#include "keyserver/key_record.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace ravelock::app {

// The master key's name as the header's 32-byte name field holds it (no
// terminator when it is 32 bytes long).
engine::EncryptedFileHeader databaseHeader(const KeyRecord& master,
                                           std::uint32_t paddedLength,
                                           std::uint32_t keyCheckCrc,
                                           std::uint32_t contentCrc);

// The place a database is about to be saved to, taken before the image is
// enciphered: an existing file is made writable (its attributes kept to be
// put back) and both an existing and a new path are tried for writing. The
// file itself is only written by write().
class DatabaseTarget {
public:
  explicit DatabaseTarget(std::string path) : path_(std::move(path)) {}
  DatabaseTarget(const DatabaseTarget&) = delete;
  DatabaseTarget& operator=(const DatabaseTarget&) = delete;
  // Puts the old attributes back unless write() succeeded.
  ~DatabaseTarget();

  // False (with the system error set and the attributes put back) when the
  // path cannot be written.
  bool prepare();
  // The header and payload replace the file, or nothing changes: false
  // with the system error of the failing call.
  bool write(const engine::EncryptedFileHeader& header,
             std::span<const unsigned char> payload);
  const std::string& path() const { return path_; }

private:
  void restoreAttributes();

  std::string path_;
  std::uint32_t oldAttributes_ = 0;
  bool existed_ = false;
  bool written_ = false;
};

// Step 3 of a load: the payload after the header.
enum class PayloadRead {
  Read,
  Unusable,    // the file cannot be opened, sized, sought or read
  NotDatabase, // fewer bytes than announced, or no room for one record
};

// Reads exactly `announced` bytes from offset 48 into `payload`, refusing a
// size past the file's end before allocating anything, and a payload that
// is not whole blocks or shorter than the lead words and one record.
PayloadRead readDatabasePayload(const char* path, std::uint32_t announced,
                                std::vector<unsigned char>& payload);

// Whether a payload length can be a key database's (whole blocks, at least
// the lead words and one record).
bool databasePayloadFits(std::uint64_t length);

} // namespace ravelock::app
