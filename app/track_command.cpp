// quillmere-report --track.

#include "track_command.h"

#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <string_view>

#include "maidenhead.h"
#include "track_columns.h"

namespace quillmere {
namespace {

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
  if (options.atmosphere == TrackAtmosphere::kRayTraced && !env->ray_traced) {
    err << "quillmere-report: the data file gives no ray-traced atmosphere\n";
    return 1;
  }
  PlannerRequest request;
  request.stations = options.stations;
  request.start_utc_s = options.from_utc_s.value_or(now_utc_s);
  request.span_minutes = options.span_minutes;
  request.step_minutes = options.step_minutes;
  request.atmosphere = options.atmosphere;
  const PlannedTrack planned = PlanTrack(request, *env);
  out << (options.json ? TrackJson(planned)
                       : TrackTable(planned, options.home_text, options.dx_text));
  return 0;
}

}  // namespace quillmere
