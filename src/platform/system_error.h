#pragma once
// The system's error code of the last failed call on this thread
// (GetLastError on Windows, errno natively). Callers that clean up after a
// failure save it first and put it back, so the caller sees the code of the
// failure itself and not of the clean-up.

#include <cstdint>
#include <string>

namespace ravelock::platform {

std::uint32_t lastSystemError();
void setLastSystemError(std::uint32_t code);

// Whether the last failed open was refused because another opener holds
// the file without sharing (a sharing violation; natively the lock).
bool lastErrorIsSharingViolation();

// The system's own text for `code`, without a trailing line break.
std::string systemErrorText(std::uint32_t code);

} // namespace ravelock::platform
