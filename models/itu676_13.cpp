#include "itu676_13.h"

#include <cmath>
#include <cstring>

namespace quillmere::p676_13 {

PartialPressures PartialPressuresOf(double P, double T, double rho) {
  // The vapour partial pressure of an ideal gas at density rho.
  const double e = rho * T / 216.7;
  return {P - e, e};
}

namespace {

// The temperature exponents b4 and b6 of the water-vapour widths repeat
// from line to line (some 30 distinct values among 70), so each distinct
// power of theta is taken once per weather: the exponentials are most of
// the cost of a layer.
struct VapourExponents {
  int count = 0;
  double value[2 * LineSpectrum::kVapourLines];
  int b4[LineSpectrum::kVapourLines], b6[LineSpectrum::kVapourLines];

  VapourExponents() {
    const auto lines = WaterVapourLines();
    auto index = [&](double x) {
      for (int k = 0; k < count; ++k)
        if (value[k] == x) return k;
      value[count] = x;
      return count++;
    };
    for (int i = 0; i < LineSpectrum::kVapourLines; ++i) {
      b4[i] = index(lines[i].c4);
      b6[i] = index(lines[i].c6);
    }
  }
};

const VapourExponents& Exponents() {
  static const VapourExponents exponents;
  return exponents;
}

}  // namespace

LineSpectrum::LineSpectrum(double p, double e, double T) {
  const double theta = 300 / T;
  const double ln_theta = std::log(theta);
  const double one_minus_theta = 1 - theta;
  const double theta08 = std::exp(0.8 * ln_theta);

  const auto oxygen = OxygenLines();
  for (int i = 0; i < kOxygenLines; ++i) {
    const LineRow& l = oxygen[i];
    // eq. 3: S = a1 1e-7 p theta^3 exp(a2 (1 - theta)).
    const double S = l.c1 * 1e-7 * p * std::exp(3 * ln_theta + l.c2 * one_minus_theta);
    // eq. 6a: Delta f = a3 1e-4 (p theta^(0.8 - a4) + 1.1 e theta).
    const double theta_p = l.c4 == 0 ? theta08 : std::exp((0.8 - l.c4) * ln_theta);
    const double w = l.c3 * 1e-4 * (p * theta_p + 1.1 * e * theta);
    // eq. 6b: the Zeeman splitting of the oxygen lines keeps a minimum
    // width where the pressure broadening vanishes, high in the atmosphere.
    o_w_[i] = std::sqrt(w * w + 2.25e-6);
    // eq. 7: the interference (line mixing) correction of the oxygen lines.
    o_d_[i] = (l.c5 + l.c6 * theta) * 1e-4 * (p + e) * theta08;
    o_f0_[i] = l.f0;
    o_s_[i] = S / l.f0;
  }

  const auto vapour = WaterVapourLines();
  const VapourExponents& x = Exponents();
  double theta_x[2 * kVapourLines];
  for (int k = 0; k < x.count; ++k) theta_x[k] = std::exp(x.value[k] * ln_theta);
  for (int i = 0; i < kVapourLines; ++i) {
    const LineRow& l = vapour[i];
    // eq. 3: S = b1 1e-1 e theta^3.5 exp(b2 (1 - theta)).
    const double S = l.c1 * 1e-1 * e * std::exp(3.5 * ln_theta + l.c2 * one_minus_theta);
    // eq. 6a: Delta f = b3 1e-4 (p theta^b4 + b5 e theta^b6).
    const double w = l.c3 * 1e-4 * (p * theta_x[x.b4[i]] + l.c5 * e * theta_x[x.b6[i]]);
    // eq. 6b: the Doppler broadening of the water-vapour lines, folded in
    // by the Recommendation's approximation to the Voigt width.
    w_w_[i] = 0.535 * w + std::sqrt(0.217 * w * w + 2.1316e-12 * l.f0 * l.f0 / theta);
    w_f0_[i] = l.f0;
    w_s_[i] = S / l.f0;
  }
  for (int i = kVapourLines; i < kVapourSlots; ++i) {
    w_f0_[i] = w_w_[i] = 1;
    w_s_[i] = 0;
  }

  // eqs. 8 and 9: the Debye spectrum of oxygen below 10 GHz and the
  // pressure-induced nitrogen absorption above 100 GHz.
  cont_pt2_ = p * theta * theta;
  cont_d_ = 5.6e-4 * (p + e) * theta08;
  cont_c2_ = 1.4e-12 * p * theta * std::sqrt(theta);
}

LineSpectrum::LineSpectrum() : cont_pt2_(0), cont_d_(1), cont_c2_(0) {
  for (int i = 0; i < kOxygenLines; ++i) {
    o_f0_[i] = o_w_[i] = 1;
    o_s_[i] = o_d_[i] = 0;
  }
  for (int i = 0; i < kVapourSlots; ++i) {
    w_f0_[i] = w_w_[i] = 1;
    w_s_[i] = 0;
  }
}

namespace {

// sum over lines of (S_i / f_i) times the bracket of eq. 5,
//   (Df - delta (f_i - f)) / ((f_i - f)^2 + Df^2)
//   + (Df - delta (f_i + f)) / ((f_i + f)^2 + Df^2),
// the two fractions over one common denominator: one division per line.
// Four lines at a time, lane k summing the lines i = k mod 4, so that the
// divisions of four lines go together where the processor has 256-bit
// vectors; each lane does exactly the arithmetic of one line in turn, so
// the sum comes out the same to the last bit on any processor. n is a
// multiple of 4.
using Lanes = double __attribute__((vector_size(32)));

template <bool kInterference>
__attribute__((target_clones("avx", "default"))) double LineSum(double f, int n, const double* f0,
                                                                const double* s, const double* w,
                                                                const double* d) {
  Lanes acc = {0, 0, 0, 0};
  for (int i = 0; i < n; i += 4) {
    Lanes f0_i, s_i, w_i, d_i;
    std::memcpy(&f0_i, f0 + i, sizeof f0_i);
    std::memcpy(&s_i, s + i, sizeof s_i);
    std::memcpy(&w_i, w + i, sizeof w_i);
    const Lanes x1 = f0_i - f;
    const Lanes x2 = f0_i + f;
    const Lanes w2 = w_i * w_i;
    const Lanes d1 = x1 * x1 + w2;
    const Lanes d2 = x2 * x2 + w2;
    Lanes num;
    if constexpr (kInterference) {
      std::memcpy(&d_i, d + i, sizeof d_i);
      num = (w_i - d_i * x1) * d2 + (w_i - d_i * x2) * d1;
    } else {
      num = w_i * (d1 + d2);
    }
    acc += s_i * num / (d1 * d2);
  }
  return (acc[0] + acc[1]) + (acc[2] + acc[3]);
}

}  // namespace

double LineSpectrum::DryContinuum(double f) const {
  const double fd = f / cont_d_;
  return f * cont_pt2_ *
         (6.14e-5 / (cont_d_ * (1 + fd * fd)) + cont_c2_ / (1 + 1.9e-5 * f * std::sqrt(f)));
}

double LineSpectrum::OxygenImaginary(double f) const {
  return f * LineSum<true>(f, kOxygenLines, o_f0_, o_s_, o_w_, o_d_) + DryContinuum(f);
}

double LineSpectrum::WaterVapourImaginary(double f) const {
  return f * LineSum<false>(f, kVapourSlots, w_f0_, w_s_, w_w_, nullptr);
}

double OxygenSpecificAttenuation(double f, double p, double e, double T) {
  return LineSpectrum(p, e, T).GammaOxygen(f);
}

double WaterVapourSpecificAttenuation(double f, double p, double e, double T) {
  return LineSpectrum(p, e, T).GammaWaterVapour(f);
}

}  // namespace quillmere::p676_13
