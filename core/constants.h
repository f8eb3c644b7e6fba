#pragma once
// Mathematical constants that more than one layer needs, each written once.

#include "real.h"

namespace quillmere {

// pi/180, to more digits than the 64-bit significand of Real holds, so that
// the literal rounds to the extended value nearest pi/180.
inline constexpr Real kDegToRad = 0.01745329251994329576923690768488613L;

}  // namespace quillmere
