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
#include "stations_store.h"
#include "track_columns.h"
#include "track_environment.h"
#include "utc_clock.h"

namespace quillmere {
namespace {}  // namespace

const char* const kTrackUsage =
    "usage: quillmere-report --track (--home LOC --dx LOC | --stations FILE)\n"
    "                        [--home-height M] [--dx-height M] [--home-min-el DEG]\n"
    "                        [--dx-min-el DEG] [--from YYYY-MM-DDTHH:MM:SS]\n"
    "                        [--span MINUTES] [--step MINUTES] [--data FILE]\n"
    "                        [--atmosphere ray-traced|cosecant] [--json]\n"
    "                        [--now [--sky-mhz F] [--doppler MODE]]\n"
    "The Moon for both stations, step by step: azimuth, elevation, range, Doppler,\n"
    "echo delay, libration spread, the Sun and its separation from the Moon, the\n"
    "mutual windows and the degradation of each path, with each station's\n"
    "attenuation from the weather of the data file.\n"
    "  LOC           a Maidenhead locator (4, 6 or 8 characters) or \"LAT,LON\"\n"
    "  --stations    the planner's stations file (QuillmereStations.ini): both\n"
    "                stations with their heights, minimum elevations, horizon\n"
    "                masks, dishes and receivers; --home, --dx and the height and\n"
    "                minimum-elevation options then change what they name\n"
    "  --home-height, --dx-height\n"
    "                the station's height in metres (default 0): where the Moon is\n"
    "                seen from and where its air starts\n"
    "  --home-min-el, --dx-min-el\n"
    "                the lowest elevation the station works at, degrees (-5 to\n"
    "                90, default 0; below 0 for a mountain station)\n"
    "  --from        UTC start, 1950-2100 (default: now, from the minute in\n"
    "                progress); --span up to 20160 minutes (14 days, default\n"
    "                1440), its end included; --step in minutes (default 1); the\n"
    "                mutual windows and their best minutes come from every minute\n"
    "  --atmosphere  the air of the degradation: the P.676-13 Annex 1 ray trace\n"
    "                with its sky temperature (default) or the window's cosecant\n"
    "                model; the output names the one used\n"
    "  --json        one JSON object with home, dx, atmosphere, rows and windows\n"
    "  --now         the planner's Now strip for the current second (or --from) as\n"
    "                one JSON object: both stations' Moon and Sun, the Doppler and\n"
    "                the frequencies to dial, delays, spreads, each path's\n"
    "                degradation and the window in words (from the next 14 days)\n"
    "  --sky-mhz     the sked frequency, MHz (default: the band's)\n"
    "  --doppler     none (default), own-echo, cfom (constant frequency on the\n"
    "                Moon), full-dx or on-dx-echo: how the Doppler is shared out\n"
    "The degradation: each path against an ideal Moon 356 400 km from both\n"
    "stations, no air and a 2.7 K sky, in dB positive for a loss (WSJT-X shows\n"
    "its figure negative): distance, each station's air, the sky's, the Moon's and\n"
    "the Sun's noise at the receiver; WSJT-X's adds the Galaxy's noise instead,\n"
    "which hardly counts above 10 GHz. Rows where the Sun costs over 0.5 dB are\n"
    "marked (\"sun_marked\").\n"
    "Exit status: 0 printed; 1 the data file or the stations file could not be\n"
    "read; 2 bad arguments.\n";

std::variant<TrackOptions, std::string> ParseTrackArguments(const std::vector<std::string>& args) {
  const std::vector<std::string_view> views(args.begin(), args.end());
  OptionReader reader(views);
  TrackOptions o;
  bool track = false, have_home = false, have_dx = false;
  std::string error;
  std::vector<std::function<void(Stations&)>> changes;
  while (reader.Next()) {
    if (reader.Sets("--track", track) || reader.Sets("--json", o.json) ||
        reader.Sets("--now", o.now) || reader.Sets("--help", o.help) || reader.Sets("-h", o.help)) {
      continue;
    }
    const std::string a(reader.Name());
    constexpr std::string_view kWithValue[] = {
        "--home",       "--dx",       "--home-height", "--dx-height", "--home-min-el",
        "--dx-min-el",  "--from",     "--span",        "--step",      "--data",
        "--atmosphere", "--stations", "--sky-mhz",     "--doppler"};
    const std::optional<std::string_view> value = reader.ValueOf(kWithValue, error);
    if (!value) return error;
    const std::string v(*value);
    if (a == "--home" || a == "--dx") {
      const auto where = ParseLocation(v);
      if (!where) return "bad locator for " + a + ": " + v;
      const bool home = a == "--home";
      changes.push_back([home, where = *where, v](Stations& st) {
        Station& s = home ? st.home : st.dx;
        s.latitude_deg = where.latitude_deg;
        s.longitude_deg = where.longitude_deg;
        s.locator = v.find(',') == std::string::npos ? v : "";
      });
      (home ? o.home_text : o.dx_text) = v;
      (home ? have_home : have_dx) = true;
    } else if (a == "--home-height" || a == "--dx-height" || a == "--home-min-el" ||
               a == "--dx-min-el") {
      const bool height = a.ends_with("-height");
      double Station::*member = height ? &Station::height_m : &Station::min_elevation_deg;
      const StationLimit& limit = LimitOf(member);
      const auto m = ParseNumber(v);
      if (!m || *m < limit.min || *m > limit.max) {
        return std::string(height ? "bad height for " : "bad minimum elevation for ") + a + ": " +
               v;
      }
      const bool home = a.starts_with("--home");
      changes.push_back(
          [home, member, m = *m](Stations& st) { (home ? st.home : st.dx).*member = m; });
    } else if (a == "--stations") {
      if (v.empty()) return "--stations needs a file name";
      o.stations_file = v;
    } else if (a == "--sky-mhz") {
      const auto mhz = ParseNumber(v);
      if (!mhz || *mhz < 1000.0 || *mhz > 300000.0) return "bad --sky-mhz: " + v;
      o.sky_hz = *mhz * 1e6;
    } else if (a == "--doppler") {
      const std::optional<DopplerMode> mode = DopplerModeFromName(v);
      if (!mode) return "bad --doppler: " + v + " (none, own-echo, cfom, full-dx or on-dx-echo)";
      o.doppler = *mode;
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
  if (o.stations_file.empty() && (!have_home || !have_dx))
    return "--home and --dx are required (or --stations)";
  if (o.step_minutes > o.span_minutes) return "--step is longer than --span";
  if ((o.sky_hz || o.doppler != DopplerMode::kNone) && !o.now)
    return "--sky-mhz and --doppler go with --now";
  o.stations.home.name = "Home";
  o.stations.dx.name = "DX";
  o.changes = std::move(changes);
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
  // The stations: the file's, then what the options change.
  Stations stations = options.stations;
  if (!options.stations_file.empty()) {
    const std::filesystem::path file = options.stations_file;
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) {
      err << "quillmere-report: no stations file " << options.stations_file << "\n";
      return 1;
    }
    const StationsFile read = LoadStationsFile(file);
    if (read.unread || !read.message.empty()) {
      err << "quillmere-report: " << (read.unread ? *read.unread : read.message) << "\n";
      return 1;
    }
    stations = read.stations;
  }
  for (const auto& change : options.changes) change(stations);
  const std::optional<TrackEnvironment> env = environment(options.data_file, stations);
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
  request.stations = stations;
  request.start_utc_s = options.from_utc_s.value_or(now_utc_s);
  request.from_now = !options.from_utc_s;
  request.span_minutes = options.span_minutes;
  request.step_minutes = options.step_minutes;
  request.atmosphere = options.atmosphere;
  if (options.now) {
    // The strip's second, with the windows of the two weeks from its minute.
    const double moment = std::floor(request.start_utc_s);
    request.start_utc_s = std::floor(moment / 60.0) * 60.0;
    request.from_now = false;
    request.span_minutes = kMaxSpanMinutes;
    request.step_minutes = 60;
    const PlannedTrack ahead = PlanTrack(request, *env);
    TrackRequest track;
    SetUpTrackRequest(track, request, *env, ahead.air);
    MoonTracker tracker;
    const int offset = LocalOffsetAt(static_cast<std::int64_t>(moment));
    const NowState now = ComputeNow(
        tracker, track, moment, options.sky_hz.value_or(env->frequency_hz), options.doppler,
        ahead.track.windows, request.start_utc_s + kMaxSpanMinutes * 60.0, 0);
    out << NowJson(now, stations, offset);
    return 0;
  }
  const PlannedTrack planned = PlanTrack(request, *env);
  const std::string home_text =
      options.home_text.empty() ? stations.home.locator : options.home_text;
  const std::string dx_text = options.dx_text.empty() ? stations.dx.locator : options.dx_text;
  out << (options.json ? TrackJson(planned) : TrackTable(planned, home_text, dx_text));
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
