#pragma once
// The ANSI exports take paths in their caller's code page; inside they are
// UTF-8. Nothing changes for a caller whose code page is UTF-8 (our own
// programs, and every caller natively).

#include <string>

namespace ravelock::engine {

// `path` in UTF-8; false when it has none.
bool pathFromCaller(const char* path, std::string& utf8);

// An item list (see forEachItem) in UTF-8, each item NUL-ended and the
// list ended by one more NUL, as it came; false when an item has no UTF-8
// form, which no run could then find.
bool itemsFromCaller(const char* items, int count, std::string& utf8);

// A UTF-8 path for the caller; false when its code page cannot hold it.
bool pathToCaller(const std::string& utf8, std::string& path);

} // namespace ravelock::engine
