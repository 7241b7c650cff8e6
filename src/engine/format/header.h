#pragma once
// The 48-byte plain header of encrypted files and key databases, the record
// the file test fills from it, and the checks a reader makes.

#include "engine/cipher/cipher.h"
#include "keyserver/key_record.h"

#include <cstddef>
#include <cstdint>

namespace ravelock::engine {

inline constexpr std::uint32_t kFileIdentifier = 0x10111213u;
inline constexpr std::size_t kKeyNameBytes = 32;
inline constexpr std::size_t kKeyCheckBytes = 128; // a wrong key shows after these
inline constexpr char kEncryptedExtension[] = ".rlk";

#pragma pack(push, 1)
struct EncryptedFileHeader {
  std::uint32_t identifier;
  std::uint32_t originalSize;
  std::uint32_t keyCheckCrc;
  std::uint32_t contentCrc;
  char keyName[kKeyNameBytes]; // no terminator when the name fills it
};

// Filled by the file test; the field order differs from the file's.
struct HeaderInfo {
  std::uint32_t identifier;
  std::uint32_t keyCheckCrc;
  std::uint32_t contentCrc;
  std::uint32_t originalSize;
  char keyName[kKeyNameBytes];
  char terminator; // always 0, so keyName reads as a string
};
#pragma pack(pop)

static_assert(sizeof(EncryptedFileHeader) == 48);
static_assert(offsetof(EncryptedFileHeader, identifier) == 0);
static_assert(offsetof(EncryptedFileHeader, originalSize) == 4);
static_assert(offsetof(EncryptedFileHeader, keyCheckCrc) == 8);
static_assert(offsetof(EncryptedFileHeader, contentCrc) == 12);
static_assert(offsetof(EncryptedFileHeader, keyName) == 16);

static_assert(sizeof(HeaderInfo) == 49);
static_assert(offsetof(HeaderInfo, identifier) == 0);
static_assert(offsetof(HeaderInfo, keyCheckCrc) == 4);
static_assert(offsetof(HeaderInfo, contentCrc) == 8);
static_assert(offsetof(HeaderInfo, originalSize) == 12);
static_assert(offsetof(HeaderInfo, keyName) == 16);
static_assert(offsetof(HeaderInfo, terminator) == 48);

inline constexpr std::size_t kHeaderSize = sizeof(EncryptedFileHeader);

// Header bytes as stored (little-endian) to the header and back.
EncryptedFileHeader parseHeader(const unsigned char (&bytes)[kHeaderSize]);
void serializeHeader(const EncryptedFileHeader& header,
                     unsigned char (&bytes)[kHeaderSize]);

HeaderInfo headerInfoFrom(const EncryptedFileHeader& header);

// Plain length rounded up to whole blocks (0 stays 0).
inline std::uint64_t paddedLength(std::uint64_t plainLength) {
  return (plainLength + 7) & ~std::uint64_t{7};
}

// The checks after the header was read, in the reader's order: 5 wrong
// identifier, 6 payload not whole blocks, 7 payload size does not fit the
// original size (it may exceed it by up to 8 bytes). 0 when all pass.
std::int32_t checkHeader(const EncryptedFileHeader& header, std::uint64_t fileSize);

// The key test: deciphers a copy of the first min(N, 128) payload bytes and
// compares their CRC-32 with the key-check CRC (N >= 128) or the content CRC
// (N < 128). `available` of them must be in `payload`; fewer than
// min(N, 128), or a part block, fails the test.
bool keyFits(const CipherState& cipher, const unsigned char* payload,
             std::size_t available, std::uint64_t payloadSize, std::uint32_t keyCheckCrc,
             std::uint32_t contentCrc);

// Whether an enciphered key database payload opens with `key`: 0 valid,
// 1 the key does not fit, 2 no database identifier, 3 the header's original
// size does not match the record count.
std::int32_t checkKeyDatabase(const unsigned char* payload, std::uint32_t length,
                              const KeyRecord& key, const HeaderInfo& info);

} // namespace ravelock::engine
