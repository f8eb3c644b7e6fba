#pragma once
// Rain specific attenuation after ITU-R P.838: gamma_R = k R^alpha with the
// coefficients of the selected amateur band, and the band table itself.

#include <array>

#include "state.h"

namespace quillmere {

struct BandRow {
  Real frequency;  // GHz, the frequency every model uses for the band
  Real kH, kV;     // P.838 coefficient k, horizontal and vertical
  Real alphaH, alphaV;
};

// The eight bands of the frequency group, indexed by FrequencyIndex. The
// coefficients are fixed per band; no regression is evaluated.
inline constexpr std::array<BandRow, 8> BandTable{{
    {10.368L, 0.01217L, 0.01129L, 1.2571L, 1.2156L},
    {24.048L, 0.1425L, 0.1404L, 1.0101L, 0.9561L},
    {47.088L, 0.5956L, 0.5817L, 0.8241L, 0.8017L},
    {78.0L, 1.1451L, 1.141L, 0.7156L, 0.7055L},
    {100.0L, 1.3671L, 1.368L, 0.6815L, 0.6765L},
    {122.0L, 1.4866L, 1.4911L, 0.664L, 0.6609L},
    {134.0L, 1.5345L, 1.5404L, 0.6567L, 0.6538L},
    {241.0L, 1.6332L, 1.6369L, 0.6339L, 0.6303L},
}};

// Rain rate of each item of the rain group, mm/h.
inline constexpr std::array<Real, 6> RainRateTable{0, 0.25L, 1, 10, 25, 150};

// Loads the band of `frequency_index` into `frequency` (GHz) and `band`,
// with KC and AlphaC the plain means of the horizontal and vertical values
// (not the k-weighted mean P.838 gives for circular polarisation). An index
// outside the table leaves both unchanged.
void SelectBand(ItemIndex frequency_index, Real& frequency, BandCoefficients& band);

// k R^alpha for rain rate R (mm/h); exactly 0 when R is 0.
Real RainSpecificAttenuation(Real k, Real alpha, Real R);

// The rain step of one station: RainRate from its RainRateIndex (an index
// outside the table leaves it as it was), the band reloaded from
// `frequency_index`, then RainAttenuation (dB/km) for the station's
// polarisation. A polarisation outside 0..2 picks no coefficients and
// leaves RainAttenuation as it was.
void UpdateRainAttenuation(StationParams& station, ItemIndex frequency_index, Real& frequency,
                           BandCoefficients& band);

}  // namespace quillmere
