// Rain specific attenuation (ITU-R P.838) and the band table.
#include <gtest/gtest.h>

#include <cmath>

#include "itu838.h"

namespace quillmere {
namespace {

struct RainCase {
  const char* what;
  ItemIndex band, rain, polarisation;
  Real gamma, tol;  // dB/km
};

TEST(RainAttenuation, PowerLawOfTheBandCoefficients) {
  const RainCase cases[] = {
      {"10 GHz, 10 mm/h, horizontal", 0, 3, 0, 0.220L, 5e-4L},
      {"10 GHz, 10 mm/h, vertical", 0, 3, 1, 0.185L, 5e-4L},
      {"10 GHz, 10 mm/h, circular (plain means)", 0, 3, 2, 0.202L, 5e-4L},
      {"241 GHz, 25 mm/h, circular", 7, 4, 2, 12.5L, 0.05L},
      {"10 GHz, no rain", 0, 0, 0, 0, 0},
      {"241 GHz, no rain, circular", 7, 0, 2, 0, 0},
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

TEST(RainAttenuation, NoRainIsExactlyZeroAtEveryBandAndPolarisation) {
  for (ItemIndex band = 0; band < 8; ++band) {
    for (ItemIndex pol = 0; pol < 3; ++pol) {
      StationParams s;
      s.RainAttenuation = 1;
      s.Polarisation = pol;
      Real f = 0;
      BandCoefficients coefficients;
      UpdateRainAttenuation(s, band, f, coefficients);
      EXPECT_EQ(s.RainAttenuation, 0);
    }
  }
}

TEST(RainAttenuation, AnIndexOutsideATableLeavesTheValue) {
  StationParams s;
  s.RainRate = 7;
  s.RainRateIndex = -1;
  s.Polarisation = 0;
  Real f = 0;
  BandCoefficients band;
  UpdateRainAttenuation(s, 0, f, band);
  EXPECT_EQ(s.RainRate, 7);  // rain rate kept, used as it is
  EXPECT_NEAR(s.RainAttenuation, 0.01217L * std::pow(7.0L, 1.2571L), 1e-15L);

  s.RainRateIndex = 3;
  s.Polarisation = -1;
  s.RainAttenuation = 99;
  UpdateRainAttenuation(s, 0, f, band);
  EXPECT_EQ(s.RainRate, 10);
  EXPECT_EQ(s.RainAttenuation, 99);
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

}  // namespace
}  // namespace quillmere
