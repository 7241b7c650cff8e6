#include "engine/batch/caller_text.h"

#include "engine/batch/jobs.h"
#include "platform/code_page.h"

namespace ravelock::engine {

bool pathFromCaller(const char* path, std::string& utf8) {
  return platform::fromCallerText(path, utf8);
}

bool itemsFromCaller(const char* items, int count, std::string& utf8) {
  utf8.clear();
  bool ok = true;
  forEachItem(items, count, [&](const char* item, int) {
    std::string converted;
    ok = platform::fromCallerText(item, converted);
    utf8 += converted;
    utf8 += '\0';
    return ok;
  });
  utf8 += '\0';
  return ok;
}

bool pathToCaller(const std::string& utf8, std::string& path) {
  return platform::toCallerText(utf8, path);
}

} // namespace ravelock::engine
