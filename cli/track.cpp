#include "track.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iostream>

#include "data_file.h"
#include "headless.h"
#include "maidenhead.h"
#include "option_reader.h"
#include "parse_text.h"
#include "track_columns.h"
#include "track_environment.h"
#include "utc_clock.h"

namespace quillmere {
namespace {}  // namespace

const char* const kTrackUsage =
    "usage: quillmere-report --track --home LOC --dx LOC [--home-height M] [--dx-height M]\n"
    "                        [--from YYYY-MM-DDTHH:MM:SS] [--span MINUTES] [--step MINUTES]\n"
    "                        [--data FILE] [--atmosphere ray-traced|cosecant] [--json]\n"
    "The Moon for both stations, step by step: azimuth, elevation, range, Doppler,\n"
    "echo delay, libration spread, the mutual windows and the degradation of each\n"
    "path, with each station's attenuation from the weather of the data file.\n"
    "  LOC           a Maidenhead locator (4, 6 or 8 characters) or \"LAT,LON\"\n"
    "  --home-height, --dx-height\n"
    "                the station's height in metres (default 0): where the Moon is\n"
    "                seen from and where its air starts\n"
    "  --from        UTC start, 1950-2100 (default: now, from the minute in\n"
    "                progress); --span up to 20160 minutes (14 days, default\n"
    "                1440), its end included; --step in minutes (default 1); the\n"
    "                mutual windows and their best minutes come from every minute\n"
    "  --atmosphere  the air of the degradation: the P.676-13 Annex 1 ray trace\n"
    "                with its sky temperature (default) or the window's cosecant\n"
    "                model; the output names the one used\n"
    "  --json        one JSON object with home, dx, atmosphere, rows and windows\n"
    "Exit status: 0 printed; 1 the data file could not be read; 2 bad arguments.\n";

std::variant<TrackOptions, std::string> ParseTrackArguments(const std::vector<std::string>& args) {
  const std::vector<std::string_view> views(args.begin(), args.end());
  OptionReader reader(views);
  TrackOptions o;
  bool track = false, have_home = false, have_dx = false;
  std::string error;
  while (reader.Next()) {
    if (reader.IsFlag("--track")) {
      track = true;
      continue;
    }
    if (reader.IsFlag("--json")) {
      o.json = true;
      continue;
    }
    if (reader.IsFlag("--help") || reader.IsFlag("-h")) {
      o.help = true;
      continue;
    }
    const std::string a(reader.Name());
    constexpr std::string_view kWithValue[] = {"--home",      "--dx",   "--home-height",
                                               "--dx-height", "--from", "--span",
                                               "--step",      "--data", "--atmosphere"};
    if (std::find(std::begin(kWithValue), std::end(kWithValue), a) == std::end(kWithValue))
      return "unknown argument: " + std::string(reader.Given());
    const std::optional<std::string_view> value = reader.Value(error);
    if (!value) return error;
    const std::string v(*value);
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
      const std::optional<UtcDateTime> from = ParseUtc(v);
      if (from) o.from_utc_s = static_cast<double>(UnixSecondsOf(*from));
      if (!o.from_utc_s || !WithinTrackYears(*o.from_utc_s)) {
        return "bad time for --from (YYYY-MM-DDTHH:MM:SS, UTC, 1950-2100): " + v;
      }
    } else if (a == "--span") {
      const auto n = ParseWholeNumber(v);
      if (!n || *n < 1 || *n > kMaxSpanMinutes)
        return "bad --span: " + v + " (1 to 20160 minutes, 14 days)";
      o.span_minutes = *n;
    } else if (a == "--step") {
      const auto n = ParseWholeNumber(v);
      if (!n || *n < 1 || *n > kMaxSpanMinutes) return "bad --step: " + v;
      o.step_minutes = *n;
    } else if (a == "--data") {
      // An empty name would silently mean the default file.
      if (v.empty()) return "--data needs a file name";
      o.data_file = v;
    } else {  // --atmosphere
      if (v == AtmosphereName(TrackAtmosphere::kCosecant)) {
        o.atmosphere = TrackAtmosphere::kCosecant;
      } else if (v == AtmosphereName(TrackAtmosphere::kRayTraced)) {
        o.atmosphere = TrackAtmosphere::kRayTraced;
      } else {
        return "bad --atmosphere: " + v + " (cosecant or ray-traced)";
      }
    }
  }
  if (o.help) return o;
  if (!track) return "--track is required";
  if (!have_home || !have_dx) return "--home and --dx are required";
  if (o.step_minutes > o.span_minutes) return "--step is longer than --span";
  return o;
}

int RunTrackCommand(const std::vector<std::string>& args, double now_utc_s,
                    const std::function<std::optional<TrackEnvironment>(
                        const std::string& data_file, const Stations& stations)>& environment,
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
  const std::optional<TrackEnvironment> env = environment(options.data_file, options.stations);
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
  request.from_now = !options.from_utc_s;
  request.span_minutes = options.span_minutes;
  request.step_minutes = options.step_minutes;
  request.atmosphere = options.atmosphere;
  const PlannedTrack planned = PlanTrack(request, *env);
  out << (options.json ? TrackJson(planned)
                       : TrackTable(planned, options.home_text, options.dx_text));
  return 0;
}

int RunTrackMode(char* program, std::span<const std::string_view> args) {
  HeadlessApplication app(program);
  StandardErrorMessages messages;
  // The window's start-up on the data file gives each station's weather,
  // exactly as the report's own start-up does.
  const auto environment = [&](const std::string& data_file,
                               const Stations& stations) -> std::optional<TrackEnvironment> {
    const std::filesystem::path data = DataFileOrDefault(
        data_file.empty() ? std::nullopt : std::optional<std::filesystem::path>(data_file));
    DataRecord probe{};
    const ReadResult read = ReadDataFile(data, probe);
    if (!read.ok()) {
      std::fprintf(stderr, "%s: %s\n", kReportProgram, read.message.c_str());
      return std::nullopt;
    }
    HeadlessWindow window{UtcClock(UtcNow)};
    window.Startup(data, messages);
    // Each station's air starts at its own height, as its Moon is seen.
    return TrackEnvironmentOf(window.State(), stations);
  };
  const std::vector<std::string> arguments(args.begin(), args.end());
  // The program's seconds-based clock: a count of nanoseconds would wrap
  // in 2262.
  const auto now_s = static_cast<double>(UnixSecondsOf(UtcNow()));
  const int status = RunTrackCommand(arguments, now_s, environment, std::cout, std::cerr);
  std::cout.flush();
  if (status == kPrinted && !std::cout) {
    SayNotWritten("track");
    return kFailed;
  }
  return status;
}

}  // namespace quillmere
