#pragma once
// The version a library of the program folder reports through its
// DllGetVersion export (the engine, the context-menu extension).

#include <string>

namespace ravelock::app {

// 1 and "major.minor.build" (the build with at least three digits, as
// "%u.%u.%.3u"), or 0 and "" when the library cannot be loaded, has no
// DllGetVersion or it fails. The library is loaded and freed on each call.
int libraryVersion(const std::string& programFolder, const std::string& fileName,
                   std::string& text);

} // namespace ravelock::app
