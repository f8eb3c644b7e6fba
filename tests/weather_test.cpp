// The weather request's address and the figures as the window's steppers
// take them. The replies themselves are judged against a real server in
// current_weather_test.py.
#include <gtest/gtest.h>

#include <clocale>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "open_meteo.h"

namespace quillmere {
namespace {

TEST(WeatherRequest, AsksForTheFourFiguresAtTheStationsPlaceAndHeight) {
  EXPECT_EQ(ForecastUrl("http://127.0.0.1:8080/", {52.125, -0.25, 75.4}),
            "http://127.0.0.1:8080/v1/forecast?latitude=52.1250&longitude=-0.2500&elevation=75"
            "&current=temperature_2m,relative_humidity_2m,surface_pressure,pressure_msl"
            "&timezone=GMT");
}

TEST(WeatherRequest, WritesPointsWhateverTheLocale) {
  // A comma locale must not turn 46.55 into "46,55"; where it is not
  // installed the C locale stays and the test still holds.
  std::setlocale(LC_ALL, "de_DE.UTF-8");
  const std::string url = ForecastUrl("https://example.org", {46.55, 7.98, 3571});
  std::setlocale(LC_ALL, "C");
  EXPECT_NE(url.find("latitude=46.5500&longitude=7.9800&elevation=3571&"), std::string::npos)
      << url;
}

TEST(WeatherService, TakesAnHttpServerFromTheSettingAndNamesWhatIsWrongWithAnyOther) {
  struct Case {
    const char* name;
    std::optional<std::string_view> setting;
    std::string_view url;
    std::optional<std::string> fault;
  };
  const std::string hostile = "http://a b\x1b[2J" + std::string(200, 'x');
  const Case cases[] = {
      {"unset", std::nullopt, "https://api.open-meteo.com", std::nullopt},
      {"empty", "", "https://api.open-meteo.com", std::nullopt},
      {"loopback", "http://127.0.0.1:8080/ok/", "http://127.0.0.1:8080/ok/", std::nullopt},
      {"scheme in capitals", "HTTPS://user@example.org", "HTTPS://user@example.org", std::nullopt},
      {"another scheme", "ftp://example.org", "ftp://example.org",
       "The weather service's address in QUILLMERE_WEATHER_URL, \"ftp://example.org\", cannot "
       "be used: it does not start with http:// or https://."},
      {"no scheme", "example.org", "example.org", "it does not start with http:// or https://"},
      {"no host", "http://", "http://", "it names no host"},
      {"a port without a host", "http://:8080/", "http://:8080/", "it names no host"},
      {"a space", "http://example.org/ x", "http://example.org/ x",
       "it holds a space or a control character"},
      // A hostile value is cut and its control characters shown as '?'.
      {"hostile", hostile, hostile,
       "\"http://a b?[2J" + std::string(66, 'x') + "...\", cannot be used: it holds a space"},
  };
  for (const Case& c : cases) {
    const WeatherService service = WeatherServiceOf(c.setting);
    EXPECT_EQ(service.url, c.url) << c.name;
    if (!c.fault) {
      EXPECT_EQ(service.fault, std::nullopt) << c.name;
      continue;
    }
    ASSERT_TRUE(service.fault) << c.name;
    EXPECT_NE(service.fault->find(*c.fault), std::string::npos) << c.name << ": " << *service.fault;
  }
}

TEST(SteppedWeather, RoundsEachFigureToItsSteppersWholeUnitAndClampsToItsLimits) {
  struct Case {
    CurrentWeather given;
    Real temperature, humidity, pressure;
  };
  const Case cases[] = {
      {{6.6, 87, 1004.4, 1013.5, ""}, 7, 87, 1004},
      {{-12.5, 99.6, 652.5, 1021.2, ""}, -13, 100, 653},  // halves away from zero
      {{-0.4, 0.4, 1100.4, 1013, ""}, 0, 0, 1100},        // the upper pressure limit
      {{-100.6, 100.4, 0.2, 1013, ""}, -100, 100, 1},     // the other limits
  };
  for (const Case& c : cases) {
    const SteppedWeather s = SteppedWeatherOf(c.given);
    EXPECT_EQ(s.temperature_c, c.temperature) << c.given.temperature_c;
    EXPECT_EQ(s.humidity_pct, c.humidity) << c.given.humidity_pct;
    EXPECT_EQ(s.pressure_hpa, c.pressure) << c.given.pressure_hpa;
  }
}

TEST(CurrentWeatherJson, NamesEveryFigureTheTimeInUtcAndTheSource) {
  const auto doc =
      nlohmann::json::parse(CurrentWeatherJson({6.6, 87, 1004.4, 1013.5, "2026-12-07T21:45"}));
  EXPECT_EQ(doc, nlohmann::json::parse(R"({"temperature_c": 6.6, "humidity_pct": 87,
      "pressure_hpa": 1004.4, "pressure_msl_hpa": 1013.5, "time": "2026-12-07T21:45Z",
      "source": "Weather data by Open-Meteo.com, CC BY 4.0"})"));
}

}  // namespace
}  // namespace quillmere
