#include "platform/text.h"

namespace ravelock::platform {

namespace {

constexpr char32_t kNoCharacter = 0xFFFFFFFF;

bool isSurrogate(char32_t c) {
  return c >= 0xD800 && c <= 0xDFFF;
}

void appendUtf8(char32_t c, std::string& out) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | c >> 6);
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | c >> 12);
    out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | c >> 18);
    out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
    out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

void appendUtf16(char32_t c, std::u16string& out) {
  if (c < 0x10000) {
    out += static_cast<char16_t>(c);
  } else {
    out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
    out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
  }
}

// The character at `at` (moved past it), or kNoCharacter for an unpaired
// surrogate when `keepLoneSurrogates` is false.
char32_t nextUtf16(std::u16string_view wide, std::size_t& at, bool keepLoneSurrogates) {
  const char32_t c = wide[at++];
  if (c >= 0xD800 && c <= 0xDBFF && at < wide.size() && wide[at] >= 0xDC00 &&
      wide[at] <= 0xDFFF)
    return 0x10000 + ((c - 0xD800) << 10) + (wide[at++] - 0xDC00);
  if (isSurrogate(c) && !keepLoneSurrogates)
    return kNoCharacter;
  return c;
}

// The character at `at` (moved past it), or kNoCharacter for bytes that are
// no shortest-form sequence; surrogates count only when
// `keepLoneSurrogates`.
char32_t nextUtf8(std::string_view text, std::size_t& at, bool keepLoneSurrogates) {
  const auto lead = static_cast<unsigned char>(text[at++]);
  if (lead < 0x80)
    return lead;
  std::size_t trail;
  char32_t c, least;
  if (lead >= 0xC2 && lead <= 0xDF) {
    trail = 1, c = lead & 0x1F, least = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    trail = 2, c = lead & 0x0F, least = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    trail = 3, c = lead & 0x07, least = 0x10000;
  } else {
    return kNoCharacter;
  }
  if (text.size() - at < trail)
    return kNoCharacter;
  for (std::size_t i = 0; i < trail; ++i) {
    const auto next = static_cast<unsigned char>(text[at + i]);
    if ((next & 0xC0) != 0x80)
      return kNoCharacter;
    c = c << 6 | (next & 0x3F);
  }
  at += trail;
  if (c < least || c > 0x10FFFF || (isSurrogate(c) && !keepLoneSurrogates))
    return kNoCharacter;
  return c;
}

bool utf16ToUtf8(std::u16string_view wide, std::string& utf8, bool keepLoneSurrogates) {
  utf8.clear();
  utf8.reserve(wide.size());
  for (std::size_t at = 0; at < wide.size();) {
    const char32_t c = nextUtf16(wide, at, keepLoneSurrogates);
    if (c == kNoCharacter) {
      utf8.clear();
      return false;
    }
    appendUtf8(c, utf8);
  }
  return true;
}

bool utf8ToUtf16(std::string_view utf8, std::u16string& wide, bool keepLoneSurrogates) {
  wide.clear();
  wide.reserve(utf8.size());
  for (std::size_t at = 0; at < utf8.size();) {
    const char32_t c = nextUtf8(utf8, at, keepLoneSurrogates);
    if (c == kNoCharacter) {
      wide.clear();
      return false;
    }
    appendUtf16(c, wide);
  }
  return true;
}

} // namespace

std::size_t charLength(const char* p) {
  const auto lead = static_cast<unsigned char>(*p);
  const std::size_t n = lead >= 0xC2 && lead <= 0xDF   ? 2
                        : lead >= 0xE0 && lead <= 0xEF ? 3
                        : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                       : 1;
  // The terminator is no trail byte, so a sequence cut short by it counts
  // as a stray byte too.
  for (std::size_t i = 1; i < n; ++i)
    if ((static_cast<unsigned char>(p[i]) & 0xC0) != 0x80)
      return 1;
  return n;
}

std::size_t cutOnCharBoundary(const char* text, std::size_t maxBytes) {
  std::size_t at = 0;
  while (text[at] != '\0') {
    const std::size_t n = charLength(text + at);
    if (at + n > maxBytes)
      break;
    at += n;
  }
  return at;
}

bool toUtf8Exact(std::u16string_view wide, std::string& utf8) {
  return utf16ToUtf8(wide, utf8, false);
}

bool fromUtf8Exact(std::string_view utf8, std::u16string& wide) {
  return utf8ToUtf16(utf8, wide, false);
}

bool isValidUtf8(std::string_view text) {
  for (std::size_t at = 0; at < text.size();)
    if (nextUtf8(text, at, false) == kNoCharacter)
      return false;
  return true;
}

std::string nameToUtf8(std::u16string_view wide) {
  std::string utf8;
  utf16ToUtf8(wide, utf8, true); // every unit has a generalized form
  return utf8;
}

bool nameFromUtf8(std::string_view utf8, std::u16string& wide) {
  return utf8ToUtf16(utf8, wide, true);
}

bool equalIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size())
    return false;
  const auto fold = [](char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  };
  for (std::size_t at = 0; at < a.size();) {
    const std::size_t n = charLength(a.c_str() + at);
    if (n == 1) {
      if (fold(a[at]) != fold(b[at]))
        return false;
    } else if (a.compare(at, n, b, at, n) != 0) {
      return false;
    }
    at += n;
  }
  return true;
}

} // namespace ravelock::platform
