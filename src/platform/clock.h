#pragma once
#include <cstdint>

namespace ravelock::platform {

struct LocalTime {
  unsigned year, month, day, hour, minute, second;
};

// The wall-clock time in the user's time zone.
LocalTime localTimeNow();

} // namespace ravelock::platform
