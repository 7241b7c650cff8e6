#include "platform/system_error.h"
#include "platform/backend.h"

#include <windows.h>

namespace ravelock::platform {

std::uint32_t lastSystemError() {
  return GetLastError();
}

void setLastSystemError(std::uint32_t code) {
  SetLastError(code);
}

bool lastErrorIsSharingViolation() {
  const DWORD error = GetLastError();
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

std::string systemErrorText(std::uint32_t code) {
  char text[512];
  DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, code, 0, text, sizeof text, nullptr);
  while (n > 0 && (text[n - 1] == '\n' || text[n - 1] == '\r' || text[n - 1] == ' ' ||
                   text[n - 1] == '.'))
    --n;
  if (n == 0)
    return "system error " + std::to_string(code);
  return std::string(text, n);
}

void backend::reportFault(Op op, Fault fault) {
  switch (op) {
  case Op::Read: SetLastError(ERROR_READ_FAULT); break;
  case Op::Write:
    SetLastError(fault == Fault::NoSpace ? ERROR_DISK_FULL : ERROR_WRITE_FAULT);
    break;
  case Op::Seek: SetLastError(ERROR_SEEK); break;
  case Op::SetEnd:
  case Op::Flush: SetLastError(ERROR_WRITE_FAULT); break;
  case Op::MapFile:
  case Op::MapMemory: SetLastError(ERROR_NOT_ENOUGH_MEMORY); break;
  case Op::Open:
  case Op::Size:
  case Op::GetTimes:
  case Op::SetTimes:
  case Op::GetAttributes:
  case Op::SetAttributes:
  case Op::Move:
  case Op::Delete:
  case Op::Copy: SetLastError(ERROR_ACCESS_DENIED); break;
  // Callers of these read no error code.
  case Op::FreeSpace:
  case Op::LongPath:
  case Op::ListDirectory:
  case Op::OpenNamedObject:
  case Op::StartProcess:
  // The registry seam answers with its own status.
  case Op::RegistryOpen:
  case Op::RegistryCreate:
  case Op::RegistryRead:
  case Op::RegistryWrite:
  case Op::RegistryDelete:
  // Shell links answer with a COM result, not the last error.
  case Op::ShellLink:
  case Op::Count: break;
  }
}

} // namespace ravelock::platform
