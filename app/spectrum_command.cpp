#include "spectrum_command.h"

#include <charconv>
#include <cmath>
#include <nlohmann/json.hpp>
#include <sstream>

#include "atmosphere_profile.h"
#include "constants.h"
#include "input_limits.h"
#include "itu676.h"
#include "itu676_13.h"
#include "itu676_13_slant.h"
#include "option_reader.h"

namespace quillmere {
namespace {

using atmosphere::AtmosphereState;
using atmosphere::Reference;
using atmosphere::StationAtmosphere;
using atmosphere::StationWeather;

// The line tables hold from 1 GHz to 1 THz; no more rows than a chart or a
// file could use.
constexpr double kLowestGhz = 1, kHighestGhz = 1000;
constexpr std::size_t kMaxRows = 100000;
// The lowest pressure and elevation the window takes; below them the
// figures are not finite.
constexpr double kLowestPressureHpa = static_cast<double>(input_limits::kPressure.low);
constexpr double kLowestCosecantDeg = static_cast<double>(input_limits::kElevation.low);

// A whole argument as one finite number, in the C locale.
std::optional<double> Number(std::string_view text) {
  double value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
    return std::nullopt;
  return value;
}

std::optional<std::vector<double>> Numbers(std::string_view text) {
  std::vector<double> out;
  for (;;) {
    const auto comma = text.find(',');
    const auto n = Number(text.substr(0, comma));
    if (!n) return std::nullopt;
    out.push_back(*n);
    if (comma == std::string_view::npos) return out;
    text.remove_prefix(comma + 1);
  }
}

std::string Quoted(std::string_view s) {
  return "\"" + std::string(s) + "\"";
}

}  // namespace

bool IsExactPathCommand(std::span<const std::string_view> args) {
  for (std::string_view a : args)
    if (a == "--spectrum" || a == "--slant") return true;
  return false;
}

std::optional<ExactPathRequest> ParseExactPathCommand(std::span<const std::string_view> args,
                                                      std::string& error) {
  ExactPathRequest r;
  bool spectrum = false, slant = false, station = false, from = false, to = false, step = false,
       ghz = false, elevations = false;
  OptionReader options(args);
  while (options.Next()) {
    const std::string_view arg = options.Name();
    const auto value = [&] { return options.Value(error); };
    // A number option within [lo, hi].
    const auto number = [&](double lo, double hi, double& out) {
      const auto text = value();
      if (!text) return false;
      const auto n = Number(*text);
      if (!n || *n < lo || *n > hi) {
        std::ostringstream s;
        s << arg << " wants a number from " << lo << " to " << hi << ", not " << Quoted(*text);
        error = s.str();
        return false;
      }
      out = *n;
      return true;
    };
    if (options.IsFlag("--spectrum")) {
      spectrum = true;
      r.kind = ExactPathRequest::Kind::kSpectrum;
    } else if (options.IsFlag("--slant")) {
      slant = true;
      r.kind = ExactPathRequest::Kind::kSlant;
    } else if (options.IsFlag("--json")) {
      r.json = true;
    } else if (arg == "--station") {
      const auto v = value();
      if (!v) return std::nullopt;
      if (*v != "home" && *v != "dx") {
        error = "--station wants home or dx, not " + Quoted(*v);
        return std::nullopt;
      }
      r.dx = *v == "dx";
      station = true;
    } else if (arg == "--profile") {
      const auto v = value();
      if (!v) return std::nullopt;
      if (*v != "station" && *v != "global") {
        error = "--profile wants station or global, not " + Quoted(*v);
        return std::nullopt;
      }
      r.global_profile = *v == "global";
    } else if (arg == "--data") {
      const auto v = value();
      if (!v) return std::nullopt;
      if (v->empty()) {
        error = "--data needs a file name";
        return std::nullopt;
      }
      r.data = std::filesystem::path(*v);
    } else if (arg == "--from-ghz") {
      if (!number(kLowestGhz, kHighestGhz, r.from_ghz)) return std::nullopt;
      from = true;
    } else if (arg == "--to-ghz") {
      if (!number(kLowestGhz, kHighestGhz, r.to_ghz)) return std::nullopt;
      to = true;
    } else if (arg == "--step-ghz") {
      if (!number(1e-6, kHighestGhz, r.step_ghz)) return std::nullopt;
      step = true;
    } else if (arg == "--ghz") {
      if (!number(kLowestGhz, kHighestGhz, r.ghz)) return std::nullopt;
      ghz = true;
    } else if (arg == "--weather") {
      const auto v = value();
      if (!v) return std::nullopt;
      const auto n = Numbers(*v);
      // Dry-air pressure, temperature and vapour density of air on Earth,
      // generously bounded: the line shapes are meaningless outside. The
      // pressure keeps to the window's 1 hPa floor: in a vacuum the line
      // shapes divide by nothing.
      if (!n || n->size() != 3 || (*n)[0] < kLowestPressureHpa || (*n)[0] > 1100 || (*n)[1] < 100 ||
          (*n)[1] > 400 || (*n)[2] < 0 || (*n)[2] > 100) {
        error =
            "--weather wants P,T,RHO: dry-air pressure 1..1100 hPa, temperature "
            "100..400 K, vapour density 0..100 g/m3; not " +
            Quoted(*v);
        return std::nullopt;
      }
      r.weather = ExactPathRequest::Weather{(*n)[0], (*n)[1], (*n)[2]};
    } else if (arg == "--elevations") {
      const auto v = value();
      if (!v) return std::nullopt;
      const auto n = Numbers(*v);
      bool ok = n && !n->empty() && n->size() <= 1000;
      if (ok)
        for (double e : *n) ok = ok && e >= 0 && e <= 90;
      if (!ok) {
        error =
            "--elevations wants up to 1000 angles from 0 to 90 degrees, separated by "
            "commas; not " +
            Quoted(*v);
        return std::nullopt;
      }
      r.elevations = *n;
      elevations = true;
    } else {
      error = "unknown option " + Quoted(options.Given());
      return std::nullopt;
    }
  }

  if (spectrum == slant) {
    error = "give one of --spectrum and --slant";
    return std::nullopt;
  }
  if (!station) {
    error = "--station home or --station dx is needed";
    return std::nullopt;
  }
  if (spectrum) {
    if (!from || !to || !step) {
      error = "--spectrum needs --from-ghz, --to-ghz and --step-ghz";
      return std::nullopt;
    }
    if (r.to_ghz < r.from_ghz) {
      error = "--to-ghz is below --from-ghz";
      return std::nullopt;
    }
    if ((r.to_ghz - r.from_ghz) / r.step_ghz >= kMaxRows) {
      error = "--step-ghz is too fine: more than 100000 frequencies";
      return std::nullopt;
    }
    if (ghz || elevations) {
      error = "--ghz and --elevations belong to --slant";
      return std::nullopt;
    }
  } else {
    if (!ghz || !elevations) {
      error = "--slant needs --ghz and --elevations";
      return std::nullopt;
    }
    if (from || to || step || r.weather) {
      error = "--from-ghz, --to-ghz, --step-ghz and --weather belong to --spectrum";
      return std::nullopt;
    }
  }
  return r;
}

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

ExactStationAir StationAirOf(const StationParams& station) {
  const Setting s = SettingOf(ExactPathRequest{}, station);
  return {s.height_km, s.surface, ProfileOf(s)};
}

namespace {

std::string Table(const nlohmann::json& rows, std::span<const char* const> columns) {
  std::ostringstream out;
  out.precision(10);
  for (std::size_t c = 0; c < columns.size(); ++c) out << (c ? "\t" : "") << columns[c];
  out << '\n';
  for (const auto& row : rows) {
    for (std::size_t c = 0; c < columns.size(); ++c) {
      const auto& v = row[columns[c]];
      out << (c ? "\t" : "");
      if (v.is_null()) {
        out << '-';
      } else {
        out << v.get<double>();
      }
    }
    out << '\n';
  }
  return out.str();
}

}  // namespace

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
  const StationParams& station = request.dx ? state.DX : state.Home;
  const Setting s = SettingOf(request, station);
  const p676_13::LayeredAtmosphere layers(s.height_km, ProfileOf(s));

  nlohmann::json out;
  out["station"] = request.dx ? "dx" : "home";
  out["profile"] = request.global_profile ? "global" : "station";
  out["reference_atmosphere"] = ReferenceName(s.reference);
  out["station_height_km"] = s.height_km;
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
    return Table(out["rows"], kColumns);
  }

  out["command"] = "slant";
  out["ghz"] = request.ghz;
  out["weather"] = {{"pressure_hpa", s.surface.P},
                    {"temperature_k", s.surface.T},
                    {"vapour_density_g_m3", s.surface.rho}};
  const std::vector<double> gamma = layers.SpecificAttenuation(request.ghz);
  const std::optional<double> zenith = CosecantZenithAttenuation(request.ghz, s.surface);
  for (double elevation : request.elevations) {
    const double apparent = p676_13::ApparentElevationFor(layers, elevation);
    const p676_13::RayPath ray = p676_13::TraceRay(layers, gamma, apparent);
    nlohmann::json row = {{"elevation", elevation},
                          {"ray_db", ray.attenuation_db},
                          {"cosecant_db", nullptr},
                          {"apparent_elevation", apparent},
                          {"sky_k", ray.sky_temperature_k}};
    // The window's own lowest elevation: below it the cosecant runs off to
    // infinity.
    if (zenith && elevation >= kLowestCosecantDeg) {
      row["cosecant_db"] = static_cast<double>(SlantAttenuation(*zenith, elevation));
    }
    rows.push_back(std::move(row));
  }
  out["rows"] = std::move(rows);
  if (request.json) return out.dump(1) + "\n";
  static constexpr const char* kColumns[] = {"elevation", "ray_db", "cosecant_db",
                                             "apparent_elevation", "sky_k"};
  return Table(out["rows"], kColumns);
}

}  // namespace quillmere
