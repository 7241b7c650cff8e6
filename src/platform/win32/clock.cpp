#include "platform/clock.h"

#include <windows.h>

namespace ravelock::platform {

LocalTime localTimeNow() {
  SYSTEMTIME t;
  GetLocalTime(&t);
  return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

} // namespace ravelock::platform
