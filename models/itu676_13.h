#pragma once
// Gaseous specific attenuation line by line after ITU-R P.676-13 (08/2022)
// Annex 1: the 44 oxygen lines and 35 water-vapour lines of Tables 1 and 2,
// each with its line shape, the oxygen interference (line mixing) term and
// the dry-air continuum. Valid from 1 to 1 000 GHz.
//
// This is the exact method, a companion to the window's P.676-9 Annex 2
// figures (itu676.h), never in their place. It works in double: the
// Recommendation's own accuracy is about 1 %.
//
// The weather of one point of the atmosphere is given as the partial
// pressures the Recommendation uses: p, dry-air pressure (hPa), which is the
// total barometric pressure less e, the water-vapour partial pressure (hPa);
// and the temperature T (K), with theta = 300/T.

#include <span>

namespace quillmere::p676_13 {

// One row of Table 1 (f0 in GHz, a1 ... a6) or Table 2 (f0, b1 ... b6), in
// the units in which the Recommendation prints them.
struct LineRow {
  double f0, c1, c2, c3, c4, c5, c6;
};

// The tables, compiled in from assets/p676/ at build time.
std::span<const LineRow> OxygenLines();
std::span<const LineRow> WaterVapourLines();

// Dry-air and water-vapour partial pressures from the total pressure P (hPa),
// the temperature T (K) and the water-vapour density rho (g/m3):
// e = rho T / 216.7 (P.676-13 Annex 1, section 1), p = P - e.
struct PartialPressures {
  double p;  // dry air, hPa
  double e;  // water vapour, hPa
};
PartialPressures PartialPressuresOf(double P, double T, double rho);

// The line strengths, widths and interference terms of every line at one
// weather (p, e in hPa, T in K), worked out once so that each frequency then
// costs only the line shapes. Evaluate at as many frequencies as needed.
class LineSpectrum {
 public:
  LineSpectrum(double p, double e, double T);
  // Vacuum: no line and no continuum, every attenuation 0.
  LineSpectrum();

  // Specific attenuation of oxygen with the dry continuum, and of water
  // vapour, dB/km, at f (GHz): gamma = 0.1820 f N'' (eq. 1).
  double GammaOxygen(double f) const { return 0.1820 * f * OxygenImaginary(f); }
  double GammaWaterVapour(double f) const { return 0.1820 * f * WaterVapourImaginary(f); }
  double Gamma(double f) const { return GammaOxygen(f) + GammaWaterVapour(f); }

  // N''_Oxygen(f) = sum S_i F_i + N''_D(f) (eq. 2a) and
  // N''_WaterVapour(f) = sum S_i F_i (eq. 2b), N-units.
  double OxygenImaginary(double f) const;
  double WaterVapourImaginary(double f) const;

  // The dry continuum N''_D(f) (eqs. 8 and 9), N-units.
  double DryContinuum(double f) const;

  static constexpr int kOxygenLines = 44;
  static constexpr int kVapourLines = 35;
  // The line sums take four lines at a time: the water-vapour lines are
  // stored with one empty line (no strength) after them.
  static constexpr int kVapourSlots = 36;

 private:
  // Per line: centre f_i, S_i / f_i (the f/f_i of eq. 5 is applied once to
  // the sum), width Delta f and interference delta (eqs. 3-7).
  double o_f0_[kOxygenLines], o_s_[kOxygenLines], o_w_[kOxygenLines], o_d_[kOxygenLines];
  double w_f0_[kVapourSlots], w_s_[kVapourSlots], w_w_[kVapourSlots];
  // Continuum: f p theta^2 (c1 / (d (1 + (f/d)^2)) + c2 / (1 + 1.9e-5 f^1.5)).
  double cont_pt2_, cont_d_, cont_c2_;
};

// Specific attenuation of oxygen with the dry continuum (gamma_o) and of
// water vapour (gamma_w), dB/km, at f (GHz) for p, e (hPa) and T (K). For
// many frequencies at one weather, build a LineSpectrum once instead.
double OxygenSpecificAttenuation(double f, double p, double e, double T);
double WaterVapourSpecificAttenuation(double f, double p, double e, double T);

}  // namespace quillmere::p676_13
