#include "spectrum_command.h"

#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <sstream>

#include "atmosphere_profile.h"
#include "constants.h"
#include "input_limits.h"
#include "itu676.h"
#include "itu676_13.h"
#include "itu676_13_slant.h"

namespace quillmere {
namespace {

using atmosphere::AtmosphereState;
using atmosphere::Reference;
using atmosphere::StationAtmosphere;
using atmosphere::StationWeather;

// The lowest elevation the window takes; below it the cosecant is not
// finite.
constexpr double kLowestCosecantDeg = static_cast<double>(input_limits::kElevation.low);

}  // namespace

std::vector<double> SpectrumFrequencies(const ExactPathRequest& request) {
  // Each frequency from its index, so no rounding piles up along the sweep.
  const auto n = static_cast<std::size_t>(
      std::floor((request.to_ghz - request.from_ghz) / request.step_ghz + 1e-9));
  std::vector<double> f(n + 1);
  for (std::size_t k = 0; k <= n; ++k)
    f[k] = request.from_ghz + static_cast<double>(k) * request.step_ghz;
  return f;
}

namespace {

// The weather the request works with at the station's height: the given
// --weather, else the reference's own values (global), else the station's.
struct Setting {
  Reference reference;
  double height_km;
  std::optional<StationWeather> blend;  // nothing: the reference as it is
  AtmosphereState surface;              // total pressure, T, rho at the station
};

Setting SettingOf(const ExactPathRequest& request, const StationParams& station) {
  Setting s;
  s.height_km = std::max(0.0, static_cast<double>(station.HeightAsl) / 1000);
  s.reference = request.global_profile
                    ? Reference::kGlobal
                    : atmosphere::ReferenceFor(station.LatitudeZone, station.Season);
  if (request.weather) {
    const auto& w = *request.weather;
    const double e = w.rho * w.T / 216.7;
    s.blend = StationWeather{s.height_km, w.T, w.p + e, w.rho};
  } else if (!request.global_profile) {
    // As the window derives it: the vapour density from temperature and
    // humidity (over water or ice as the station is set), T in kelvin with
    // 273.15.
    const double rho = static_cast<double>(
        VapourDensityAt(station.Temperature, station.Humidity, station.VapourOverWater != 0));
    s.blend = StationWeather{
        s.height_km, static_cast<double>(station.Temperature) + static_cast<double>(kZeroCelsius),
        static_cast<double>(station.Pressure), rho};
  }
  if (s.blend) {
    s.surface = {s.blend->P, s.blend->T, s.blend->rho};
  } else {
    s.surface = atmosphere::ReferenceAt(s.reference, s.height_km);
  }
  return s;
}

p676_13::AtmosphereAt ProfileOf(const Setting& s) {
  if (s.blend) return StationAtmosphere(s.reference, *s.blend);
  const Reference ref = s.reference;
  return [ref](double h) { return atmosphere::ReferenceAt(ref, h); };
}

const char* ReferenceName(Reference r) {
  switch (r) {
    case Reference::kGlobal:
      return "P.835-6 mean annual global reference";
    case Reference::kLow:
      return "P.835-3 low latitude";
    case Reference::kMidSummer:
      return "P.835-3 mid latitude summer";
    case Reference::kMidWinter:
      return "P.835-3 mid latitude winter";
    case Reference::kHighSummer:
      return "P.835-3 high latitude summer";
    case Reference::kHighWinter:
      return "P.835-3 high latitude winter";
  }
  return "";
}

}  // namespace

// The window's own P.676-9 Annex 2 model: its ratios use 273 and 1013.
std::optional<double> CosecantZenithAttenuation(double f, const AtmosphereState& surface) {
  const Real t = static_cast<Real>(surface.T) - kZeroCelsius;
  const Real rp = static_cast<Real>(surface.P) / 1013;
  const Real rt = 288 / (t + 273);
  const auto go = DryAirAttenuation(f, rp, rt);
  if (!go) return std::nullopt;
  const Real gw = VapourAttenuation(f, rp, rt, surface.rho);
  return static_cast<double>(*go * DryAirEquivalentHeight(f, rp) +
                             gw * VapourEquivalentHeight(f, rp));
}

std::optional<std::string> ImpossibleWeather(const AtmosphereState& surface) {
  const auto [P, T, rho] = surface;
  if (!std::isfinite(P) || !std::isfinite(T) || !std::isfinite(rho))
    return "the weather is not a number";
  if (P <= 0) return "a pressure of 0 hPa or less is no air";
  if (T <= 0) return "a temperature of 0 K or less is no air";
  if (rho < 0) return "a negative vapour density is no air";
  const double e = p676_13::PartialPressuresOf(P, T, rho).e;
  if (e >= P) {
    std::ostringstream out;
    out.precision(4);
    out << "the vapour pressure (" << e << " hPa) reaches the total pressure (" << P
        << " hPa): such air cannot be; lower the temperature or the humidity";
    return out.str();
  }
  return std::nullopt;
}

namespace {

// "3 000 m": the height in whole metres with its thousands apart.
std::string Metres(double km) {
  std::string digits = std::to_string(static_cast<long long>(std::lround(km * 1000)));
  for (int i = static_cast<int>(digits.size()) - 3; i > 0; i -= 3) digits.insert(i, " ");
  return digits + " m";
}

std::vector<std::string> NotesOf(const Setting& s) {
  std::vector<std::string> notes;
  if (!s.blend) return notes;
  if (auto fault = ImpossibleWeather(s.surface)) {
    notes.push_back(std::move(*fault));
    return notes;
  }
  if (atmosphere::PressureFarFromReference(s.reference, s.height_km, s.surface.P)) {
    const double expected = atmosphere::ReferencePressureAt(s.reference, s.height_km);
    const double sea_level = atmosphere::ReferencePressureAt(s.reference, 0);
    // About: to 10 hPa, as a reader checks it against a barometer.
    const long about = std::lround(expected / 10) * 10;
    const bool qnh = s.height_km > 0.5 && std::abs(s.surface.P / sea_level - 1) <= 0.1;
    notes.push_back(std::string(qnh ? "looks like a sea-level pressure"
                                    : "the pressure is far from the reference's") +
                    ": the station pressure at " + Metres(s.height_km) + " would be about " +
                    std::to_string(about) + " hPa");
  }
  return notes;
}

// The station the request is for, with the planner's DX height when given.
StationParams RequestedStation(const ExactPathRequest& request, const QuillmereState& state) {
  if (!request.dx) return state.Home;
  StationParams dx = state.DX;
  if (request.dx_height_m) dx.HeightAsl = static_cast<Real>(*request.dx_height_m);
  return dx;
}

}  // namespace

std::vector<std::string> StationAirNotes(const StationParams& station) {
  return NotesOf(SettingOf(ExactPathRequest{}, station));
}

std::optional<std::string> ExactPathImpossibleWeather(const ExactPathRequest& request,
                                                      const QuillmereState& state) {
  const Setting s = SettingOf(request, RequestedStation(request, state));
  if (!s.blend) return std::nullopt;
  if (auto fault = ImpossibleWeather(s.surface))
    return std::string("the ") +
           (request.weather ? "--weather"
            : request.dx    ? "DX"
                            : "Home") +
           " weather: " + *fault;
  return std::nullopt;
}

std::string WaterVapourText(double kg_m2) {
  char text[80];
  std::snprintf(text, sizeof text, "integrated water vapour above the station: %.1f kg/m2", kg_m2);
  return text;
}

std::optional<double> StationWaterVapour(const StationParams& station) {
  const ExactStationAir air = StationAirOf(station);
  if (ImpossibleWeather(air.surface)) return std::nullopt;
  // The layers' geometry alone: their vapour needs no lines.
  return p676_13::LayeredAtmosphere(air.height_km, p676_13::kTopOfAtmosphereKm, air.profile, false)
      .IntegratedWaterVapour();
}

ExactStationAir StationAirOf(const StationParams& station) {
  const Setting s = SettingOf(ExactPathRequest{}, station);
  return {s.height_km, s.surface, ProfileOf(s)};
}

namespace {

std::string Table(const nlohmann::json& out_json, std::span<const char* const> columns) {
  const nlohmann::json& notes = out_json["notes"];
  const nlohmann::json& rows = out_json["rows"];
  std::ostringstream out;
  out.precision(10);
  for (const auto& note : notes) out << "# " << note.get<std::string>() << '\n';
  out << "# " << WaterVapourText(out_json["integrated_water_vapour_kg_m2"].get<double>()) << '\n';
  for (std::size_t c = 0; c < columns.size(); ++c) out << (c ? "\t" : "") << columns[c];
  out << '\n';
  for (const auto& row : rows) {
    for (std::size_t c = 0; c < columns.size(); ++c) {
      const auto& v = row[columns[c]];
      out << (c ? "\t" : "");
      if (v.is_null()) {
        out << '-';
      } else if (v.is_string()) {
        out << v.get<std::string>();
      } else {
        out << v.get<double>();
      }
    }
    out << '\n';
  }
  return out.str();
}

}  // namespace

SlantToward SlantTowardTarget(const p676_13::LayeredAtmosphere& layers,
                              std::span<const double> gamma, double f_ghz, double horizon_deg,
                              double geometric_deg) {
  SlantToward out;
  out.apparent_deg = p676_13::ApparentElevationFor(layers, geometric_deg);
  const p676_13::RayPath ray = p676_13::TraceRay(layers, gamma, out.apparent_deg, f_ghz);
  out.attenuation_db = ray.attenuation_db;
  out.sky_temperature_k = ray.sky_temperature_k;
  // Every ray aimed under the refracted horizon meets the ground (the sea)
  // first; a trapped ray reaches no far target. No figure is the Moon's.
  if (geometric_deg < horizon_deg) {
    out.fault = kNotVisible;
  } else if (!ray.escaped) {
    out.fault = kNoEscapingRay;
  }
  return out;
}

std::optional<std::string> ExactPathWeatherFault(const ExactPathRequest& request,
                                                 const QuillmereState& state) {
  if (request.weather || request.global_profile) return std::nullopt;
  const StationParams& station = request.dx ? state.DX : state.Home;
  const InputLimit& pressure = input_limits::kPressure;
  if (station.Pressure >= pressure.low && station.Pressure <= pressure.high) return std::nullopt;
  return std::string("the ") + (request.dx ? "DX" : "Home") +
         " station's pressure is outside 1..1100 hPa (no data file was loaded?); give "
         "--weather or --profile global";
}

std::string RunExactPathCommand(const ExactPathRequest& request, const QuillmereState& state) {
  const Setting s = SettingOf(request, RequestedStation(request, state));
  const p676_13::LayeredAtmosphere layers(s.height_km, ProfileOf(s));

  nlohmann::json out;
  out["station"] = request.dx ? "dx" : "home";
  out["profile"] = request.global_profile ? "global" : "station";
  out["reference_atmosphere"] = ReferenceName(s.reference);
  out["station_height_km"] = s.height_km;
  out["notes"] = NotesOf(s);
  if (request.dx && !request.dx_height_m)
    out["notes"].push_back("the DX height is taken as " + Metres(s.height_km) +
                           ": the data file keeps none; --stations FILE gives the planner's");
  out["integrated_water_vapour_kg_m2"] = layers.IntegratedWaterVapour();
  nlohmann::json rows = nlohmann::json::array();

  if (request.kind == ExactPathRequest::Kind::kSpectrum) {
    out["command"] = "spectrum";
    // The specific attenuation exactly at the given weather, or at the
    // station's surface weather split into dry-air and vapour pressure.
    p676_13::PartialPressures pp;
    double T;
    if (request.weather) {
      pp = {request.weather->p, request.weather->rho * request.weather->T / 216.7};
      T = request.weather->T;
    } else {
      pp = p676_13::PartialPressuresOf(s.surface.P, s.surface.T, s.surface.rho);
      T = s.surface.T;
    }
    out["weather"] = {
        {"dry_pressure_hpa", pp.p},
        {"vapour_pressure_hpa", pp.e},
        {"temperature_k", T},
        {"vapour_density_g_m3", request.weather ? request.weather->rho : s.surface.rho}};
    const p676_13::LineSpectrum lines(pp.p, pp.e, T);
    const std::vector<double> f = SpectrumFrequencies(request);
    const std::vector<double> zenith = layers.ZenithSpectrum(f);
    for (std::size_t k = 0; k < f.size(); ++k) {
      rows.push_back({{"ghz", f[k]},
                      {"gamma_o_db_km", lines.GammaOxygen(f[k])},
                      {"gamma_w_db_km", lines.GammaWaterVapour(f[k])},
                      {"zenith_db", zenith[k]}});
    }
    out["rows"] = std::move(rows);
    if (request.json) return out.dump(1) + "\n";
    static constexpr const char* kColumns[] = {"ghz", "gamma_o_db_km", "gamma_w_db_km",
                                               "zenith_db"};
    return Table(out, kColumns);
  }

  out["command"] = "slant";
  out["ghz"] = request.ghz;
  out["weather"] = {{"pressure_hpa", s.surface.P},
                    {"temperature_k", s.surface.T},
                    {"vapour_density_g_m3", s.surface.rho}};
  const std::vector<double> gamma = layers.SpecificAttenuation(request.ghz);
  const std::optional<double> zenith = CosecantZenithAttenuation(request.ghz, s.surface);
  const double horizon = p676_13::RefractedHorizonDeg(layers);
  for (double elevation : request.elevations) {
    const SlantToward ray = SlantTowardTarget(layers, gamma, request.ghz, horizon, elevation);
    nlohmann::json row = {{"geometric_elevation", elevation},
                          {"ray_db", ray.attenuation_db},
                          {"cosecant_db", nullptr},
                          {"apparent_elevation", ray.apparent_deg},
                          {"sky_k", ray.sky_temperature_k}};
    if (ray.fault) {
      row["ray_db"] = ray.fault;
      row["sky_k"] = nullptr;
      row["apparent_elevation"] = nullptr;
    }
    // The window's own lowest elevation: below it the cosecant runs off to
    // infinity.
    if (zenith && elevation >= kLowestCosecantDeg) {
      row["cosecant_db"] = static_cast<double>(SlantAttenuation(*zenith, elevation));
    }
    rows.push_back(std::move(row));
  }
  out["rows"] = std::move(rows);
  if (request.json) return out.dump(1) + "\n";
  static constexpr const char* kColumns[] = {"geometric_elevation", "ray_db", "cosecant_db",
                                             "apparent_elevation", "sky_k"};
  return Table(out, kColumns);
}

}  // namespace quillmere
