#pragma once
// The scenario programs take their item list from a text file, one path a
// line, and hand it on in the engine's form: paths back to back, each ended
// by a NUL, then one more.

#include <fstream>
#include <string>

namespace ravelock::gui {

inline std::string readItems(const char* listFile, int& count) {
  std::ifstream in(listFile);
  std::string items, line;
  count = 0;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r')
      line.pop_back();
    if (line.empty())
      continue;
    items += line;
    items.push_back('\0');
    ++count;
  }
  items.push_back('\0');
  return items;
}

} // namespace ravelock::gui
