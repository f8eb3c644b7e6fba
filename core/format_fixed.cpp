#include "format_fixed.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace quillmere {
namespace {

using u128 = unsigned __int128;

constexpr int kMaxDigits = 18;

constexpr std::uint64_t Pow5(int k) {
  std::uint64_t r = 1;
  for (int i = 0; i < k; ++i) r *= 5;
  return r;
}

// round(a * 10^k), exactly, with ties away from zero.
// a: finite, 0 <= a < 1e19; k: 0..18, so that a * 10^k < 2^127.
// The extended value is m * 2^e with a 64-bit m, and 10^k = 5^k * 2^k, so
// the scaled value is the integer m * 5^k shifted by e + k bits: no decimal
// conversion error can creep in.
u128 RoundScaled(Real a, int k) {
  if (a == 0) return 0;
  int exp2 = 0;
  const Real frac = std::frexp(a, &exp2);  // a = frac * 2^exp2, frac in [0.5, 1)
  const auto m = static_cast<std::uint64_t>(std::ldexp(frac, 64));
  const u128 n = static_cast<u128>(m) * Pow5(k);
  const int shift = exp2 - 64 + k;
  if (shift >= 0) return n << shift;
  const int s = -shift;
  if (s >= 128) return 0;  // n < 2^127 <= half a unit: rounds to zero
  u128 q = n >> s;
  const u128 rem = n - (q << s);
  if (rem >= (static_cast<u128>(1) << (s - 1))) ++q;
  return q;
}

constexpr std::uint64_t kPow10[] = {1ULL,
                                    10ULL,
                                    100ULL,
                                    1000ULL,
                                    10000ULL,
                                    100000ULL,
                                    1000000ULL,
                                    10000000ULL,
                                    100000000ULL,
                                    1000000000ULL,
                                    10000000000ULL,
                                    100000000000ULL,
                                    1000000000000ULL,
                                    10000000000000ULL,
                                    100000000000000ULL,
                                    1000000000000000ULL,
                                    10000000000000000ULL,
                                    100000000000000000ULL,
                                    1000000000000000000ULL,
                                    10000000000000000000ULL};

// Decimal digits of q (0 for 0). Most figures fit 64 bits, where this is a
// few comparisons; 128-bit division is a library call.
int DigitCount(u128 q) {
  if ((q >> 64) == 0) {
    const auto v = static_cast<std::uint64_t>(q);
    int n = 0;
    while (n < 20 && v >= kPow10[n]) ++n;
    return n;
  }
  int n = 0;
  while (q != 0) {
    q /= 10;
    ++n;
  }
  return n;
}

// Writes the decimal digits of q (which fits 64 bits: at most p + 1 <= 19
// significant digits remain after rounding) into buf, right-aligned; returns
// the count.
int WriteDigits(std::uint64_t q, char* end) {
  int n = 0;
  do {
    *--end = static_cast<char>('0' + q % 10);
    q /= 10;
    ++n;
  } while (q != 0);
  return n;
}

void AppendGrouped(std::string& out, const char* integer, int n, const std::string& separator) {
  for (int i = 0; i < n; ++i) {
    if (i != 0 && (n - i) % 3 == 0) out += separator;
    out += integer[i];
  }
}

// The rare exponent form, for figures whose integer part outgrows the
// precision (a temperature stepped to thousands of degrees, say): p
// significant digits, rounded half away from zero like the fixed form. The
// C library writes the exact binary value to 40 decimals, far below the
// digit that is rounded.
std::string Exponent(bool negative, Real a, int p, int d, const NumberFormat& fmt) {
  char buf[80];
  std::snprintf(buf, sizeof buf, "%.40Le", a);  // d.dddd...e+XX
  const char* e = std::strchr(buf, 'e');
  long exponent = std::strtol(e + 1, nullptr, 10);
  std::string digits;
  for (const char* c = buf; c != e; ++c) {
    if (*c >= '0' && *c <= '9') digits += *c;
  }
  const bool up = digits[p] >= '5';
  digits.resize(p);
  if (up) {
    int i = p - 1;
    while (i >= 0 && digits[i] == '9') digits[i--] = '0';
    if (i >= 0) {
      ++digits[i];
    } else {
      digits.insert(digits.begin(), '1');
      digits.pop_back();
      ++exponent;
    }
  }
  std::string mantissa = digits.substr(0, 1);
  if (p > 1) mantissa += fmt.decimal + digits.substr(1);
  std::string exp_digits = std::to_string(std::labs(exponent));
  const int min_exp_digits = std::min(d, 4);
  if (static_cast<int>(exp_digits.size()) < min_exp_digits) {
    exp_digits.insert(0, min_exp_digits - exp_digits.size(), '0');
  }
  return (negative ? "-" : "") + mantissa + "E" + (exponent < 0 ? "-" : "+") + exp_digits;
}

void Format(std::string& out, Real value, int p, int d, const NumberFormat& fmt, bool grouping) {
  if (!std::isfinite(value)) {
    out += kNoValue;
    return;
  }
  p = std::clamp(p, 1, kMaxDigits);
  d = std::clamp(d, 0, kMaxDigits);
  const bool negative = std::signbit(value);
  const Real a = std::fabs(value);
  if (a >= 1e19L) {
    out += Exponent(negative, a, p, d, fmt);
    return;
  }

  // First at d decimals; when that keeps more than p significant digits,
  // round the original value again, at the p-th significant digit, so that
  // the figure is rounded once only.
  int k = d;
  u128 q = RoundScaled(a, k);
  if (const int n = DigitCount(q); n > p) {
    k = d - (n - p);
    if (k < 0) {
      out += Exponent(negative, a, p, d, fmt);
      return;
    }
    q = RoundScaled(a, k);
  }
  // Here q has at most p + 1 <= 19 digits.
  char buf[48];
  char* const end = buf + sizeof buf;
  int n = WriteDigits(static_cast<std::uint64_t>(q), end);
  while (n < k + 1) end[-++n] = '0';
  const char* digits = end - n;
  const int integer_digits = n - k;
  if (integer_digits > p) {
    out += Exponent(negative, a, p, d, fmt);
    return;
  }

  if (negative && q != 0) out += '-';
  if (grouping) {
    AppendGrouped(out, digits, integer_digits, fmt.group);
  } else {
    out.append(digits, integer_digits);
  }
  if (d > 0) {
    out += fmt.decimal;
    out.append(digits + integer_digits, k);
    out.append(d - k, '0');
  }
}

}  // namespace

std::string FormatFixed(Real value, int p, int d, const NumberFormat& fmt) {
  std::string out;
  Format(out, value, p, d, fmt, false);
  return out;
}

std::string FormatFixedGrouped(Real value, int p, int d, const NumberFormat& fmt) {
  std::string out;
  Format(out, value, p, d, fmt, true);
  return out;
}

void AppendFixed(std::string& out, Real value, int p, int d, const NumberFormat& fmt) {
  Format(out, value, p, d, fmt, false);
}

void AppendFixedGrouped(std::string& out, Real value, int p, int d, const NumberFormat& fmt) {
  Format(out, value, p, d, fmt, true);
}

}  // namespace quillmere
