#pragma once
// Result lines in the error report's format: the text, two spaces, ">>",
// and the path in double quotes.

#include <cstdio>
#include <string>

namespace ravelock::cli {

inline void printReportLine(std::FILE* out, const std::string& text,
                            const std::string& path) {
  std::fprintf(out, "%s  >>\"%s\"\n", text.c_str(), path.c_str());
}

} // namespace ravelock::cli
