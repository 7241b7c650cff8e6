// The options store on arbitrary file contents, through a real file: every
// result is one the store documents, a refused write leaves the bytes
// alone, and a value that was written reads back as written.

#include "options/xml_store.h"
#include "options/xml_text.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

using namespace ravelock::options;

const std::string& folder() {
  static const std::string path = [] {
    char pattern[] = "/tmp/ravelock-fuzz-xml-XXXXXX";
    const char* made = mkdtemp(pattern);
    if (!made)
      std::abort();
    return std::string(made) + "/";
  }();
  return path;
}

void store(const std::string& path, std::string_view bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f)
    std::abort();
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

std::string load(const std::string& path) {
  std::string bytes;
  if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
      bytes.append(buffer, n);
    std::fclose(f);
  }
  return bytes;
}

void check(bool ok) {
  if (!ok)
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::string path = folder() + "Ravelock_options.xml";
  store(path, input);

  // The first byte picks the path's depth and the placement, so nests of
  // every depth are walked and built.
  const std::string_view names[] = {"users_settings", "default", "fish_size"};
  const std::size_t depth = size ? 1 + data[0] % 3 : 3;
  const XmlPath at(std::span<const std::string_view>(names, depth));
  const int placement = size && (data[0] & 0x80) ? XML_AT_START : XML_AT_END;

  std::string text;
  const int read = XmlGetText(path.c_str(), text, at);
  check(read == 1 || read == 0 || read == -1 || read == -2);
  check(read == 1 || text.empty());

  const std::string_view value = "v&<>\"\xE9";
  const int written = XmlSetText(path.c_str(), value, XML_ADD_OR_REPLACE, placement, at);
  check(written == 0 || written == -1 || written == -2);
  // A write refuses what a read calls malformed, and also a file whose
  // damage would hide the new value.
  if (written == -2)
    check(load(path) == input);
  if (read == -2)
    check(written == -2);
  if (written == 0)
    check(XmlGetText(path.c_str(), text, at) == 1 && text == value);

  // Text level: decoding what was encoded gives the bytes back, cleanly.
  std::string decoded;
  check(XmlUnescape(XmlEscape(input), decoded) && decoded == input);
  return 0;
}
