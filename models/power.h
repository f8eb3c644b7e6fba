#pragma once
// x^y for the models' real exponents.

#include <cmath>

#include "real.h"

namespace quillmere {

// x^y = exp(y ln x) for x >= 0. The C library's extended powl strives for a
// correctly rounded result and is some twenty times slower than this, which
// matters at a dozen powers per station and recalculation; the error here is
// a few units in the 19th digit, far below any figure shown. Like pow: 0^y is
// 0 for y > 0 and +inf for y < 0, a negative base gives NaN. Not for y = 0.
inline Real Pow(Real x, Real y) {
  return std::exp(y * std::log(x));
}

}  // namespace quillmere
