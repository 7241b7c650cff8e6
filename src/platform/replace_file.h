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
// failure). A symbolic link is written through: its target is replaced and
// the link stays. The temporary file is "<folder><prefix>XXXXXXXX.tmp" (8
// random hexadecimal digits), short so that it fits wherever the file's
// own name does, and created exclusively; such files of crashed writers,
// older than a few minutes, are removed. The new file has the old one's
// permission bits and, where the caller may set them, its owner and group.
// A read-only file is replaced and left writable; other attributes carry
// over. On failure the system error is that of the failing call (a full
// disk's when a write takes nothing).
bool replaceFile(const char* path, bool mustExist, std::string_view temporaryPrefix,
                 std::initializer_list<std::string_view> pieces);

} // namespace ravelock::platform
