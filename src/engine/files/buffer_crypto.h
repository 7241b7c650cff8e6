#pragma once
// Enciphering and deciphering of whole payloads with the CRCs of the file
// header folded in the same pass. The buffer exports and the file routines
// share these; the caller keys the cipher once.

#include "engine/cipher/cipher.h"
#include "engine/progress_link.h"

#include <cstddef>
#include <cstdint>

namespace ravelock::engine {

struct ContentCrcs {
  std::uint32_t keyCheck = 0;
  std::uint32_t content = 0;
};

// Enciphers `paddedLength` bytes (a multiple of 8, padding already zero) in
// place and returns their CRCs. Every 64 blocks the link, when given, is
// polled (817 on STOP_FILE) and sent UM_SET_PROGRESS when the percentage
// grew. 0 or 817.
std::int32_t encipherPadded(const CipherState& cipher, unsigned char* data,
                            std::size_t paddedLength, ProgressLink* progress,
                            ContentCrcs& crcs);

// Deciphers a payload in place and checks it: 819 length not whole blocks
// (nothing changed); 816 the first 128 bytes do not match the key-check CRC
// (the rest stays enciphered) or, below 128 bytes, the content CRC; 820 the
// content CRC does not match; 817 stopped. 0 when both checks pass.
std::int32_t decipherPayload(const CipherState& cipher, unsigned char* data,
                             std::size_t length, ProgressLink* progress,
                             std::uint32_t keyCheckCrc, std::uint32_t contentCrc);

} // namespace ravelock::engine
