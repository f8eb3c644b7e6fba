// The exact-method commands: their rows, for requests read as the command
// line reads them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "itu676_13.h"
#include "spectrum.h"
#include "spectrum_charts.h"
#include "spectrum_command.h"

namespace quillmere {
namespace {

QuillmereState Stations() {
  QuillmereState state;
  for (StationParams* s : {&state.Home, &state.DX}) {
    s->Temperature = 15;
    s->Humidity = 50;
    s->Pressure = 1013;
    s->HeightAsl = 120;
    s->LatitudeZone = 1;
    s->Season = 0;
    s->VapourOverWater = 1;
  }
  state.DX.Temperature = 30;
  state.DX.Humidity = 80;
  return state;
}

nlohmann::json RunCommand(std::vector<std::string_view> args, const QuillmereState& state) {
  std::string error;
  const auto r = ParseExactPathCommand(args, error);
  EXPECT_TRUE(r) << error;
  return nlohmann::json::parse(RunExactPathCommand(*r, state));
}

// No figure is NaN or infinite: the cosecant has none below the window's
// own 0.1 degrees, and a station without its weather (the start state's
// 0 hPa, no data file loaded) gives no figures but a reason.
TEST(ExactPathRows, NoFigureIsNaNOrInfinite) {
  const auto rows = RunCommand({"--slant", "--station", "home", "--ghz", "24", "--elevations",
                                "4.9e-324,1e-300,0.09,0.1", "--json"},
                               Stations())["rows"];
  ASSERT_EQ(rows.size(), 4u);
  for (int k : {0, 1, 2}) EXPECT_TRUE(rows[k]["cosecant_db"].is_null()) << k;
  EXPECT_TRUE(std::isfinite(rows[3]["cosecant_db"].get<double>()));
  QuillmereState unloaded = Stations();
  unloaded.Home.Pressure = 0;
  std::string error;
  for (const bool own_weather : {true, false}) {
    std::vector<std::string_view> args = {
        "--spectrum", "--station", "home", "--from-ghz", "1", "--to-ghz", "2", "--step-ghz", "1"};
    if (!own_weather) args.insert(args.end(), {"--weather", "1013,288,7.5"});
    const auto request = ParseExactPathCommand(args, error);
    ASSERT_TRUE(request) << error;
    EXPECT_EQ(ExactPathWeatherFault(*request, unloaded).has_value(), own_weather);
    EXPECT_FALSE(ExactPathWeatherFault(*request, Stations()).has_value());
  }
}

TEST(ExactPathRows, SpectrumAtAGivenWeatherIsExactlyThatWeather) {
  const auto out =
      RunCommand({"--spectrum", "--station", "home", "--from-ghz", "20", "--to-ghz", "25",
                  "--step-ghz", "2.5", "--weather", "1003.28,288.15,7.5", "--json"},
                 Stations());
  ASSERT_EQ(out["rows"].size(), 3u);
  const double e = 7.5 * 288.15 / 216.7;
  for (const auto& row : out["rows"]) {
    const double f = row["ghz"];
    EXPECT_DOUBLE_EQ(row["gamma_o_db_km"].get<double>(),
                     p676_13::OxygenSpecificAttenuation(f, 1003.28, e, 288.15));
    EXPECT_DOUBLE_EQ(row["gamma_w_db_km"].get<double>(),
                     p676_13::WaterVapourSpecificAttenuation(f, 1003.28, e, 288.15));
    EXPECT_GT(row["zenith_db"].get<double>(), 0);
  }
}

// The weather a spectrum reports, given back with --weather, is the same
// air: the same zenith figures, the layers blended into the same surface.
TEST(ExactPathRows, TheReportedWeatherGivenBackIsTheSameAir) {
  const QuillmereState state = Stations();
  const std::vector<std::string_view> args = {"--spectrum", "--station", "dx", "--from-ghz",
                                              "22",         "--to-ghz",  "60", "--step-ghz",
                                              "19",         "--json"};
  const auto own = RunCommand(args, state);
  const auto& w = own["weather"];
  char weather[128];
  std::snprintf(weather, sizeof weather, "%.17g,%.17g,%.17g", w["dry_pressure_hpa"].get<double>(),
                w["temperature_k"].get<double>(), w["vapour_density_g_m3"].get<double>());
  std::vector<std::string_view> given = args;
  given.push_back("--weather");
  given.push_back(weather);
  const auto again = RunCommand(given, state);
  ASSERT_EQ(again["rows"].size(), 3u);
  for (std::size_t k = 0; k < 3; ++k) {
    const double zenith = own["rows"][k]["zenith_db"];
    EXPECT_NEAR(again["rows"][k]["zenith_db"].get<double>(), zenith, 1e-9 * zenith) << k;
  }
}

TEST(ExactPathRows, SlantMeetsTheSpectrumAtTheZenithAndTheCosecantHigh) {
  const QuillmereState state = Stations();
  const auto slant = RunCommand(
      {"--slant", "--station", "dx", "--ghz", "24.048", "--elevations", "0,30,90", "--json"},
      state);
  const auto spectrum = RunCommand({"--spectrum", "--station", "dx", "--from-ghz", "24.048",
                                    "--to-ghz", "24.048", "--step-ghz", "1", "--json"},
                                   state);
  const auto& rows = slant["rows"];
  ASSERT_EQ(rows.size(), 3u);
  const double zenith = spectrum["rows"][0]["zenith_db"];
  EXPECT_NEAR(rows[2]["ray_db"].get<double>(), zenith, 1e-12 * zenith);
  EXPECT_TRUE(rows[0]["cosecant_db"].is_null()) << "no cosecant at 0 degrees";
  EXPECT_GT(rows[0]["apparent_elevation"].get<double>(), 0.3);
  // The window's figure at 30 degrees is twice its zenith figure.
  EXPECT_NEAR(rows[1]["cosecant_db"].get<double>(), 2 * rows[2]["cosecant_db"].get<double>(),
              1e-12);
  for (const auto& row : rows) EXPECT_GT(row["sky_k"].get<double>(), 2.7);
}

TEST(ExactPathRows, GlobalProfileIgnoresTheStationsWeather) {
  QuillmereState a = Stations(), b = Stations();
  b.Home.Temperature = -20;
  b.Home.Pressure = 950;
  const std::vector<std::string_view> args = {"--slant", "--station",    "home",     "--ghz",
                                              "24.048",  "--elevations", "0.5,5,30", "--profile",
                                              "global",  "--json"};
  EXPECT_EQ(RunCommand(args, a)["rows"], RunCommand(args, b)["rows"]);
  // ...but the station profile follows it.
  std::vector<std::string_view> station = args;
  station[8] = "station";
  EXPECT_NE(RunCommand(station, a)["rows"], RunCommand(station, b)["rows"]);
}

// From a mountain the Moon below the local horizontal is reached by a ray
// that dips and rises again; under the refracted horizon it is not visible.
TEST(ExactPathRows, BelowTheHorizontalFromAMountain) {
  QuillmereState state = Stations();
  state.Home.HeightAsl = 3000;
  state.Home.Pressure = 701;
  const auto rows = RunCommand({"--slant", "--station", "home", "--ghz", "24.048", "--elevations",
                                "-1.08,-1.78,-3", "--profile", "global", "--json"},
                               state)["rows"];
  ASSERT_EQ(rows.size(), 3u);
  struct Case {
    const char* what;
    double geometric_deg, db;
  } cases[] = {{"a degree below", -1.08, 12.10}, {"near the horizon", -1.78, 22.08}};
  for (std::size_t k = 0; k < 2; ++k) {
    SCOPED_TRACE(cases[k].what);
    EXPECT_EQ(rows[k]["geometric_elevation"], cases[k].geometric_deg);
    EXPECT_NEAR(rows[k]["ray_db"].get<double>(), cases[k].db, 0.03);
    EXPECT_LT(rows[k]["apparent_elevation"].get<double>(), 0);
  }
  EXPECT_EQ(rows[2]["ray_db"], "not visible: below the refracted horizon");
  EXPECT_TRUE(rows[2]["sky_k"].is_null());
}

// --- What the "Spectrum and elevation" view draws ---------------------------

const ChartSeries& Series(const ChartData& chart, const std::string& name) {
  for (const ChartSeries& s : chart.series)
    if (s.name == name) return s;
  ADD_FAILURE() << "no series " << name;
  static const ChartSeries none;
  return none;
}

double At(const ChartData& chart, const std::string& name, double x) {
  const auto k = std::find(chart.x.begin(), chart.x.end(), x) - chart.x.begin();
  EXPECT_LT(static_cast<std::size_t>(k), chart.x.size()) << x;
  return Series(chart, name).y.at(static_cast<std::size_t>(k));
}

// The elevation charts are --slant's rows for each station: the same ray
// trace, the window's cosecant figure beside it (none at 0 degrees) and the
// window's sky noise 280 (1 - 10^(-A/10)) of that figure.
TEST(StationAirNotes, ImpossibleWeatherIsNamedAndTheRestTakenAsGiven) {
  struct Case {
    const char* what;
    double temperature_c, humidity, pressure, height_m;
    const char* note;  // the start of the note, or "" for none
  } cases[] = {
      {"an ordinary day", 15, 50, 1013, 120, ""},
      // 100 degrees C at 100 %: the vapour alone holds the whole pressure.
      {"boiling saturated air", 100, 100, 1013, 120, "the vapour pressure ("},
      // The mid-latitude summer profile has 712.9 hPa at 3 km.
      {"a sea-level pressure at 3 000 m", 15, 50, 1013, 3000,
       "looks like a sea-level pressure: the station pressure at 3 000 m would be about 710 hPa"},
      {"the station pressure at 3 000 m", 15, 50, 701, 3000, ""},
      {"a pressure far too low at sea level", 15, 50, 800, 0,
       "the pressure is far from the reference's: the station pressure at 0 m would be about "
       "1010 hPa"},
  };
  for (const auto& c : cases) {
    StationParams s = Stations().Home;
    s.Temperature = c.temperature_c;
    s.Humidity = c.humidity;
    s.Pressure = c.pressure;
    s.HeightAsl = c.height_m;
    const std::vector<std::string> notes = StationAirNotes(s);
    if (*c.note == 0) {
      EXPECT_TRUE(notes.empty()) << c.what << ": " << (notes.empty() ? "" : notes[0]);
      continue;
    }
    ASSERT_EQ(notes.size(), 1u) << c.what;
    EXPECT_EQ(notes[0].rfind(c.note, 0), 0u) << c.what << ": " << notes[0];
  }
}

TEST(StationAirNotes, ImpossibleWeatherGivesNoFigureAndAReason) {
  struct Case {
    const char* what;
    atmosphere::AtmosphereState surface;
    bool impossible;
  } cases[] = {
      {"ordinary air", {1013, 288, 7.5}, false},
      {"no pressure", {0, 288, 0}, true},
      {"no temperature", {1013, 0, 0}, true},
      {"negative vapour", {1013, 288, -1}, true},
      {"vapour at the total pressure", {1013, 373.15, 588.3}, true},
      {"not a number", {std::nan(""), 288, 7.5}, true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ImpossibleWeather(c.surface).has_value(), c.impossible) << c.what;
  // The views: no curve for such a station, finite ones for the other.
  QuillmereState state = Stations();
  state.Frequency = 24.048L;
  state.Home.Temperature = 100;
  state.Home.Humidity = 100;
  const ElevationCharts charts = ComputeElevationCharts(state);
  for (const ChartSeries& s : charts.attenuation.series) {
    if (s.station != "Home") continue;
    for (double y : s.y) EXPECT_TRUE(std::isnan(y)) << s.name;
  }
  EXPECT_TRUE(std::isfinite(charts.attenuation.series.back().y.back()));
  // The command refuses it, naming the station.
  std::string error;
  const auto r =
      ParseExactPathCommand(std::vector<std::string_view>{"--slant", "--station", "home", "--ghz",
                                                          "24", "--elevations", "5"},
                            error);
  ASSERT_TRUE(r) << error;
  const auto fault = ExactPathImpossibleWeather(*r, state);
  ASSERT_TRUE(fault);
  EXPECT_NE(fault->find("Home weather"), std::string::npos) << *fault;
}

TEST(ExactPathRows, NotesStandBesideTheFigures) {
  QuillmereState state = Stations();
  state.Home.HeightAsl = 3000;
  const auto out = RunCommand(
      {"--slant", "--station", "home", "--ghz", "24", "--elevations", "5", "--json"}, state);
  ASSERT_EQ(out["notes"].size(), 1u);
  EXPECT_EQ(out["notes"][0].get<std::string>(),
            "looks like a sea-level pressure: the station pressure at 3 000 m would be about 710 "
            "hPa");
  std::string error;
  const auto r =
      ParseExactPathCommand(std::vector<std::string_view>{"--slant", "--station", "home", "--ghz",
                                                          "24", "--elevations", "5"},
                            error);
  ASSERT_TRUE(r) << error;
  EXPECT_EQ(RunExactPathCommand(*r, state).rfind("# looks like a sea-level pressure", 0), 0u);
}

TEST(ExactPathRows, WaterVapourColumnStandsBesideTheFigures) {
  // The global reference from sea level holds 7.5 g/m3 x 2 km = 15.0 kg/m2,
  // whichever command asks; the text says it on a line of its own.
  QuillmereState state = Stations();
  state.Home.HeightAsl = 0;
  const std::vector<std::vector<std::string_view>> commands = {
      {"--slant", "--station", "home", "--profile", "global", "--ghz", "24", "--elevations", "5"},
      {"--spectrum", "--station", "home", "--profile", "global", "--from-ghz", "22", "--to-ghz",
       "23", "--step-ghz", "1"},
  };
  for (std::vector<std::string_view> args : commands) {
    std::string error;
    const auto text = ParseExactPathCommand(args, error);
    ASSERT_TRUE(text) << error;
    EXPECT_NE(RunExactPathCommand(*text, state)
                  .find("# integrated water vapour above the station: 15.0 kg/m2\n"),
              std::string::npos)
        << args[0];
    args.push_back("--json");
    EXPECT_NEAR(RunCommand(args, state)["integrated_water_vapour_kg_m2"].get<double>(), 15.0, 0.01)
        << args[0];
  }
}

// The data file keeps no DX height: the planner's is taken when given,
// else the output says which height was used.
TEST(ExactPathRows, DxHeightIsThePlannersOrSaid) {
  QuillmereState state = Stations();
  state.DX.HeightAsl = 0;
  std::string error;
  auto r =
      ParseExactPathCommand(std::vector<std::string_view>{"--slant", "--station", "dx", "--ghz",
                                                          "24", "--elevations", "5", "--json"},
                            error);
  ASSERT_TRUE(r) << error;
  auto out = nlohmann::json::parse(RunExactPathCommand(*r, state));
  EXPECT_EQ(out["station_height_km"].get<double>(), 0);
  ASSERT_EQ(out["notes"].size(), 1u);
  EXPECT_EQ(out["notes"][0].get<std::string>(),
            "the DX height is taken as 0 m: the data file keeps none; --stations FILE gives the "
            "planner's");
  r->dx_height_m = 1500;
  out = nlohmann::json::parse(RunExactPathCommand(*r, state));
  EXPECT_EQ(out["station_height_km"].get<double>(), 1.5);
  for (const auto& note : out["notes"])
    EXPECT_EQ(note.get<std::string>().find("DX height"), std::string::npos) << note;
}

TEST(SpectrumCharts, ElevationChartsAreEachStationsSlantRows) {
  QuillmereState state = Stations();
  state.Frequency = 24.048L;
  const ElevationCharts charts = ComputeElevationCharts(state);
  const std::vector<double>& x = charts.attenuation.x;
  ASSERT_EQ(x.size(), 71u);  // 0-5 by quarters, 6-20 by ones, 22-90 by twos
  EXPECT_EQ(x.front(), 0);
  EXPECT_EQ(x[20], 5);
  EXPECT_EQ(x.back(), 90);
  EXPECT_TRUE(std::is_sorted(x.begin(), x.end()));
  EXPECT_EQ(charts.sky.x, x);
  for (const char* who : {"home", "dx"}) {
    const std::string name = std::string_view(who) == "home" ? "Home" : "DX";
    const auto slant = RunCommand({"--slant", "--station", who, "--ghz", "24.048", "--elevations",
                                   "0,0.25,7,30,90", "--json"},
                                  state);
    for (const auto& row : slant["rows"]) {
      const double e = row["geometric_elevation"];
      SCOPED_TRACE(name + " at " + std::to_string(e));
      EXPECT_DOUBLE_EQ(At(charts.attenuation, name + " ray trace dB", e), row["ray_db"]);
      EXPECT_DOUBLE_EQ(At(charts.sky, name + " ray trace K", e), row["sky_k"]);
      const double cosecant = At(charts.attenuation, name + " cosecant dB", e);
      if (row["cosecant_db"].is_null()) {
        EXPECT_TRUE(std::isnan(cosecant));
        EXPECT_TRUE(std::isnan(At(charts.sky, name + " cosecant K", e)));
      } else {
        EXPECT_DOUBLE_EQ(cosecant, row["cosecant_db"]);
        // Both sky curves hold the 2.7 K background.
        EXPECT_NEAR(At(charts.sky, name + " cosecant K", e),
                    280 * (1 - std::pow(10, -cosecant / 10)) + 2.7 * std::pow(10, -cosecant / 10),
                    1e-9);
      }
    }
  }
}

// The frequency chart is --spectrum's rows at each station's weather.
// The view takes any geometric elevation --slant takes: below the
// horizontal from a mountain the dipping ray's figures, under the refracted
// horizon "not visible", as --slant says.
TEST(SpectrumCharts, SlantReadOutIsTheSlantRowBelowTheHorizontalToo) {
  QuillmereState state = Stations();
  state.Frequency = 24.048L;
  state.Home.HeightAsl = 3000;
  state.Home.Pressure = 701;
  state.Home.Temperature = -4.5L;
  const struct {
    double geometric;
    const char* home;  // the line's start, after "Home: "
  } cases[] = {
      {5, nullptr},
      {-1.08, nullptr},
      {-3, "not visible: below the refracted horizon ("},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.geometric);
    const std::vector<std::string> lines = SlantReadOut(state, c.geometric);
    ASSERT_EQ(lines.size(), 2u);
    const auto slant = RunCommand({"--slant", "--station", "home", "--ghz", "24.048",
                                   "--elevations", std::to_string(c.geometric), "--json"},
                                  state);
    const auto& row = slant["rows"][0];
    if (c.home) {
      EXPECT_EQ(lines[0].rfind(std::string("Home: ") + c.home, 0), 0u) << lines[0];
      EXPECT_TRUE(row["ray_db"].is_string());
    } else {
      char expected[160];
      std::snprintf(expected, sizeof expected, "Home: %.2f dB, sky %.1f K, antenna at %.2f\u00b0",
                    row["ray_db"].get<double>(), row["sky_k"].get<double>(),
                    row["apparent_elevation"].get<double>());
      EXPECT_EQ(lines[0], expected);
    }
    // DX, at 120 m, has its own line and its own horizon.
    EXPECT_EQ(lines[1].rfind("DX: ", 0), 0u);
  }
}

TEST(SpectrumCharts, FrequencyChartIsEachStationsSpectrum) {
  const QuillmereState state = Stations();
  const ChartData chart = ComputeFrequencyChart(state);
  ASSERT_EQ(chart.x.size(), 350u);
  EXPECT_EQ(chart.x.front(), 1);
  EXPECT_EQ(chart.x.back(), 350);
  EXPECT_EQ(ComputeFrequencyChart(state, 5).x.size(), 70u);
  for (const char* who : {"home", "dx"}) {
    const std::string name = std::string_view(who) == "home" ? "Home" : "DX";
    const auto spectrum = RunCommand({"--spectrum", "--station", who, "--from-ghz", "22",
                                      "--to-ghz", "60", "--step-ghz", "38", "--json"},
                                     state);
    for (const auto& row : spectrum["rows"]) {
      const double f = row["ghz"];
      SCOPED_TRACE(name + " at " + std::to_string(f));
      EXPECT_DOUBLE_EQ(At(chart, name + " zenith dB", f), row["zenith_db"]);
      EXPECT_DOUBLE_EQ(At(chart, name + " gamma_o dB/km", f), row["gamma_o_db_km"]);
      EXPECT_DOUBLE_EQ(At(chart, name + " gamma_w dB/km", f), row["gamma_w_db_km"]);
    }
  }
}

// The charts are drawn afresh when their key changes: the frequency chart
// follows the weather, not the band; the elevation charts both.
TEST(SpectrumCharts, KeysFollowWhatTheChartsRead) {
  const QuillmereState base = Stations();
  QuillmereState other_band = base, wetter = base;
  other_band.Frequency = 47.088L;
  wetter.DX.Humidity += 1;
  EXPECT_EQ(StationAirKey(other_band), StationAirKey(base));
  EXPECT_NE(ElevationKey(other_band), ElevationKey(base));
  EXPECT_NE(StationAirKey(wetter), StationAirKey(base));
  EXPECT_NE(ElevationKey(wetter), ElevationKey(base));
}

// A chart of named curves over no x.
ChartData Curves(std::vector<std::pair<std::string, std::vector<double>>> curves) {
  ChartData chart;
  chart.x_name = "elevation_deg";
  for (auto& [name, y] : curves) {
    chart.series.emplace_back();
    chart.series.back().name = std::move(name);
    chart.series.back().y = std::move(y);
  }
  return chart;
}

// The attenuation axis ranges itself to whole decades around the curves'
// figures; a zero, a gap or an endless figure has no say, as a logarithmic
// axis cannot show it.
TEST(SpectrumCharts, DecadeRangeHoldsEveryPositiveFigure) {
  const double inf = std::numeric_limits<double>::infinity();
  const struct {
    const char* what;
    std::vector<double> a, b;
    double low, high;
  } rows[] = {
      {"two curves, each holding one end", {0.013, 2}, {5, 45}, 0.01, 100},
      {"figures on whole decades", {0.1, 1}, {10}, 0.1, 10},
      {"one figure: one decade", {3}, {}, 1, 10},
      {"zero, gaps and infinity left out", {0, std::nan(""), 0.5}, {inf, 20, -4}, 0.1, 100},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    const auto range = DecadeRange(Curves({{"A", row.a}, {"B", row.b}}));
    ASSERT_TRUE(range.has_value());
    EXPECT_NEAR(range->first, row.low, row.low * 1e-12);
    EXPECT_NEAR(range->second, row.high, row.high * 1e-12);
  }
  EXPECT_FALSE(DecadeRange(Curves({{"A", {0, std::nan("")}}})).has_value());
}

// CSV: full precision with '.', a missing figure left empty.
TEST(SpectrumCharts, CsvKeepsEveryDigitAndLeavesNoFigureEmpty) {
  ChartData chart = Curves({{"A dB", {std::nan(""), 1.0 / 3}}, {"B K", {2.7, 300}}});
  chart.x = {0, 0.1};
  EXPECT_EQ(ChartCsv(chart), "elevation_deg,A dB,B K\n0,,2.7\n0.1,0.3333333333333333,300\n");
}

}  // namespace
}  // namespace quillmere
