#pragma once
// What the crash test and the run it kills agree on.

namespace ravelock::test {

inline constexpr char kCrashChildKey[] = "crash test key";
inline constexpr int kCrashChildKilled = 86; // stopped dead at the call asked
inline constexpr int kCrashChildFailed = 1;  // the run itself failed
inline constexpr int kCrashChildUsage = 2;

} // namespace ravelock::test
