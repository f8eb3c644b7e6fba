#include "itu835.h"

#include <cmath>

namespace quillmere {

// ITU-R P.835-3, section 2 (low latitude, annual).
ReferenceAtmosphere LowLatitudeProfile(Real h) {
  ReferenceAtmosphere a;
  if (h <= 17) {
    a.T = 300.4222L - 6.3533L * h + 0.005886L * h * h;
  } else if (h <= 47) {
    a.T = 194 + 2.533L * (h - 17);
  } else if (h <= 52) {
    a.T = 270;
  } else if (h <= 80) {
    a.T = 270 - 3.0714L * (h - 52);
  } else {
    a.T = 184;
  }

  // The factors above 10 and 72 km are the profile's tabulated pressures at
  // those heights, not values recomputed from the branch below them.
  if (h <= 10) {
    a.P = 1012.0306L - 109.0338L * h + 3.6316L * h * h;
  } else if (h <= 72) {
    a.P = 284.8536L * std::exp(-0.147L * (h - 10));
  } else {
    a.P = 0.0313662L * std::exp(-0.165L * (h - 72));
  }

  if (h <= 15) {
    a.rho = 19.6542L * std::exp(-0.2313L * h - 0.1122L * h * h + 0.01351L * h * h * h -
                                0.0005923L * h * h * h * h);
  }
  return a;
}

// ITU-R P.835-3, section 3 (mid latitude, summer and winter).
ReferenceAtmosphere MidLatitudeProfile(Real h, ItemIndex season) {
  ReferenceAtmosphere a;
  if (season != kWinter) {
    if (h <= 13) {
      a.T = 294.9838L - 5.2159L * h - 0.07109L * h * h;
    } else if (h <= 17) {
      // 215.15 K, where the 0-13 km polynomial arrives (215.16 K at 13 km).
      a.T = 215.15L;
    } else if (h <= 47) {
      a.T = 215.15L * std::exp(0.008128L * (h - 17));
    } else if (h <= 53) {
      a.T = 275;
    } else if (h <= 80) {
      a.T = 275 + 20 * (1 - std::exp(0.06L * (h - 53)));
    } else {
      a.T = 175;
    }
    if (h <= 10) {
      a.P = 1012.8186L - 111.5569L * h + 3.8646L * h * h;
    } else if (h <= 72) {
      a.P = 283.7096L * std::exp(-0.147L * (h - 10));
    } else {
      a.P = 0.031240223L * std::exp(-0.165L * (h - 72));
    }
    // The summer vapour is given up to 15 km, as the low-latitude one.
    if (h <= 15) {
      a.rho = 14.3542L * std::exp(-0.4174L * h - 0.0229L * h * h + 0.001007L * h * h * h);
    }
  } else {
    if (h <= 10) {
      a.T = 272.7241L - 3.6217L * h - 0.1759L * h * h;
    } else if (h <= 33) {
      a.T = 218;
    } else if (h <= 47) {
      a.T = 218 + 3.3571L * (h - 33);
    } else if (h <= 53) {
      a.T = 265;
    } else if (h <= 80) {
      a.T = 265 - 2.037L * (h - 53);
    } else {
      a.T = 210;
    }
    if (h <= 10) {
      a.P = 1018.8627L - 124.2954L * h + 4.8307L * h * h;
    } else if (h <= 72) {
      a.P = 258.9787L * std::exp(-0.147L * (h - 10));
    } else {
      a.P = 0.02851702L * std::exp(-0.155L * (h - 72));
    }
    if (h <= 10) {
      a.rho = 3.4742L * std::exp(-0.2697L * h - 0.03604L * h * h + 0.0004489L * h * h * h);
    }
  }
  return a;
}

// ITU-R P.835-3, section 4 (high latitude, summer and winter).
ReferenceAtmosphere HighLatitudeProfile(Real h, ItemIndex season) {
  ReferenceAtmosphere a;
  if (season != kWinter) {
    if (h <= 10) {
      a.T = 286.8374L - 4.7805L * h - 0.1402L * h * h;
    } else if (h <= 23) {
      a.T = 225;
    } else if (h <= 48) {
      a.T = 225 * std::exp(0.008317L * (h - 23));
    } else if (h <= 53) {
      a.T = 277;
    } else if (h <= 79) {
      a.T = 277 - 4.0769L * (h - 53);
    } else {
      a.T = 171;
    }
    if (h <= 10) {
      a.P = 1008.0278L - 113.2494L * h + 3.9408L * h * h;
    } else if (h <= 72) {
      a.P = 269.6138L * std::exp(-0.14L * (h - 10));
    } else {
      a.P = 0.045821L * std::exp(-0.165L * (h - 72));
    }
    if (h <= 15) {
      a.rho = 8.988L * std::exp(-0.3614L * h - 0.005402L * h * h - 0.001955L * h * h * h);
    }
  } else {
    if (h <= 8.5L) {
      a.T = 257.4345L + 2.3474L * h - 1.5479L * h * h + 0.08473L * h * h * h;
    } else if (h <= 30) {
      a.T = 217.5L;
    } else if (h <= 50) {
      a.T = 217.5L + 2.125L * (h - 30);
    } else if (h <= 54) {
      a.T = 260;
    } else {
      // The winter profile has no further layer above 54 km.
      a.T = 260 - 1.667L * (h - 54);
    }
    if (h <= 10) {
      a.P = 1010.8828L - 122.2411L * h + 4.554L * h * h;
    } else if (h <= 72) {
      a.P = 243.8718L * std::exp(-0.147L * (h - 10));
    } else {
      a.P = 0.0268535L * std::exp(-0.15L * (h - 72));
    }
    if (h <= 10) {
      a.rho = 1.2319L * std::exp(0.07481L * h - 0.0981L * h * h + 0.00281L * h * h * h);
    }
  }
  return a;
}

bool ReferenceProfileAt(ItemIndex zone, ItemIndex season, Real height_m, ReferenceAtmosphere& out) {
  const Real h = height_m / 1000;
  switch (zone) {
    case 0:
      out = LowLatitudeProfile(h);
      return true;
    case 1:
      out = MidLatitudeProfile(h, season);
      return true;
    case 2:
      out = HighLatitudeProfile(h, season);
      return true;
    default:
      return false;
  }
}

}  // namespace quillmere
