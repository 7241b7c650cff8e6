#include "platform/user.h"

#include <pwd.h>
#include <unistd.h>

#include <cstring>
#include <vector>

namespace ravelock::platform {

namespace {

// Windows asks with a 260-byte buffer; longer names do not count as names.
constexpr std::size_t kNameCapacity = 260;

std::string fitting(const char* name) {
  if (!name || std::strlen(name) >= kNameCapacity)
    return {};
  return name;
}

} // namespace

std::string logonUserName() {
  long hint = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(hint > 0 ? static_cast<std::size_t>(hint) : 16384);
  struct passwd entry;
  struct passwd* found = nullptr;
  if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
      found)
    return fitting(found->pw_name);
  // Without a passwd entry (a bare container), the session's login name.
  char login[kNameCapacity];
  if (::getlogin_r(login, sizeof login) == 0)
    return fitting(login);
  return {};
}

} // namespace ravelock::platform
