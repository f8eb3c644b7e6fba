#pragma once
// quillmere-report --track: the Moon track of the two stations given on the
// command line, with each station's attenuation from the weather of the data
// file as the window's start-up leaves it. Its options and its run; the
// computing and the output are the planner model's (planner_model.h,
// track_columns.h), the same as the planner window's.
//
//   quillmere-report --track --home LOC --dx LOC [--home-height M] [--dx-height M]
//                    [--from YYYY-MM-DDTHH:MM:SS] [--span MINUTES] [--step MINUTES]
//                    [--data FILE] [--atmosphere ray-traced|cosecant] [--json]

#include <functional>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "now.h"
#include "planner_model.h"

namespace quillmere {

struct TrackOptions {
  std::string home_text, dx_text;  // the LOC arguments as given
  Stations stations;
  std::optional<double> from_utc_s;  // POSIX seconds; none: now
  int span_minutes = 1440;
  int step_minutes = 1;
  std::string data_file;  // empty: the program's usual data file
  // The ray trace by default, as in the planner window: the cosecant law
  // overstates the loss near the horizon many times over.
  TrackAtmosphere atmosphere = TrackAtmosphere::kRayTraced;
  bool json = false;
  bool help = false;  // --help: the usage, nothing computed
  // The planner's stations file, read before the options that follow
  // override its stations' places, heights and minimum elevations.
  std::string stations_file;
  // What the station options change, in their order, applied over the
  // stations file's stations (or the defaults' other fields).
  std::vector<std::function<void(Stations&)>> changes;
  // --now: the Now strip's second (the clock's, or --from) as one JSON
  // object, with the sked frequency (none: the band's) and Doppler mode.
  bool now = false;
  std::optional<double> sky_hz;
  DopplerMode doppler = DopplerMode::kNone;
};

// What --track --help prints (also the track part of the tool's --help).
extern const char* const kTrackUsage;

// Reads the arguments that follow the program name, "--track" included.
// Returns the options, or the message for standard error.
std::variant<TrackOptions, std::string> ParseTrackArguments(const std::vector<std::string>& args);

// The whole command. now_utc_s is the clock's time (refused with status 2
// outside the years of WithinTrackYears when no --from is given; without
// --from the rows start on the whole minute in progress); environment loads
// the data file named by --data (empty: the default) for the stations given
// (whose heights the air starts at) and returns nothing when it cannot. Exit status 0 on success, 2
// for bad arguments (bad locators, bad times, spans over 14 days) with a message on err, 1 when the
// data file cannot be used (or gives no ray-traced air when that is asked for).
int RunTrackCommand(const std::vector<std::string>& args, double now_utc_s,
                    const std::function<std::optional<TrackEnvironment>(
                        const std::string& data_file, const Stations& stations)>& environment,
                    std::ostream& out, std::ostream& err);

// The mode as quillmere-report runs it: the program's clock, and the
// window's start-up on the data file (default: Quillmere.dat in the start
// folder) for each station's weather. `args` follow the program's name.
int RunTrackMode(char* program, std::span<const std::string_view> args);

}  // namespace quillmere
