#include "engine/format/key_text.h"

#include "platform/code_page.h"
#include "platform/text.h"

namespace ravelock::engine {

namespace {

std::u16string fromLegacy(std::string_view bytes) {
  std::u16string text;
  if (platform::decodeFromCodePage(bytes, platform::legacyCodePage(), text))
    return text;
  // Byte by byte, so one byte without a character spoils only itself.
  text.clear();
  for (const char byte : bytes) {
    std::u16string one;
    text += platform::decodeFromCodePage(std::string_view(&byte, 1),
                                         platform::legacyCodePage(), one)
                ? one
                : u"\uFFFD";
  }
  return text;
}

} // namespace

bool keyBytesOf(std::u16string_view typed, unsigned codePage, std::string& bytes) {
  return platform::encodeInCodePage(typed, codePage, bytes);
}

bool keyBytesOf(std::u16string_view typed, std::string& bytes) {
  return keyBytesOf(typed, platform::legacyCodePage(), bytes);
}

std::u16string keyTextOf(std::string_view bytes) {
  return fromLegacy(bytes);
}

bool storedKeyName(std::u16string_view typed, std::size_t maxBytes, std::string& name) {
  for (;;) {
    if (!platform::encodeInCodePage(typed, platform::legacyCodePage(), name) &&
        !platform::toUtf8Exact(typed, name))
      return false;
    if (name.size() <= maxBytes)
      return true;
    // One character less, a surrogate pair being one.
    const bool pair = typed.size() >= 2 && typed.back() >= 0xDC00 &&
                      typed.back() <= 0xDFFF && typed[typed.size() - 2] >= 0xD800 &&
                      typed[typed.size() - 2] <= 0xDBFF;
    typed.remove_suffix(pair ? 2 : 1);
  }
}

std::u16string shownKeyName(std::string_view name) {
  std::u16string text;
  if (platform::fromUtf8Exact(name, text))
    return text;
  return fromLegacy(name);
}

} // namespace ravelock::engine
