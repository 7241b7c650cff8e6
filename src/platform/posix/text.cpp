#include "platform/text.h"

namespace ravelock::platform {

std::size_t charLength(const char* p) {
  const auto lead = static_cast<unsigned char>(*p);
  // Only a well-formed sequence is one character; a stray byte (a lone
  // trail byte, a lead byte without its trail bytes, or a byte UTF-8 never
  // uses) counts alone, so it can never hide a dot or separator after it.
  const std::size_t n = lead >= 0xC2 && lead <= 0xDF   ? 2
                        : lead >= 0xE0 && lead <= 0xEF ? 3
                        : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                       : 1;
  for (std::size_t i = 1; i < n; ++i)
    if ((static_cast<unsigned char>(p[i]) & 0xC0) != 0x80)
      return 1;
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
