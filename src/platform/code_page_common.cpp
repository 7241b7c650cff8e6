#include "platform/backend.h"
#include "platform/code_page.h"
#include "platform/text.h"

namespace ravelock::platform {

bool encodeInCodePage(std::u16string_view text, unsigned codePage, std::string& bytes) {
  if (codePage == kCodePageUtf8)
    return toUtf8Exact(text, bytes);
  bytes.clear();
  return backend::encodeInCodePage(text, codePage, bytes);
}

bool decodeFromCodePage(std::string_view bytes, unsigned codePage, std::u16string& text) {
  if (codePage == kCodePageUtf8)
    return fromUtf8Exact(bytes, text);
  text.clear();
  return backend::decodeFromCodePage(bytes, codePage, text);
}

bool isKnownCodePage(unsigned codePage) {
  std::string bytes;
  return encodeInCodePage(u"A", codePage, bytes) && bytes == "A";
}

} // namespace ravelock::platform
