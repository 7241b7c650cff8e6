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

bool toAnsiExact(std::u16string_view wide, std::string& ansi) {
  ansi.clear();
  for (std::size_t i = 0; i < wide.size(); ++i) {
    char32_t c = wide[i];
    if (c >= 0xD800 && c <= 0xDBFF) {
      if (i + 1 == wide.size() || wide[i + 1] < 0xDC00 || wide[i + 1] > 0xDFFF)
        return false;
      c = 0x10000 + ((c - 0xD800) << 10) + (wide[++i] - 0xDC00);
    } else if (c >= 0xDC00 && c <= 0xDFFF) {
      return false;
    }
    if (c < 0x80) {
      ansi += static_cast<char>(c);
    } else if (c < 0x800) {
      ansi += static_cast<char>(0xC0 | c >> 6);
      ansi += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      ansi += static_cast<char>(0xE0 | c >> 12);
      ansi += static_cast<char>(0x80 | (c >> 6 & 0x3F));
      ansi += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      ansi += static_cast<char>(0xF0 | c >> 18);
      ansi += static_cast<char>(0x80 | (c >> 12 & 0x3F));
      ansi += static_cast<char>(0x80 | (c >> 6 & 0x3F));
      ansi += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return true;
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
