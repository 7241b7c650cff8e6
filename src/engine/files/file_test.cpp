#include "engine/files/file_test.h"

#include "engine/results.h"
#include "platform/file.h"

namespace ravelock::engine {

std::int32_t testEncryptedFile(const char* path, HeaderInfo* info) {
  using namespace platform;
  File file = File::open(path, Access::Read, Share::Read, Disposition::OpenExisting);
  if (!file.isOpen())
    return kTestOpenFailed;
  std::uint64_t size = 0;
  if (!file.size(size))
    return kTestSizeUnknown;
  if (size < kHeaderSize)
    return kTestTooSmall;
  unsigned char bytes[kHeaderSize];
  std::size_t got = 0;
  if (!readFully(file, std::as_writable_bytes(std::span(bytes)), got) ||
      got != kHeaderSize)
    return kTestReadFailed;
  const EncryptedFileHeader header = parseHeader(bytes);
  if (info)
    *info = headerInfoFrom(header);
  return checkHeader(header, size);
}

} // namespace ravelock::engine
