#include "now.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "constants.h"
#include "track_columns.h"

namespace quillmere {
namespace {

constexpr double kC = static_cast<double>(kSpeedOfLight) / 1000.0;  // km/s

struct ModeNames {
  DopplerMode mode;
  const char* name;
  const char* label;
};
constexpr ModeNames kModeNames[] = {
    {DopplerMode::kNone, "none", "None"},
    {DopplerMode::kOwnEcho, "own-echo", "Own echo"},
    {DopplerMode::kConstantOnMoon, "cfom", "Constant frequency on the Moon"},
    {DopplerMode::kFullDx, "full-dx", "Full Doppler to the DX"},
    {DopplerMode::kOnDxEcho, "on-dx-echo", "On the DX's echo"},
};

const ModeNames& NamesOf(DopplerMode mode) {
  for (const ModeNames& m : kModeNames)
    if (m.mode == mode) return m;
  return kModeNames[0];
}

// A moment's civil date and time at `offset_s` from UTC.
struct Civil {
  int year;
  unsigned month, day;
  int hour, minute, second;
};
Civil CivilOf(double utc_s, int offset_s) {
  using namespace std::chrono;
  const sys_seconds t{seconds{static_cast<long long>(std::floor(utc_s)) + offset_s}};
  const auto midnight = floor<days>(t);
  const year_month_day date{midnight};
  const hh_mm_ss time{t - midnight};
  return {int{date.year()},
          unsigned{date.month()},
          unsigned{date.day()},
          static_cast<int>(time.hours().count()),
          static_cast<int>(time.minutes().count()),
          static_cast<int>(time.seconds().count())};
}

std::string HourMinute(double utc_s, int offset_s) {
  const Civil c = CivilOf(utc_s, offset_s);
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d", c.hour, c.minute);
  return text;
}

// "10 Dec " when the moment falls on another day than `now`, else nothing.
std::string DayIfNotToday(double utc_s, double now_utc_s, int offset_s) {
  static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const Civil c = CivilOf(utc_s, offset_s), n = CivilOf(now_utc_s, offset_s);
  if (c.year == n.year && c.month == n.month && c.day == n.day) return {};
  char text[16];
  std::snprintf(text, sizeof text, "%u %s ", c.day, kMonths[(c.month + 11) % 12]);
  return text;
}

// "3 h 12 min", "45 min", "2 d 3 h": a wait, rounded up to the minute.
std::string Wait(double seconds) {
  const long long minutes = static_cast<long long>(std::ceil(std::max(0.0, seconds) / 60.0));
  char text[48];
  if (minutes >= 24 * 60) {
    std::snprintf(text, sizeof text, "%lld d %lld h", minutes / (24 * 60),
                  minutes % (24 * 60) / 60);
  } else if (minutes >= 60) {
    std::snprintf(text, sizeof text, "%lld h %lld min", minutes / 60, minutes % 60);
  } else {
    std::snprintf(text, sizeof text, "%lld min", minutes);
  }
  return text;
}

// A figure to `decimals` places, printed without binary noise: divided by
// a power of ten rather than multiplied by its inverse.
double Rounded(double x, int decimals) {
  const double scale = std::pow(10.0, decimals);
  return std::round(x * scale) / scale;
}

}  // namespace

const char* DopplerModeName(DopplerMode mode) {
  return NamesOf(mode).name;
}

const char* DopplerModeLabel(DopplerMode mode) {
  return NamesOf(mode).label;
}

std::optional<DopplerMode> DopplerModeFromName(std::string_view name) {
  for (const ModeNames& m : kModeNames)
    if (name == m.name) return m.mode;
  return std::nullopt;
}

DopplerShifts DopplerAt(const TrackRow& row, double f_hz) {
  // First order in v/c, as the track's rows: the rate at which the path
  // shortens, over the wavelength.
  return {-2.0 * row.home.range_rate_km_s * f_hz / kC,
          -(row.home.range_rate_km_s + row.dx.range_rate_km_s) * f_hz / kC,
          -2.0 * row.dx.range_rate_km_s * f_hz / kC};
}

DialFrequencies DopplerDial(DopplerMode mode, double sky_hz, const DopplerShifts& d) {
  double rx = 0.0, tx = 0.0;  // the corrections
  switch (mode) {
    case DopplerMode::kNone:
      break;
    case DopplerMode::kOwnEcho:
      rx = d.self_home_hz;
      break;
    case DopplerMode::kConstantOnMoon:
      rx = d.self_home_hz / 2.0;
      tx = -d.self_home_hz / 2.0;
      break;
    case DopplerMode::kFullDx:
      rx = d.home_dx_hz;
      tx = -d.home_dx_hz;
      break;
    case DopplerMode::kOnDxEcho:
      rx = d.home_dx_hz;
      tx = d.self_dx_hz - d.home_dx_hz;
      break;
  }
  return {sky_hz + rx, sky_hz + tx, rx, tx};
}

std::string WindowStateText(const std::vector<MutualWindow>& windows, double now_utc_s,
                            double span_end_utc_s, int offset_s) {
  for (const MutualWindow& w : windows) {
    if (w.end_utc_s < now_utc_s) continue;
    char best[64];
    std::snprintf(best, sizeof best, " (%.1f dB)", w.best_total_db);
    if (w.start_utc_s <= now_utc_s) {
      return std::string("Window open ") + (w.open_at_end ? "beyond " : "until ") +
             DayIfNotToday(w.end_utc_s, now_utc_s, offset_s) + HourMinute(w.end_utc_s, offset_s) +
             " \u2014 best " + DayIfNotToday(w.best_utc_s, now_utc_s, offset_s) +
             HourMinute(w.best_utc_s, offset_s) + best;
    }
    return "Next window " + DayIfNotToday(w.start_utc_s, now_utc_s, offset_s) +
           HourMinute(w.start_utc_s, offset_s) + "\u2013" +
           DayIfNotToday(w.end_utc_s, w.start_utc_s, offset_s) + HourMinute(w.end_utc_s, offset_s) +
           ", in " + Wait(w.start_utc_s - now_utc_s);
  }
  const long long days =
      std::max(1LL, std::llround(std::max(0.0, span_end_utc_s - now_utc_s) / 86400.0));
  return "No window in the next " + std::to_string(days) + (days == 1 ? " day" : " days");
}

NowState ComputeNow(MoonTracker& tracker, const TrackRequest& request, double utc_s, double sky_hz,
                    DopplerMode mode, const std::vector<MutualWindow>& windows,
                    double span_end_utc_s, int offset_s) {
  NowState now;
  now.row = ComputeTrackRow(tracker, request, utc_s);
  now.sky_hz = sky_hz;
  now.mode = mode;
  now.doppler = DopplerAt(now.row, sky_hz);
  now.dial = DopplerDial(mode, sky_hz, now.doppler);
  now.window_text = WindowStateText(windows, utc_s, span_end_utc_s, offset_s);
  return now;
}

NowLines LinesOf(const NowState& now, int offset_s) {
  const TrackRow& r = now.row;
  NowLines lines;
  const Civil utc = CivilOf(r.utc_s, 0), local = CivilOf(r.utc_s, offset_s);
  char text[256];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d UTC   %02d:%02d:%02d local", utc.hour,
                utc.minute, utc.second, local.hour, local.minute, local.second);
  lines.time = text;
  auto station = [&](const MoonSighting& moon, const MoonSighting& sun, double separation,
                     bool usable) {
    const char* why = usable                                ? ""
                      : moon.elevation_refracted_deg <= 0.0 ? " (below horizon)"
                                                            : " (below minimum)";
    std::snprintf(text, sizeof text,
                  "Moon az %.1f° el %.1f°%s  Sun az %.1f° el %.1f°  "
                  "Sun–Moon %.1f°",
                  moon.azimuth_deg, moon.elevation_refracted_deg, why, sun.azimuth_deg,
                  sun.elevation_refracted_deg, separation);
    return std::string(text);
  };
  lines.home = station(r.home, r.home_sun, r.home_sun_separation_deg, r.home_usable);
  lines.dx = station(r.dx, r.dx_sun, r.dx_sun_separation_deg, r.dx_usable);
  auto hz = [](double v) {
    char t[32];
    std::snprintf(t, sizeof t, "%s%.0f Hz", v < 0 ? "−" : "+", std::fabs(v));
    return std::string(t);
  };
  std::snprintf(text, sizeof text, "RX %.6f MHz (%s)   TX %.6f MHz (%s)", now.dial.rx_hz / 1e6,
                hz(now.dial.rx_correction_hz).c_str(), now.dial.tx_hz / 1e6,
                hz(now.dial.tx_correction_hz).c_str());
  lines.dial = text;
  if (r.home_dx_valid) {
    const Degradation& d = r.home_dx;
    std::snprintf(text, sizeof text,
                  "Echo %.3f s   libration %.1f Hz   degradation %.2f dB: distance %.2f, air "
                  "%.2f + %.2f, sky %.2f, Moon %.2f, Sun %.2f",
                  r.delay_home_dx_s, r.libration_home_dx_hz, d.total_db, d.distance_db,
                  d.attenuation_tx_db, d.attenuation_rx_db, d.sky_noise_db, d.moon_noise_db,
                  d.sun_noise_db);
    lines.path = text;
  } else {
    std::snprintf(text, sizeof text,
                  "Echo %.3f s   libration %.1f Hz   Moon not up at both stations",
                  r.delay_home_dx_s, r.libration_home_dx_hz);
    lines.path = text;
  }
  lines.window = now.window_text;
  lines.sun_marked = SunMarked(r);
  return lines;
}

std::string NowJson(const NowState& now, const Stations& stations, int offset_s) {
  using nlohmann::json;
  const TrackRow& r = now.row;
  auto station = [&](const Station& s, const MoonSighting& moon, const MoonSighting& sun,
                     double separation, bool usable) {
    return json{
        {"lat", s.latitude_deg},
        {"lon", s.longitude_deg},
        {"height_m", s.height_m},
        {"moon",
         {{"az", Rounded(moon.azimuth_deg, 3)},
          {"el", Rounded(moon.elevation_deg, 3)},
          {"el_refracted", Rounded(moon.elevation_refracted_deg, 3)},
          {"range_km", Rounded(moon.range_km, 1)},
          {"usable", usable}}},
        {"sun", {{"az", Rounded(sun.azimuth_deg, 3)}, {"el", Rounded(sun.elevation_deg, 3)}}},
        {"sun_moon_sep_deg", Rounded(separation, 3)}};
  };
  auto degradation = [](bool valid, const Degradation& d) -> json {
    if (!valid) return nullptr;
    return {{"distance", Rounded(d.distance_db, 3)},
            {"attenuation_tx", Rounded(d.attenuation_tx_db, 3)},
            {"attenuation_rx", Rounded(d.attenuation_rx_db, 3)},
            {"sky_noise", Rounded(d.sky_noise_db, 3)},
            {"moon_noise", Rounded(d.moon_noise_db, 3)},
            {"sun_noise", Rounded(d.sun_noise_db, 3)},
            {"total", Rounded(d.total_db, 3)}};
  };
  const Civil local = CivilOf(r.utc_s, offset_s);
  char local_text[48];
  std::snprintf(local_text, sizeof local_text, "%04d-%02u-%02uT%02d:%02d:%02d%+03d:%02d",
                local.year, local.month, local.day, local.hour, local.minute, local.second,
                offset_s / 3600, std::abs(offset_s) % 3600 / 60);
  const json document = {
      {"utc", FormatUtc(r.utc_s)},
      {"local", local_text},
      {"home",
       station(stations.home, r.home, r.home_sun, r.home_sun_separation_deg, r.home_usable)},
      {"dx", station(stations.dx, r.dx, r.dx_sun, r.dx_sun_separation_deg, r.dx_usable)},
      {"mutual", r.mutual},
      {"doppler",
       {{"mode", DopplerModeName(now.mode)},
        {"sky_hz", Rounded(now.sky_hz, 1)},
        {"self_home_hz", Rounded(now.doppler.self_home_hz, 1)},
        {"home_dx_hz", Rounded(now.doppler.home_dx_hz, 1)},
        {"self_dx_hz", Rounded(now.doppler.self_dx_hz, 1)},
        {"rx_hz", Rounded(now.dial.rx_hz, 1)},
        {"tx_hz", Rounded(now.dial.tx_hz, 1)},
        {"rx_correction_hz", Rounded(now.dial.rx_correction_hz, 1)},
        {"tx_correction_hz", Rounded(now.dial.tx_correction_hz, 1)}}},
      {"delay_s",
       {{"self_home", Rounded(r.delay_self_home_s, 6)},
        {"home_dx", Rounded(r.delay_home_dx_s, 6)},
        {"self_dx", Rounded(r.delay_self_dx_s, 6)}}},
      {"libration_hz",
       {{"home_dx", Rounded(r.libration_home_dx_hz, 2)},
        {"self_home", Rounded(r.libration_self_home_hz, 2)},
        {"self_dx", Rounded(r.libration_self_dx_hz, 2)}}},
      {"dgrd_db",
       {{"home_dx", degradation(r.home_dx_valid, r.home_dx)},
        {"home_self", degradation(r.self_home_valid, r.self_home)},
        {"dx_self", degradation(r.self_dx_valid, r.self_dx)}}},
      {"sun_marked", SunMarked(r)},
      {"window", now.window_text},
  };
  return document.dump() + "\n";
}

}  // namespace quillmere
