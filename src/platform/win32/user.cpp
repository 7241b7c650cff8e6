#include "platform/user.h"

#include "platform/win32/wide.h"

#include <windows.h>

#include <iterator>

namespace ravelock::platform {

std::string logonUserName() {
  wchar_t name[260];
  DWORD size = std::size(name);
  if (!GetUserNameW(name, &size) || size == 0)
    return {};
  // The count includes the terminator.
  return win32::utf8(std::wstring_view(name, size - 1));
}

} // namespace ravelock::platform
