#pragma once
// What each backend supplies for the free-space and long-path helpers;
// filesystem_common.cpp holds the contract they share (outputs cleared
// first, fault injection, writing only what fits).

#include <cstdint>
#include <optional>
#include <string>

namespace ravelock::platform::backend {

struct FreeSpace {
  std::uint64_t available = 0; // to the calling user
  std::uint64_t total = 0;
  std::uint64_t totalFree = 0;
};

bool freeSpace(const char* root, FreeSpace& space);

// The long form of an existing path, or nullopt.
std::optional<std::string> longPath(const char* path);

} // namespace ravelock::platform::backend
