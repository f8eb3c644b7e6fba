#pragma once
// Mathematical and physical constants that more than one layer needs, each
// written once.

#include "real.h"

namespace quillmere {

// pi/180, to more digits than the 64-bit significand of Real holds, so that
// the literal rounds to the extended value nearest pi/180.
inline constexpr Real kDegToRad = 0.01745329251994329576923690768488613L;

// The speed of light in vacuum, m/s: exact, as the SI defines the metre by it.
inline constexpr Real kSpeedOfLight = 299792458.0L;

// 0 degC in kelvin: a temperature the user gives in degC plus this is the
// absolute temperature the models take.
inline constexpr Real kZeroCelsius = 273.15L;

}  // namespace quillmere
