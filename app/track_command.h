#pragma once
// quillmere-report --track: the Moon for two stations, minute by minute, as
// JSON or as a readable table. The command's logic without the process
// around it: arguments in, text and an exit status out.
//
//   quillmere-report --track --home LOC --dx LOC [--home-height M] [--dx-height M]
//                    [--from YYYY-MM-DDTHH:MM:SS] [--span MINUTES] [--step MINUTES]
//                    [--data FILE] [--atmosphere cosecant|ray-traced] [--json]
//
// LOC is a Maidenhead locator (4, 6 or 8 characters) or "LAT,LON". --from
// is UTC and defaults to now; --span defaults to 1440 minutes (a day) and
// may not exceed 14 days; --step defaults to 1 minute. --atmosphere chooses
// the air of the degradation: the window's cosecant model (the default, so
// that a minute can be checked against the window's own figures) or the
// P.676-13 Annex 1 ray trace; the output names the one used.

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <variant>
#include <vector>

#include "planner_model.h"

namespace quillmere {

struct TrackOptions {
  std::string home_text, dx_text;  // the LOC arguments as given
  Stations stations;
  std::optional<double> from_utc_s;  // POSIX seconds; none: now
  int span_minutes = 1440;
  int step_minutes = 1;
  std::string data_file;  // empty: the program's usual data file
  TrackAtmosphere atmosphere = TrackAtmosphere::kCosecant;
  bool json = false;
  bool help = false;  // --help: the usage, nothing computed
};

// What --track --help prints (also the track part of the tool's --help).
extern const char* const kTrackUsage;

// Reads the arguments that follow the program name, "--track" included.
// Returns the options, or the message for standard error.
std::variant<TrackOptions, std::string> ParseTrackArguments(const std::vector<std::string>& args);

// The whole command. now_utc_s is the clock's time (refused with status 2
// outside the years of WithinTrackYears when no --from is given); environment loads the
// data file named by --data (empty: the default) and returns nothing when
// it cannot. Exit status 0 on success, 2 for bad arguments (bad locators,
// bad times, spans over 14 days) with a message on err, 1 when the data
// file cannot be used (or gives no ray-traced air when that is asked for).
int RunTrackCommand(
    const std::vector<std::string>& args, double now_utc_s,
    const std::function<std::optional<TrackEnvironment>(const std::string& data_file)>& environment,
    std::ostream& out, std::ostream& err);

}  // namespace quillmere
