#include "platform/file.h"

namespace ravelock::platform {

bool readFully(File& file, std::span<std::byte> buffer, std::size_t& got) {
  got = 0;
  while (got < buffer.size()) {
    std::size_t n = 0;
    if (!file.read(buffer.subspan(got), n))
      return false;
    if (n == 0)
      break;
    got += n;
  }
  return true;
}

} // namespace ravelock::platform
