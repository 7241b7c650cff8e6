#include "platform/clock.h"

#include <ctime>

namespace ravelock::platform {

LocalTime localTimeNow() {
  const std::time_t now = std::time(nullptr);
  std::tm t{};
  localtime_r(&now, &t);
  return {static_cast<unsigned>(t.tm_year + 1900), static_cast<unsigned>(t.tm_mon + 1),
          static_cast<unsigned>(t.tm_mday),        static_cast<unsigned>(t.tm_hour),
          static_cast<unsigned>(t.tm_min),         static_cast<unsigned>(t.tm_sec)};
}

} // namespace ravelock::platform
