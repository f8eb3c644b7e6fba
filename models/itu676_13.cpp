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

// Four doubles side by side, for the loops that go line by line.
using Lanes = double __attribute__((vector_size(32)));
using LaneBits = long long __attribute__((vector_size(32)));

// The line strengths and widths need some 110 exponentials per layer, most
// of the cost of building an atmosphere. They are gathered into one array
// and taken four at a time by this exp: x = k ln 2 + r with |r| <= ln 2 / 2
// (ln 2 split in two so that k ln 2 is exact), e^r by its Taylor series to
// r^13 (the rest is below 1e-17 of it), and 2^k put into the exponent
// bits. It agrees with std::exp to a few units in the last place for the
// arguments met here, |x| < 700; beyond that the library takes over.
__attribute__((target_clones("avx2", "default"))) void ExpInPlace(double* x, int n) {
  constexpr double kLog2e = 1.4426950408889634;
  constexpr double kLn2Hi = 6.93147180369123816490e-01;
  constexpr double kLn2Lo = 1.90821492927058770002e-10;
  constexpr double kRound = 6755399441055744.0;  // 1.5 2^52: rounds to an integer
  int lanes = n - n % 4;
  for (int i = 0; i < lanes; ++i)
    if (!(std::abs(x[i]) < 700)) lanes = 0;
  for (int i = 0; i < lanes; i += 4) {
    Lanes v;
    std::memcpy(&v, x + i, sizeof v);
    // k = round(x / ln 2), which also stands in the low bits of the
    // rounded sum's mantissa, whence 2^k without a conversion.
    const Lanes rounded = v * kLog2e + kRound;
    const Lanes k = rounded - kRound;
    const Lanes r = (v - k * kLn2Hi) - k * kLn2Lo;
    Lanes e = r * (1.0 / 6227020800) + 1.0 / 479001600;  // 1/13!, 1/12!
    e = e * r + 1.0 / 39916800;
    e = e * r + 1.0 / 3628800;
    e = e * r + 1.0 / 362880;
    e = e * r + 1.0 / 40320;
    e = e * r + 1.0 / 5040;
    e = e * r + 1.0 / 720;
    e = e * r + 1.0 / 120;
    e = e * r + 1.0 / 24;
    e = e * r + 1.0 / 6;
    e = e * r + 0.5;
    e = e * r + 1.0;
    e = e * r + 1.0;
    LaneBits bits, k_bits;
    long long round_bits;
    std::memcpy(&bits, &e, sizeof bits);
    std::memcpy(&k_bits, &rounded, sizeof k_bits);
    std::memcpy(&round_bits, &kRound, sizeof round_bits);
    bits += (k_bits - round_bits) << 52;
    std::memcpy(x + i, &bits, sizeof bits);
  }
  for (int i = lanes; i < n; ++i) x[i] = std::exp(x[i]);
}

// The tables as the layers use them: the constants of each line that do
// not depend on the weather, worked out once. The temperature exponents b4
// and b6 of the water-vapour widths repeat from line to line (some 30
// distinct values among 70), so each distinct power of theta is taken once
// per weather.
struct LineConstants {
  static constexpr int kO = LineSpectrum::kOxygenLines;
  static constexpr int kW = LineSpectrum::kVapourLines;
  // a1 1e-7 / f0 and b1 1e-1 / f0: the strength of eq. 3 over f_i.
  double o_strength[kO], w_strength[kW];
  // b_3 1e-4 and the Doppler term 2.1316e-12 f0^2 of the vapour widths.
  double w_doppler[kW];
  bool oxygen_exponents_zero = true;  // every a4 = 0: theta^0.8 for all
  int count = 0;
  double value[2 * kW + kO];
  int b4[kW], b6[kW], a4[kO];

  LineConstants() {
    const auto oxygen = OxygenLines();
    const auto vapour = WaterVapourLines();
    auto index = [&](double x) {
      for (int k = 0; k < count; ++k)
        if (value[k] == x) return k;
      value[count] = x;
      return count++;
    };
    for (int i = 0; i < kW; ++i) {
      b4[i] = index(vapour[i].c4);
      b6[i] = index(vapour[i].c6);
      w_strength[i] = vapour[i].c1 * 1e-1 / vapour[i].f0;
      w_doppler[i] = 2.1316e-12 * vapour[i].f0 * vapour[i].f0;
    }
    for (int i = 0; i < kO; ++i) {
      o_strength[i] = oxygen[i].c1 * 1e-7 / oxygen[i].f0;
      if (oxygen[i].c4 != 0) oxygen_exponents_zero = false;
      a4[i] = index(0.8 - oxygen[i].c4);
    }
  }
};

const LineConstants& Constants() {
  static const LineConstants constants;
  return constants;
}

}  // namespace

LineSpectrum::LineSpectrum(double p, double e, double T) {
  const double theta = 300 / T;
  const double ln_theta = std::log(theta);
  const double one_minus_theta = 1 - theta;
  const double theta08 = std::exp(0.8 * ln_theta);
  const LineConstants& c = Constants();
  const auto oxygen = OxygenLines();
  const auto vapour = WaterVapourLines();

  // Every exponential of the layer in one array: the oxygen strengths'
  // theta^3 exp(a2 (1 - theta)), the vapour strengths' theta^3.5
  // exp(b2 (1 - theta)), then the distinct powers of theta of the widths.
  constexpr int kPowers = kOxygenLines + kVapourLines;
  double x[kPowers + 2 * kVapourLines + kOxygenLines];
  for (int i = 0; i < kOxygenLines; ++i) x[i] = 3 * ln_theta + oxygen[i].c2 * one_minus_theta;
  for (int i = 0; i < kVapourLines; ++i)
    x[kOxygenLines + i] = 3.5 * ln_theta + vapour[i].c2 * one_minus_theta;
  for (int k = 0; k < c.count; ++k) x[kPowers + k] = c.value[k] * ln_theta;
  ExpInPlace(x, kPowers + c.count);
  const double* theta_x = x + kPowers;

  for (int i = 0; i < kOxygenLines; ++i) {
    const LineRow& l = oxygen[i];
    // eq. 3: S = a1 1e-7 p theta^3 exp(a2 (1 - theta)); kept as S / f_i.
    o_s_[i] = c.o_strength[i] * p * x[i];
    // eq. 6a: Delta f = a3 1e-4 (p theta^(0.8 - a4) + 1.1 e theta).
    const double theta_p = c.oxygen_exponents_zero ? theta08 : theta_x[c.a4[i]];
    const double w = l.c3 * 1e-4 * (p * theta_p + 1.1 * e * theta);
    // eq. 6b: the Zeeman splitting of the oxygen lines keeps a minimum
    // width where the pressure broadening vanishes, high in the atmosphere.
    o_w_[i] = std::sqrt(w * w + 2.25e-6);
    // eq. 7: the interference (line mixing) correction of the oxygen lines.
    o_d_[i] = (l.c5 + l.c6 * theta) * 1e-4 * (p + e) * theta08;
    o_f0_[i] = l.f0;
  }

  const double inverse_theta = T / 300;
  for (int i = 0; i < kVapourLines; ++i) {
    const LineRow& l = vapour[i];
    // eq. 3: S = b1 1e-1 e theta^3.5 exp(b2 (1 - theta)); kept as S / f_i.
    w_s_[i] = c.w_strength[i] * e * x[kOxygenLines + i];
    // eq. 6a: Delta f = b3 1e-4 (p theta^b4 + b5 e theta^b6).
    const double w = l.c3 * 1e-4 * (p * theta_x[c.b4[i]] + l.c5 * e * theta_x[c.b6[i]]);
    // eq. 6b: the Doppler broadening of the water-vapour lines, folded in
    // by the Recommendation's approximation to the Voigt width.
    w_w_[i] = 0.535 * w + std::sqrt(0.217 * w * w + c.w_doppler[i] * inverse_theta);
    w_f0_[i] = l.f0;
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
