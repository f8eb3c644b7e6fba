#pragma once
// The per-station steps of the recalculation: one station's weather through
// the plain ITU-R models (models/) into the derived values of its
// StationParams, and the items of the rain, fog and frequency groups.

#include <array>

#include "itu676.h"
#include "state.h"

namespace quillmere {

// Rain rate of each item of the rain group, mm/h.
inline constexpr std::array<Real, 6> RainRateTable{0, 0.25L, 1, 10, 25, 150};

// Fog liquid-water density of each item of the fog group, g/m3. It follows
// M = 0.59 - 0.0018 V for a visibility V in metres (10 m is the densest).
inline constexpr std::array<Real, 8> FogTable{0, 0.572L, 0.5L, 0.41L, 0.32L, 0.23L, 0.14L, 0.05L};

// Stores the station's VapourDensity from its Temperature, Humidity and
// VapourOverWater.
void UpdateVapourDensity(StationParams& station);

// The ratios of the gaseous model: rp = p/1013 and rt = 288/(t + 273).
GasRatios GasRatiosOf(const StationParams& station);

// The gaseous step of one station: sets the shared ratios from the station's
// pressure and temperature, then DryAirSpecific, VapourSpecific (from the
// station's VapourDensity, computed before), DryAirHeight and VapourHeight
// at frequency f (GHz). Above 350 GHz DryAirSpecific keeps its value.
void ComputeGas(StationParams& station, Real f, GasRatios& ratios);

// gamma_o h_o + gamma_w h_w of the station, dB (P.676-9 Annex 2, eq. 28).
Real ZenithAttenuation(const StationParams& station);

// Loads the band of `frequency_index` into `frequency` (GHz) and `band`,
// with KC and AlphaC the plain means of the horizontal and vertical values.
// An index outside the band table leaves both unchanged.
void SelectBand(ItemIndex frequency_index, Real& frequency, BandCoefficients& band);

// The rain step of one station: RainRate from its RainRateIndex (an index
// outside the table leaves it as it was), the band reloaded from
// `frequency_index`, then RainAttenuation (dB/km) for the station's
// polarisation. A polarisation outside 0..2 picks no coefficients and
// leaves RainAttenuation as it was.
void UpdateRainAttenuation(StationParams& station, ItemIndex frequency_index, Real& frequency,
                           BandCoefficients& band);

// The cloud-and-fog step of one station at frequency f (GHz): refreshes
// TemperatureKelvin, then CloudAttenuation from CloudContent and Elevation,
// and FogAttenuation (dB/km) from FogDensity. Returns Kl for display.
Real UpdateCloudAndFog(StationParams& station, Real f);

// Sets the station's FogDensity from the fog item (an index outside the
// table leaves it unchanged) and stores the item in FogIndex.
void SelectFog(StationParams& station, ItemIndex item);

}  // namespace quillmere
