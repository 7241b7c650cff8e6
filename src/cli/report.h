#pragma once
// Result lines in the error report's format: the text, two spaces, ">>",
// and the path in double quotes.

#include <cstdio>
#include <string>

namespace ravelock::cli {

// Key names and paths are outside input (files, the key server): control
// bytes are shown escaped rather than sent to the terminal, so a newline
// in a name neither splits a line nor moves the cursor.
inline std::string printable(const std::string& text) {
  std::string out;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      out += escaped;
    } else {
      out += c;
    }
  }
  return out;
}

// One result per line whatever bytes the path holds (the texts are the
// report's own, some of several lines).
inline void printReportLine(std::FILE* out, const std::string& text,
                            const std::string& path) {
  std::fprintf(out, "%s  >>\"%s\"\n", text.c_str(), printable(path).c_str());
}

} // namespace ravelock::cli
