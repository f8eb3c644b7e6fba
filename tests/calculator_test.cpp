// The recalculation driver and the input handlers, driven through a
// recording display exactly as the window drives them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "calculator.h"
#include "form_view.h"
#include "itu838.h"
#include "itu840.h"
#include "station_steps.h"
#include "station_totals.h"
#include "support/recording_display.h"

namespace quillmere {
namespace {

using testing::FakeSunMoon;
using testing::RecordingDisplay;

// A parsed figure of a display text ("0.103 dB" -> 0.103).
Real Figure(const std::string& text) {
  return std::strtold(text.c_str(), nullptr);
}

class CalculatorTest : public ::testing::Test {
 protected:
  CalculatorTest() : calc(state, display, moon, FixedUtcClock({2026, 12, 7, 8, 30, 59, 900})) {
    calc.Inputs().OnChange("ScrollBar1", [this](int) { ++slider_changes; });
  }

  // The inputs of an ordinary data file, set as loading it would: EME mode,
  // 10 GHz band, Home mid-latitude summer, DX high-latitude winter.
  void LoadTypical() {
    StationParams& A = state.Home;
    StationParams& B = state.DX;
    A.Temperature = 15, A.Pressure = 1013, A.Humidity = 50, A.HeightAsl = 120;
    A.EmeElevation = A.Elevation = 30;
    A.LatitudeZone = 1, A.Season = 0, A.RainRateIndex = 0, A.Polarisation = 2;
    B.Temperature = 20, B.Pressure = 1005, B.Humidity = 60;
    B.EmeElevation = B.Elevation = 25;
    B.LatitudeZone = 2, B.Season = 1, B.RainRateIndex = 3, B.Polarisation = 1;
    A.VapourOverWater = B.VapourOverWater = 1;
    SelectFog(A, 0);
    SelectFog(B, 2);
    A.CloudPosition = 2, A.CloudContent = 0.2L;
    B.CloudPosition = 10, B.CloudContent = 1.0L;
    calc.Inputs().Preset("CloudSelectA", 2);
    calc.Inputs().Preset("CloudSelectB", 10);
    state.FrequencyIndex = 0;
    SelectBand(0, state.Frequency, state.Band);
    state.DisplayDecimals = 3;
    state.EmePathMode = 1;
    state.TerrestrialPathLength = state.PathLength = 10;
    state.MoonSliderPosition = 56;
    calc.Inputs().Preset("ScrollBar1", 56);
    calc.Inputs().Preset("LatitudeSelectA", 1);
    calc.Inputs().Preset("LatitudeSelectB", 2);
  }

  std::vector<std::string> WrittenNames() const {
    std::vector<std::string> names;
    for (const auto& w : display.writes) names.push_back(w.first);
    return names;
  }

  QuillmereState state;
  RecordingDisplay display;
  FakeSunMoon moon;
  Calculator calc;
  int slider_changes = 0;
};

TEST_F(CalculatorTest, WritesEveryFieldInTheFixedOrder) {
  LoadTypical();
  calc.Recalculate();
  const std::vector<std::string> expected = {
      // path mode (with the moon data line), the Moon slider, the models'
      // own fields: vapour density, reference atmospheres, cloud and fog
      "Panel114", "Panel16", "Label96", "Panel12", "Panel79", "Panel38", "Label113", "Panel39",
      "Panel37", "Panel70", "Label114", "Panel76", "Panel77", "Panel43", "Panel33", "Panel61",
      "Panel133", "Panel86", "Panel84", "Panel85",
      // the result rows
      "Panel3", "Label21", "Panel5", "Panel8", "Panel6", "Panel9", "Panel10", "Panel12", "Panel14",
      "Panel16", "Panel18", "Panel19", "Panel27", "Panel22", "Panel20", "Panel26", "Panel24",
      "Panel28", "Panel21", "Panel25", "Panel110", "Panel32", "Panel35", "Panel55", "Panel56",
      "Panel11", "Panel131", "Panel36", "Panel34", "Panel44", "Panel40", "Panel57", "Panel59",
      "Panel58", "Panel30", "Label55", "Panel7", "Panel48", "Label58", "Panel64", "Panel66",
      "Panel79", "Panel106", "Panel94", "Panel112", "Panel96", "Panel98", "Panel100", "Panel102",
      "Panel104", "Label73", "Panel81", "Panel51", "Panel89", "Panel41", "Panel50", "Panel132",
      "Panel62", "Panel54", "Panel31", "Panel75", "Panel120"};
  EXPECT_EQ(WrittenNames(), expected);
}

TEST_F(CalculatorTest, ShowsTheWorkedExampleExactly) {
  LoadTypical();
  calc.Recalculate();
  const std::pair<const char*, const char*> expected[] = {
      {"Panel3", "15\u00b0c "},
      {"Label21", "288.15K"},
      {"Panel5", "1013 hPa"},
      {"Panel8", "50 %"},
      {"Panel6", "0.008 db km"},
      {"Panel9", "0.006 dB km"},
      {"Panel10", "0.014 dB/km"},
      {"Panel12", "6.412 g/m\u00b3"},
      {"Panel14", "384400.0 km"},
      {"Panel16", "via a 3.2 km path."},
      {"Panel18", "30 \u00b0"},
      {"Panel19", "0.103 dB"},
      {"Panel27", "5.199 km"},
      {"Panel22", "1.676 km"},
      {"Panel20", "0.052 dB"},
      {"Panel25", "Total attenuation at 30 \u00b0"},
      {"Panel110", "Total attenuation at 25 \u00b0"},
      {"Panel32", "0.000 dB/km"},
      {"Panel56", "0.026 dB"},
      {"Panel11", "0.128 dB+"},
      {"Panel131", "8.25 K"},
      {"Panel36", "120 m"},
      {"Panel34", "224.457 dB"},
      {"Panel59", "289.260 dB"},
      {"Panel58", "0.129 dB"},
      {"Panel30", "289.491 dB"},
      {"Label55", "0.2 kg/m\u00b2"},
      {"Label96", "384560.0 kms"},
      {"Panel7", "25 \u00b0"},
      {"Panel48", "20\u00b0c "},
      {"Panel79", "10.372 g/m\u00b3"},
      {"Panel112", "0.133 dB"},
      {"Label73", "1.0 kg/m\u00b2"},
      {"Panel81", "0.029 dB/km"},
      {"Panel89", "0.185 dB/km"},
      {"Panel50", "0.136 dB"},
      {"Panel132", "29.77 K"},
      {"Panel31", "290.088 dB"},
      {"Panel75", "0 m"},
      {"Panel120", "0.612 dB"},
      {"Panel43", "0.00 g/m\u00b3"},
      {"Panel86", "0.50 g/m\u00b3"},
      {"Panel33", "0.065"},
      {"Panel38", "21 \u00b0c"},
      {"Label113", "294.36 K"},
      {"Panel39", "999 hPa"},
      {"Panel114",
       "Current ... Path Loss 252.00 dB  Moon Diam .. 0.52\u00b0   Moon Phase .. 0.250 \u00b0  "
       "90\u00b0  25.0%"},
  };
  for (const auto& [name, text] : expected) EXPECT_EQ(display.Text(name), text) << name;
}

TEST_F(CalculatorTest, EachPathModeColoursItsSquare) {
  LoadTypical();
  // Blue and silver, then sky blue and white, as red, green and blue bytes.
  calc.Panel124Click();
  EXPECT_EQ(display.Colour("Panel124"), (Rgb{0, 0, 255}));
  EXPECT_EQ(display.Colour("Panel125"), (Rgb{192, 192, 192}));
  calc.Panel125Click();
  EXPECT_EQ(display.Colour("Panel124"), (Rgb{166, 202, 240}));
  EXPECT_EQ(display.Colour("Panel125"), (Rgb{255, 255, 255}));
}

// The blocks of the Moon path, as the window's layout names them: both
// stations' slant-attenuation blocks, the moon data line, the reset button,
// the Moon distance and combined-loss blocks, sky noise, EME totals and path
// loss with their labels. Panel126 takes their place on a terrestrial path.
TEST_F(CalculatorTest, EachPathModeShowsExactlyItsOwnBlocks) {
  const std::map<std::string, bool> eme_only = {
      {"Panel23", true},  {"Panel2", true},   {"Panel114", true}, {"ColorButton4", true},
      {"Panel115", true}, {"Panel121", true}, {"Panel120", true}, {"Panel131", true},
      {"Panel132", true}, {"Label122", true}, {"Label123", true}, {"Panel30", true},
      {"Panel31", true},  {"Panel59", true},  {"Panel62", true},  {"Label3", true},
      {"Label4", true},   {"Label5", true},   {"Label6", true},   {"Label47", true},
      {"Label50", true},  {"Label51", true},  {"Label54", true},  {"Panel126", false}};
  std::map<std::string, bool> terrestrial;
  for (const auto& [name, shown] : eme_only) terrestrial[name] = !shown;
  const struct {
    const char* mode;
    void (Calculator::*select)();
    const std::map<std::string, bool>& visibility;
  } cases[] = {
      {"terrestrial", &Calculator::Panel124Click, terrestrial},
      {"EME", &Calculator::Panel125Click, eme_only},
  };
  LoadTypical();
  for (const auto& c : cases) {
    RecordingDisplay fresh;
    Calculator calc_on_fresh(state, fresh, moon, FixedUtcClock({2026, 12, 7, 8, 30, 59, 900}));
    (calc_on_fresh.*c.select)();
    EXPECT_EQ(fresh.VisibilitySet(), c.visibility) << c.mode;
  }
}

TEST_F(CalculatorTest, TerrestrialModeSumsTheAirOverThePath) {
  LoadTypical();
  calc.Panel124Click();
  EXPECT_EQ(state.Home.Elevation, 0.1L);
  EXPECT_EQ(state.DX.Elevation, 0.1L);
  EXPECT_EQ(display.Text("Panel16"), "via a 10.0 km path.");
  EXPECT_EQ(display.Text("Panel14"), "10.0 km");
  EXPECT_EQ(display.Text("Panel18"), "0.1 \u00b0");
  EXPECT_EQ(display.Text("Panel25"), "Total attenuation at 0.1 \u00b0");
  const StationParams& A = state.Home;
  const Real sum = A.DryAirSpecific + A.VapourSpecific + A.RainAttenuation + A.CloudAttenuation +
                   A.FogAttenuation;
  state.DisplayDecimals = 8;
  calc.Recalculate();
  EXPECT_NEAR(Figure(display.Text("Panel11")), 10 * sum, 5e-9L);
  EXPECT_EQ(display.Text("Panel11").substr(display.Text("Panel11").size() - 4), " dB+");
  // Back to EME: each station's EME elevation returns.
  calc.Panel125Click();
  EXPECT_EQ(state.Home.Elevation, 30);
  EXPECT_EQ(state.DX.Elevation, 25);
}

TEST_F(CalculatorTest, FreeSpaceLossGrows20dBPerDecade) {
  LoadTypical();
  state.DisplayDecimals = 6;
  calc.Panel124Click();
  state.PathLength = state.TerrestrialPathLength = 0.9L;
  calc.DistanceChangex01UpUpClick();  // 1.0 km
  const Real at_1km = Figure(display.Text("Panel34"));
  EXPECT_NEAR(at_1km, 113, 0.5L);
  EXPECT_NEAR(at_1km, 112.761683L, 5e-6L);
  calc.DistanceChangex109UpClick();  // 11 km
  calc.DistanceChangex1DownClick();  // 10 km
  EXPECT_NEAR(Figure(display.Text("Panel34")) - at_1km, 20, 1e-5L);
  for (int i = 0; i < 9; ++i) calc.DistanceChangex109UpClick();  // 100 km
  EXPECT_NEAR(Figure(display.Text("Panel34")) - at_1km, 40, 1e-5L);
}

TEST_F(CalculatorTest, DistanceSteppersFloorAboveZeroAndStopAtHalfTheEarth) {
  LoadTypical();
  calc.Panel124Click();
  struct Case {
    const char* what;
    Real from;
    void (Calculator::*step)();
    Real to;
  } cases[] = {
      {"x1 down from 0.3 gives 1.0", 0.3L, &Calculator::DistanceChangex1DownClick, 1},
      {"x0.1 down from 0.1 stays 0.1", 0.1L, &Calculator::DistanceChangex01UpDownClick, 0.1L},
      {"x10 down from 5 gives 1", 5, &Calculator::DistanceChangex109DownClick, 1},
      {"x100 down from 50 gives 1", 50, &Calculator::DistanceChangex1009DownClick, 1},
      {"x100 up", 50, &Calculator::DistanceChangex1009UpClick, 150},
      {"x10 up", 50, &Calculator::DistanceChangex109UpClick, 60},
      {"x10 down", 50, &Calculator::DistanceChangex109DownClick, 40},
      {"x1 up", 50, &Calculator::DistanceChangex1UpClick, 51},
      {"x1 down", 50, &Calculator::DistanceChangex1DownClick, 49},
      {"x0.1 up", 50, &Calculator::DistanceChangex01UpUpClick, 50.1L},
      {"x0.1 down", 0.5L, &Calculator::DistanceChangex01UpDownClick, 0.4L},
      // Three 0.1 steps up from 0 are not exactly 0.3; stepping down must
      // not leave a path of 5e-17 km.
      {"x0.1 down to a remnant of zero", 0.1L + 0.1L + 0.1L - 0.1L - 0.1L,
       &Calculator::DistanceChangex01UpDownClick, 0.1L},
      {"x1 down to a remnant of zero", 1 + 1e-15L, &Calculator::DistanceChangex1DownClick, 1},
      // Half the Earth's circumference is the ceiling.
      {"x100 up from 19950 stops at 20000", 19950, &Calculator::DistanceChangex1009UpClick, 20000},
      {"x0.1 up from 20000 stays 20000", 20000, &Calculator::DistanceChangex01UpUpClick, 20000},
      {"x10 up from 19995 stops at 20000", 19995, &Calculator::DistanceChangex109UpClick, 20000},
  };
  for (const auto& c : cases) {
    state.PathLength = state.TerrestrialPathLength = c.from;
    (calc.*c.step)();
    EXPECT_NEAR(state.PathLength, c.to, 1e-15L) << c.what;
    EXPECT_EQ(state.TerrestrialPathLength, state.PathLength) << c.what;
  }
}

TEST_F(CalculatorTest, DistanceSteppersLeaveNoTraceInEmeMode) {
  LoadTypical();
  calc.Recalculate();
  calc.DistanceChangex1009UpClick();
  EXPECT_EQ(state.PathLength, 384400);  // the Moon's distance again
  EXPECT_EQ(state.TerrestrialPathLength, 10);
  EXPECT_EQ(display.Text("Panel14"), "384400.0 km");
}

TEST_F(CalculatorTest, ResetToCurrentDistancePutsTheSliderAtTheMoon) {
  LoadTypical();
  struct Case {
    double distance;
    int position;
  } cases[] = {
      {384400, 56},  // 55.7
      {356255, 0},   // exactly half a step: to the even neighbour
      {356765, 2},   // 1.5: even neighbour above
      {300000, 0},   // below perigee: the slider stops at its end
      {500000, 100},
  };
  for (const auto& c : cases) {
    moon.distance = c.distance;
    calc.ColorButton4Click();
    EXPECT_EQ(calc.Inputs().Position("ScrollBar1"), c.position) << c.distance;
    EXPECT_EQ(state.MoonSliderPosition, c.position) << c.distance;
    EXPECT_EQ(state.PathLength, static_cast<Real>(c.distance));
  }
}

// Follow the Moon, minute after minute: each station whose Moon is up
// points at it (within the steppers' range), one whose Moon is down has the
// elevation the user set (30 and 25 here, or what the user stepped to while
// it was down), and switching Follow off gives every station back its own.
// The slider goes to the Moon, and the slant figures of the new elevations
// are on screen.
TEST_F(CalculatorTest, FollowMoonPointsStationsWhoseMoonIsUpAndGivesTheOthersBack) {
  LoadTypical();
  const std::optional<Real> down;
  struct Step {
    const char* what;
    enum { kMinute, kUserStepsHomeUp, kStop } action;
    std::optional<Real> home, dx;  // Moon elevations given, deg
    Real home_set, dx_set;
  } steps[] = {
      {"both up", Step::kMinute, 42.5L, 7.25L, 42.5L, 7.25L},
      {"Home's Moon sets", Step::kMinute, down, 3, 30, 3},
      {"the user steps Home up meanwhile", Step::kUserStepsHomeUp, down, down, 31, 3},
      {"DX at the zenith and past it by rounding", Step::kMinute, down, 90.0001L, 31, 90},
      {"Home's Moon rises into the lowest step, DX's sets", Step::kMinute, 0.05L, down, 0.1L, 25},
      {"Follow off", Step::kStop, down, down, 31, 25},
  };
  moon.distance = 384400;
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    switch (step.action) {
      case Step::kMinute:
        calc.FollowMoon(step.home, step.dx);
        EXPECT_EQ(state.MoonSliderPosition, 56);
        EXPECT_EQ(state.PathLength, 384400.0L);
        break;
      case Step::kUserStepsHomeUp:
        calc.ElevationButton1UpClick(Station::Home);
        break;
      case Step::kStop:
        calc.StopFollowingMoon();
        break;
    }
    EXPECT_EQ(state.Home.Elevation, step.home_set);
    EXPECT_EQ(state.Home.EmeElevation, step.home_set);
    EXPECT_EQ(state.DX.Elevation, step.dx_set);
    EXPECT_EQ(state.DX.EmeElevation, step.dx_set);
    // The slant gases of the new elevation, as the recalculation shows them
    // (Panel19 has three decimals).
    const Real slant =
        ZenithAttenuation(state.Home) / std::sin(step.home_set * 3.14159265358979L / 180);
    EXPECT_NEAR(Figure(display.Text("Panel19")), slant, 0.0005L);
  }
}

// On a terrestrial path both antennas stay at the horizon while following
// and the path keeps its length; the Moon's elevation waits in the EME
// elevation, and the user's comes back.
TEST_F(CalculatorTest, FollowMoonOnATerrestrialPathKeepsTheAntennasAtTheHorizon) {
  LoadTypical();
  calc.Panel124Click();
  ASSERT_EQ(state.EmePathMode, 0);
  const Real horizon = state.Home.Elevation;
  const Real path_km = state.PathLength;
  calc.FollowMoon(20.0L, 40.0L);
  EXPECT_EQ(state.PathLength, path_km);
  EXPECT_EQ(state.Home.Elevation, horizon);
  EXPECT_EQ(state.DX.Elevation, horizon);
  EXPECT_EQ(state.Home.EmeElevation, 20.0L);
  EXPECT_EQ(state.DX.EmeElevation, 40.0L);
  calc.StopFollowingMoon();
  EXPECT_EQ(state.Home.EmeElevation, 30.0L);
  EXPECT_EQ(state.DX.EmeElevation, 25.0L);
}

TEST_F(CalculatorTest, StoredSliderPositionRunsTheSliderOnceAndEnds) {
  LoadTypical();
  calc.Inputs().Preset("ScrollBar1", 0);  // the window's design position
  state.MoonSliderPosition = 100;
  calc.Recalculate();
  EXPECT_EQ(slider_changes, 1);
  EXPECT_EQ(calc.Inputs().Position("ScrollBar1"), 100);
  EXPECT_EQ(display.positions.at("ScrollBar1"), 100);
  EXPECT_EQ(display.Text("Label96"), "407000.0 kms");  // 356000 + 100/0.001960784
  // Position 0 to 100 adds 40 log10 of the distance ratio to the EME loss.
  const Real at_100 = state.EmePathLoss;
  state.MoonSliderPosition = 0;
  calc.Recalculate();
  EXPECT_EQ(display.Text("Label96"), "356000.0 kms");
  EXPECT_NEAR(at_100 - state.EmePathLoss, 2.33L, 0.005L);
  EXPECT_NEAR(state.EmePathLoss, 288, 0.5L);
}

TEST_F(CalculatorTest, BandChangeIsInForceForTheSameRecalculation) {
  LoadTypical();
  calc.Recalculate();
  const Real loss_10 = state.EmePathLoss;
  calc.FreqSelect1Click(1);
  EXPECT_EQ(state.Frequency, 24.048L);
  EXPECT_EQ(display.Text("Panel6"), "0.014 db km");  // dry air at 24 GHz
  EXPECT_NEAR(state.EmePathLoss - loss_10, 20 * std::log10(24.048L / 10.368L), 1e-12L);
}

TEST_F(CalculatorTest, MoonDataLineFollowsTheComponent) {
  LoadTypical();
  moon.phase = 0;
  calc.QueryMoonLibrary();
  EXPECT_NE(display.Text("Panel114").find("0.000 \u00b0  0\u00b0  0.0%"), std::string::npos);
  moon.phase = 1;
  calc.QueryMoonLibrary();
  EXPECT_NE(display.Text("Panel114").find("1.000 \u00b0  360\u00b0  100.0%"), std::string::npos);
  EXPECT_EQ(moon.second, 59);  // the milliseconds are dropped
  EXPECT_EQ(state.CurrentMoonDistance, 384400);
}

TEST_F(CalculatorTest, BeforeAnyDataFileNothingShowsNanOrInf) {
  calc.Recalculate();  // all zero: frequency, pressure and path length 0
  for (const auto& [name, text] : display.texts) {
    EXPECT_EQ(text.find("nan"), std::string::npos) << name << ": " << text;
    EXPECT_EQ(text.find("inf"), std::string::npos) << name << ": " << text;
  }
  EXPECT_EQ(display.Text("Panel34"), kNoValue + std::string(" dB"));
  EXPECT_EQ(display.Text("Panel59"), kNoValue + std::string(" dB"));
  // The inputs are as they were.
  EXPECT_EQ(state.Home.Pressure, 0);
  EXPECT_EQ(state.PathLength, 0);
  // Band item 0 is loaded by the rain step; the gases of this first pass
  // still saw frequency 0.
  EXPECT_EQ(state.Frequency, 10.368L);
  EXPECT_EQ(state.DisplayDecimals, 0);
  // Nothing was selected: the reference atmospheres stay as designed.
  EXPECT_EQ(display.texts.count("Panel38"), 0u);
}

TEST_F(CalculatorTest, SteppersMoveByTheirStepAndClamp) {
  LoadTypical();
  using Step = void (Calculator::*)(Station);
  struct Case {
    const char* what;
    Station station;
    Real StationParams::*field;
    Real from;
    Step step;
    Real to;
  } cases[] = {
      // Inside the range every button moves by its own step.
      {"elevation 30, x10 up", Station::Home, &StationParams::Elevation, 30,
       &Calculator::ElevationButton10UpClick, 40},
      {"elevation 30, x10 down", Station::DX, &StationParams::Elevation, 30,
       &Calculator::ElevationButton10DownClick, 20},
      {"elevation 30, x1 up", Station::DX, &StationParams::Elevation, 30,
       &Calculator::ElevationButton1UpClick, 31},
      {"elevation 30, x1 down", Station::Home, &StationParams::Elevation, 30,
       &Calculator::ElevationButton1DownClick, 29},
      {"elevation 0.5, x1 up", Station::Home, &StationParams::Elevation, 0.5L,
       &Calculator::ElevationButton1UpClick, 0.6L},
      {"10 degC up", Station::Home, &StationParams::Temperature, 10, &Calculator::TempButtonUpClick,
       11},
      {"10 degC down", Station::Home, &StationParams::Temperature, 10,
       &Calculator::TempButtonDownClick, 9},
      {"humidity 50 up", Station::DX, &StationParams::Humidity, 50,
       &Calculator::HumidityButtonUpClick, 51},
      {"humidity 50 down", Station::Home, &StationParams::Humidity, 50,
       &Calculator::HumidityButtonDownClick, 49},
      {"pressure 1000 up", Station::DX, &StationParams::Pressure, 1000,
       &Calculator::PressButtonUpClick, 1001},
      {"pressure 1000 down", Station::Home, &StationParams::Pressure, 1000,
       &Calculator::PressButtonDownClick, 999},
      {"500 m, x10 up", Station::DX, &StationParams::HeightAsl, 500, &Calculator::HASLx10UpClick,
       510},
      {"500 m, x10 down", Station::Home, &StationParams::HeightAsl, 500,
       &Calculator::HASLx10DownClick, 490},
      {"500 m, x100 up", Station::Home, &StationParams::HeightAsl, 500,
       &Calculator::HASLx100UpClick, 600},
      {"500 m, x100 down", Station::DX, &StationParams::HeightAsl, 500,
       &Calculator::HASLx100DownClick, 400},
      // At the limits.
      {"elevation 5, x10 down", Station::Home, &StationParams::Elevation, 5,
       &Calculator::ElevationButton10DownClick, 1},
      {"elevation 10, x10 down", Station::Home, &StationParams::Elevation, 10,
       &Calculator::ElevationButton10DownClick, 1},
      {"elevation 10.5, x10 down", Station::DX, &StationParams::Elevation, 10.5L,
       &Calculator::ElevationButton10DownClick, 0.5L},
      {"elevation 1, x1 down", Station::Home, &StationParams::Elevation, 1,
       &Calculator::ElevationButton1DownClick, 0.9L},
      {"elevation 0.155, x1 down keeps 0.055", Station::DX, &StationParams::Elevation, 0.155L,
       &Calculator::ElevationButton1DownClick, 0.055L},
      {"elevation 0.1, x1 down", Station::Home, &StationParams::Elevation, 0.1L,
       &Calculator::ElevationButton1DownClick, 0.1L},
      {"elevation a hair above 0.1, x1 down", Station::Home, &StationParams::Elevation,
       0.1L + 1e-18L, &Calculator::ElevationButton1DownClick, 0.1L},
      {"elevation a hair above 10, x10 down", Station::DX, &StationParams::Elevation, 10 + 1e-15L,
       &Calculator::ElevationButton10DownClick, 1},
      {"elevation 0.9, x1 up", Station::Home, &StationParams::Elevation, 0.9L,
       &Calculator::ElevationButton1UpClick, 1},
      {"elevation 89.5, x1 up", Station::DX, &StationParams::Elevation, 89.5L,
       &Calculator::ElevationButton1UpClick, 90},
      {"elevation 85, x10 up", Station::Home, &StationParams::Elevation, 85,
       &Calculator::ElevationButton10UpClick, 90},
      {"humidity 100 up", Station::Home, &StationParams::Humidity, 100,
       &Calculator::HumidityButtonUpClick, 100},
      {"humidity 0 down", Station::DX, &StationParams::Humidity, 0,
       &Calculator::HumidityButtonDownClick, 0},
      {"pressure 1 down", Station::Home, &StationParams::Pressure, 1,
       &Calculator::PressButtonDownClick, 1},
      {"pressure 2 down", Station::DX, &StationParams::Pressure, 2,
       &Calculator::PressButtonDownClick, 1},
      {"DX 9950 m, x100 up", Station::DX, &StationParams::HeightAsl, 9950,
       &Calculator::HASLx100UpClick, 10000},
      {"Home 9950 m, x100 up", Station::Home, &StationParams::HeightAsl, 9950,
       &Calculator::HASLx100UpClick, 10050},
      {"DX 10000 m, x10 up", Station::DX, &StationParams::HeightAsl, 10000,
       &Calculator::HASLx10UpClick, 10010},
      {"50 m, x100 down", Station::Home, &StationParams::HeightAsl, 50,
       &Calculator::HASLx100DownClick, 0},
      {"0 m, x10 down", Station::DX, &StationParams::HeightAsl, 0, &Calculator::HASLx10DownClick,
       0},
      {"-40 degC down", Station::DX, &StationParams::Temperature, -40,
       &Calculator::TempButtonDownClick, -41},
      // The ceilings and floors of the table of input limits.
      {"100 degC up stays 100", Station::Home, &StationParams::Temperature, 100,
       &Calculator::TempButtonUpClick, 100},
      {"99.5 degC up stops at 100", Station::Home, &StationParams::Temperature, 99.5L,
       &Calculator::TempButtonUpClick, 100},
      {"-100 degC down stays -100", Station::Home, &StationParams::Temperature, -100,
       &Calculator::TempButtonDownClick, -100},
      {"99 degC up gives 100", Station::Home, &StationParams::Temperature, 99,
       &Calculator::TempButtonUpClick, 100},
      {"pressure 1100 up stays 1100", Station::Home, &StationParams::Pressure, 1100,
       &Calculator::PressButtonUpClick, 1100},
      {"pressure 1099 up gives 1100", Station::DX, &StationParams::Pressure, 1099,
       &Calculator::PressButtonUpClick, 1100},
      {"Home 99950 m, x100 up stops at 100 km", Station::Home, &StationParams::HeightAsl, 99950,
       &Calculator::HASLx100UpClick, 100000},
      {"Home 99995 m, x10 up stops at 100 km", Station::Home, &StationParams::HeightAsl, 99995,
       &Calculator::HASLx10UpClick, 100000},
      {"DX 99995 m, x10 up stops at 100 km", Station::DX, &StationParams::HeightAsl, 99995,
       &Calculator::HASLx10UpClick, 100000},
      {"DX 10010 m, x100 up comes back to 10000", Station::DX, &StationParams::HeightAsl, 10010,
       &Calculator::HASLx100UpClick, 10000},
  };
  for (const auto& c : cases) {
    StationParams& st = calc.Of(c.station);
    st.*c.field = c.from;
    if (c.field == &StationParams::Elevation) st.EmeElevation = c.from;
    (calc.*c.step)(c.station);
    EXPECT_NEAR(st.*c.field, c.to, 1e-12L) << c.what;
    if (c.field == &StationParams::Elevation) {
      EXPECT_EQ(st.EmeElevation, st.Elevation) << c.what;
    }
  }
  EXPECT_EQ(state.DX.TemperatureKelvin, -41 + 273.15L);
}

TEST_F(CalculatorTest, SelectionsAndTheWaterIceCaption) {
  LoadTypical();
  calc.WaterIceSelectClick(Station::Home);
  EXPECT_EQ(display.Text("WaterIceSelectA"), "Ice Vapour Density");
  const Real ice = state.Home.VapourDensity;
  calc.WaterIceSelectClick(Station::Home);
  EXPECT_EQ(display.Text("WaterIceSelectA"), "Water Vapour Density");
  EXPECT_NE(ice, state.Home.VapourDensity);

  const Real dx_rain = state.DX.RainAttenuation;
  calc.RainSelectClick(Station::Home, 3);
  calc.PolarisationSelectClick(Station::Home, 0);
  EXPECT_NEAR(state.Home.RainAttenuation, 0.220L, 5e-4L);
  EXPECT_EQ(state.DX.RainAttenuation, dx_rain);

  calc.DisplayAccuracyClick(7);
  EXPECT_EQ(state.DisplayDecimals, 8);
  EXPECT_FALSE(display.Visible("DisplayAccuracy"));
  EXPECT_EQ(display.Text("Panel12"), "6.41242850 g/m\u00b3");

  calc.Inputs().Move("CloudSelectA", 40);
  EXPECT_EQ(display.Text("Label55"), "4.0 kg/m\u00b2");
  EXPECT_EQ(state.Home.CloudPosition, 40);
  calc.Inputs().Move("CloudSelectA", 0);
  EXPECT_EQ(state.Home.CloudAttenuation, 0);
  EXPECT_EQ(display.Text("Label55"), "0.0 kg/m\u00b2");

  // Changing temperature, pressure or humidity leaves the reference values.
  const std::string hasl = display.Text("Panel39");
  calc.TempButtonUpClick(Station::Home);
  calc.PressButtonDownClick(Station::Home);
  EXPECT_EQ(display.Text("Panel39"), hasl);
}

// The selection groups and sliders: a change runs the control's handlers
// once and is shown; an equal value runs nothing; a slider clamps to its
// range and a group clears at an item it does not have.
TEST(Controls, AChangeRunsItsHandlersOnceAndIsShown) {
  struct Case {
    const char* what;
    const char* control;
    bool slider;
    int preset, set;
    int expected;  // the value afterwards
    int runs;      // handler runs
  } cases[] = {
      {"a new item", "FreqSelect", false, -1, 3, 3, 1},
      {"the item already selected", "FreqSelect", false, 3, 3, 3, 0},
      {"-1 clears", "RainSelectB", false, 2, -1, -1, 1},
      {"past the last item clears", "PolarisationSelectA", false, 1, 3, -1, 1},
      {"a cleared group set out of range again", "FogSelectB", false, -1, 8, -1, 0},
      {"a new position", "ScrollBar1", true, 0, 56, 56, 1},
      {"the position it has", "CloudSelectA", true, 2, 2, 2, 0},
      {"past the end stops there", "CloudSelectB", true, 2, 41, 40, 1},
      {"below the start stops there", "ScrollBar1", true, 5, -1, 0, 1},
      {"clamped to where it is", "ScrollBar1", true, 100, 130, 100, 0},
  };
  for (const Case& c : cases) {
    RecordingDisplay display;
    Controls controls(display);
    std::vector<int> told;
    controls.OnChange(c.control, [&told](int v) { told.push_back(v); });
    controls.Preset(c.control, c.preset);
    const bool slider = c.slider;
    const bool changed =
        slider ? controls.Move(c.control, c.set) : controls.Select(c.control, c.set);
    EXPECT_EQ(changed, c.runs == 1) << c.what;
    EXPECT_EQ(int(told.size()), c.runs) << c.what;
    if (!told.empty()) {
      EXPECT_EQ(told.front(), c.expected) << c.what;
    }
    EXPECT_EQ(slider ? controls.Position(c.control) : controls.Selected(c.control), c.expected)
        << c.what;
    // What the display was last given is what the control holds.
    EXPECT_EQ(slider ? display.positions.at(c.control) : display.groups.at(c.control), c.expected)
        << c.what;
  }
}

TEST(Controls, StartAsTheFormIsDesigned) {
  RecordingDisplay display;
  Controls controls(display);
  EXPECT_EQ(controls.Selected("FreqSelect"), -1);
  EXPECT_EQ(controls.ItemCount("FreqSelect"), 8);
  EXPECT_EQ(controls.ItemCount("ScreenDelaySelect"), 4);
  EXPECT_EQ(controls.Position("ScrollBar1"), 0);
  EXPECT_EQ(controls.Position("CloudSelectA"), 2);
  EXPECT_TRUE(display.writes.empty());
}

// A handler that changes another control: that change, and its handlers,
// complete before the next handler of the first control runs.
TEST(Controls, ANestedChangeCompletesFirst) {
  RecordingDisplay display;
  Controls controls(display);
  std::vector<std::string> order;
  controls.OnChange("FreqSelect", [&](int) {
    order.push_back("freq 1");
    controls.Move("ScrollBar1", 10);
  });
  controls.OnChange("FreqSelect", [&](int) { order.push_back("freq 2"); });
  controls.OnChange("ScrollBar1", [&](int) { order.push_back("moon"); });
  controls.Select("FreqSelect", 1);
  EXPECT_EQ(order, (std::vector<std::string>{"freq 1", "moon", "freq 2"}));
}

// Names that are not controls or components of the form are refused, by the
// controls and by the recording display alike, so that no test passes over
// a misspelt name.
TEST(Controls, UnknownOrMisplacedNamesAreRefused) {
  RecordingDisplay display;
  Controls controls(display);
  EXPECT_THROW(controls.Select("FreqSelekt", 1), std::invalid_argument);
  EXPECT_THROW(controls.Select("ScrollBar1", 1), std::invalid_argument);
  EXPECT_THROW(controls.Move("FreqSelect", 1), std::invalid_argument);
  EXPECT_THROW(controls.OnChange("Panel14", [](int) {}), std::invalid_argument);
  EXPECT_THROW(display.SetText("Panel999", "x"), std::invalid_argument);
  EXPECT_THROW(display.SetVisible("Panel999", true), std::invalid_argument);
  EXPECT_THROW(display.SetColor("panel14", kWhite), std::invalid_argument);
  EXPECT_THROW(display.SetText("ScrollBar1", "x"), std::invalid_argument);
  EXPECT_THROW(display.SetSelectedItem("Panel14", 1), std::invalid_argument);
  EXPECT_THROW(display.SetSliderPosition("FreqSelect", 1), std::invalid_argument);
  EXPECT_NO_THROW(display.SetText("Panel14", "x"));
  EXPECT_NO_THROW(display.SetText("Form1", "x"));
}

// The form as data: each component at its design values, then as written.
TEST(FormView, StartsAsDesignedAndTakesEveryWrite) {
  FormView view;
  EXPECT_EQ(view.Of("Panel16").text, "over a xx km path.");
  EXPECT_FALSE(view.Of("Panel126").visible);
  EXPECT_TRUE(view.Of("Panel23").visible);
  EXPECT_EQ(view.Of("CloudSelectB").position, 2);
  EXPECT_EQ(view.Of("FreqSelect").selected, -1);
  view.SetText("Panel16", "via a 3.2 km path.");
  view.SetVisible("Panel126", true);
  view.SetSliderPosition("CloudSelectB", 40);
  view.SetSelectedItem("FreqSelect", 7);
  EXPECT_EQ(view.Of("Panel16").text, "via a 3.2 km path.");
  EXPECT_TRUE(view.Of("Panel126").visible);
  EXPECT_EQ(view.Of("CloudSelectB").position, 40);
  EXPECT_EQ(view.Of("FreqSelect").selected, 7);
  EXPECT_THROW(view.SetText("Panel999", "x"), std::invalid_argument);
}

// The help-delay list: 8, 4 and 2 s on screen after a quarter second, or
// "Do not Display"; opened on that last choice, the list's own hint waits
// ten seconds.
TEST(HintTimings, EachChoiceOfTheHelpDelayList) {
  struct Case {
    ItemIndex item;
    std::optional<int> delay_ms, display_ms;
  } cases[] = {{0, 250, 8000}, {1, 250, 4000}, {2, 250, 2000}, {3, std::nullopt, 0}, {4, {}, {}}};
  for (const Case& c : cases) {
    const HintTimings t = Calculator::HintTimingsForChoice(c.item);
    EXPECT_EQ(t.delay_ms, c.delay_ms) << c.item;
    EXPECT_EQ(t.display_ms, c.display_ms) << c.item;
  }
  EXPECT_EQ(Calculator::HintTimingsOnOpening(3).delay_ms, 10000);
  EXPECT_EQ(Calculator::HintTimingsOnOpening(3).display_ms, 0);
  EXPECT_EQ(Calculator::HintTimingsOnOpening(2).display_ms, 2000);
}

TEST(StationTotals, SkyNoiseAndEmeTotal) {
  StationParams s;
  EXPECT_EQ(SkyNoise(s), 0);
  s.SlantTotal = 10;
  EXPECT_NEAR(SkyNoise(s), 252, 1e-15L);
  EXPECT_EQ(FormatFixed(SkyNoise(s), 4, 2), "252.00");
  s.SlantTotal = 0;
  s.RainAttenuation = 10;
  EXPECT_NEAR(SkyNoise(s), 234, 1e-15L);

  StationParams e;
  e.SlantTotal = 1;
  e.CloudAttenuation = 1;
  EXPECT_NEAR(EmeTotal(e, 250), 253, 1e-15L);  // the cloud counted once
}

}  // namespace
}  // namespace quillmere
