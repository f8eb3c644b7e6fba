#include "current_weather.h"

#include <QEventLoop>
#include <algorithm>
#include <filesystem>
#include <iostream>
#include <optional>

#include "headless.h"
#include "maidenhead.h"
#include "open_meteo_client.h"
#include "option_reader.h"
#include "parse_text.h"
#include "stations_store.h"

namespace quillmere {

const char* const kCurrentWeatherUsage =
    "usage: quillmere-report --current-weather (--home LOC [--home-height M] |\n"
    "                        --station home|dx --stations FILE) [--weather-url URL]\n"
    "                        [--weather-timeout SECONDS] [--json]\n"
    "The weather at the station now: temperature, relative humidity, the pressure\n"
    "at the station's height (the one the window takes) and the sea-level pressure,\n"
    "with the time they hold for. Weather data by Open-Meteo.com, under CC BY 4.0;\n"
    "the figures are a weather model's, not a measurement.\n"
    "  LOC           a Maidenhead locator (4, 6 or 8 characters) or \"LAT,LON\"\n"
    "  --home-height the station's height in metres (default 0)\n"
    "  --station     the station of the planner's stations file --stations\n"
    "  --weather-url a server with Open-Meteo's forecast API (default\n"
    "                https://api.open-meteo.com)\n"
    "  --weather-timeout  seconds to wait for the whole answer (default 10)\n"
    "  --json        one JSON object: temperature_c, humidity_pct, pressure_hpa,\n"
    "                pressure_msl_hpa, time, source\n"
    "Exit status: 0 printed; 1 no weather (the reason on standard error); 2 bad\n"
    "arguments.\n";

std::variant<CurrentWeatherOptions, std::string> ParseCurrentWeatherArguments(
    const std::vector<std::string>& args) {
  const std::vector<std::string_view> views(args.begin(), args.end());
  OptionReader reader(views);
  CurrentWeatherOptions o;
  bool mode = false, have_home = false, have_height = false;
  std::optional<std::string> station, stations_file;
  std::string error;
  while (reader.Next()) {
    if (reader.Sets("--current-weather", mode) || reader.Sets("--json", o.json) ||
        reader.Sets("--help", o.help) || reader.Sets("-h", o.help)) {
      continue;
    }
    const std::string a(reader.Name());
    constexpr std::string_view kWithValue[] = {"--home",     "--home-height", "--station",
                                               "--stations", "--weather-url", "--weather-timeout"};
    const std::optional<std::string_view> value = reader.ValueOf(kWithValue, error);
    if (!value) return error;
    const std::string v(*value);
    if (a == "--home") {
      const auto where = ParseLocation(v);
      if (!where) return "bad locator for --home: " + v;
      o.query.latitude_deg = where->latitude_deg;
      o.query.longitude_deg = where->longitude_deg;
      have_home = true;
    } else if (a == "--home-height") {
      const StationLimit& limit = LimitOf(&Station::height_m);
      const auto m = ParseNumber(v);
      if (!m || *m < limit.min || *m > limit.max) return "bad height for --home-height: " + v;
      o.query.height_m = *m;
      have_height = true;
    } else if (a == "--station") {
      if (v != "home" && v != "dx") return "bad --station: " + v + " (home or dx)";
      station = v;
    } else if (a == "--stations") {
      if (v.empty()) return "--stations needs a file name";
      stations_file = v;
    } else if (a == "--weather-url") {
      if (const auto fault = WeatherUrlFault(v))
        return "bad --weather-url: " + v + " (" + *fault + ")";
      o.url = v;
    } else {  // --weather-timeout
      const auto s = ParseNumber(v);
      if (!s || *s <= 0 || *s > 600) return "bad --weather-timeout: " + v + " (0 to 600 s)";
      o.deadline_ms = std::max(1, static_cast<int>(*s * 1000));
    }
  }
  if (o.help) return o;
  if (!mode) return "--current-weather is required";
  if (have_home && (station || stations_file))
    return "give --home or --station with --stations, not both";
  if (have_home) return o;
  if (have_height) return "--home-height goes with --home";
  if (!station || !stations_file) return "--home, or --station with --stations, is required";
  const std::filesystem::path path(*stations_file);
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) return "no stations file " + *stations_file;
  const StationsFile file = LoadStationsFile(path);
  if (file.unread) return "cannot read the stations file " + *stations_file + ": " + *file.unread;
  const Station& s = *station == "home" ? file.stations.home : file.stations.dx;
  o.query = {s.latitude_deg, s.longitude_deg, s.height_m};
  return o;
}

int RunCurrentWeatherCommand(const std::vector<std::string>& args, const WeatherFetch& fetch,
                             std::ostream& out, std::ostream& err) {
  auto parsed = ParseCurrentWeatherArguments(args);
  if (auto* message = std::get_if<std::string>(&parsed)) {
    err << kReportProgram << ": " << *message << "\n";
    return kBadOptions;
  }
  const CurrentWeatherOptions& o = std::get<CurrentWeatherOptions>(parsed);
  if (o.help) {
    out << kCurrentWeatherUsage;
    return kPrinted;
  }
  const WeatherResult result = fetch(o.url, o.query, o.deadline_ms);
  if (const auto* failure = std::get_if<WeatherFailure>(&result)) {
    err << kReportProgram << ": " << failure->message << "\n";
    return kFailed;
  }
  const auto& weather = std::get<CurrentWeather>(result);
  out << (o.json ? CurrentWeatherJson(weather) : CurrentWeatherText(weather));
  return kPrinted;
}

int RunCurrentWeatherMode(char* program, std::span<const std::string_view> args) {
  HeadlessApplication app(program);
  const auto fetch = [](const std::string& url, const WeatherQuery& query, int deadline_ms) {
    OpenMeteoClient client(QString::fromStdString(url));
    client.SetDeadlineMs(deadline_ms);
    std::optional<WeatherResult> result;
    QEventLoop loop;
    client.Fetch(query, [&](const WeatherResult& r) {
      result = r;
      loop.quit();
    });
    if (!result) loop.exec();
    return *result;
  };
  const std::vector<std::string> arguments(args.begin(), args.end());
  const int status = RunCurrentWeatherCommand(arguments, fetch, std::cout, std::cerr);
  std::cout.flush();
  if (status == kPrinted && !std::cout) {
    SayNotWritten("weather");
    return kFailed;
  }
  return status;
}

}  // namespace quillmere
