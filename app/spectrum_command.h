#pragma once
// The exact-method commands of the report tool, without Qt (the command
// line reads their options):
//
//   --spectrum --station home|dx [--data FILE] --from-ghz A --to-ghz B
//              --step-ghz S [--profile station|global] [--weather P,T,RHO] [--json]
//   --slant    --station home|dx [--data FILE] --ghz F --elevations E1,E2,...
//              [--profile station|global] [--json]
//
// --spectrum gives rows of ghz, gamma_o_db_km, gamma_w_db_km (line by line,
// P.676-13 Annex 1, at the station) and zenith_db (the layers from the
// station to 100 km). --slant gives rows of geometric_elevation (-90 ... 90;
// below 0 from a mountain, down and up again), ray_db (ray-traced
// gases), cosecant_db (the window's P.676-9 Annex 2 figure, zenith /
// sin(elevation); null below the window's 0.1 degrees and above 350 GHz,
// where it has none),
// apparent_elevation and sky_k (sky brightness temperature, gases and the
// 2.7 K background). A ray that turns back in a duct reaches no far target:
// its ray_db reads "no escaping ray" and its sky_k and apparent_elevation
// are null; under the refracted horizon of the station's height it reads
// "not visible: below the refracted horizon".
// Both commands carry "notes" (JSON) or "# " lines before the table: the
// station's pressure far from the reference at its height (StationAirNotes);
// for DX without the planner's height (dx_height_m), that its height is the
// state's (0 m from a data file, which keeps none);
// and integrated_water_vapour_kg_m2 (JSON), or a "# " line after the notes:
// the vapour column of the layers from the station up, kg/m2.
//
// The elevations are geometric: where the Moon stands in free space, as an
// ephemeris gives it. apparent_elevation is where the refracted ray leaves
// the antenna, the angle to point at; the ray is traced from there. The
// cosecant figure uses the elevation as given, as the window does.
//
// The station's weather is that of the data file as the window holds it:
// temperature, pressure and the vapour density the window derives from the
// humidity, at the station's height; the profile above is its latitude
// zone and season's P.835-3 profile blended into that weather
// (atmosphere_profile.h). --profile global takes the P.835-6 mean annual
// global reference atmosphere (7.5 g/m3, 2 km scale height) at the station's
// height as it is, ignoring the data file's weather. --weather P,T,RHO gives
// the specific attenuation at dry-air pressure P hPa, temperature T K and
// vapour density RHO g/m3 exactly as given; the zenith figure then uses the
// profile blended into that weather (total pressure P + e).

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "atmosphere_profile.h"
#include "itu676_13_slant.h"
#include "state.h"

namespace quillmere {

struct ExactPathRequest {
  enum class Kind { kSpectrum, kSlant };
  Kind kind = Kind::kSpectrum;
  bool dx = false;  // --station dx; home otherwise
  std::optional<std::filesystem::path> data;
  bool global_profile = false;  // --profile global
  bool json = false;
  bool help = false;  // --help: the usage, nothing computed
  // --spectrum
  double from_ghz = 0, to_ghz = 0, step_ghz = 0;
  struct Weather {
    double p = 0;    // dry-air pressure, hPa
    double T = 0;    // K
    double rho = 0;  // g/m3
  };
  std::optional<Weather> weather;  // --weather, or --weather-total less e
  // --stations FILE: the planner's stations file, whose DX height the run
  // puts in dx_height_m (the data file keeps none).
  std::optional<std::filesystem::path> stations;
  std::optional<double> dx_height_m;
  // --slant
  double ghz = 0;
  std::vector<double> elevations;  // geometric, degrees
};

// The frequencies of a spectrum request: A, A + S, ... up to B (B itself
// when it falls on a step, within 1e-9 of a step).
std::vector<double> SpectrumFrequencies(const ExactPathRequest& request);

// Why the request cannot give finite figures for the state's station, or
// nothing: without --weather or --profile global the station's own weather
// is taken, and a pressure outside 1..1100 hPa (the start state's 0, when
// no data file was loaded) gives none.
std::optional<std::string> ExactPathWeatherFault(const ExactPathRequest& request,
                                                 const QuillmereState& state);

// Runs the request for the chosen station of a loaded state and returns the
// output: JSON {"command", "station", "profile", ..., "rows": [...]} with
// --json, else a tab-separated table with a header line.
std::string RunExactPathCommand(const ExactPathRequest& request, const QuillmereState& state);

// Why a weather cannot be air, or nothing: a pressure (total, hPa) or a
// temperature (K) at or below zero, a negative vapour density (g/m3), or a
// vapour pressure at or above the total pressure (100 degrees C at 100 %
// humidity), which would leave a negative dry-air pressure and a negative
// oxygen absorption. No figure is computed from such weather.
std::optional<std::string> ImpossibleWeather(const atmosphere::AtmosphereState& surface);

// What the command and the views say beside a station's figures, one line
// each: that its weather is impossible (as above), or that its pressure
// lies more than 10 % from the reference's at its height ("looks like a
// sea-level pressure: the station pressure at 3 000 m would be about
// 700 hPa"). The input is taken as given either way.
std::vector<std::string> StationAirNotes(const StationParams& station);

// The fault of the request's own weather (the station's, or --weather's)
// as ImpossibleWeather gives it, for the command line to refuse it.
std::optional<std::string> ExactPathImpossibleWeather(const ExactPathRequest& request,
                                                      const QuillmereState& state);

// "integrated water vapour above the station: 15.0 kg/m2": the vapour
// column of the layers (kg/m2), as the command and the views show it
// beside their figures.
std::string WaterVapourText(double kg_m2);

// The vapour column above a station as --profile station takes its air,
// kg/m2; nothing for weather that cannot be air.
std::optional<double> StationWaterVapour(const StationParams& station);

// A station's air as --profile station takes it: its height (km, 0 and
// up), its surface weather and its zone and season's profile blended into
// that weather.
struct ExactStationAir {
  double height_km = 0;
  atmosphere::AtmosphereState surface;
  p676_13::AtmosphereAt profile;
};
ExactStationAir StationAirOf(const StationParams& station);

// What stands in place of a figure toward a far target that no ray reaches.
inline constexpr const char* kNotVisible = "not visible: below the refracted horizon";
inline constexpr const char* kNoEscapingRay = "no escaping ray";

// The ray toward a far target (the Moon) at a geometric elevation, as
// --slant gives it: traced from the apparent elevation that reaches it
// (down and up again from a mountain); `fault` is set (and no figure is the
// target's) below the refracted horizon of the station's height,
// horizon_deg (RefractedHorizonDeg), or when the ray turns back.
struct SlantToward {
  double attenuation_db = 0;
  double sky_temperature_k = 0;  // 2.7 K background included
  double apparent_deg = 0;
  const char* fault = nullptr;  // kNotVisible, kNoEscapingRay
};
SlantToward SlantTowardTarget(const p676_13::LayeredAtmosphere& layers,
                              std::span<const double> gamma, double f_ghz, double horizon_deg,
                              double geometric_deg);

// The window's gaseous zenith attenuation (P.676-9 Annex 2, dB) at f GHz for
// a surface weather; nothing above 350 GHz, where that model has none.
std::optional<double> CosecantZenithAttenuation(double f,
                                                const atmosphere::AtmosphereState& surface);

}  // namespace quillmere
