#include <time.h>

#include "system_clock.h"

namespace quillmere {

UnixTime ReadSystemClock() {
  // CLOCK_REALTIME is UTC without leap seconds; its seconds are a 64-bit
  // time_t, good far beyond the year 9999.
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  return {static_cast<std::int64_t>(now.tv_sec), static_cast<std::int32_t>(now.tv_nsec)};
}

int LocalOffsetSeconds(std::int64_t unix_seconds) {
  // The local calendar moment read back as if it were UTC, less the moment.
  const time_t t = static_cast<time_t>(unix_seconds);
  tm local{};
  if (localtime_r(&t, &local) == nullptr) return 0;
  return static_cast<int>(timegm(&local) - t);
}

}  // namespace quillmere
