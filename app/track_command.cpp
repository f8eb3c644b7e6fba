// quillmere-report --track: the track's output.

#include "track_command.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>

namespace quillmere {
namespace {

using nlohmann::json;

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
  constexpr double kC = 299792.458;
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

const char* AtmosphereName(TrackAtmosphere atmosphere) {
  return atmosphere == TrackAtmosphere::kRayTraced ? "ray-traced" : "cosecant";
}

const char* AtmosphereLabel(TrackAtmosphere atmosphere) {
  return atmosphere == TrackAtmosphere::kRayTraced ? "ray-traced (P.676-13 Annex 1)"
                                                   : "window's cosecant model";
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

}  // namespace quillmere
