#include "platform/system_error.h"
#include "platform/backend.h"

#include <cerrno>
#include <cstring>

namespace ravelock::platform {

std::uint32_t lastSystemError() {
  return static_cast<std::uint32_t>(errno);
}

void setLastSystemError(std::uint32_t code) {
  errno = static_cast<int>(code);
}

bool lastErrorIsSharingViolation() {
  return errno == EWOULDBLOCK;
}

std::string systemErrorText(std::uint32_t code) {
  char text[256];
  // The GNU strerror_r may return a static string instead of filling `text`.
  const auto* message = ::strerror_r(static_cast<int>(code), text, sizeof text);
  return message ? std::string(message) : "system error " + std::to_string(code);
}

void backend::reportFault(Op op, Fault fault) {
  // The codes callers report: a failed write and a mapping that cannot be had.
  if (op == Op::Write)
    errno = fault == Fault::NoSpace ? ENOSPC : EIO;
  else if (op == Op::MapFile || op == Op::MapMemory)
    errno = ENOMEM;
}

} // namespace ravelock::platform
