#pragma once
// Where a loaded module (program or library) lives. The engine looks for the
// key server beside itself and each deliverable keeps its options file in
// its own folder, so the folder is that of the module holding the code, not
// of the process.

#include <string>

namespace ravelock::platform {

// The full path of the module that contains `address` (pass the address of
// any function or object of the module), or "" when it cannot be told.
std::string modulePath(const void* address);

// The folder part of modulePath, with a trailing separator, or "".
std::string moduleFolder(const void* address);

} // namespace ravelock::platform
