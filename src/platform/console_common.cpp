#include "platform/console.h"

#include <cstdio>

namespace ravelock::platform {

bool detail::readStdinLine(std::string& line) {
  line.clear();
  int c;
  while ((c = std::fgetc(stdin)) != EOF && c != '\n')
    line += static_cast<char>(c);
  if (!line.empty() && line.back() == '\r')
    line.pop_back();
  return c != EOF || !line.empty();
}

} // namespace ravelock::platform
