#include "platform/system_error.h"
#include "platform/backend.h"

#include "platform/win32/wide.h"

#include <windows.h>

#include <iterator>

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
  wchar_t text[512];
  DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, code, 0, text, std::size(text), nullptr);
  while (n > 0 && (text[n - 1] == L'\n' || text[n - 1] == L'\r' || text[n - 1] == L' ' ||
                   text[n - 1] == L'.'))
    --n;
  if (n == 0)
    return "system error " + std::to_string(code);
  return win32::utf8(std::wstring_view(text, n));
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
