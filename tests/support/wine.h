#pragma once

namespace ravelock::test {

// True for a Windows test program running under Wine, whose Unix file
// systems cannot store a file's creation time.
bool runningUnderWine();

} // namespace ravelock::test
