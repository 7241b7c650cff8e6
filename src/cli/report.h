#pragma once
// Result lines in the error report's format: the text, two spaces, ">>",
// and the path in double quotes.

#include <cstdio>
#include <string>

namespace ravelock::cli {

// Key names and paths are outside input (files, the key server): control
// bytes are shown escaped rather than sent to the terminal.
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

inline void printReportLine(std::FILE* out, const std::string& text,
                            const std::string& path) {
  std::fprintf(out, "%s  >>\"%s\"\n", text.c_str(), path.c_str());
}

} // namespace ravelock::cli
