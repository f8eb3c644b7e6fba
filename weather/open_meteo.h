#pragma once
// The current weather at a station from Open-Meteo's forecast API: the
// request's address, the reply read and judged, and the figures as the
// window's steppers take them. No network here and no Qt: the client
// (open_meteo_client.h) moves the bytes, this file says what they mean.

#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "real.h"

namespace quillmere {

// The public API; --weather-url and the tests put another server in its place.
inline constexpr std::string_view kOpenMeteoBaseUrl = "https://api.open-meteo.com";

// The environment setting that points the window at another server with the
// same API, as --weather-url does the command line.
inline constexpr std::string_view kWeatherUrlVariable = "QUILLMERE_WEATHER_URL";

// The attribution Open-Meteo's terms ask for, with the licence of the data.
inline constexpr std::string_view kWeatherSource = "Weather data by Open-Meteo.com, CC BY 4.0";

// The 10 s the user waits at most for an answer, connection included.
inline constexpr int kWeatherDeadlineMs = 10000;

// The largest reply taken: the real one is under 1 KiB.
inline constexpr long long kMaxWeatherReplyBytes = 64 * 1024;

// Where the weather is asked for: the station's place and height. The
// height makes surface_pressure the pressure at the station, not at the
// model's terrain height.
struct WeatherQuery {
  double latitude_deg = 0;
  double longitude_deg = 0;
  double height_m = 0;
};

// The figures of one reply, as the service gives them.
struct CurrentWeather {
  double temperature_c = 0;
  double humidity_pct = 0;
  double pressure_hpa = 0;      // at the station's height
  double pressure_msl_hpa = 0;  // reduced to sea level, for comparison only
  std::string time;             // "YYYY-MM-DDTHH:MM", UTC
};

// Everything that can go wrong between the click and the figures.
enum class WeatherError {
  kNoNetwork,        // no route, name not found, connection dropped
  kRefused,          // nothing listens at the address
  kTimeout,          // no whole answer within the deadline
  kBadRequest,       // HTTP 400, with the service's reason
  kTooManyRequests,  // HTTP 429
  kServerError,      // HTTP 5xx
  kHttpError,        // any other HTTP status but 200
  kHtmlPage,         // a web page where JSON was expected
  kTruncatedJson,    // the JSON stops part-way
  kMalformedJson,    // not JSON at all
  kMissingValue,     // a figure the reply should carry is not there
  kOutOfRange,       // a figure no air has
  kRedirectOffHost,  // sent on to another host
  kTooLarge,         // more bytes than any reply of the service
  kBadAddress,       // the service's address is not one that can be asked
};

struct WeatherFailure {
  WeatherError error;
  std::string message;  // for the user: what happened, in a sentence
};

using WeatherResult = std::variant<CurrentWeather, WeatherFailure>;

// The request's address under `base` (no trailing '/' needed), e.g.
// base/v1/forecast?latitude=52.1250&longitude=-0.2500&elevation=75&current=...&timezone=GMT.
// Numbers are written with '.' whatever the locale.
std::string ForecastUrl(std::string_view base, const WeatherQuery& query);

// Why `url` cannot be a weather service's address, as the end of a sentence
// ("it does not start with http:// or https://"), or nothing when it can:
// an http or https URL naming a host, without spaces or control characters.
std::optional<std::string> WeatherUrlFault(std::string_view url);

// The service the window asks, and why it cannot be asked.
struct WeatherService {
  std::string url;
  std::optional<std::string> fault;  // a sentence for the user, when `url` is unusable
};

// The service for `setting`, the value of kWeatherUrlVariable (nothing when
// it is not set): the public API when it is unset or empty, else the
// server it names, or its fault. A bad setting is reported at the click on
// "Current weather", not at start, as the network is used only then.
WeatherService WeatherServiceOf(std::optional<std::string_view> setting);

// Judges one HTTP answer: its status, its Content-Type (may be empty) and
// its body.
WeatherResult ParseForecastReply(int http_status, std::string_view content_type,
                                 std::string_view body);

// A failure of the transport, with its message.
WeatherFailure TransportFailure(WeatherError error, std::string_view detail = {});

// The weather as the window's steppers hold it: each figure rounded to the
// stepper's whole unit and kept within its limits.
struct SteppedWeather {
  Real temperature_c = 0;
  Real humidity_pct = 0;
  Real pressure_hpa = 0;
};
SteppedWeather SteppedWeatherOf(const CurrentWeather& weather);

// One JSON object: temperature_c, humidity_pct, pressure_hpa,
// pressure_msl_hpa, time, source.
std::string CurrentWeatherJson(const CurrentWeather& weather);
// The same as readable lines.
std::string CurrentWeatherText(const CurrentWeather& weather);

}  // namespace quillmere
