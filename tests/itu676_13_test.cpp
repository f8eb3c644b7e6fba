// Line-by-line specific attenuation (ITU-R P.676-13 Annex 1).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "itu676_13.h"

namespace quillmere::p676_13 {
namespace {

struct ReferenceRow {
  double f, p, e, T, gamma_o, gamma_w;
};

// The table written by tests/data/p676/gamma_reference.py: eqs. 1-9 as
// printed, in 40-digit arithmetic, at 20 frequencies and 5 weathers.
std::vector<ReferenceRow> ReadReference() {
  std::ifstream in(QUILLMERE_TEST_DATA "/p676/gamma_reference.csv");
  std::vector<ReferenceRow> rows;
  std::string line;
  std::getline(in, line);  // header
  while (std::getline(in, line)) {
    std::replace(line.begin(), line.end(), ',', ' ');
    std::istringstream s(line);
    ReferenceRow r;
    if (s >> r.f >> r.p >> r.e >> r.T >> r.gamma_o >> r.gamma_w) rows.push_back(r);
  }
  return rows;
}

TEST(LineByLineSpecificAttenuation, AgreesWithTheHighPrecisionEquations) {
  const auto rows = ReadReference();
  ASSERT_EQ(rows.size(), 100u);
  for (const auto& r : rows) {
    const LineSpectrum lines(r.p, r.e, r.T);
    const std::string what = "f " + std::to_string(r.f) + " GHz, p " + std::to_string(r.p) +
                             " hPa, e " + std::to_string(r.e) + " hPa, T " + std::to_string(r.T);
    EXPECT_NEAR(lines.GammaOxygen(r.f), r.gamma_o, 1e-9 * r.gamma_o) << what;
    EXPECT_NEAR(lines.GammaWaterVapour(r.f), r.gamma_w, 1e-9 * r.gamma_w) << what;
    EXPECT_NEAR(OxygenSpecificAttenuation(r.f, r.p, r.e, r.T), r.gamma_o, 1e-9 * r.gamma_o);
    EXPECT_NEAR(WaterVapourSpecificAttenuation(r.f, r.p, r.e, r.T), r.gamma_w, 1e-9 * r.gamma_w);
  }
}

TEST(LineByLineSpecificAttenuation, DryAirHasNoWaterVapourTerm) {
  const LineSpectrum dry(1013.25, 0, 288.15);
  for (double f : {22.235, 183.31, 325.15}) {
    EXPECT_EQ(dry.GammaWaterVapour(f), 0) << f;
    EXPECT_GT(dry.GammaOxygen(f), 0) << f;
  }
}

TEST(LineByLineSpecificAttenuation, VacuumAbsorbsNothing) {
  const LineSpectrum vacuum;
  for (double f : {1.0, 60.0, 183.31, 1000.0}) EXPECT_EQ(vacuum.Gamma(f), 0) << f;
}

TEST(LineByLineSpecificAttenuation, PublishedMagnitudesAtSeaLevel) {
  // Sea level, 15 degC, 7.5 g/m3 (the Recommendation's Figure of specific
  // attenuation): about 15 dB/km at the centre of the 60 GHz complex, a
  // water-vapour peak near 0.2 dB/km at 22 GHz and near 30 dB/km at 183 GHz.
  const PartialPressures pp = PartialPressuresOf(1013.25, 288.15, 7.5);
  const LineSpectrum lines(pp.p, pp.e, 288.15);
  struct Case {
    const char* what;
    double f, gamma, tol;
    bool oxygen;
  } cases[] = {
      {"oxygen at 60 GHz", 60, 15, 1.5, true},
      {"vapour at 22.235 GHz", 22.235, 0.18, 0.03, false},
      {"vapour at 183.31 GHz", 183.31, 28, 4, false},
  };
  for (const auto& c : cases) {
    const double g = c.oxygen ? lines.GammaOxygen(c.f) : lines.GammaWaterVapour(c.f);
    EXPECT_NEAR(g, c.gamma, c.tol) << c.what;
  }
}

// Eqs. 3-9 as printed, with std::pow and std::exp and each line's two
// fractions apart: what the line tables give, term by term, to compare the
// fast evaluation with where the reference table does not reach (the
// stratosphere's cold, the mesosphere's thin air, a desert's heat).
struct DirectGamma {
  double oxygen, vapour;
};
DirectGamma Direct(double f, double p, double e, double T) {
  const double th = 300 / T;
  auto shape = [&](double fi, double df, double delta) {
    return f / fi *
           ((df - delta * (fi - f)) / ((fi - f) * (fi - f) + df * df) +
            (df - delta * (fi + f)) / ((fi + f) * (fi + f) + df * df));
  };
  double n_o = 0, n_w = 0;
  for (const LineRow& l : OxygenLines()) {
    const double S = l.c1 * 1e-7 * p * std::pow(th, 3) * std::exp(l.c2 * (1 - th));
    double df = l.c3 * 1e-4 * (p * std::pow(th, 0.8 - l.c4) + 1.1 * e * th);
    df = std::sqrt(df * df + 2.25e-6);
    const double delta = (l.c5 + l.c6 * th) * 1e-4 * (p + e) * std::pow(th, 0.8);
    n_o += S * shape(l.f0, df, delta);
  }
  for (const LineRow& l : WaterVapourLines()) {
    const double S = l.c1 * 1e-1 * e * std::pow(th, 3.5) * std::exp(l.c2 * (1 - th));
    double df = l.c3 * 1e-4 * (p * std::pow(th, l.c4) + l.c5 * e * std::pow(th, l.c6));
    df = 0.535 * df + std::sqrt(0.217 * df * df + 2.1316e-12 * l.f0 * l.f0 / th);
    n_w += S * shape(l.f0, df, 0);
  }
  const double d = 5.6e-4 * (p + e) * std::pow(th, 0.8);
  const double n_d = f * p * th * th *
                     (6.14e-5 / (d * (1 + (f / d) * (f / d))) +
                      1.4e-12 * p * std::pow(th, 1.5) / (1 + 1.9e-5 * std::pow(f, 1.5)));
  return {0.1820 * f * (n_o + n_d), 0.1820 * f * n_w};
}

TEST(LineByLineSpecificAttenuation, KeepsDoublePrecisionFromTheMesosphereToADesertNoon) {
  struct Case {
    const char* what;
    double p, e, T;
  } cases[] = {
      {"mesopause cold and thin", 0.005, 1e-8, 150},
      {"tropopause", 200, 0.005, 205},
      {"stratopause", 0.8, 5e-6, 270},
      {"mid-latitude ground", 1008, 12, 298.15},
      {"desert noon", 960, 25, 330},
      {"dry polar ground", 1040, 0, 235},
  };
  for (const auto& c : cases) {
    const LineSpectrum lines(c.p, c.e, c.T);
    for (double f : {1.0, 10.368, 22.235, 57.3, 60.0, 118.75, 183.31, 241.0, 325.15, 999.0}) {
      const DirectGamma g = Direct(f, c.p, c.e, c.T);
      EXPECT_NEAR(lines.GammaOxygen(f), g.oxygen, 1e-12 * g.oxygen) << c.what << " at " << f;
      EXPECT_NEAR(lines.GammaWaterVapour(f), g.vapour, 1e-12 * g.vapour) << c.what << " at " << f;
    }
  }
}

TEST(PartialPressures, SplitTheTotalPressure) {
  struct Case {
    const char* what;
    double P, T, rho, p, e;
  } cases[] = {
      {"7.5 g/m3 at 15 degC", 1013.25, 288.15, 7.5, 1013.25 - 9.9728888, 9.9728888},
      {"dry", 900, 270, 0, 900, 0},
  };
  for (const auto& c : cases) {
    const PartialPressures pp = PartialPressuresOf(c.P, c.T, c.rho);
    EXPECT_NEAR(pp.e, c.e, 5e-7) << c.what;
    EXPECT_NEAR(pp.p, c.p, 5e-7) << c.what;
  }
}

}  // namespace
}  // namespace quillmere::p676_13
