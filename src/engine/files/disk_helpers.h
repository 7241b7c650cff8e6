#pragma once
// Free space and long paths as the file routines and the batch driver use
// them. On Windows the newer kernel32 functions are bound at run time with
// the older ones as fallbacks (see platform/filesystem.h).

#include "platform/filesystem.h"

#include <cstddef>
#include <cstdint>

#ifdef GetFreeSpace
#undef GetFreeSpace
#endif

namespace ravelock::engine {

// 1 on success, 0 on failure; out values (any may be null) are 0 first.
inline int GetFreeSpace(const char* root, std::uint64_t* freeBytes,
                        std::uint64_t* totalBytes, std::uint64_t* totalFreeBytes) {
  return platform::getFreeSpace(root, freeBytes, totalBytes, totalFreeBytes);
}

// The length of the long form of `path` (written only when it fits), 0 when
// it cannot be formed; the buffer is emptied first.
inline std::size_t GetLongPath(const char* path, char* buffer, std::size_t bufferSize) {
  return platform::getLongPath(path, buffer, bufferSize);
}

} // namespace ravelock::engine
