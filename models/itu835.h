#pragma once
// Reference standard atmospheres after ITU-R P.835-3: temperature, pressure
// and water-vapour density at a height above sea level for the low-, mid-
// and high-latitude profiles. The main window shows them at each station's
// height and none of its other figures reads them; the exact method
// (atmosphere_profile.h: the Spectrum view, --slant, --spectrum and the
// planner's ray-traced air) takes the zone and season's profile as the
// shape of the air above the station, blended into its weather.

#include "real.h"

namespace quillmere {

struct ReferenceAtmosphere {
  Real T = 0;    // temperature, K
  Real P = 0;    // pressure, hPa
  Real rho = 0;  // water-vapour density, g/m3
};

// Season items of the station's season group.
inline constexpr ItemIndex kSummer = 0;
inline constexpr ItemIndex kWinter = 1;

// h: height above sea level, km (>= 0; every interval includes its upper
// bound). The low-latitude profile is annual. For the seasonal profiles any
// season other than kWinter is taken as summer.
ReferenceAtmosphere LowLatitudeProfile(Real h);
ReferenceAtmosphere MidLatitudeProfile(Real h, ItemIndex season);
ReferenceAtmosphere HighLatitudeProfile(Real h, ItemIndex season);

// The profile of latitude zone `zone` (0 low, 1 mid, 2 high) at the
// station's height in metres; nothing for a zone outside the table (a group
// with no item selected), where the display keeps what it showed.
bool ReferenceProfileAt(ItemIndex zone, ItemIndex season, Real height_m, ReferenceAtmosphere& out);

}  // namespace quillmere
