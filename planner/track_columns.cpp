#include "track_columns.h"

#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "constants.h"
#include "maidenhead.h"

namespace quillmere {
namespace {

using nlohmann::json;

// The speed of light, km/s, for the echo of each station's own sighting.
constexpr double kC = static_cast<double>(kSpeedOfLight) / 1000.0;

// The cells, one function a figure.
TrackCell Utc(const TrackRow& r, double) {
  return FormatUtc(r.utc_s);
}
TrackCell Mutual(const TrackRow& r, double) {
  return r.mutual;
}
TrackCell SunMark(const TrackRow& r, double) {
  return SunMarked(r);
}
template <MoonSighting TrackRow::*station, double MoonSighting::*figure>
TrackCell Seen(const TrackRow& r, double) {
  return (r.*station).*figure;
}
template <MoonSighting TrackRow::*station>
TrackCell EchoDoppler(const TrackRow& r, double f) {
  return -2.0 * (r.*station).range_rate_km_s * f / kC;
}
template <MoonSighting TrackRow::*station>
TrackCell EchoDelay(const TrackRow& r, double) {
  return 2.0 * (r.*station).range_km / kC;
}
template <double TrackRow::*figure>
TrackCell Row(const TrackRow& r, double) {
  return r.*figure;
}
// A degradation term; nothing while the Moon is down for a station of it.
template <bool TrackRow::*valid, Degradation TrackRow::*path, double Degradation::*term>
TrackCell Term(const TrackRow& r, double) {
  if (!(r.*valid)) return std::monostate{};
  return (r.*path).*term;
}

using R = TrackRow;
using M = MoonSighting;
using D = Degradation;

// clang-format off
// The JSON's degradation terms of one path.
#define QUILLMERE_TERMS(valid, path, key)                                                   \
  {nullptr, nullptr, 0, "dgrd_db/" key "/distance", 1e-3, nullptr, nullptr,                 \
   &Term<&R::valid, &R::path, &D::distance_db>},                                            \
  {nullptr, nullptr, 0, "dgrd_db/" key "/attenuation_tx", 1e-3, nullptr, nullptr,           \
   &Term<&R::valid, &R::path, &D::attenuation_tx_db>},                                      \
  {nullptr, nullptr, 0, "dgrd_db/" key "/attenuation_rx", 1e-3, nullptr, nullptr,           \
   &Term<&R::valid, &R::path, &D::attenuation_rx_db>},                                      \
  {nullptr, nullptr, 0, "dgrd_db/" key "/sky_noise", 1e-3, nullptr, nullptr,                \
   &Term<&R::valid, &R::path, &D::sky_noise_db>},                                           \
  {nullptr, nullptr, 0, "dgrd_db/" key "/moon_noise", 1e-3, nullptr, nullptr,               \
   &Term<&R::valid, &R::path, &D::moon_noise_db>},                                          \
  {nullptr, nullptr, 0, "dgrd_db/" key "/sun_noise", 1e-3, nullptr, nullptr,                \
   &Term<&R::valid, &R::path, &D::sun_noise_db>},                                           \
  {nullptr, nullptr, 0, "dgrd_db/" key "/total", 1e-3, nullptr, nullptr,                    \
   &Term<&R::valid, &R::path, &D::total_db>}

// The sighting of one station that only the JSON gives.
#define QUILLMERE_SIGHTING(who)                                                             \
  {nullptr, nullptr, 0, #who "/el", 1e-3, nullptr, nullptr, &Seen<&R::who, &M::elevation_deg>}, \
  {nullptr, nullptr, 0, #who "/range_km", 0.1, nullptr, nullptr, &Seen<&R::who, &M::range_km>}, \
  {nullptr, nullptr, 0, #who "/doppler_self_hz", 0.1, nullptr, nullptr, &EchoDoppler<&R::who>}, \
  {nullptr, nullptr, 0, #who "/delay_s", 1e-6, nullptr, nullptr, &EchoDelay<&R::who>},         \
  {nullptr, nullptr, 0, #who "/libration_self_hz", 0.01, nullptr, nullptr,                  \
   &Row<&R::libration_self_##who##_hz>},                                                    \
  {nullptr, nullptr, 0, #who "/sun/az", 1e-3, nullptr, nullptr,                             \
   &Seen<&R::who##_sun, &M::azimuth_deg>},                                                  \
  {nullptr, nullptr, 0, #who "/sun/el", 1e-3, nullptr, nullptr,                             \
   &Seen<&R::who##_sun, &M::elevation_deg>}
// clang-format on

constexpr TrackColumn kColumns[] = {
    // The window's table and the CSV, in their order.
    {"UTC", "utc", 0, "utc", 0, "UTC                  ", "%s", &Utc},
    {"Home az \u00b0", "home_az", 2, "home/az", 1e-3, " Home az", " %7.2f",
     &Seen<&R::home, &M::azimuth_deg>},
    {"Home el \u00b0", "home_el", 2, "home/el_refracted", 1e-3, "    el", " %5.2f",
     &Seen<&R::home, &M::elevation_refracted_deg>},
    {"DX az \u00b0", "dx_az", 2, "dx/az", 1e-3, "  DX az", " %6.2f",
     &Seen<&R::dx, &M::azimuth_deg>},
    {"DX el \u00b0", "dx_el", 2, "dx/el_refracted", 1e-3, "    el", " %5.2f",
     &Seen<&R::dx, &M::elevation_refracted_deg>},
    {"Mutual", "mutual", 0, "mutual", 0, "  Mutual", "  %-6s", &Mutual},
    {"Self Doppler Hz", "doppler_self_hz", 1, "doppler_self_hz", 0.1, "  Self Dop Hz", " %12.1f",
     &Row<&R::doppler_self_home_hz>},
    {"Home\u2192DX Doppler Hz", "doppler_home_dx_hz", 1, "doppler_home_dx_hz", 0.1, "  H>DX Dop Hz",
     " %12.1f", &Row<&R::doppler_home_dx_hz>},
    {"Delay s", "delay_s", 4, "delay_s", 1e-6, nullptr, nullptr, &Row<&R::delay_home_dx_s>},
    {"Libration Hz", "libration_hz", 1, "libration_hz", 0.01, "  Lib Hz", " %7.1f",
     &Row<&R::libration_home_dx_hz>},
    {"Distance dB", "distance_db", 2, "dgrd_db/home_dx/distance", 1e-3, nullptr, nullptr,
     &Term<&R::home_dx_valid, &R::home_dx, &D::distance_db>},
    {"Atten Home dB", "attenuation_home_db", 2, "dgrd_db/home_dx/attenuation_tx", 1e-3, nullptr,
     nullptr, &Term<&R::home_dx_valid, &R::home_dx, &D::attenuation_tx_db>},
    {"Atten DX dB", "attenuation_dx_db", 2, "dgrd_db/home_dx/attenuation_rx", 1e-3, nullptr,
     nullptr, &Term<&R::home_dx_valid, &R::home_dx, &D::attenuation_rx_db>},
    {"Sky noise dB", "sky_noise_db", 2, "dgrd_db/home_dx/sky_noise", 1e-3, nullptr, nullptr,
     &Term<&R::home_dx_valid, &R::home_dx, &D::sky_noise_db>},
    {"Moon noise dB", "moon_noise_db", 2, "dgrd_db/home_dx/moon_noise", 1e-3, nullptr, nullptr,
     &Term<&R::home_dx_valid, &R::home_dx, &D::moon_noise_db>},
    {"Sun noise dB", "sun_noise_db", 2, "dgrd_db/home_dx/sun_noise", 1e-3, "  Sun dB", "  %6.2f",
     &Term<&R::home_dx_valid, &R::home_dx, &D::sun_noise_db>},
    {"Total dB", "total_db", 2, "dgrd_db/home_dx/total", 1e-3, "  Dgrd H>DX dB", "  %.2f",
     &Term<&R::home_dx_valid, &R::home_dx, &D::total_db>},
    {"Sun–Moon Home °", "sun_moon_home_deg", 1, "home/sun/moon_sep_deg", 1e-3, nullptr, nullptr,
     &Row<&R::home_sun_separation_deg>},
    {"Sun–Moon DX °", "sun_moon_dx_deg", 1, "dx/sun/moon_sep_deg", 1e-3, nullptr, nullptr,
     &Row<&R::dx_sun_separation_deg>},
    // The JSON's further figures.
    {nullptr, nullptr, 0, "sun_marked", 0, nullptr, nullptr, &SunMark},
    QUILLMERE_SIGHTING(home),
    QUILLMERE_SIGHTING(dx),
    QUILLMERE_TERMS(self_home_valid, self_home, "home_self"),
    QUILLMERE_TERMS(self_dx_valid, self_dx, "dx_self"),
};
constexpr std::size_t kTableColumns = 19;

#undef QUILLMERE_TERMS
#undef QUILLMERE_SIGHTING

// Rounded for output: the figures carry no more than their accuracy. The
// unit is a power of ten; the figure is rounded in decimal, to the digits
// the unit implies, and read back, so that it is the double nearest that
// decimal (x / unit * unit is not: 2.535845 would print as
// 2.5358449999999997). Never a negative zero.
double Round(double x, double unit) {
  if (!(unit > 0) || !std::isfinite(x)) return x;
  const int decimals = static_cast<int>(std::lround(-std::log10(unit)));
  char text[400];
  const auto written =
      std::to_chars(text, text + sizeof text, x, std::chars_format::fixed, std::max(0, decimals));
  double rounded = x;
  if (written.ec != std::errc() || std::from_chars(text, written.ptr, rounded).ec != std::errc()) {
    return x;
  }
  return rounded + 0.0;
}

// The JSON text of a document, each number in the shortest form that reads
// back to the same double (std::to_chars), which a rounded figure makes as
// short as its unit.
void WriteJson(const json& value, std::string& out) {
  switch (value.type()) {
    case json::value_t::object: {
      out += '{';
      bool first = true;
      for (const auto& [key, item] : value.items()) {
        if (!first) out += ',';
        first = false;
        out += json(key).dump();
        out += ':';
        WriteJson(item, out);
      }
      out += '}';
      break;
    }
    case json::value_t::array: {
      out += '[';
      for (std::size_t i = 0; i < value.size(); ++i) {
        if (i > 0) out += ',';
        WriteJson(value[i], out);
      }
      out += ']';
      break;
    }
    case json::value_t::number_float: {
      const double x = value.get<double>();
      if (!std::isfinite(x)) {
        out += "null";
        break;
      }
      char text[64];
      const auto written = std::to_chars(text, text + sizeof text, x);
      out.append(text, written.ptr);
      break;
    }
    default:
      out += value.dump();
  }
}

std::string Fixed(double v, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, v);
  return text;
}

json Place(const Station& s) {
  return {{"lat", s.latitude_deg}, {"lon", s.longitude_deg}, {"height_m", s.height_m}};
}

// A station's locator for the CSV's head: as entered, or the one of its
// latitude and longitude with them.
std::string LocatorText(const Station& s) {
  if (!s.locator.empty()) return s.locator;
  char text[96];
  std::snprintf(text, sizeof text, " (%.10g,%.10g)", s.latitude_deg, s.longitude_deg);
  return LatLonToLocator({s.latitude_deg, s.longitude_deg}, 6).value_or("?") + text;
}

}  // namespace

std::span<const TrackColumn> TrackColumns() {
  return kColumns;
}

std::size_t TableColumnCount() {
  return kTableColumns;
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

std::string CellText(const TrackColumn& column, const TrackRow& row, double frequency_hz) {
  const TrackCell cell = column.cell(row, frequency_hz);
  if (const auto* v = std::get_if<double>(&cell)) return Fixed(*v, column.decimals);
  if (const auto* b = std::get_if<bool>(&cell)) return *b ? "yes" : "no";
  if (const auto* s = std::get_if<std::string>(&cell)) return *s;
  return {};
}

std::string TrackCsv(const PlannedTrack& planned) {
  // What the minutes were computed for, in comment lines ahead of the
  // column names, which a CSV reader told of '#' skips.
  const PlannerRequest& request = planned.request;
  std::string out = "# Quillmere Moon planner, minutes of the Home\u2192DX path\n";
  out += "# band: " + Fixed(planned.frequency_hz / 1e9, 3) + " GHz\n";
  out += "# home locator: " + LocatorText(request.stations.home) + "\n";
  out += "# dx locator: " + LocatorText(request.stations.dx) + "\n";
  out += std::string("# atmosphere: ") + AtmosphereLabel(request.atmosphere) + "\n";
  // Each window with its best minute, which at a step over a minute may
  // fall between the lines (whose "best" marks the nearest).
  for (const MutualWindow& w : planned.track.windows) {
    out += "# mutual window: " + FormatUtc(w.start_utc_s) + " to " + FormatUtc(w.end_utc_s) +
           ", best " + FormatUtc(w.best_utc_s) + " at " + Fixed(w.best_total_db, 4) + " dB\n";
  }
  const auto columns = TrackColumns().first(kTableColumns);
  for (const TrackColumn& c : columns)
    out += (&c == columns.data() ? "" : ",") + std::string(c.csv);
  // The air of the degradation on every line, so that a line read alone
  // still says it.
  out += ",best,atmosphere\n";
  const std::string atmosphere = AtmosphereName(request.atmosphere);
  const auto& rows = planned.track.rows;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    for (const TrackColumn& c : columns) {
      if (&c != columns.data()) out += ',';
      const TrackCell cell = c.cell(rows[i], planned.frequency_hz);
      // The full precision the table rounds for the eye.
      if (const auto* v = std::get_if<double>(&cell)) {
        out += Fixed(*v, c.decimals + 2);
      } else {
        out += CellText(c, rows[i], planned.frequency_hz);
      }
    }
    out += IsBestRow(planned, i) ? ",yes," : ",no,";
    out += atmosphere + '\n';
  }
  return out;
}

SaveOutcome ExportTrackCsv(const std::filesystem::path& file, const PlannedTrack& planned) {
  return ReplaceFileContents(file, TrackCsv(planned));
}

std::string TrackJson(const PlannedTrack& planned) {
  const double f = planned.frequency_hz;
  json rows = json::array();
  for (const TrackRow& r : planned.track.rows) {
    json row = json::object();
    std::vector<json::json_pointer> absent;
    for (const TrackColumn& c : TrackColumns()) {
      if (!c.json) continue;
      const json::json_pointer at(std::string("/") + c.json);
      const TrackCell cell = c.cell(r, f);
      if (const auto* v = std::get_if<double>(&cell)) {
        row[at] = Round(*v, c.json_unit);
      } else if (const auto* b = std::get_if<bool>(&cell)) {
        row[at] = *b;
      } else if (const auto* s = std::get_if<std::string>(&cell)) {
        row[at] = *s;
      } else {
        // A path without figures (the Moon down for one of its stations)
        // is null as a whole.
        absent.push_back(at.parent_pointer());
      }
    }
    for (const json::json_pointer& at : absent) row[at] = nullptr;
    rows.push_back(std::move(row));
  }
  json windows = json::array();
  for (const MutualWindow& w : planned.track.windows)
    windows.push_back({{"start", FormatUtc(w.start_utc_s)},
                       {"end", FormatUtc(w.end_utc_s)},
                       {"best", FormatUtc(w.best_utc_s)},
                       {"best_dgrd_db", Round(w.best_total_db, 1e-3)},
                       {"open_at_start", w.open_at_start},
                       {"open_at_end", w.open_at_end}});
  const json document = {{"home", Place(planned.request.stations.home)},
                         {"dx", Place(planned.request.stations.dx)},
                         {"frequency_hz", f},
                         {"atmosphere", AtmosphereName(planned.request.atmosphere)},
                         {"rows", std::move(rows)},
                         {"windows", std::move(windows)}};
  std::string text;
  WriteJson(document, text);
  return text + "\n";
}

std::string TrackTable(const PlannedTrack& planned, const std::string& home_text,
                       const std::string& dx_text) {
  std::string out;
  char line[256];
  // The locators as given, whatever their length; only the figures go
  // through the fixed buffer.
  const auto place = [&](const char* who, const std::string& text, const Station& s) {
    std::snprintf(line, sizeof line, " (%.4f, %.4f, %.0f m)   ", s.latitude_deg, s.longitude_deg,
                  s.height_m);
    out += std::string(who) + " " + text + line;
  };
  place("Home", home_text, planned.request.stations.home);
  place("DX", dx_text, planned.request.stations.dx);
  std::snprintf(line, sizeof line, "%.3f GHz   ", planned.frequency_hz / 1e9);
  out += line + std::string("Atmosphere: ") + AtmosphereLabel(planned.request.atmosphere) + "\n";
  for (const TrackColumn& c : TrackColumns())
    if (c.text_header) out += c.text_header;
  out += '\n';
  for (const TrackRow& r : planned.track.rows) {
    for (const TrackColumn& c : TrackColumns()) {
      if (!c.text_format) continue;
      const TrackCell cell = c.cell(r, planned.frequency_hz);
      if (const auto* v = std::get_if<double>(&cell)) {
        std::snprintf(line, sizeof line, c.text_format, *v);
      } else if (const auto* b = std::get_if<bool>(&cell)) {
        std::snprintf(line, sizeof line, c.text_format, *b ? "yes" : "no");
      } else if (const auto* s = std::get_if<std::string>(&cell)) {
        std::snprintf(line, sizeof line, c.text_format, s->c_str());
      } else {
        // No figure: a dash where it would stand.
        const std::string_view format = c.text_format;
        out += std::string(format.substr(0, format.find('%'))) + "-";
        continue;
      }
      out += line;
    }
    out += '\n';
  }
  out += "Mutual windows:\n";
  if (planned.track.windows.empty()) out += "  none\n";
  for (const MutualWindow& w : planned.track.windows) {
    std::snprintf(line, sizeof line, "  %s to %s, best %s (%.2f dB)\n",
                  FormatUtc(w.start_utc_s).c_str(), FormatUtc(w.end_utc_s).c_str(),
                  FormatUtc(w.best_utc_s).c_str(), w.best_total_db);
    out += line;
  }
  return out;
}

}  // namespace quillmere
