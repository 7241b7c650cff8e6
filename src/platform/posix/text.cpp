#include "platform/text.h"

namespace ravelock::platform {

std::size_t charLength(const char* p) {
  const auto lead = static_cast<unsigned char>(*p);
  std::size_t n = lead < 0x80    ? 1
                  : lead >= 0xF0 ? 4
                  : lead >= 0xE0 ? 3
                  : lead >= 0xC0 ? 2
                                 : 1;
  // A sequence cut short by the terminator counts up to it only.
  for (std::size_t i = 1; i < n; ++i)
    if (p[i] == '\0')
      return i;
  return n;
}

bool samePath(const std::string& a, const std::string& b) {
  return a == b;
}

std::string volumeRootOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos)
    return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

} // namespace ravelock::platform
