#pragma once
// The path lists the main window's pages hand to the engine: each path with
// its terminating zero, back to back, closed by one more zero.

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ravelock::app {

// The size of the list buffer the file pages fill, final zero included.
inline constexpr std::size_t kSelectionListLimit = 67600;

struct PathList {
  std::string bytes; // the list, final zero included
  unsigned count = 0;
};

// The leading `paths` whose list fits in `limit` bytes: the first path that
// would not fit ends the list, and it and the later ones are dropped.
PathList buildPathList(std::span<const std::string> paths,
                       std::size_t limit = kSelectionListLimit);

// A folder as a one-entry list: a backslash appended when it has none (a
// drive root "C:\" stays as it is), then its zero and the list's. Empty for
// an empty folder name.
PathList folderList(std::string folder);

// The full paths of an Open dialog's multiple selection: either one full
// path, or the folder followed by the names chosen in it, each ended by a
// zero, the whole ended by an empty name. Nothing for a buffer
// cut short.
std::vector<std::wstring> splitSelection(std::wstring_view buffer);

} // namespace ravelock::app
