#pragma once
// The one process-wide state of the calculator: the Home and DX stations and
// the global settings. Every field starts at zero; start-up and the default
// data file fill what they own, the input handlers and the recalculation the
// rest. Field names, types and units are fixed because the data file and
// every display are defined in their terms.

#include <array>
#include <cstdint>
#include <string>

#include "real.h"

namespace quillmere {

struct StationParams {
  // Inputs (stepped by the user, most of them restored from the data file).
  Real Temperature = 0;              // air temperature at the station, degC (-100..100)
  Real TemperatureKelvin = 0;        // Temperature + 273.15, K
  Real Humidity = 0;                 // relative humidity, % (0..100)
  Real Pressure = 0;                 // air pressure at the station, hPa (1..1100 once set)
  Real HeightAsl = 0;                // station height above sea level, m (0..100 000)
  Real Elevation = 0;                // working antenna elevation, deg (0.1..90)
  Real EmeElevation = 0;             // elevation kept for the EME path mode, deg
  ItemIndex LatitudeZone = 0;        // P.835 reference latitude: 0 low, 1 mid, 2 high
  ItemIndex Season = 0;              // 0 summer, 1 winter (mid and high latitudes)
  ItemIndex RainRateIndex = 0;       // 0 none, 1 0.25, 2 1, 3 10, 4 25, 5 150 mm/h
  Real RainRate = 0;                 // mm/h, from RainRateIndex
  ItemIndex Polarisation = 0;        // 0 horizontal, 1 vertical, 2 circular
  ItemIndex FogIndex = 0;            // 0 no fog, 1..7 visibility 10..300 m
  Real FogDensity = 0;               // fog liquid water density, g/m3
  std::int32_t CloudPosition = 0;    // cloud slider position, 0..40
  Real CloudContent = 0;             // cloud columnar liquid water, kg/m2
  std::uint8_t VapourOverWater = 0;  // 1: saturation over water, 0: over ice

  // Derived by the models at every recalculation.
  Real VapourDensity = 0;     // g/m3
  Real DryAirSpecific = 0;    // gamma_o, dB/km
  Real VapourSpecific = 0;    // gamma_w, dB/km
  Real DryAirHeight = 0;      // h_o, km
  Real VapourHeight = 0;      // h_w, km
  Real SlantTotal = 0;        // gaseous attenuation along the beam, dB
  Real RainAttenuation = 0;   // gamma_R, dB/km
  Real CloudAttenuation = 0;  // dB along the slant path
  Real FogAttenuation = 0;    // dB/km
};

// Rain coefficients of the selected band after ITU-R P.838 (horizontal,
// vertical, and the circular pair as plain means).
struct BandCoefficients {
  Real KH = 0, KV = 0, KC = 0;
  Real AlphaH = 0, AlphaV = 0, AlphaC = 0;
};

// Working values of the gaseous model, shared by both stations and set for
// each in turn.
struct GasRatios {
  Real PressureRatio = 0;     // rp = p / 1013
  Real TemperatureRatio = 0;  // rt = 288 / (t + 273)
};

struct QuillmereState {
  StationParams Home;
  StationParams DX;

  // Global settings and shared results.
  Real Frequency = 0;                   // GHz, the band's table frequency
  ItemIndex FrequencyIndex = 0;         // 0..7
  std::int32_t DisplayDecimals = 0;     // decimals of most results, 1..8
  ItemIndex HelpDelayIndex = 0;         // 0 8 s, 1 4 s, 2 2 s, 3 hints off
  std::uint8_t EmePathMode = 0;         // 1 EME, 0 terrestrial
  Real PathLength = 0;                  // km shown as the path length
  Real TerrestrialPathLength = 0;       // km (0..20 000)
  Real AttenuationPathLength = 0;       // km over which the air is summed
  std::int32_t MoonSliderPosition = 0;  // 0..100
  Real MoonDistance = 0;                // km, from the slider
  Real EmePathLoss = 0;                 // dB
  std::string CurrentDirectory;         // the current folder, its name in the system's bytes
  std::int64_t BuildFileAge = 0;        // program file time stamp, -1 when unknown

  // Carried through the data file untouched.
  std::uint8_t SpareFlag = 0;
  std::string ReservedText1;
  std::string ReservedText2;
  std::array<Real, 7> ReservedValues{};

  // Working values of the models.
  GasRatios Gas;
  BandCoefficients Band;
  Real CurrentMoonDistance = 0;  // km, last sun/moon query
  Real MoonPhase = 0;            // fraction of the synodic cycle, 0..1
};

}  // namespace quillmere
