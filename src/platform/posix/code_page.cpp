#include "platform/code_page.h"
#include "platform/backend.h"

#include <iconv.h>

#include <bit>
#include <cerrno>
#include <string>

namespace ravelock::platform {

namespace {

// One conversion by iconv between UTF-16 and "CP<n>", which refuses what
// the other side cannot hold (no transliteration is asked for).
bool convert(const char* to, const char* from, std::string_view in, std::string& out) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1))
    return false;
  out.assign(in.size() * 2 + 16, '\0');
  char* source = const_cast<char*>(in.data());
  std::size_t sourceLeft = in.size();
  char* target = out.data();
  std::size_t targetLeft = out.size();
  bool ok = true;
  while (sourceLeft > 0) {
    if (iconv(cd, &source, &sourceLeft, &target, &targetLeft) !=
        static_cast<std::size_t>(-1))
      continue;
    if (errno != E2BIG) {
      ok = false;
      break;
    }
    const std::size_t used = out.size() - targetLeft;
    out.resize(out.size() * 2);
    target = out.data() + used;
    targetLeft = out.size() - used;
  }
  iconv_close(cd);
  if (!ok) {
    out.clear();
    return false;
  }
  out.resize(out.size() - targetLeft);
  return true;
}

// The UTF-16 units are handed to iconv as they lie in memory.
static_assert(std::endian::native == std::endian::little);

std::string iconvName(unsigned codePage) {
  return "CP" + std::to_string(codePage);
}

} // namespace

unsigned legacyCodePage() {
  return kCodePageWestern;
}

bool backend::encodeInCodePage(std::u16string_view text, unsigned codePage,
                               std::string& bytes) {
  const std::string_view units(reinterpret_cast<const char*>(text.data()),
                               text.size() * sizeof(char16_t));
  return convert(iconvName(codePage).c_str(), "UTF-16LE", units, bytes);
}

bool backend::decodeFromCodePage(std::string_view bytes, unsigned codePage,
                                 std::u16string& text) {
  std::string units;
  if (!convert("UTF-16LE", iconvName(codePage).c_str(), bytes, units))
    return false;
  text.assign(reinterpret_cast<const char16_t*>(units.data()),
              units.size() / sizeof(char16_t));
  return true;
}

bool fromCallerText(std::string_view text, std::string& utf8) {
  utf8.assign(text);
  return true;
}

bool toCallerText(std::string_view utf8, std::string& text) {
  text.assign(utf8);
  return true;
}

} // namespace ravelock::platform
