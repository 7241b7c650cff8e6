#include "platform/text.h"
#include "platform/win32/wide.h"

#include <windows.h>

namespace ravelock::platform {

std::wstring win32::wide(std::string_view utf8) {
  std::u16string text;
  if (!nameFromUtf8(utf8, text))
    return {};
  return std::wstring(text.begin(), text.end());
}

std::string win32::utf8(std::wstring_view text) {
  return nameToUtf8(
      std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size()));
}

bool samePath(const std::string& a, const std::string& b) {
  return CompareStringW(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, win32::wide(a).c_str(),
                        -1, win32::wide(b).c_str(), -1) == CSTR_EQUAL;
}

std::string volumeRootOf(const std::string& path) {
  // "C:" and the like; a UNC or relative path has no drive and asks the
  // current one, as the design's splitting did.
  if (path.size() >= 2 && path[1] == ':')
    return path.substr(0, 2) + "\\";
  return "\\";
}

} // namespace ravelock::platform
