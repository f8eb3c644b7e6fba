// quillmere-report --spectrum and --slant: their arguments.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "spectrum.h"

namespace quillmere {
namespace {

std::optional<ExactPathRequest> Parse(std::vector<std::string_view> args, std::string& error) {
  return ParseExactPathCommand(args, error);
}

TEST(ExactPathArguments, GoodCommandsAreRead) {
  std::string error;
  const auto spectrum = Parse({"--spectrum", "--station", "dx", "--from-ghz", "1", "--to-ghz=350",
                               "--step-ghz", "0.1", "--weather", "1013.25,288.15,7.5", "--json"},
                              error);
  ASSERT_TRUE(spectrum) << error;
  EXPECT_EQ(spectrum->kind, ExactPathRequest::Kind::kSpectrum);
  EXPECT_TRUE(spectrum->dx);
  EXPECT_TRUE(spectrum->json);
  ASSERT_TRUE(spectrum->weather);
  EXPECT_EQ(spectrum->weather->T, 288.15);
  // 1 to 350 GHz in 0.1 GHz steps: 3 491 frequencies, the last one 350 GHz.
  const auto f = SpectrumFrequencies(*spectrum);
  ASSERT_EQ(f.size(), 3491u);
  EXPECT_NEAR(f.back(), 350, 1e-9);
  EXPECT_NEAR(f[1234], 124.4, 1e-9);

  const auto slant = Parse({"--slant", "--station=home", "--ghz", "24.048", "--elevations",
                            "0,0.5,5,30,90", "--profile", "global", "--data", "x.dat"},
                           error);
  ASSERT_TRUE(slant) << error;
  EXPECT_EQ(slant->kind, ExactPathRequest::Kind::kSlant);
  EXPECT_TRUE(slant->global_profile);
  EXPECT_EQ(slant->elevations, (std::vector<double>{0, 0.5, 5, 30, 90}));
  EXPECT_EQ(slant->data->string(), "x.dat");
  const std::vector<std::string_view> report_only = {"--data", "x.dat", "--json"};
  EXPECT_FALSE(IsExactPathCommand(report_only));
}

TEST(ExactPathArguments, BadCommandsAreRefusedWithAReason) {
  struct Case {
    const char* what;
    std::vector<std::string_view> args;
    const char* says;
  } cases[] = {
      {"neither command", {"--station", "home"}, "one of --spectrum and --slant"},
      {"both commands", {"--spectrum", "--slant", "--station", "home"}, "one of"},
      {"no station", {"--slant", "--ghz", "24", "--elevations", "5"}, "--station"},
      {"unknown station", {"--slant", "--station", "moon"}, "home or dx"},
      {"frequency out of range",
       {"--slant", "--station", "home", "--ghz", "1001", "--elevations", "5"},
       "1 to 1000"},
      {"not a number", {"--slant", "--station", "home", "--ghz", "24GHz"}, "not \"24GHz\""},
      {"not finite", {"--slant", "--station", "home", "--ghz", "nan"}, "--ghz"},
      {"elevation under the nadir",
       {"--slant", "--station", "home", "--ghz", "24", "--elevations", "5,-91"},
       "-90 to 90"},
      {"empty elevation",
       {"--slant", "--station", "home", "--ghz", "24", "--elevations", "5,,6"},
       "--elevations"},
      {"downward sweep",
       {"--spectrum", "--station", "home", "--from-ghz", "50", "--to-ghz", "10", "--step-ghz", "1"},
       "below"},
      {"one row over the limit (100 001 rows, every figure exact in binary)",
       {"--spectrum", "--station", "home", "--from-ghz", "1", "--to-ghz", "782.25", "--step-ghz",
        "0.0078125"},
       "too fine"},
      {"too many rows",
       {"--spectrum", "--station", "home", "--from-ghz", "1", "--to-ghz", "1000", "--step-ghz",
        "0.000001"},
       "too fine"},
      {"weather of two values",
       {"--spectrum", "--station", "home", "--from-ghz", "1", "--to-ghz", "2", "--step-ghz", "1",
        "--weather", "1013,288"},
       "P,T,RHO"},
      {"weather with slant",
       {"--slant", "--station", "home", "--ghz", "24", "--elevations", "5", "--weather",
        "1013,288,7.5"},
       "belong to --spectrum"},
      {"missing value", {"--slant", "--station"}, "needs a value"},
      {"unknown option", {"--slant", "--colour"}, "unknown option"},
  };
  for (const auto& c : cases) {
    std::string error;
    EXPECT_FALSE(Parse(c.args, error)) << c.what;
    EXPECT_NE(error.find(c.says), std::string::npos) << c.what << ": " << error;
  }
}

// The weather's three figures are taken up to their limits and no further.
TEST(ExactPathArguments, WeatherUpToItsLimits) {
  const struct {
    const char* weather;
    bool taken;
  } cases[] = {
      // The window's 1 hPa floor: no air, no finite line shape.
      {"1,100,0", true},        {"1100,400,100", true},    {"0.5,288,7", false},
      {"1100.5,288,7", false},  {"1013,99.5,7", false},    {"1013,400.5,7", false},
      {"1013,288,-0.5", false}, {"1013,288,100.5", false},
  };
  for (const auto& c : cases) {
    std::string error;
    const bool taken = Parse({"--spectrum", "--station", "home", "--from-ghz", "1", "--to-ghz", "2",
                              "--step-ghz", "1", "--weather", c.weather},
                             error)
                           .has_value();
    EXPECT_EQ(taken, c.taken) << c.weather << ": " << error;
  }
}

// --weather-total takes the barometer's pressure and gives the dry-air
// pressure the line shapes need: 1013.25 hPa at 288.15 K and 7.5 g/m3 holds
// e = 7.5 x 288.15 / 216.7 = 9.97289 hPa of vapour, 1003.27711 hPa of dry
// air. Each form alone; air whose vapour would be all of it is refused.
TEST(ExactPathArguments, TotalPressureWeatherBesideTheDryOne) {
  const struct {
    const char* what;
    std::vector<std::string_view> weather;
    double dry;        // hPa, or 0 when refused
    const char* says;  // when refused
  } cases[] = {
      {"dry as given", {"--weather", "1013.25,288.15,7.5"}, 1013.25, ""},
      {"total less the vapour", {"--weather-total", "1013.25,288.15,7.5"}, 1003.27711, ""},
      {"both", {"--weather", "1013,288,7", "--weather-total", "1013,288,7"}, 0, "not both"},
      {"vapour over the whole pressure (100 degC, saturated)",
       {"--weather-total", "1013,373.15,588"},
       0,
       "P,T,RHO"},
      {"vapour leaving no dry air", {"--weather-total", "50,373.15,30"}, 0, "cannot be"},
  };
  for (const auto& c : cases) {
    std::vector<std::string_view> args = {
        "--spectrum", "--station", "home", "--from-ghz", "1", "--to-ghz", "2", "--step-ghz", "1"};
    args.insert(args.end(), c.weather.begin(), c.weather.end());
    std::string error;
    const auto r = Parse(args, error);
    if (c.dry == 0) {
      EXPECT_FALSE(r) << c.what;
      EXPECT_NE(error.find(c.says), std::string::npos) << c.what << ": " << error;
    } else {
      ASSERT_TRUE(r && r->weather) << c.what << ": " << error;
      EXPECT_NEAR(r->weather->p, c.dry, 5e-6) << c.what;
    }
  }
}

}  // namespace
}  // namespace quillmere
