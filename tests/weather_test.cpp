// The weather request's address and the figures as the window's steppers
// take them. The replies themselves are judged against a real server in
// current_weather_test.py.
#include <gtest/gtest.h>

#include <clocale>
#include <nlohmann/json.hpp>

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
