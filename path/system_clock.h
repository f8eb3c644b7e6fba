#pragma once
// The one place the program reads the system's clock.

#include "utc_clock.h"

namespace quillmere {

// The system's UTC clock (Unix time) as whole seconds and nanoseconds.
UnixTime ReadSystemClock();

}  // namespace quillmere
