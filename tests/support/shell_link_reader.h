#pragma once
#include <string>

namespace ravelock::test {

// The target and arguments of a shortcut file; false when it cannot be
// read (always natively, where there are no shell links).
bool readShellLink(const std::string& path, std::string& target, std::string& arguments);

} // namespace ravelock::test
