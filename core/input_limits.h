#pragma once
// The lowest and the highest value each input of the window can reach. The
// steppers clamp to these values and the load of a default data file refuses
// anything beyond them, so a value the window cannot produce by clicking
// never reaches the models from a file either.

#include "real.h"

namespace quillmere {

// An inclusive range of one input, in the input's own unit.
struct InputLimit {
  Real low;
  Real high;
};

namespace input_limits {

// Air temperature at the station, degC. The coldest and the hottest air ever
// measured at the surface (-89 degC, +57 degC) lie well inside; beyond, the
// water-vapour density and the P.676 temperature ratio lose their meaning.
inline constexpr InputLimit kTemperature{-100.0L, 100.0L};

// Relative humidity, %: a share of saturation.
inline constexpr InputLimit kHumidity{0.0L, 100.0L};

// Air pressure at the station, hPa. The floor of 1 hPa keeps the P.676
// pressure ratio positive; 1100 hPa is above the highest sea-level pressure
// ever measured (1084 hPa).
inline constexpr InputLimit kPressure{1.0L, 1100.0L};

// Station height above sea level, m: the P.835 reference atmospheres are
// defined from sea level up to 100 km.
inline constexpr InputLimit kHeightAsl{0.0L, 100000.0L};

// The DX station's hundreds button stops at 10 000 m, as it always did; its
// tens button can still pass that height (a quirk users know), up to
// kHeightAsl.high.
inline constexpr Real kDxHundredsCeiling = 10000.0L;

// Antenna elevation, degrees. 0.1 keeps sin(theta) positive, so the slant
// path stays finite; 90 is the zenith.
inline constexpr InputLimit kElevation{0.1L, 90.0L};

// Terrestrial path length, km. About half the Earth's circumference: no
// great-circle path between two points on the Earth is longer.
inline constexpr InputLimit kTerrestrialPath{0.0L, 20000.0L};

// The selections and sliders: the items and positions their controls have.
inline constexpr InputLimit kEmePathMode{0, 1};      // terrestrial, EME
inline constexpr InputLimit kRainRateIndex{0, 5};    // none .. 150 mm/h
inline constexpr InputLimit kPolarisation{0, 2};     // horizontal, vertical, circular
inline constexpr InputLimit kFrequencyIndex{0, 7};   // the eight bands, 10 .. 241 GHz
inline constexpr InputLimit kDisplayDecimals{1, 8};  // item index + 1
inline constexpr InputLimit kLatitudeZone{0, 2};     // low, mid, high
inline constexpr InputLimit kSeason{0, 1};           // summer, winter
inline constexpr InputLimit kFogIndex{0, 7};         // no fog .. 300 m visibility
inline constexpr InputLimit kMoonSliderPosition{0, 100};
inline constexpr InputLimit kCloudPosition{0, 40};  // 0.0 .. 4.0 kg/m2
inline constexpr InputLimit kHelpDelayIndex{0, 3};  // 8 s, 4 s, 2 s, do not display

}  // namespace input_limits
}  // namespace quillmere
