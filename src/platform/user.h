#pragma once
// The name the current user logged on with. Each user keeps a section of
// their own in the shared options file under this name.

#include <string>

namespace ravelock::platform {

// The logon name (GetUserNameA on Windows, the passwd entry of the effective
// user natively), or "" when the system cannot tell it or it does not fit
// 260 bytes with its terminator.
std::string logonUserName();

} // namespace ravelock::platform
