#pragma once
// Windows only: the sender's end of the file-list hand-off, shared by the
// context-menu extension and the drop target.

#include <cstdint>

namespace ravelock::handoff {

// Starts vellapp.exe from the folder of the sender's module (any address
// inside it, such as its module handle) with "/encryption" or
// "/decryption" and an inherited section holding `list` (`length` bytes,
// its final NUL included, `count` paths), then waits 500 ms and up to 20 s
// more for vellapp to say it has copied the list. 1 when vellapp was
// started, 0 otherwise; nothing created stays open either way.
int LaunchWithFileList(const void* senderModule, const char* list, std::uint32_t length,
                       std::int32_t count, bool encrypt);

} // namespace ravelock::handoff
