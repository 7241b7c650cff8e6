#include "platform/user.h"

#include <windows.h>

namespace ravelock::platform {

std::string logonUserName() {
  char name[260];
  DWORD size = sizeof name;
  if (!GetUserNameA(name, &size) || size == 0)
    return {};
  // The count includes the terminator.
  return std::string(name, size - 1);
}

} // namespace ravelock::platform
