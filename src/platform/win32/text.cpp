#include "platform/text.h"

#include <windows.h>

#include <cstdlib>

namespace ravelock::platform {

std::size_t charLength(const char* p) {
  return IsDBCSLeadByte(static_cast<BYTE>(*p)) && p[1] != '\0' ? 2 : 1;
}

bool samePath(const std::string& a, const std::string& b) {
  return CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, a.c_str(), -1, b.c_str(),
                        -1) == CSTR_EQUAL;
}

std::string volumeRootOf(const std::string& path) {
  char drive[_MAX_DRIVE];
  _splitpath(path.c_str(), drive, nullptr, nullptr, nullptr);
  return std::string(drive) + "\\";
}

} // namespace ravelock::platform
