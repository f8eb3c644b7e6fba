#pragma once
// The amateur bands of the frequency group.

#include <array>

#include "real.h"

namespace quillmere {

struct BandRow {
  Real frequency;  // GHz, the frequency every model uses for the band
};

// The eight bands of the frequency group, indexed by FrequencyIndex. The
// rain model has its coefficients tabulated at exactly these frequencies.
inline constexpr std::array<BandRow, 8> BandTable{{
    {10.368L},
    {24.048L},
    {47.088L},
    {78.0L},
    {100.0L},
    {122.0L},
    {134.0L},
    {241.0L},
}};

}  // namespace quillmere
