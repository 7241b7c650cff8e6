#pragma once
// Time stamps set on a test's file and read back from what a routine made
// of it.

#include "platform/file.h"

#include <gtest/gtest.h>

#include <string>

namespace ravelock::test {

// Creation 2009, last access 2012, last write 2016: none of them now, so a
// result that took the clock's time instead shows.
inline constexpr platform::FileTimes kKnownTimes{
    129000000000000000ull, 130000000000000000ull, 131000000000000000ull};

// Sets `times` on the file `path`; false when it cannot be opened or set.
bool setFileTimes(const std::string& path, const platform::FileTimes& times);
// The times of the file `path`; all zero when they cannot be read.
platform::FileTimes fileTimes(const std::string& path);

// Whether `got` has the last write and access times of `want`, and its
// creation time where the file system can store one (not under Wine).
testing::AssertionResult sameTimes(const platform::FileTimes& got,
                                   const platform::FileTimes& want);

} // namespace ravelock::test
