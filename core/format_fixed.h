#pragma once
// The one number-to-text rule of every display of the calculator.

#include <string>

#include "real.h"

namespace quillmere {

// Separators of the user's locale. The window fills them from the system
// locale; the model core never looks the locale up itself.
struct NumberFormat {
  std::string decimal = ".";
  std::string group = ",";
};

// Shown in place of a figure that has no finite value (for instance while
// pressure, frequency or path length are still 0 before any data file).
inline constexpr const char* kNoValue = "\u2014";

// Writes `value` rounded to at most `p` significant digits and at most `d`
// decimals, whichever keeps fewer digits, in fixed-point notation with
// exactly `d` decimals, at least one digit before the separator and a minus
// sign only when the rounded value is not zero. When the rounded integer part
// has more than `p` digits the value is written in exponent notation
// instead: `p` significant digits, "E", the exponent's sign and at least
// min(d, 4) exponent digits. Rounding is exact from the extended value; an
// exact tie goes away from zero.
// p: 1..18 significant digits; d: 0..18 decimals.
std::string FormatFixed(Real value, int p, int d, const NumberFormat& fmt = {});

// As FormatFixed, with the locale's thousands separator in the integer part.
std::string FormatFixedGrouped(Real value, int p, int d, const NumberFormat& fmt = {});

// As FormatFixed and FormatFixedGrouped, appending to `out`: the displays
// reuse one buffer so that a recalculation allocates nothing.
void AppendFixed(std::string& out, Real value, int p, int d, const NumberFormat& fmt);
void AppendFixedGrouped(std::string& out, Real value, int p, int d, const NumberFormat& fmt);

}  // namespace quillmere
