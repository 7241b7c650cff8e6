// The C exports of the engine library. Nothing may throw across them.

#include "ravelock/velldll.h"

#include "engine/batch/caller_text.h"
#include "engine/files/buffer_crypto.h"
#include "engine/files/file_test.h"
#include "engine/format/header.h"
#include "engine/results.h"
#include "ravelock_version.h"

#include <cstddef>
#include <cstring>

using namespace ravelock;
using namespace ravelock::engine;

// The public C records are the engine's own, byte for byte.
static_assert(sizeof(RlkHeaderInfo) == sizeof(HeaderInfo));
static_assert(offsetof(RlkHeaderInfo, keyCheckCrc) == offsetof(HeaderInfo, keyCheckCrc));
static_assert(offsetof(RlkHeaderInfo, originalSize) ==
              offsetof(HeaderInfo, originalSize));
static_assert(offsetof(RlkHeaderInfo, terminator) == offsetof(HeaderInfo, terminator));
static_assert(sizeof(RlkKeyRecord) == sizeof(KeyRecord));
static_assert(offsetof(RlkKeyRecord, length) == offsetof(KeyRecord, length));
static_assert(offsetof(RlkKeyRecord, name) == offsetof(KeyRecord, name));
static_assert(sizeof(RlkDllVersionInfo) == 20);

namespace {

bool keyUsable(const char* key, std::int32_t keyLength) {
  return key != nullptr && keyLength >= 1;
}

void keyCipher(CipherState& cipher, const char* key, std::int32_t keyLength) {
  cipher.Init(reinterpret_cast<const unsigned char*>(key),
              static_cast<std::size_t>(keyLength));
}

} // namespace

extern "C" {

VELLDLL_API int32_t CryptFreeBuffer(unsigned char* buffer, uint32_t* length,
                                    const char* key, int32_t keyLength,
                                    ProgressLink* progress, uint32_t* keyCheckCrc,
                                    uint32_t* contentCrc) {
  if (!buffer || !length || *length > 0xFFFFFFF8u)
    return kResultBadBufferSize;
  if (!keyUsable(key, keyLength))
    return kResultNoKey;
  const std::uint32_t padded = static_cast<std::uint32_t>(paddedLength(*length));
  // The 8 bytes after the content are zeroed whatever the padding needs.
  std::memset(buffer + *length, 0, 8);
  CipherState cipher;
  keyCipher(cipher, key, keyLength);
  ContentCrcs crcs;
  const std::int32_t result = encipherPadded(cipher, buffer, padded, progress, crcs);
  if (result != kResultOk)
    return result;
  *length = padded;
  if (keyCheckCrc)
    *keyCheckCrc = crcs.keyCheck;
  if (contentCrc)
    *contentCrc = crcs.content;
  return kResultOk;
}

VELLDLL_API int32_t DecryptBuffer(unsigned char* buffer, uint32_t length, const char* key,
                                  int32_t keyLength, ProgressLink* progress,
                                  uint32_t keyCheckCrc, uint32_t contentCrc) {
  if (length % 8 != 0 || (!buffer && length > 0))
    return kResultBadBufferSize;
  if (!keyUsable(key, keyLength))
    return kResultNoKey;
  CipherState cipher;
  keyCipher(cipher, key, keyLength);
  return decipherPayload(cipher, buffer, length, progress, keyCheckCrc, contentCrc);
}

VELLDLL_API int32_t IsValidRLKfile(const char* path, RlkHeaderInfo* info) {
  std::string name;
  if (!path || !pathFromCaller(path, name))
    return kTestOpenFailed;
  return testEncryptedFile(name.c_str(), reinterpret_cast<HeaderInfo*>(info));
}

VELLDLL_API int32_t IsValidDatabazeRLKfile(const unsigned char* payload, uint32_t length,
                                           const RlkKeyRecord* key,
                                           const RlkHeaderInfo* info) {
  if (!key || !info || (!payload && length > 0))
    return 1;
  return checkKeyDatabase(payload, length, *reinterpret_cast<const KeyRecord*>(key),
                          *reinterpret_cast<const HeaderInfo*>(info));
}

VELLDLL_API int32_t DllGetVersion(RlkDllVersionInfo* info) {
  if (info && info->cbSize == sizeof(RlkDllVersionInfo)) {
    info->dwMajorVersion = RAVELOCK_VERSION_MAJOR;
    info->dwMinorVersion = RAVELOCK_VERSION_MINOR;
    info->dwBuildNumber = RAVELOCK_VERSION_BUILD;
    info->dwPlatformID = 1; // DLLVER_PLATFORM_WINDOWS
  }
  return 0;
}

} // extern "C"
