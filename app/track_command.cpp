// quillmere-report --track.

#include "track_command.h"

#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <string_view>

#include "constants.h"
#include "maidenhead.h"

namespace quillmere {
namespace {

using nlohmann::json;

constexpr int kMaxSpanMinutes = 14 * 24 * 60;

std::optional<double> ParseNumber(const std::string& s) {
  double value = 0.0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
  if (s.empty() || ec != std::errc() || end != s.data() + s.size() || !std::isfinite(value))
    return std::nullopt;
  return value;
}

std::optional<int> ParseCount(const std::string& s) {
  int value = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
  if (s.empty() || ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
  return value;
}

// "YYYY-MM-DDTHH:MM:SS", UTC, as POSIX seconds. Every field is digits
// alone (no sign, no blank), checked against the pattern before any is read.
std::optional<double> ParseUtc(const std::string& s) {
  constexpr std::string_view kPattern = "dddd-dd-ddTdd:dd:dd";
  if (s.size() != kPattern.size()) return std::nullopt;
  for (std::size_t i = 0; i < s.size(); ++i) {
    const bool digit = s[i] >= '0' && s[i] <= '9';
    if (kPattern[i] == 'd' ? !digit : s[i] != kPattern[i]) return std::nullopt;
  }
  auto field = [&](std::size_t at, std::size_t n) { return *ParseCount(s.substr(at, n)); };
  const int y = field(0, 4), mo = field(5, 2), d = field(8, 2);
  const int h = field(11, 2), mi = field(14, 2), se = field(17, 2);
  using namespace std::chrono;
  const year_month_day date{year{y}, month{static_cast<unsigned>(mo)},
                            day{static_cast<unsigned>(d)}};
  if (!date.ok() || h > 23 || mi > 59 || se > 59) return std::nullopt;
  const auto t = sys_days{date} + hours{h} + minutes{mi} + seconds{se};
  const auto utc_s = static_cast<double>(duration_cast<seconds>(t.time_since_epoch()).count());
  if (!WithinTrackYears(utc_s)) return std::nullopt;
  return utc_s;
}

std::string FormatUtc(double utc_s) {
  using namespace std::chrono;
  const sys_seconds t{seconds{static_cast<long long>(std::llround(utc_s))}};
  const auto midnight = floor<days>(t);
  const year_month_day date{midnight};
  const hh_mm_ss time{t - midnight};
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02dZ", int{date.year()},
                unsigned{date.month()}, unsigned{date.day()},
                static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()),
                static_cast<int>(time.seconds().count()));
  return text;
}

// Rounded for output: the figures carry no more than their accuracy.
double Round(double x, double unit) {
  return std::round(x / unit) * unit;
}

json Place(const Station& s) {
  return {{"lat", s.latitude_deg}, {"lon", s.longitude_deg}, {"height_m", s.height_m}};
}

json Sighting(const MoonSighting& m, double f) {
  constexpr double kC = static_cast<double>(kSpeedOfLight) / 1000.0;  // km/s
  return {{"az", Round(m.azimuth_deg, 1e-3)},
          {"el", Round(m.elevation_deg, 1e-3)},
          {"el_refracted", Round(m.elevation_refracted_deg, 1e-3)},
          {"range_km", Round(m.range_km, 0.1)},
          {"doppler_self_hz", Round(-2.0 * m.range_rate_km_s * f / kC, 0.1)},
          {"delay_s", Round(2.0 * m.range_km / kC, 1e-6)}};
}

json Terms(bool valid, const Degradation& d) {
  if (!valid) return nullptr;
  return {{"distance", Round(d.distance_db, 1e-3)},
          {"attenuation_tx", Round(d.attenuation_tx_db, 1e-3)},
          {"attenuation_rx", Round(d.attenuation_rx_db, 1e-3)},
          {"sky_noise", Round(d.sky_noise_db, 1e-3)},
          {"moon_noise", Round(d.moon_noise_db, 1e-3)},
          {"total", Round(d.total_db, 1e-3)}};
}

}  // namespace

const char* const kTrackUsage =
    "usage: quillmere-report --track --home LOC --dx LOC [--home-height M] [--dx-height M]\n"
    "                        [--from YYYY-MM-DDTHH:MM:SS] [--span MINUTES] [--step MINUTES]\n"
    "                        [--data FILE] [--atmosphere cosecant|ray-traced] [--json]\n"
    "The Moon for both stations, step by step: azimuth, elevation, range, Doppler,\n"
    "echo delay, libration spread, the mutual windows and the degradation of each\n"
    "path, with each station's attenuation from the weather of the data file.\n"
    "  LOC           a Maidenhead locator (4, 6 or 8 characters) or \"LAT,LON\"\n"
    "  --from        UTC start, 1950-2100 (default: now); --span up to 20160 minutes\n"
    "                (14 days, default 1440); --step in minutes (default 1)\n"
    "  --atmosphere  the air of the degradation: the window's cosecant model\n"
    "                (default) or the P.676-13 Annex 1 ray trace with its sky\n"
    "                temperature; the output names the one used\n"
    "  --json        one JSON object with home, dx, atmosphere, rows and windows\n"
    "Exit status: 0 printed; 1 the data file could not be read; 2 bad arguments.\n";

const char* AtmosphereName(TrackAtmosphere atmosphere) {
  return atmosphere == TrackAtmosphere::kRayTraced ? "ray-traced" : "cosecant";
}

const char* AtmosphereLabel(TrackAtmosphere atmosphere) {
  return atmosphere == TrackAtmosphere::kRayTraced ? "ray-traced (P.676-13 Annex 1)"
                                                   : "window's cosecant model";
}

std::variant<TrackOptions, std::string> ParseTrackArguments(const std::vector<std::string>& args) {
  TrackOptions o;
  bool track = false, have_home = false, have_dx = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--track") {
      track = true;
      continue;
    }
    if (a == "--json") {
      o.json = true;
      continue;
    }
    if (a == "--help" || a == "-h") {
      o.help = true;
      continue;
    }
    if (i + 1 >= args.size()) return "missing value after " + a;
    const std::string& v = args[++i];
    if (a == "--home" || a == "--dx") {
      const auto where = ParseLocation(v);
      if (!where) return "bad locator for " + a + ": " + v;
      Station& s = a == "--home" ? o.stations.home : o.stations.dx;
      s.name = a == "--home" ? "Home" : "DX";
      s.latitude_deg = where->latitude_deg;
      s.longitude_deg = where->longitude_deg;
      s.locator = v.find(',') == std::string::npos ? v : "";
      (a == "--home" ? o.home_text : o.dx_text) = v;
      (a == "--home" ? have_home : have_dx) = true;
    } else if (a == "--home-height" || a == "--dx-height") {
      const StationLimit& limit = LimitOf(&Station::height_m);
      const auto m = ParseNumber(v);
      if (!m || *m < limit.min || *m > limit.max) return "bad height for " + a + ": " + v;
      (a == "--home-height" ? o.stations.home : o.stations.dx).height_m = *m;
    } else if (a == "--from") {
      o.from_utc_s = ParseUtc(v);
      if (!o.from_utc_s) return "bad time for --from (YYYY-MM-DDTHH:MM:SS, UTC, 1950-2100): " + v;
    } else if (a == "--span") {
      const auto n = ParseCount(v);
      if (!n || *n < 1 || *n > kMaxSpanMinutes)
        return "bad --span: " + v + " (1 to 20160 minutes, 14 days)";
      o.span_minutes = *n;
    } else if (a == "--step") {
      const auto n = ParseCount(v);
      if (!n || *n < 1 || *n > kMaxSpanMinutes) return "bad --step: " + v;
      o.step_minutes = *n;
    } else if (a == "--data") {
      // An empty name would silently mean the default file.
      if (v.empty()) return "--data needs a file name";
      o.data_file = v;
    } else if (a == "--atmosphere") {
      if (v == AtmosphereName(TrackAtmosphere::kCosecant)) {
        o.atmosphere = TrackAtmosphere::kCosecant;
      } else if (v == AtmosphereName(TrackAtmosphere::kRayTraced)) {
        o.atmosphere = TrackAtmosphere::kRayTraced;
      } else {
        return "bad --atmosphere: " + v + " (cosecant or ray-traced)";
      }
    } else {
      return "unknown argument: " + a;
    }
  }
  if (o.help) return o;
  if (!track) return "--track is required";
  if (!have_home || !have_dx) return "--home and --dx are required";
  if (o.step_minutes > o.span_minutes) return "--step is longer than --span";
  return o;
}

std::string TrackJson(const TrackOptions& options, const TrackEnvironment& environment,
                      const Track& track) {
  const double f = environment.frequency_hz;
  json rows = json::array();
  for (const TrackRow& r : track.rows) {
    rows.push_back({{"utc", FormatUtc(r.utc_s)},
                    {"home", Sighting(r.home, f)},
                    {"dx", Sighting(r.dx, f)},
                    {"mutual", r.mutual},
                    {"doppler_self_hz", Round(r.doppler_self_home_hz, 0.1)},
                    {"doppler_home_dx_hz", Round(r.doppler_home_dx_hz, 0.1)},
                    {"delay_s", Round(r.delay_home_dx_s, 1e-6)},
                    {"libration_hz", Round(r.libration_home_dx_hz, 0.01)},
                    {"dgrd_db",
                     {{"home_dx", Terms(r.home_dx_valid, r.home_dx)},
                      {"home_self", Terms(r.self_home_valid, r.self_home)},
                      {"dx_self", Terms(r.self_dx_valid, r.self_dx)}}}});
  }
  json windows = json::array();
  for (const MutualWindow& w : track.windows)
    windows.push_back({{"start", FormatUtc(w.start_utc_s)},
                       {"end", FormatUtc(w.end_utc_s)},
                       {"best", FormatUtc(w.best_utc_s)},
                       {"best_dgrd_db", Round(w.best_total_db, 1e-3)},
                       {"open_at_start", w.open_at_start},
                       {"open_at_end", w.open_at_end}});
  const json document = {{"home", Place(options.stations.home)},
                         {"dx", Place(options.stations.dx)},
                         {"frequency_hz", f},
                         {"atmosphere", AtmosphereName(options.atmosphere)},
                         {"rows", std::move(rows)},
                         {"windows", std::move(windows)}};
  return document.dump() + "\n";
}

std::string TrackTable(const TrackOptions& options, const TrackEnvironment& environment,
                       const Track& track) {
  std::string out;
  char line[256];
  // The locators as given, whatever their length; only the figures go
  // through the fixed buffer.
  const auto place = [&](const char* who, const std::string& text, const Station& s) {
    std::snprintf(line, sizeof line, " (%.4f, %.4f, %.0f m)   ", s.latitude_deg, s.longitude_deg,
                  s.height_m);
    out += std::string(who) + " " + text + line;
  };
  place("Home", options.home_text, options.stations.home);
  place("DX", options.dx_text, options.stations.dx);
  std::snprintf(line, sizeof line, "%.3f GHz   ", environment.frequency_hz / 1e9);
  out += line + std::string("Atmosphere: ") + AtmosphereLabel(options.atmosphere) + "\n";
  out +=
      "UTC                   Home az    el  DX az    el  Mutual  Self Dop Hz  H>DX Dop Hz  Lib Hz  "
      "Dgrd H>DX dB\n";
  for (const TrackRow& r : track.rows) {
    char dgrd[32] = "-";
    if (r.home_dx_valid) std::snprintf(dgrd, sizeof dgrd, "%.2f", r.home_dx.total_db);
    std::snprintf(line, sizeof line, "%s %7.2f %5.2f %6.2f %5.2f  %-6s %12.1f %12.1f %7.1f  %s\n",
                  FormatUtc(r.utc_s).c_str(), r.home.azimuth_deg, r.home.elevation_refracted_deg,
                  r.dx.azimuth_deg, r.dx.elevation_refracted_deg, r.mutual ? "yes" : "no",
                  r.doppler_self_home_hz, r.doppler_home_dx_hz, r.libration_home_dx_hz, dgrd);
    out += line;
  }
  out += "Mutual windows:\n";
  if (track.windows.empty()) out += "  none\n";
  for (const MutualWindow& w : track.windows) {
    std::snprintf(line, sizeof line, "  %s to %s, best %s (%.2f dB)\n",
                  FormatUtc(w.start_utc_s).c_str(), FormatUtc(w.end_utc_s).c_str(),
                  FormatUtc(w.best_utc_s).c_str(), w.best_total_db);
    out += line;
  }
  return out;
}

AttenuationFunction AttenuationFor(const TrackRequest& request, StationAttenuation attenuation) {
  if (!attenuation) return {};
  return [&request, attenuation = std::move(attenuation)](const Station& s, double elevation_deg) {
    return attenuation(&s == &request.stations.dx, elevation_deg);
  };
}

SlantAirFunction SlantAirFor(const TrackRequest& request, StationAir air) {
  if (!air) return {};
  return [&request, air = std::move(air)](const Station& s, const MoonSighting& moon) {
    return air(&s == &request.stations.dx, moon);
  };
}

int RunTrackCommand(
    const std::vector<std::string>& args, double now_utc_s,
    const std::function<std::optional<TrackEnvironment>(const std::string& data_file)>& environment,
    std::ostream& out, std::ostream& err) {
  auto parsed = ParseTrackArguments(args);
  if (auto* message = std::get_if<std::string>(&parsed)) {
    err << "quillmere-report: " << *message << "\n";
    return 2;
  }
  const TrackOptions& options = std::get<TrackOptions>(parsed);
  if (options.help) {
    out << kTrackUsage;
    return 0;
  }
  // A clock outside the years the Moon is checked for is refused as a
  // --from outside them is.
  if (!options.from_utc_s && !WithinTrackYears(now_utc_s)) {
    err << "quillmere-report: " << kOutsideTrackYears << " (the clock says " << FormatUtc(now_utc_s)
        << "); give --from\n";
    return 2;
  }
  const std::optional<TrackEnvironment> env = environment(options.data_file);
  if (!env) {
    err << "quillmere-report: cannot use the data file"
        << (options.data_file.empty() ? std::string() : " " + options.data_file) << "\n";
    return 1;
  }
  TrackRequest request;
  request.stations = options.stations;
  // Whole seconds, as the rows are labelled.
  request.start_utc_s = std::floor(options.from_utc_s.value_or(now_utc_s));
  request.span_minutes = options.span_minutes;
  request.step_minutes = options.step_minutes;
  request.frequency_hz = env->frequency_hz;
  request.attenuation_db = AttenuationFor(request, env->attenuation_db);
  if (options.atmosphere == TrackAtmosphere::kRayTraced) {
    if (!env->ray_traced) {
      err << "quillmere-report: the data file gives no ray-traced atmosphere\n";
      return 1;
    }
    request.slant_air = SlantAirFor(request, env->ray_traced());
  }
  const Track track = ComputeTrack(request);
  out << (options.json ? TrackJson(options, *env, track) : TrackTable(options, *env, track));
  return 0;
}

}  // namespace quillmere
