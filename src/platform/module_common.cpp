#include "platform/module.h"

namespace ravelock::platform {

std::string moduleFolder(const void* address) {
  const std::string path = modulePath(address);
  const auto slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

} // namespace ravelock::platform
