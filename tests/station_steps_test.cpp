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

// The figures of the reference station at 10 GHz with fog of 50 m visibility.
TEST(StationSteps, TheFiguresOfTheReferenceStationAt10GHz) {
  StationParams s = ReferenceStation();
  GasRatios ratios;
  UpdateVapourDensity(s);
  ComputeGas(s, 10.368L, ratios);
  SelectFog(s, 2);
  const Real Kl = UpdateCloudAndFog(s, 10.368L);
  StationParams warm = ReferenceStation();
  warm.Temperature = 27;
  GasRatios warm_ratios;
  ComputeGas(warm, 10.368L, warm_ratios);
  const struct {
    const char* what;
    Real got, want, tol;
  } figures[] = {
      {"rp at 1013 hPa", warm_ratios.PressureRatio, 1, 0},
      {"rt at 27 degC", warm_ratios.TemperatureRatio, 288 / 300.0L, 0},
      {"vapour density, g/m3", s.VapourDensity, 6.41L, 0.005L},
      {"zenith gases, dB", ZenithAttenuation(s), 0.0517L, 5e-5L},
      {"dry-air height, km", s.DryAirHeight, 5.20L, 0.005L},
      {"vapour height, km", s.VapourHeight, 1.68L, 0.005L},
      {"water temperature, K", s.TemperatureKelvin, 15 + 273.15L, 0},
      {"Kl", Kl, 0.0646L, 5e-5L},
      {"cloud at 30 deg, dB", s.CloudAttenuation, 0.0258L, 5e-5L},
      {"fog, dB/km", s.FogAttenuation, 0.0323L, 5e-5L},
  };
  for (const auto& f : figures) EXPECT_NEAR(f.got, f.want, f.tol) << f.what;
}

// Where the dry-air model gives no figure the previous one is kept; before
// any data (all zero) the figures are not finite, and nothing breaks.
TEST(StationSteps, ComputeGasWhereTheModelsGiveNoFigure) {
  StationParams above = ReferenceStation();
  above.DryAirSpecific = 42;
  GasRatios ratios;
  ComputeGas(above, 400, ratios);
  EXPECT_EQ(above.DryAirSpecific, 42) << "above 350 GHz";
  StationParams zero;
  UpdateVapourDensity(zero);
  ComputeGas(zero, 0, ratios);
  EXPECT_EQ(ratios.PressureRatio, 0);
  EXPECT_FALSE(std::isfinite(zero.DryAirSpecific));
  EXPECT_EQ(zero.DryAirHeight, 0);
}

// Each selection group's item picks its table value; an item outside the
// table keeps the value the group had.
Real BandFrequency(ItemIndex item, Real before) {
  BandCoefficients band;
  SelectBand(item, before, band);
  return before;
}
Real RainRate(ItemIndex item, Real before) {
  StationParams s;
  s.RainRate = before;
  s.RainRateIndex = item;
  Real f = 0;
  BandCoefficients band;
  UpdateRainAttenuation(s, 0, f, band);
  return s.RainRate;
}
Real FogDensity(ItemIndex item, Real before) {
  StationParams s;
  s.FogDensity = before;
  SelectFog(s, item);
  EXPECT_EQ(s.FogIndex, item);
  return s.FogDensity;
}
// Fog liquid water M = 0.59 - 0.0018 V for a visibility V in metres.
constexpr Real Fog(Real visibility_m) {
  return 0.59L - 0.0018L * visibility_m;
}

TEST(StationSteps, AnItemPicksItsValueAndAnItemOutsideKeepsIt) {
  const struct {
    const char* what;
    Real (*select)(ItemIndex, Real);
    ItemIndex item;
    Real before, want, tol;
  } cases[] = {
      {"the first band", BandFrequency, 0, 99, 10.368L, 0},
      {"the last band", BandFrequency, 7, 99, 241, 0},
      {"a band before the table", BandFrequency, -1, 99, 99, 0},
      {"a band after the table", BandFrequency, 8, 99, 99, 0},
      {"the no-rain item clears a previous rate", RainRate, 0, 7, 0, 0},
      {"the heaviest rain", RainRate, 5, 7, 150, 0},
      {"a rain item before the table", RainRate, -1, 7, 7, 0},
      {"a rain item after the table", RainRate, 6, 7, 7, 0},
      {"the no-fog item clears a previous density", FogDensity, 0, 0.3L, 0, 0},
      {"fog at 10 m", FogDensity, 1, 0, Fog(10), 1e-15L},
      {"fog at 50 m", FogDensity, 2, 0, Fog(50), 1e-15L},
      {"fog at 100 m", FogDensity, 3, 0, Fog(100), 1e-15L},
      {"fog at 150 m", FogDensity, 4, 0, Fog(150), 1e-15L},
      {"fog at 200 m", FogDensity, 5, 0, Fog(200), 1e-15L},
      {"fog at 250 m", FogDensity, 6, 0, Fog(250), 1e-15L},
      {"fog at 300 m", FogDensity, 7, 0, Fog(300), 1e-15L},
      {"a fog item before the table", FogDensity, -1, 0.3L, 0.3L, 0},
      {"a fog item after the table", FogDensity, 8, 0.3L, 0.3L, 0},
  };
  for (const auto& c : cases) EXPECT_NEAR(c.select(c.item, c.before), c.want, c.tol) << c.what;
}

// The P.838 power law of the selected band and polarisation; a polarisation
// outside the group picks no coefficients and keeps the previous figure.
TEST(StationSteps, RainAttenuationOfTheBandAndPolarisation) {
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
      {"a polarisation before the group", 0, 3, -1, 99, 0},
      {"a polarisation after the group", 0, 3, 3, 99, 0},
  };
  for (const auto& c : cases) {
    StationParams s;
    s.RainRateIndex = c.rain;
    s.Polarisation = c.polarisation;
    s.RainAttenuation = 99;
    Real f = 0;
    BandCoefficients band;
    UpdateRainAttenuation(s, c.band, f, band);
    EXPECT_NEAR(s.RainAttenuation, c.gamma, c.tol) << c.what;
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
               {45, 45},       {90, 90},     {90.5L, 90},   {95, 90}};
  for (const auto& c : cases) {
    EXPECT_NEAR(OneWayLossAt(s, c.asked), SlantAttenuation(zenith, c.used) + others, 1e-15L)
        << "elevation " << static_cast<double>(c.asked);
  }
}

}  // namespace
}  // namespace quillmere
