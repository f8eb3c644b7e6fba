#pragma once
// The one place the program reads the system's clock.

#include "utc_clock.h"

namespace quillmere {

// The system's UTC clock (Unix time) as whole seconds and nanoseconds.
UnixTime ReadSystemClock();

// The offset of the system's local time from UTC at a moment (Unix
// seconds), seconds east of Greenwich, summer time included.
int LocalOffsetSeconds(std::int64_t unix_seconds);

}  // namespace quillmere
