#include "platform/text.h"

#include <windows.h>

#include <climits>
#include <cstdlib>

namespace ravelock::platform {

std::size_t charLength(const char* p) {
  return IsDBCSLeadByte(static_cast<BYTE>(*p)) && p[1] != '\0' ? 2 : 1;
}

bool toAnsiExact(std::u16string_view wide, std::string& ansi) {
  ansi.clear();
  if (wide.empty())
    return true;
  if (wide.size() > static_cast<std::size_t>(INT_MAX))
    return false;
  const auto* text = reinterpret_cast<const wchar_t*>(wide.data());
  const int units = static_cast<int>(wide.size());
  // UTF-8 takes neither flags nor a default character; it fails instead on
  // what it cannot convert.
  const bool utf8 = GetACP() == CP_UTF8;
  const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
  BOOL usedDefault = FALSE;
  BOOL* usedDefaultOut = utf8 ? nullptr : &usedDefault;
  const int bytes = WideCharToMultiByte(CP_ACP, flags, text, units, nullptr, 0, nullptr,
                                        usedDefaultOut);
  if (bytes <= 0 || usedDefault)
    return false;
  ansi.resize(static_cast<std::size_t>(bytes));
  if (WideCharToMultiByte(CP_ACP, flags, text, units, ansi.data(), bytes, nullptr,
                          usedDefaultOut) != bytes ||
      usedDefault) {
    ansi.clear();
    return false;
  }
  return true;
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
