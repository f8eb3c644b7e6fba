#pragma once
// The number types every layer shares.

#include <cstdint>

namespace quillmere {

// All model arithmetic is carried out in x87 extended precision: the ITU
// approximations were tabulated against it, and the data file stores reals
// in that 10-byte form.
using Real = long double;

// Index of the selected item of a radio group; -1 is "no item selected".
using ItemIndex = std::int32_t;

}  // namespace quillmere
