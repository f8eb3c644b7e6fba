#pragma once
// Colours of the window, as red, green and blue bytes.

#include <cstdint>

namespace quillmere {

struct Rgb {
  std::uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

// The recurring colours of the window.
inline constexpr Rgb kCream{255, 251, 240};       // Home blocks
inline constexpr Rgb kMoneyGreen{192, 220, 192};  // DX blocks
inline constexpr Rgb kSkyBlue{166, 202, 240};
inline constexpr Rgb kSilver{192, 192, 192};
inline constexpr Rgb kWhite{255, 255, 255};
inline constexpr Rgb kBlue{0, 0, 255};

}  // namespace quillmere
