// Writing the options file, always through a flushed temporary file moved
// over it, so the other programs never read half a document.

#include "options/xml_store.h"
#include "platform/replace_file.h"

namespace ravelock::options {

namespace {
constexpr char kTemporaryPrefix[] = "~opt";
} // namespace

bool XmlSpliceFile(const char* file, std::string_view text, std::string_view previous,
                   std::size_t start, std::size_t end) {
  if (start > end || end > previous.size())
    return false;
  return platform::replaceFile(file, true, kTemporaryPrefix,
                               {previous.substr(0, start), text, previous.substr(end)});
}

bool XmlWriteFile(const char* file, std::string_view text) {
  return platform::replaceFile(file, false, kTemporaryPrefix, {text});
}

} // namespace ravelock::options
