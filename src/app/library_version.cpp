#include "app/library_version.h"
#include "platform/library.h"
#include "ravelock/velldll.h"

#include <cstdio>

namespace ravelock::app {

int libraryVersion(const std::string& programFolder, const std::string& fileName,
                   std::string& text) {
  text.clear();
  if (programFolder.empty())
    return 0;
  const platform::Library library(programFolder + fileName);
  auto* getVersion =
      reinterpret_cast<decltype(&DllGetVersion)>(library.symbol("DllGetVersion"));
  if (!getVersion)
    return 0;
  RlkDllVersionInfo info{};
  info.cbSize = sizeof info;
  if (getVersion(&info) != 0)
    return 0;
  char formatted[48];
  std::snprintf(formatted, sizeof formatted, "%u.%u.%.3u", info.dwMajorVersion,
                info.dwMinorVersion, info.dwBuildNumber);
  text = formatted;
  return 1;
}

} // namespace ravelock::app
