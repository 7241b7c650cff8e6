#include "platform/text.h"

namespace ravelock::platform {

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
