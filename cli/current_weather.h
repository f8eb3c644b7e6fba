#pragma once
// quillmere-report --current-weather: the weather at one station now, from
// Open-Meteo (or another server with its API), printed as the window would
// apply it. The network is used only by this mode, and only once.
//
//   quillmere-report --current-weather (--home LOC [--home-height M] |
//                    --station home|dx --stations FILE) [--weather-url URL]
//                    [--weather-timeout SECONDS] [--json]

#include <functional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "open_meteo.h"

namespace quillmere {

struct CurrentWeatherOptions {
  WeatherQuery query;
  std::string url = std::string(kOpenMeteoBaseUrl);
  int deadline_ms = kWeatherDeadlineMs;
  bool json = false;
  bool help = false;
};

// What --current-weather --help prints (also part of the tool's --help).
extern const char* const kCurrentWeatherUsage;

// Reads the arguments after the program's name, "--current-weather"
// included; the station comes from --home or from the stations file.
// Returns the options, or the message for standard error.
std::variant<CurrentWeatherOptions, std::string> ParseCurrentWeatherArguments(
    const std::vector<std::string>& args);

// Asks the server at `url` for the weather at `query`, waiting at most
// `deadline_ms`.
using WeatherFetch = std::function<WeatherResult(const std::string& url, const WeatherQuery& query,
                                                 int deadline_ms)>;

// The whole command: 0 printed, 1 the weather could not be had (the
// message on err), 2 bad options.
int RunCurrentWeatherCommand(const std::vector<std::string>& args, const WeatherFetch& fetch,
                             std::ostream& out, std::ostream& err);

// The mode as quillmere-report runs it, over Qt Network.
int RunCurrentWeatherMode(char* program, std::span<const std::string_view> args);

}  // namespace quillmere
