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

int DigitCount(u128 q) {
  int n = 0;
  while (q != 0) {
    q /= 10;
    ++n;
  }
  return n;
}

std::string Digits(u128 q) {
  char buf[48];
  int i = sizeof buf;
  do {
    buf[--i] = static_cast<char>('0' + static_cast<int>(q % 10));
    q /= 10;
  } while (q != 0);
  return std::string(buf + i, sizeof buf - i);
}

std::string Group(const std::string& integer, const std::string& separator) {
  std::string out;
  const std::size_t n = integer.size();
  out.reserve(n + (n / 3) * separator.size());
  for (std::size_t i = 0; i < n; ++i) {
    if (i != 0 && (n - i) % 3 == 0) out += separator;
    out += integer[i];
  }
  return out;
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

std::string Format(Real value, int p, int d, const NumberFormat& fmt, bool grouping) {
  if (!std::isfinite(value)) return kNoValue;
  p = std::clamp(p, 1, kMaxDigits);
  d = std::clamp(d, 0, kMaxDigits);
  const bool negative = std::signbit(value);
  const Real a = std::fabs(value);
  if (a >= 1e19L) return Exponent(negative, a, p, d, fmt);

  // First at d decimals; when that keeps more than p significant digits,
  // round the original value again, at the p-th significant digit, so that
  // the figure is rounded once only.
  int k = d;
  u128 q = RoundScaled(a, k);
  if (const int n = DigitCount(q); n > p) {
    k = d - (n - p);
    if (k < 0) return Exponent(negative, a, p, d, fmt);
    q = RoundScaled(a, k);
  }
  std::string digits = Digits(q);
  if (static_cast<int>(digits.size()) < k + 1) digits.insert(0, k + 1 - digits.size(), '0');
  std::string integer = digits.substr(0, digits.size() - k);
  if (static_cast<int>(integer.size()) > p) return Exponent(negative, a, p, d, fmt);

  std::string out;
  if (negative && q != 0) out += '-';
  out += grouping ? Group(integer, fmt.group) : integer;
  if (d > 0) {
    out += fmt.decimal;
    out.append(digits, digits.size() - k, k);
    out.append(d - k, '0');
  }
  return out;
}

}  // namespace

std::string FormatFixed(Real value, int p, int d, const NumberFormat& fmt) {
  return Format(value, p, d, fmt, false);
}

std::string FormatFixedGrouped(Real value, int p, int d, const NumberFormat& fmt) {
  return Format(value, p, d, fmt, true);
}

}  // namespace quillmere
