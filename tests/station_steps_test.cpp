// The per-station steps: a station's weather through the plain models into
// its StationParams, and the items of the frequency, rain and fog groups.
#include <gtest/gtest.h>

#include <cmath>

#include "station_steps.h"
#include "station_totals.h"

namespace quillmere {
namespace {

StationParams ReferenceStation() {
  StationParams s;
  s.Temperature = 15;
  s.Pressure = 1013;
  s.Humidity = 50;
  s.VapourOverWater = 1;
  s.Elevation = 30;
  s.CloudContent = 0.2L;
  return s;
}

TEST(ComputeGas, SetsTheRatiosAndTheFourFiguresOfTheStation) {
  StationParams s = ReferenceStation();
  s.Temperature = 27;
  GasRatios ratios;
  UpdateVapourDensity(s);
  ComputeGas(s, 10.368L, ratios);
  EXPECT_EQ(ratios.PressureRatio, 1);
  EXPECT_EQ(ratios.TemperatureRatio, 288 / 300.0L);
  s.Temperature = 15;
  UpdateVapourDensity(s);
  ComputeGas(s, 10.368L, ratios);
  EXPECT_NEAR(s.VapourDensity, 6.41L, 0.005L);
  EXPECT_NEAR(ZenithAttenuation(s), 0.0517L, 5e-5L);
  EXPECT_NEAR(s.DryAirHeight, 5.20L, 0.005L);
  EXPECT_NEAR(s.VapourHeight, 1.68L, 0.005L);
}

TEST(ComputeGas, Above350GHzTheDryAirFigureIsKept) {
  StationParams s = ReferenceStation();
  s.DryAirSpecific = 42;
  GasRatios ratios;
  ComputeGas(s, 400, ratios);
  EXPECT_EQ(s.DryAirSpecific, 42);
}

TEST(ComputeGas, BeforeAnyDataTheFiguresAreNotFiniteButNothingBreaks) {
  StationParams s;  // all zero: pressure 0, frequency 0
  GasRatios ratios;
  UpdateVapourDensity(s);
  ComputeGas(s, 0, ratios);
  EXPECT_EQ(ratios.PressureRatio, 0);
  EXPECT_FALSE(std::isfinite(s.DryAirSpecific));
  EXPECT_EQ(s.DryAirHeight, 0);
}

TEST(UpdateRainAttenuation, PowerLawOfTheSelectedBandAndPolarisation) {
  const struct {
    const char* what;
    ItemIndex band, rain, polarisation;
    Real gamma, tol;  // dB/km
  } cases[] = {
      {"10 GHz, 10 mm/h, horizontal", 0, 3, 0, 0.220L, 5e-4L},
      {"10 GHz, 10 mm/h, vertical", 0, 3, 1, 0.185L, 5e-4L},
      {"10 GHz, 10 mm/h, circular (plain means)", 0, 3, 2, 0.202L, 5e-4L},
      {"241 GHz, 25 mm/h, circular", 7, 4, 2, 12.5L, 0.05L},
      {"10 GHz, no rain", 0, 0, 0, 0, 0},
  };
  for (const auto& c : cases) {
    StationParams s;
    s.RainRateIndex = c.rain;
    s.Polarisation = c.polarisation;
    Real f = 0;
    BandCoefficients band;
    UpdateRainAttenuation(s, c.band, f, band);
    EXPECT_NEAR(s.RainAttenuation, c.gamma, c.tol) << c.what;
  }
}

TEST(UpdateRainAttenuation, AnIndexOutsideATableLeavesTheValue) {
  for (ItemIndex outside : {-1, 6}) {
    StationParams s;
    s.RainRate = 7;
    s.RainRateIndex = outside;
    s.Polarisation = 0;
    Real f = 0;
    BandCoefficients band;
    UpdateRainAttenuation(s, 0, f, band);
    EXPECT_EQ(s.RainRate, 7) << outside;  // rain rate kept, used as it is
    EXPECT_NEAR(s.RainAttenuation, 0.01217L * std::pow(7.0L, 1.2571L), 1e-15L) << outside;
  }
  for (ItemIndex outside : {-1, 3}) {
    StationParams s;
    s.RainRateIndex = 3;
    s.Polarisation = outside;
    s.RainAttenuation = 99;
    Real f = 0;
    BandCoefficients band;
    UpdateRainAttenuation(s, 0, f, band);
    EXPECT_EQ(s.RainRate, 10) << outside;
    EXPECT_EQ(s.RainAttenuation, 99) << outside;
  }
}

TEST(UpdateRainAttenuation, TheNoRainItemClearsAPreviousRate) {
  StationParams s;
  s.RainRate = 7;
  s.RainAttenuation = 1;
  s.RainRateIndex = 0;
  Real f = 0;
  BandCoefficients band;
  UpdateRainAttenuation(s, 0, f, band);
  EXPECT_EQ(s.RainRate, 0);
  EXPECT_EQ(s.RainAttenuation, 0);
}

TEST(SelectBand, LoadsTheTableFrequencyAndMeanCircularCoefficients) {
  const Real expected[] = {10.368L, 24.048L, 47.088L, 78, 100, 122, 134, 241};
  for (ItemIndex i = 0; i < 8; ++i) {
    Real f = 0;
    BandCoefficients band;
    SelectBand(i, f, band);
    EXPECT_EQ(f, expected[i]);
  }
  Real f = 0;
  BandCoefficients band;
  SelectBand(0, f, band);
  EXPECT_EQ(band.KC, (0.01217L + 0.01129L) / 2);
  EXPECT_EQ(band.AlphaC, (1.2571L + 1.2156L) / 2);
  SelectBand(7, f, band);
  EXPECT_EQ(band.KC, (1.6332L + 1.6369L) / 2);
  EXPECT_EQ(band.AlphaC, (0.6339L + 0.6303L) / 2);
}

TEST(SelectBand, AnIndexOutsideTheTableChangesNothing) {
  Real f = 24.048L;
  BandCoefficients band;
  SelectBand(1, f, band);
  const BandCoefficients before = band;
  for (ItemIndex bad : {-1, 8, 1000}) {
    SelectBand(bad, f, band);
    EXPECT_EQ(f, 24.048L);
    EXPECT_EQ(band.KH, before.KH);
    EXPECT_EQ(band.AlphaC, before.AlphaC);
  }
}

TEST(UpdateCloudAndFog, CloudAlongTheSlantAndFogPerKilometre) {
  StationParams s = ReferenceStation();
  SelectFog(s, 2);  // 50 m visibility
  const Real Kl = UpdateCloudAndFog(s, 10.368L);
  EXPECT_EQ(s.TemperatureKelvin, 15 + 273.15L);
  EXPECT_NEAR(Kl, 0.0646L, 5e-5L);
  EXPECT_NEAR(s.CloudAttenuation, 0.0258L, 5e-5L);
  EXPECT_NEAR(s.FogAttenuation, 0.0323L, 5e-5L);
  EXPECT_EQ(s.FogDensity, 0.5L);
  EXPECT_EQ(s.FogIndex, 2);
}

TEST(SelectFog, AnItemOutsideTheTableKeepsTheDensity) {
  StationParams s;
  SelectFog(s, 7);
  EXPECT_EQ(s.FogDensity, 0.05L);
  for (ItemIndex outside : {-1, 8}) {
    SelectFog(s, outside);
    EXPECT_EQ(s.FogDensity, 0.05L);
    EXPECT_EQ(s.FogIndex, outside);
  }
}

TEST(SelectFog, TheNoFogItemClearsThePreviousDensity) {
  StationParams s;
  SelectFog(s, 1);
  SelectFog(s, 0);
  EXPECT_EQ(s.FogDensity, 0);
}

TEST(SelectFog, FogDensityFollowsTheVisibilityLine) {
  // M = 0.59 - 0.0018 V, meeting 0.5 g/m3 at 50 m and 0.05 at 300 m.
  const Real visibility[] = {10, 50, 100, 150, 200, 250, 300};
  StationParams s;
  for (int i = 0; i < 7; ++i) {
    SelectFog(s, i + 1);
    EXPECT_NEAR(s.FogDensity, 0.59L - 0.0018L * visibility[i], 1e-15L) << visibility[i];
  }
}

// The planner's loss at the Moon's elevation: the station's gases along the
// new slant, the elevation held to the slant model's 0.1..90 degrees and
// taken as given inside them (a Moon at 0.15 degrees is not read as 0.1).
TEST(OneWayLossAt, TakesTheElevationGivenWithinTheSlantModelsRange) {
  StationParams s;
  s.DryAirSpecific = 0.01L;  // dB/km over 6 km: 0.06 dB
  s.DryAirHeight = 6;
  s.VapourSpecific = 0.02L;  // dB/km over 2 km: 0.04 dB
  s.VapourHeight = 2;
  s.FogAttenuation = 0.003L;
  s.RainAttenuation = 0.005L;
  s.CloudAttenuation = 0.007L;
  const Real others = 0.015L;
  const Real zenith = 0.1L;
  const struct {
    Real asked, used;
  } cases[] = {{0.15L, 0.15L}, {0.1L, 0.1L}, {0.05L, 0.1L}, {-3, 0.1L},
               {45, 45},       {90, 90},     {95, 90}};
  for (const auto& c : cases) {
    EXPECT_NEAR(OneWayLossAt(s, c.asked), SlantAttenuation(zenith, c.used) + others, 1e-15L)
        << "elevation " << static_cast<double>(c.asked);
  }
}

}  // namespace
}  // namespace quillmere
