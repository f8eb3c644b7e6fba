#include "open_meteo.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <nlohmann/json.hpp>

#include "input_limits.h"

namespace quillmere {
namespace {

using nlohmann::json;

// The figures asked for, in the order the reply lists them.
constexpr std::string_view kCurrentFields =
    "temperature_2m,relative_humidity_2m,surface_pressure,pressure_msl";

// `value` with `decimals` decimals and '.', as no locale changes it.
std::string Fixed(double value, int decimals) {
  std::array<char, 64> text{};
  const auto [end, ec] = std::to_chars(text.data(), text.data() + text.size(), value,
                                       std::chars_format::fixed, decimals);
  return ec == std::errc() ? std::string(text.data(), end) : std::string("0");
}

// One figure of the reply: its key, its name for the user, its unit and
// the range any air at a station can have. The service's model never gives
// more; a figure outside is a fault of the reply, not weather.
struct Figure {
  const char* key;
  const char* name;
  const char* unit;
  double low, high;
  double CurrentWeather::*field;
};
constexpr std::array<Figure, 4> kFigures{{
    {"temperature_2m", "temperature", "\u00b0C", -95, 70, &CurrentWeather::temperature_c},
    {"relative_humidity_2m", "relative humidity", "%", 0, 100, &CurrentWeather::humidity_pct},
    // The station pressure: Everest's summit has about 330 hPa.
    {"surface_pressure", "station pressure", "hPa", 250, 1100, &CurrentWeather::pressure_hpa},
    {"pressure_msl", "sea-level pressure", "hPa", 850, 1100, &CurrentWeather::pressure_msl_hpa},
}};

WeatherFailure Fail(WeatherError error, std::string message) {
  return {error, std::move(message)};
}

bool LooksLikeHtml(std::string_view content_type, std::string_view body) {
  if (content_type.find("text/html") != std::string_view::npos) return true;
  const auto first = body.find_first_not_of(" \t\r\n");
  return first != std::string_view::npos && body[first] == '<';
}

// The service's own reason of a 400, when its body gives one.
std::string ReasonOf(std::string_view body) {
  const json doc = json::parse(body, nullptr, false);
  if (doc.is_object() && doc.contains("reason") && doc["reason"].is_string())
    return doc["reason"].get<std::string>();
  return {};
}

// "YYYY-MM-DDTHH:MM", digits where digits belong.
bool IsMinuteTime(const std::string& t) {
  constexpr std::string_view kShape = "dddd-dd-ddTdd:dd";
  if (t.size() != kShape.size()) return false;
  for (std::size_t i = 0; i < t.size(); ++i) {
    const bool digit = t[i] >= '0' && t[i] <= '9';
    if (kShape[i] == 'd' ? !digit : t[i] != kShape[i]) return false;
  }
  return true;
}

WeatherResult ParseCurrent(std::string_view body) {
  json doc;
  try {
    doc = json::parse(body);
  } catch (const json::parse_error& e) {
    // The parser stops at the end of the input when the text was cut short.
    if (e.byte >= body.size())
      return Fail(WeatherError::kTruncatedJson, "The weather service's reply was cut short.");
    return Fail(WeatherError::kMalformedJson, "The weather service's reply is not valid JSON.");
  }
  if (!doc.is_object() || !doc.contains("current") || !doc["current"].is_object())
    return Fail(WeatherError::kMissingValue, "The weather service's reply has no current weather.");
  const json& current = doc["current"];
  const json* units = doc.contains("current_units") && doc["current_units"].is_object()
                          ? &doc["current_units"]
                          : nullptr;
  CurrentWeather weather;
  for (const Figure& f : kFigures) {
    if (!current.contains(f.key) || !current[f.key].is_number())
      return Fail(WeatherError::kMissingValue,
                  std::string("The weather service gave no ") + f.name + " (" + f.key + ").");
    if (units && units->contains(f.key) &&
        (!(*units)[f.key].is_string() || (*units)[f.key].get<std::string>() != f.unit))
      return Fail(WeatherError::kOutOfRange, std::string("The weather service gave the ") + f.name +
                                                 " in another unit than " + f.unit + ".");
    const double v = current[f.key].get<double>();
    if (!std::isfinite(v) || v < f.low || v > f.high)
      return Fail(WeatherError::kOutOfRange, std::string("The weather service gave a ") + f.name +
                                                 " of " + Fixed(v, 1) + " " + f.unit +
                                                 ", outside " + Fixed(f.low, 0) + " to " +
                                                 Fixed(f.high, 0) + " " + f.unit + ".");
    weather.*f.field = v;
  }
  if (!current.contains("time") || !current["time"].is_string() ||
      !IsMinuteTime(current["time"].get<std::string>()))
    return Fail(WeatherError::kMissingValue,
                "The weather service gave no time of the observation (time).");
  weather.time = current["time"].get<std::string>();
  return weather;
}

// At most this much of a hostile setting goes into a message, every
// control character shown as '?'.
std::string Shown(std::string_view text) {
  constexpr std::size_t kMost = 80;
  std::string shown;
  for (const char c : text.substr(0, kMost))
    shown += static_cast<unsigned char>(c) < 0x20 || c == 0x7f ? '?' : c;
  if (text.size() > kMost) shown += "...";
  return shown;
}

std::string HttpText(int status) {
  return "HTTP " + std::to_string(status);
}

}  // namespace

std::string ForecastUrl(std::string_view base, const WeatherQuery& query) {
  std::string url(base);
  while (!url.empty() && url.back() == '/') url.pop_back();
  url += "/v1/forecast?latitude=" + Fixed(query.latitude_deg, 4) +
         "&longitude=" + Fixed(query.longitude_deg, 4) + "&elevation=" + Fixed(query.height_m, 0) +
         "&current=" + std::string(kCurrentFields) + "&timezone=GMT";
  return url;
}

std::optional<std::string> WeatherUrlFault(std::string_view url) {
  // The scheme is case-insensitive (RFC 3986, 3.1); ASCII only, whatever
  // the locale.
  const auto starts = [url](std::string_view scheme) {
    return url.size() >= scheme.size() &&
           std::equal(scheme.begin(), scheme.end(), url.begin(), [](char s, char u) {
             return s == (u >= 'A' && u <= 'Z' ? u - 'A' + 'a' : u);
           });
  };
  std::string_view rest;
  if (starts("http://")) {
    rest = url.substr(7);
  } else if (starts("https://")) {
    rest = url.substr(8);
  } else {
    return "it does not start with http:// or https://";
  }
  if (std::any_of(url.begin(), url.end(),
                  [](char c) { return static_cast<unsigned char>(c) <= 0x20 || c == 0x7f; }))
    return "it holds a space or a control character";
  // The host follows any user@ and comes before any :port.
  const std::string_view authority = rest.substr(0, rest.find_first_of("/?#"));
  const std::string_view host = authority.substr(authority.rfind('@') + 1);
  if (host.empty() || host.front() == ':') return "it names no host";
  return std::nullopt;
}

WeatherService WeatherServiceOf(std::optional<std::string_view> setting) {
  if (!setting || setting->empty()) return {std::string(kOpenMeteoBaseUrl), std::nullopt};
  WeatherService service{std::string(*setting), std::nullopt};
  if (const auto fault = WeatherUrlFault(*setting))
    service.fault = "The weather service's address in " + std::string(kWeatherUrlVariable) +
                    ", \"" + Shown(*setting) + "\", cannot be used: " + *fault + ".";
  return service;
}

WeatherResult ParseForecastReply(int http_status, std::string_view content_type,
                                 std::string_view body) {
  if (static_cast<long long>(body.size()) > kMaxWeatherReplyBytes)
    return TransportFailure(WeatherError::kTooLarge);
  if (http_status == 400) {
    const std::string reason = ReasonOf(body);
    return Fail(WeatherError::kBadRequest,
                "The weather service refused the request (HTTP 400)" +
                    (reason.empty() ? std::string(".") : ": " + reason + "."));
  }
  if (http_status == 429)
    return Fail(WeatherError::kTooManyRequests,
                "The weather service says too many requests (HTTP 429): try again later.");
  if (http_status >= 500 && http_status <= 599)
    return Fail(WeatherError::kServerError,
                "The weather service failed (" + HttpText(http_status) + "): try again later.");
  if (http_status != 200)
    return Fail(WeatherError::kHttpError,
                "The weather service answered " + HttpText(http_status) + ".");
  if (LooksLikeHtml(content_type, body))
    return Fail(WeatherError::kHtmlPage,
                "The weather service sent a web page instead of the weather (is the address "
                "right, or a network login page in the way?).");
  return ParseCurrent(body);
}

WeatherFailure TransportFailure(WeatherError error, std::string_view detail) {
  const std::string more = detail.empty() ? std::string() : " (" + std::string(detail) + ")";
  switch (error) {
    case WeatherError::kRefused:
      return {error, "The weather service refused the connection" + more + "."};
    case WeatherError::kTimeout:
      return {error, "The weather service did not answer within " +
                         std::to_string(kWeatherDeadlineMs / 1000) + " s" + more + "."};
    case WeatherError::kRedirectOffHost:
      return {error, "The weather service sent the request on to another host" + more +
                         "; it was not followed."};
    case WeatherError::kTooLarge:
      return {error,
              "The weather service's reply is far larger than any weather reply; it "
              "was not read."};
    default:
      return {error, "The weather service cannot be reached: no network" + more + "."};
  }
}

SteppedWeather SteppedWeatherOf(const CurrentWeather& weather) {
  namespace L = input_limits;
  const auto stepped = [](double value, InputLimit limit) {
    return std::clamp(std::round(static_cast<Real>(value)), limit.low, limit.high);
  };
  return {stepped(weather.temperature_c, L::kTemperature),
          stepped(weather.humidity_pct, L::kHumidity), stepped(weather.pressure_hpa, L::kPressure)};
}

std::string CurrentWeatherJson(const CurrentWeather& weather) {
  const json doc = {{"temperature_c", weather.temperature_c},
                    {"humidity_pct", weather.humidity_pct},
                    {"pressure_hpa", weather.pressure_hpa},
                    {"pressure_msl_hpa", weather.pressure_msl_hpa},
                    {"time", weather.time + "Z"},
                    {"source", std::string(kWeatherSource)}};
  return doc.dump() + "\n";
}

std::string CurrentWeatherText(const CurrentWeather& weather) {
  return "Temperature         " + Fixed(weather.temperature_c, 1) + " \u00b0C\n" +
         "Relative humidity   " + Fixed(weather.humidity_pct, 0) + " %\n" + "Station pressure    " +
         Fixed(weather.pressure_hpa, 1) + " hPa\n" + "Sea-level pressure  " +
         Fixed(weather.pressure_msl_hpa, 1) + " hPa\n" + "Time of the figures " + weather.time +
         " UTC\n" + std::string(kWeatherSource) + "\n";
}

}  // namespace quillmere
