#include "platform/text.h"

namespace ravelock::platform {

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
