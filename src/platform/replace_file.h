#pragma once
// Replacing a file's content without ever losing the old one: the new bytes
// go to a temporary file beside it, are flushed, and the temporary file is
// moved over the old one in one step. A failure at any point leaves the old
// file as it was (bytes and attributes) and removes the temporary file, so
// a crash or a full disk never leaves half a file for a reader.

#include <initializer_list>
#include <string_view>

namespace ravelock::platform {

// Replaces `path` with the concatenation of `pieces`, creating it when
// missing unless `mustExist` (then a file deleted since it was read is a
// failure). The temporary file is "<folder><prefix>N.tmp", short so that it
// fits wherever the file's own name does. A read-only file is replaced and
// left writable; other attributes carry over. On failure the system error
// is that of the failing call.
bool replaceFile(const char* path, bool mustExist, std::string_view temporaryPrefix,
                 std::initializer_list<std::string_view> pieces);

} // namespace ravelock::platform
