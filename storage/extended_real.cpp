#include "extended_real.h"

#include <math.h>  // getpayload/setpayload and issignaling, where the C library has them
#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 25))
#define QUILLMERE_HAVE_NAN_PAYLOAD 1
#else
#define QUILLMERE_HAVE_NAN_PAYLOAD 0
#endif

namespace quillmere {
namespace {

constexpr int kBias = 16383;
constexpr int kExponentAllOnes = 0x7fff;
constexpr int kLargestFiniteExponent = 0x7ffe;
constexpr std::uint64_t kIntegerBit = std::uint64_t{1} << 63;
constexpr std::uint64_t kQuietBit = std::uint64_t{1} << 62;
constexpr std::uint64_t kPayloadMask = kQuietBit - 1;
// Unit in the last place of every denormal (and of the smallest normals).
constexpr int kDenormalScale = 1 - kBias - 63;  // -16445
// Width of an x87 NaN payload: the fraction bits below the quiet bit.
constexpr int kPayloadBits = 62;

ExtendedBytes Pack(bool negative, int exponent, std::uint64_t significand) {
  ExtendedBytes out{};
  for (int i = 0; i < 8; ++i) out[i] = static_cast<std::uint8_t>(significand >> (8 * i));
  const unsigned sign_exponent = (negative ? 0x8000u : 0u) | static_cast<unsigned>(exponent);
  out[8] = static_cast<std::uint8_t>(sign_exponent);
  out[9] = static_cast<std::uint8_t>(sign_exponent >> 8);
  return out;
}

ExtendedBytes LargestFinite(bool negative) {
  return Pack(negative, kLargestFiniteExponent, ~std::uint64_t{0});
}

// Payload width of the host type's NaN: its fraction bits below the quiet bit
// (the x87 keeps its integer bit explicit, the IEEE interchange formats do not,
// and the digit count includes it either way).
template <typename F>
constexpr int HostPayloadBits() {
  return std::numeric_limits<F>::digits - 2;
}

#if QUILLMERE_HAVE_NAN_PAYLOAD
inline float GetPayload(const float* x) {
  return ::getpayloadf(x);
}
inline double GetPayload(const double* x) {
  return ::getpayload(x);
}
inline long double GetPayload(const long double* x) {
  return ::getpayloadl(x);
}
inline int SetPayload(float* x, float p) {
  return ::setpayloadf(x, p);
}
inline int SetPayload(double* x, double p) {
  return ::setpayload(x, p);
}
inline int SetPayload(long double* x, long double p) {
  return ::setpayloadl(x, p);
}
inline int SetPayloadSignaling(float* x, float p) {
  return ::setpayloadsigf(x, p);
}
inline int SetPayloadSignaling(double* x, double p) {
  return ::setpayloadsig(x, p);
}
inline int SetPayloadSignaling(long double* x, long double p) {
  return ::setpayloadsigl(x, p);
}
#endif

template <typename F>
bool IsSignaling(F x) {
#if QUILLMERE_HAVE_NAN_PAYLOAD
  return issignaling(x) != 0;
#else
  (void)x;
  return false;
#endif
}

// x: a NaN. Returns its payload as 62 bits aligned at the top.
template <typename F>
std::uint64_t NanPayload(F x) {
#if QUILLMERE_HAVE_NAN_PAYLOAD
  constexpr int host_bits = HostPayloadBits<F>();
  const F payload = GetPayload(&x);
  if constexpr (host_bits >= kPayloadBits) {
    return static_cast<std::uint64_t>(std::floor(std::ldexp(payload, kPayloadBits - host_bits)));
  } else {
    return static_cast<std::uint64_t>(payload) << (kPayloadBits - host_bits);
  }
#else
  (void)x;
  return 0;
#endif
}

// A NaN of the host type with the given sign, kind and top-aligned payload.
template <typename F>
F MakeNan(bool negative, bool signalling, std::uint64_t payload) {
  F nan = std::numeric_limits<F>::quiet_NaN();
#if QUILLMERE_HAVE_NAN_PAYLOAD
  constexpr int host_bits = HostPayloadBits<F>();
  F host_payload;
  if constexpr (host_bits >= kPayloadBits) {
    host_payload = std::ldexp(static_cast<F>(payload), host_bits - kPayloadBits);
  } else {
    host_payload = static_cast<F>(payload >> (kPayloadBits - host_bits));
  }
  // A signalling NaN needs a non-zero payload; with none left it is quiet.
  if (signalling && host_payload != 0) {
    SetPayloadSignaling(&nan, host_payload);
  } else {
    SetPayload(&nan, host_payload);
  }
#else
  (void)payload;
  if (signalling) nan = std::numeric_limits<F>::signaling_NaN();
#endif
  return std::copysign(nan, negative ? F(-1) : F(1));
}

// What an x87 computes from an operand it rejects: the "real indefinite".
template <typename F>
F RealIndefinite() {
  return MakeNan<F>(true, false, 0);
}

// Rounds m / 2^shift to the nearest integer, ties to even (shift >= 1).
std::uint64_t ShiftRightRounded(std::uint64_t m, int shift) {
  if (shift > 64) return 0;
  if (shift == 64) return m > kIntegerBit ? 1 : 0;  // a tie rounds to the even 0
  const std::uint64_t kept = m >> shift;
  const std::uint64_t rest = m & ((std::uint64_t{1} << shift) - 1);
  const std::uint64_t half = std::uint64_t{1} << (shift - 1);
  return (rest > half || (rest == half && (kept & 1))) ? kept + 1 : kept;
}

// significand * 2^scale (significand > 0) as the nearest value of the host
// type, saturating at its largest finite value.
template <typename F>
F ScaleToHost(std::uint64_t significand, int scale) {
  using limits = std::numeric_limits<F>;
  constexpr int digits = limits::digits;
  // frexp exponent of the value: it lies in [2^(e-1), 2^e).
  const int e = std::bit_width(significand) + scale;
  if (e > limits::max_exponent) return limits::max();
  // Exponent of the host's unit in the last place at this magnitude; fixed
  // throughout its denormal range.
  const int ulp = std::max(e - digits, limits::min_exponent - digits);
  const int shift = ulp - scale;
  if (shift <= 0) {
    // Every bit fits: the conversion and the scaling are exact.
    return std::ldexp(static_cast<F>(significand), scale);
  }
  const F rounded = std::ldexp(static_cast<F>(ShiftRightRounded(significand, shift)), ulp);
  // Rounding up at the top of the range may reach 2^max_exponent.
  return std::isinf(rounded) ? limits::max() : rounded;
}

}  // namespace

namespace extended_detail {

template <typename F>
std::uint64_t RoundHalfEven(F y, bool& carry) {
  const F whole = std::floor(y);
  const F fraction = y - whole;
  std::uint64_t n = static_cast<std::uint64_t>(whole);
  carry = false;
  const F half = F(1) / F(2);
  if (fraction > half || (fraction == half && (n & 1))) {
    ++n;
    carry = (n == 0);
  }
  return n;
}

}  // namespace extended_detail

template <typename F>
ExtendedBytes EncodeExtendedAs(F x) {
  static_assert(std::numeric_limits<F>::radix == 2, "binary floating point only");
  const bool negative = std::signbit(x);
  if (std::isnan(x)) {
    const std::uint64_t payload = NanPayload(x) & kPayloadMask;
    // The pattern of a signalling NaN with no payload is infinity's: keep it a NaN.
    const bool signalling = IsSignaling(x) && payload != 0;
    return Pack(negative, kExponentAllOnes, kIntegerBit | (signalling ? 0 : kQuietBit) | payload);
  }
  if (std::isinf(x)) return Pack(negative, kExponentAllOnes, kIntegerBit);
  if (x == 0) return Pack(negative, 0, 0);

  int e = 0;
  const F m = std::frexp(std::fabs(x), &e);  // |x| = m * 2^e, 0.5 <= m < 1
  int exponent = e + kBias - 1;
  if (exponent > kLargestFiniteExponent) return LargestFinite(negative);
  // Significand bits the x87 keeps at this magnitude: all 64 when normal, fewer
  // in the denormal range, whose unit is 2^-16445 throughout.
  const int bits = exponent >= 1 ? 64 : 63 + exponent;
  if (bits < 0) return Pack(negative, 0, 0);  // below half the smallest denormal

  bool carry = false;
  std::uint64_t significand = extended_detail::RoundHalfEven(std::ldexp(m, bits), carry);
  if (carry) {
    significand = kIntegerBit;
    if (++exponent > kLargestFiniteExponent) return LargestFinite(negative);
  }
  if (exponent < 1) {
    // A denormal rounded up to 2^63 units is the smallest normal number.
    exponent = (significand & kIntegerBit) ? 1 : 0;
  }
  return Pack(negative, exponent, significand);
}

template <typename F>
F DecodeExtendedAs(const std::uint8_t* bytes) {
  static_assert(std::numeric_limits<F>::radix == 2, "binary floating point only");
  std::uint64_t significand = 0;
  for (int i = 7; i >= 0; --i) significand = (significand << 8) | bytes[i];
  const unsigned sign_exponent = bytes[8] | (static_cast<unsigned>(bytes[9]) << 8);
  const bool negative = (sign_exponent & 0x8000u) != 0;
  const int exponent = static_cast<int>(sign_exponent & 0x7fffu);
  const bool integer_bit = (significand & kIntegerBit) != 0;

  if (exponent == kExponentAllOnes) {
    if (!integer_bit) return RealIndefinite<F>();  // pseudo-infinity, pseudo-NaN
    if ((significand & ~kIntegerBit) == 0) {
      return negative ? -std::numeric_limits<F>::infinity() : std::numeric_limits<F>::infinity();
    }
    return MakeNan<F>(negative, (significand & kQuietBit) == 0, significand & kPayloadMask);
  }
  if (exponent != 0 && !integer_bit) return RealIndefinite<F>();  // unnormal, pseudo-zero
  if (significand == 0) return negative ? -F(0) : F(0);
  // Denormals and pseudo-denormals share the unit of the smallest normals.
  const int scale = exponent == 0 ? kDenormalScale : exponent - kBias - 63;
  const F magnitude = ScaleToHost<F>(significand, scale);
  return negative ? -magnitude : magnitude;
}

ExtendedBytes EncodeExtended(Real x) {
  return EncodeExtendedAs<Real>(x);
}

Real DecodeExtended(const std::uint8_t* bytes) {
  return DecodeExtendedAs<Real>(bytes);
}

template ExtendedBytes EncodeExtendedAs<float>(float);
template ExtendedBytes EncodeExtendedAs<double>(double);
template ExtendedBytes EncodeExtendedAs<long double>(long double);
template float DecodeExtendedAs<float>(const std::uint8_t*);
template double DecodeExtendedAs<double>(const std::uint8_t*);
template long double DecodeExtendedAs<long double>(const std::uint8_t*);
template std::uint64_t extended_detail::RoundHalfEven<float>(float, bool&);
template std::uint64_t extended_detail::RoundHalfEven<double>(double, bool&);
template std::uint64_t extended_detail::RoundHalfEven<long double>(long double, bool&);

}  // namespace quillmere
