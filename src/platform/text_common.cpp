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

} // namespace ravelock::platform
