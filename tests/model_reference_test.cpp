// Each model at the weathers of the reference cases, at all eight bands: the
// case's inputs go straight into the model functions, and the result must
// round to the text the independent implementation shows for it. Unlike the
// reference weather (1013 hPa, 15 degC, where rp = rt = 1 and every phi
// factor is 1), these weathers exercise every coefficient.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <map>
#include <set>
#include <string>

#include "itu676.h"
#include "itu835.h"
#include "itu838.h"
#include "itu840.h"
#include "support/reference_cases.h"

namespace quillmere {
namespace {

using testing::ReferenceCase;

// What the items of the window's groups stand for: the frequency of each band
// (GHz), the rain rate of each rain item (mm/h) and the fog density of each
// visibility item (g/m3).
constexpr std::array<Real, 8> kBandGHz{10.368L, 24.048L, 47.088L, 78, 100, 122, 134, 241};
constexpr std::array<Real, 6> kRainRate{0, 0.25L, 1, 10, 25, 150};
constexpr std::array<Real, 8> kFogDensity{0, 0.572L, 0.5L, 0.41L, 0.32L, 0.23L, 0.14L, 0.05L};

struct StationInputs {
  Real t = 0, H = 0, p = 0;  // degC, %, hPa
  Real elevation = 0;        // deg, as the path mode leaves it
  Real height_m = 0;         // the DX height is not stored: 0
  int zone = 0, season = 0, rain = 0, polarisation = 0, fog = 0, cloud = 0;
};

struct CaseInputs {
  int band = 0;
  Real f = 0;  // GHz
  StationInputs home, dx;
};

CaseInputs InputsOf(const ReferenceCase& c) {
  // Offsets of the 288-byte record of the default data file.
  CaseInputs in;
  in.band = c.IntAt(240);
  in.f = c.RealAt(10);
  StationInputs& A = in.home;
  StationInputs& B = in.dx;
  A.t = c.RealAt(0), A.H = c.RealAt(20), A.p = c.RealAt(60), A.height_m = c.RealAt(80);
  B.t = c.RealAt(70), B.H = c.RealAt(30), B.p = c.RealAt(90);
  // The terrestrial path looks at the horizon.
  A.elevation = c.eme ? c.RealAt(50) : 0.1L;
  B.elevation = c.eme ? c.RealAt(100) : 0.1L;
  A.rain = c.IntAt(224), B.rain = c.IntAt(228);
  A.polarisation = c.IntAt(232), B.polarisation = c.IntAt(236);
  A.zone = c.IntAt(248), A.season = c.IntAt(252);
  B.zone = c.IntAt(256), B.season = c.IntAt(260);
  A.fog = c.IntAt(264), B.fog = c.IntAt(284);
  A.cloud = c.IntAt(272), B.cloud = c.IntAt(280);
  return in;
}

// One figure of a station, its two display fields, and the model value.
struct Row {
  const char* figure;
  const char* home;
  const char* dx;
  Real (*value)(const CaseInputs&, const StationInputs&);
};

Real Rp(const StationInputs& s) {
  return s.p / 1013;
}
Real Rt(const StationInputs& s) {
  return 288 / (s.t + 273);
}
Real Rho(const StationInputs& s) {
  return VapourDensityAt(s.t, s.H, true);
}
Real GammaO(const CaseInputs& c, const StationInputs& s) {
  return DryAirAttenuation(c.f, Rp(s), Rt(s)).value();
}
Real GammaW(const CaseInputs& c, const StationInputs& s) {
  return VapourAttenuation(c.f, Rp(s), Rt(s), Rho(s));
}
Real Zenith(const CaseInputs& c, const StationInputs& s) {
  return GammaO(c, s) * DryAirEquivalentHeight(c.f, Rp(s)) +
         GammaW(c, s) * VapourEquivalentHeight(c.f, Rp(s));
}
Real Kl(const CaseInputs& c, const StationInputs& s) {
  return LiquidWaterCoefficient(c.f, s.t + 273.15L).Kl;
}
ReferenceAtmosphere Profile(const StationInputs& s) {
  ReferenceAtmosphere a;
  EXPECT_TRUE(ReferenceProfileAt(s.zone, s.season, s.height_m, a));
  return a;
}

// How far the model may be from the text: half a unit in the text's last
// digit (the reference rounds its 40-digit value to the decimals shown and to
// eight significant digits, the precision of every field compared here), and
// a hair for the 80-bit arithmetic.
struct Shown {
  Real value;
  Real tol;
  int decimals;
};
Shown Parse(const std::string& text) {
  char* end = nullptr;
  const Real v = std::strtold(text.c_str(), &end);
  const std::string number(text.c_str(), static_cast<std::size_t>(end - text.c_str()));
  const auto dot = number.find('.');
  const int decimals = dot == std::string::npos ? 0 : static_cast<int>(number.size() - dot - 1);
  Real unit = std::pow(10.0L, -decimals);
  if (v != 0) unit = std::max(unit, std::pow(10.0L, std::floor(std::log10(std::fabs(v))) - 7));
  return {v, unit / 2 * (1 + 1e-9L) + std::fabs(v) * 1e-15L, decimals};
}

class ModelAtReferenceWeathers : public ::testing::Test {
 protected:
  // Compares each row at every case, both stations. `applies` chooses the
  // stations a row has a figure for; `coverage` names the combination a
  // comparison with at least four decimals counts towards.
  template <typename Applies, typename Coverage>
  void Check(const Row* rows, std::size_t n, Applies applies, Coverage coverage) {
    for (const ReferenceCase& c : testing::ReferenceCases()) {
      const CaseInputs in = InputsOf(c);
      for (std::size_t r = 0; r < n; ++r) {
        const Row& row = rows[r];
        for (const bool home : {true, false}) {
          const StationInputs& s = home ? in.home : in.dx;
          const char* component = home ? row.home : row.dx;
          if (!component || !applies(in, s)) continue;
          const std::string* text = c.Text(component);
          if (!text) continue;
          const Shown shown = Parse(*text);
          const Real model = row.value(in, s);
          EXPECT_NEAR(model, shown.value, shown.tol)
              << row.figure << ", case " << c.number << ", " << (home ? "Home" : "DX") << " ("
              << component << " \"" << *text << "\")";
          if (shown.decimals >= 4) covered_.insert(row.figure + (": " + coverage(in, s)));
        }
      }
    }
  }
  void ExpectCovered(const std::string& key) {
    EXPECT_TRUE(covered_.count(key)) << key << " is never compared to four decimals";
  }

  std::set<std::string> covered_;
};

std::string BandOf(const CaseInputs& c, const StationInputs&) {
  return std::to_string(c.band);
}
bool Always(const CaseInputs&, const StationInputs&) {
  return true;
}

TEST_F(ModelAtReferenceWeathers, GaseousAttenuationAndEquivalentHeights) {
  const Row rows[] = {
      {"water-vapour density", "Panel12", "Panel79",
       [](const CaseInputs&, const StationInputs& s) { return Rho(s); }},
      {"dry air gamma_o", "Panel6", "Panel94", GammaO},
      {"water vapour gamma_w", "Panel9", "Panel100", GammaW},
      {"dry-air height h_o", "Panel27", "Panel96",
       [](const CaseInputs& c, const StationInputs& s) {
         return DryAirEquivalentHeight(c.f, Rp(s));
       }},
      {"vapour height h_w", "Panel22", "Panel102",
       [](const CaseInputs& c, const StationInputs& s) {
         return VapourEquivalentHeight(c.f, Rp(s));
       }},
      {"zenith attenuation", "Panel20", "Panel106", Zenith},
      {"slant attenuation", "Panel19", "Panel112",
       [](const CaseInputs& c, const StationInputs& s) {
         return SlantAttenuation(Zenith(c, s), s.elevation);
       }},
  };
  Check(rows, std::size(rows), Always, BandOf);
  for (const Row& row : rows)
    for (int band = 0; band < 8; ++band) ExpectCovered(row.figure + (": " + std::to_string(band)));
}

TEST_F(ModelAtReferenceWeathers, RainAtEveryBandAndPolarisation) {
  const Row rows[] = {
      {"rain gamma_R", "Panel32", "Panel89", [](const CaseInputs& c, const StationInputs& s) {
         const RainCoefficients b = RainCoefficientsAt(kBandGHz.at(c.band)).value();
         const Real k[] = {b.kH, b.kV, (b.kH + b.kV) / 2};
         const Real alpha[] = {b.alphaH, b.alphaV, (b.alphaH + b.alphaV) / 2};
         return RainSpecificAttenuation(k[s.polarisation], alpha[s.polarisation],
                                        kRainRate.at(s.rain));
       }}};
  Check(
      rows, 1, [](const CaseInputs&, const StationInputs& s) { return s.rain > 0; },
      [](const CaseInputs& c, const StationInputs& s) {
        return std::to_string(c.band) + "/" + std::to_string(s.polarisation);
      });
  for (int band = 0; band < 8; ++band)
    for (int pol = 0; pol < 3; ++pol)
      ExpectCovered("rain gamma_R: " + std::to_string(band) + "/" + std::to_string(pol));
}

TEST_F(ModelAtReferenceWeathers, CloudAndFogAtEveryBand) {
  const Row rows[] = {
      {"liquid-water Kl", "Panel33", "Panel84", Kl},
      {"fog", "Panel44", "Panel81",
       [](const CaseInputs& c, const StationInputs& s) {
         return Kl(c, s) * kFogDensity.at(s.fog);
       }},
      {"cloud slant", "Panel56", "Panel50",
       [](const CaseInputs& c, const StationInputs& s) {
         return CloudSlantAttenuation(s.cloud / 10.0L, Kl(c, s), s.elevation);
       }},
  };
  Check(rows, std::size(rows), Always, BandOf);
  for (const Row& row : rows)
    for (int band = 0; band < 8; ++band) ExpectCovered(row.figure + (": " + std::to_string(band)));
}

TEST_F(ModelAtReferenceWeathers, StandardAtmospheresInEveryZoneAndSeason) {
  const Row rows[] = {
      {"profile T", "Label113", "Label114",
       [](const CaseInputs&, const StationInputs& s) { return Profile(s).T; }},
      {"profile P", "Panel39", "Panel76",
       [](const CaseInputs&, const StationInputs& s) { return Profile(s).P; }},
      {"profile rho", "Panel37", "Panel77",
       [](const CaseInputs&, const StationInputs& s) { return Profile(s).rho; }},
  };
  // Only the Home height is stored; the DX profile is at sea level.
  Check(rows, std::size(rows), Always, [](const CaseInputs&, const StationInputs& s) {
    return std::to_string(s.zone) + "/" + std::to_string(s.season) +
           (s.height_m > 0 ? " aloft" : " at sea level");
  });
  for (int zone = 0; zone < 3; ++zone)
    for (int season = 0; season < 2; ++season)
      for (const char* where : {" aloft", " at sea level"})
        ExpectCovered("profile rho: " + std::to_string(zone) + "/" + std::to_string(season) +
                      where);
}

}  // namespace
}  // namespace quillmere
