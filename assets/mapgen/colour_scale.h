#pragma once
// The colour scale of the cloud maps: cloud columnar liquid water from 0 to
// 4 kg/m2 (the range of the program's "Cloud columnar content" slider) on a
// sequential scale, and one separate colour for "4 or more".
//
// The ramp is the viridis scale (van der Walt and Smith, matplotlib), run
// from its light yellow end (dry) to its blue at three tenths (4 kg/m2):
// lightness falls steadily with the amount of water, and the scale reads in
// grey and to colour-blind eyes. The darkest part of viridis is left out so
// that the dark coastlines still show over the wettest oceans. Values of
// 4 kg/m2 and more, which only the 0.1, 0.5 and 1 % maps reach over the
// wettest tropics, are a red outside the ramp's hues, so that they cannot be
// mistaken for a value on it.

#include "colour.h"
#include "real.h"

namespace quillmere::mapgen {

// Colours are the program's 8-bit sRGB Rgb, as the maps store them.

inline constexpr Real kScaleTop = 4;  // kg/m2: this and more is kFourOrMoreColour
inline constexpr Rgb kFourOrMoreColour{215, 48, 39};

// Colour of a liquid water amount, kg/m2. Below 0 is the colour of 0.
Rgb LiquidWaterColour(Real kg_m2);

// CIE 1976 lightness L* (0 black .. 100 white) of an sRGB colour (D65).
Real Lightness(Rgb colour);

// Reading a colour back off the scale, as a user does against the legend:
// the amount whose colour is nearest (in RGB), or "4 or more" when the
// separate colour is nearer than any on the ramp. `distance` is the RGB
// distance to the matched colour, a measure of how well the colour fits.
struct ScaleReading {
  Real kg_m2 = 0;  // 0..kScaleTop on the ramp; kScaleTop for four_or_more
  bool four_or_more = false;
  Real distance = 0;  // RGB units
};
ScaleReading ReadScale(Rgb colour);

}  // namespace quillmere::mapgen
