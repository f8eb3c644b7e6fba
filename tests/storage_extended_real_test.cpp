// The 10-byte x87 real of the data file. On x86-64 the host's long double is
// that very format, so the hardware is the reference: the conversion, which
// works by arithmetic alone, must agree with the native bytes bit for bit, and
// its double and float variants with the x87's own conversions.

#include <gtest/gtest.h>

#include <math.h>
#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "extended_real.h"

namespace quillmere {
namespace {

static_assert(std::numeric_limits<long double>::digits == 64 &&
                  std::numeric_limits<long double>::max_exponent == 16384,
              "these tests use the host's long double as the x87 reference");

ExtendedBytes Bytes(std::uint64_t significand, unsigned sign_exponent) {
  ExtendedBytes b{};
  for (int i = 0; i < 8; ++i) b[i] = static_cast<std::uint8_t>(significand >> (8 * i));
  b[8] = static_cast<std::uint8_t>(sign_exponent);
  b[9] = static_cast<std::uint8_t>(sign_exponent >> 8);
  return b;
}

// The host's own bytes of a long double (its first 10 bytes are the x87 real).
ExtendedBytes NativeBytes(long double x) {
  unsigned char raw[sizeof(long double)] = {};
  std::memcpy(raw, &x, sizeof x);
  ExtendedBytes b{};
  std::memcpy(b.data(), raw, b.size());
  return b;
}

long double FromNativeBytes(const ExtendedBytes& b) {
  unsigned char raw[sizeof(long double)] = {};
  std::memcpy(raw, b.data(), b.size());
  long double x;
  std::memcpy(&x, raw, sizeof x);
  return x;
}

std::string Hex(const ExtendedBytes& b) {
  static const char* digits = "0123456789abcdef";
  std::string s;
  for (std::uint8_t v : b) {
    if (!s.empty()) s += ' ';
    s += digits[v >> 4];
    s += digits[v & 15];
  }
  return s;
}

template <typename T>
std::uint64_t HostBits(T x) {
  if constexpr (sizeof(T) == 8) {
    std::uint64_t u;
    std::memcpy(&u, &x, 8);
    return u;
  } else {
    std::uint32_t u;
    std::memcpy(&u, &x, 4);
    return u;
  }
}

// --- Known values --------------------------------------------------------

struct KnownCase {
  const char* name;
  long double value;
  ExtendedBytes bytes;
};

void PrintTo(const KnownCase& c, std::ostream* os) {
  *os << c.name;
}

// The bytes were worked out from the decimal values in exact rational
// arithmetic (nearest extended value, ties to even), independently of the
// host's long double.
const KnownCase kKnown[] = {
    {"one_tenth", 0.1L, {0xcd, 0xcc, 0xcc, 0xcc, 0xcc, 0xcc, 0xcc, 0xcc, 0xfb, 0x3f}},
    {"band_10GHz", 10.368L, {0x87, 0x16, 0xd9, 0xce, 0xf7, 0x53, 0xe3, 0xa5, 0x02, 0x40}},
    {"absolute_zero_degC", -273.15L, {0x33, 0x33, 0x33, 0x33, 0x33, 0x33, 0x93, 0x88, 0x07, 0xc0}},
    {"denormal_1e_minus_4950", 1e-4950L, {0x03, 0, 0, 0, 0, 0, 0, 0, 0x00, 0x00}},
    {"smallest_denormal", LDBL_TRUE_MIN, {0x01, 0, 0, 0, 0, 0, 0, 0, 0x00, 0x00}},
    {"largest_denormal", LDBL_MIN - LDBL_TRUE_MIN, Bytes(0x7fffffffffffffff, 0x0000)},
    {"smallest_normal", LDBL_MIN, Bytes(0x8000000000000000, 0x0001)},
    {"largest_finite", LDBL_MAX, Bytes(0xffffffffffffffff, 0x7ffe)},
    {"negative_largest_finite", -LDBL_MAX, Bytes(0xffffffffffffffff, 0xfffe)},
    {"plus_zero", 0.0L, Bytes(0, 0x0000)},
    {"minus_zero", -0.0L, Bytes(0, 0x8000)},
    {"plus_infinity", std::numeric_limits<long double>::infinity(),
     Bytes(0x8000000000000000, 0x7fff)},
    {"minus_infinity", -std::numeric_limits<long double>::infinity(),
     Bytes(0x8000000000000000, 0xffff)},
    {"quiet_nan", std::numeric_limits<long double>::quiet_NaN(), Bytes(0xc000000000000000, 0x7fff)},
    {"real_indefinite", -std::numeric_limits<long double>::quiet_NaN(),
     Bytes(0xc000000000000000, 0xffff)},
};

class KnownValues : public ::testing::TestWithParam<KnownCase> {};

TEST_P(KnownValues, EncodeGivesTheKnownBytes) {
  EXPECT_EQ(Hex(EncodeExtended(GetParam().value)), Hex(GetParam().bytes));
}

TEST_P(KnownValues, DecodeGivesTheValueBitForBit) {
  EXPECT_EQ(Hex(NativeBytes(DecodeExtended(GetParam().bytes.data()))), Hex(GetParam().bytes));
}

TEST_P(KnownValues, TheHostAgreesWithTheKnownBytes) {
  EXPECT_EQ(Hex(NativeBytes(GetParam().value)), Hex(GetParam().bytes));
}

INSTANTIATE_TEST_SUITE_P(Codec, KnownValues, ::testing::ValuesIn(kKnown),
                         [](const auto& info) { return std::string(info.param.name); });

// --- Every canonical pattern against the host's x87 ----------------------

// Random canonical bit patterns of every class, weighted towards the edges of
// the exponent range.
ExtendedBytes RandomCanonical(std::mt19937_64& rng) {
  const std::uint64_t r = rng();
  const unsigned sign = (rng() & 1) ? 0x8000u : 0u;
  std::uint64_t fraction = r & ~(std::uint64_t{1} << 63);
  switch (rng() % 10) {
    case 0:  // denormal (integer bit clear, exponent field 0)
      return Bytes(fraction >> (rng() % 63), sign);
    case 1:  // near the bottom of the normal range
      return Bytes(fraction | (std::uint64_t{1} << 63),
                   sign | static_cast<unsigned>(1 + rng() % 64));
    case 2:  // near the top of the normal range
      return Bytes(fraction | (std::uint64_t{1} << 63),
                   sign | (0x7ffeu - static_cast<unsigned>(rng() % 64)));
    case 3: {  // infinity or NaN: quiet or signalling, any payload
      const std::uint64_t payload = (rng() & ((std::uint64_t{1} << 62) - 1)) >> (rng() % 63);
      const std::uint64_t quiet = (rng() & 1) ? std::uint64_t{1} << 62 : 0;
      return Bytes((std::uint64_t{1} << 63) | quiet | payload, sign | 0x7fffu);
    }
    case 4:  // zeros, and normals with few significant bits
      if (rng() & 1) return Bytes(0, sign);
      return Bytes((std::uint64_t{1} << 63) | (fraction & 0xff),
                   sign | static_cast<unsigned>(1 + rng() % 0x7ffe));
    default:  // anywhere in the normal range
      return Bytes(fraction | (std::uint64_t{1} << 63),
                   sign | static_cast<unsigned>(1 + rng() % 0x7ffe));
  }
}

TEST(NativeAgreement, RandomCanonicalPatternsDecodeAndEncodeBitForBit) {
  std::mt19937_64 rng(20260107);
  int failures = 0;
  for (int i = 0; i < 400000 && failures < 10; ++i) {
    const ExtendedBytes b = RandomCanonical(rng);
    const long double native = FromNativeBytes(b);
    const ExtendedBytes decoded = NativeBytes(DecodeExtended(b.data()));
    const ExtendedBytes encoded = EncodeExtended(native);
    if (decoded != b || encoded != b) {
      ++failures;
      ADD_FAILURE() << "pattern " << Hex(b) << ": decoded " << Hex(decoded) << ", encoded "
                    << Hex(encoded);
    }
  }
}

TEST(NativeAgreement, SignallingNanKeepsItsKindAndPayload) {
  const ExtendedBytes b = Bytes(0x8000000000000001, 0x7fff);
  const long double x = DecodeExtended(b.data());
  EXPECT_TRUE(issignaling(x));
  EXPECT_EQ(Hex(NativeBytes(x)), Hex(b));
  EXPECT_EQ(Hex(EncodeExtended(FromNativeBytes(b))), Hex(b));
}

// --- Encodings an x87 never writes ----------------------------------------

struct NonCanonicalCase {
  const char* name;
  ExtendedBytes bytes;
};

void PrintTo(const NonCanonicalCase& c, std::ostream* os) {
  *os << c.name;
}

// What the x87 itself computes from such an operand: it is the reference for
// what the program must read from it.
long double HardwareReading(const ExtendedBytes& b) {
  volatile long double operand = FromNativeBytes(b);
  volatile long double one = 1.0L;
  return operand * one;
}

const NonCanonicalCase kNonCanonical[] = {
    {"pseudo_denormal_smallest", Bytes(0x8000000000000000, 0x0000)},
    {"pseudo_denormal_negative", Bytes(0xc000000000000123, 0x8000)},
    {"unnormal", Bytes(0x4000000000000000, 0x3fff)},
    {"unnormal_negative_near_top", Bytes(0x7fffffffffffffff, 0xfffe)},
    {"pseudo_zero", Bytes(0, 0x1234)},
    {"pseudo_infinity", Bytes(0, 0x7fff)},
    {"pseudo_nan", Bytes(0x4000000000000001, 0xffff)},
};

class NonCanonical : public ::testing::TestWithParam<NonCanonicalCase> {};

TEST_P(NonCanonical, DecodesToWhatTheX87ComputesFromIt) {
  const ExtendedBytes& b = GetParam().bytes;
  EXPECT_EQ(Hex(NativeBytes(DecodeExtended(b.data()))), Hex(NativeBytes(HardwareReading(b))));
}

TEST_P(NonCanonical, ReEncodesCanonically) {
  const ExtendedBytes& b = GetParam().bytes;
  const ExtendedBytes again = EncodeExtended(DecodeExtended(b.data()));
  EXPECT_NE(Hex(again), Hex(b));
  EXPECT_EQ(Hex(EncodeExtended(DecodeExtended(again.data()))), Hex(again));
}

INSTANTIATE_TEST_SUITE_P(Codec, NonCanonical, ::testing::ValuesIn(kNonCanonical),
                         [](const auto& info) { return std::string(info.param.name); });

// --- A narrower host type: double and float -------------------------------

// Patterns in and around the range of T, with forced rounding ties.
template <typename T>
ExtendedBytes RandomAroundRange(std::mt19937_64& rng) {
  using limits = std::numeric_limits<T>;
  const int lowest = limits::min_exponent - limits::digits - 3;  // below half the smallest denormal
  const int highest = limits::max_exponent + 2;                  // beyond the largest finite
  const int span = highest - lowest;
  const int e = lowest + static_cast<int>(rng() % static_cast<unsigned>(span));
  std::uint64_t significand = rng() | (std::uint64_t{1} << 63);
  if (rng() % 4 == 0) {
    // Make the bits below the kept ones an exact half (a tie), with the kept
    // part odd or even.
    const int kept =
        std::max(1, std::min(limits::digits, limits::digits - (limits::min_exponent - e)));
    if (kept < 64) {
      const int dropped = 64 - kept;
      significand &= ~((std::uint64_t{1} << dropped) - 1);
      significand |= std::uint64_t{1} << (dropped - 1);
    }
  }
  const unsigned sign = (rng() & 1) ? 0x8000u : 0u;
  // frexp exponent e: value in [2^(e-1), 2^e), biased field e - 1 + 16383.
  return Bytes(significand, sign | static_cast<unsigned>(e - 1 + 16383));
}

template <typename T>
void CheckNarrowDecodeAgainstHardware(std::uint64_t seed) {
  std::mt19937_64 rng(seed);
  int failures = 0;
  for (int i = 0; i < 200000 && failures < 10; ++i) {
    const ExtendedBytes b = RandomAroundRange<T>(rng);
    const long double native = FromNativeBytes(b);
    T expected = static_cast<T>(native);  // the x87's own rounding store
    // Where the hardware overflows to infinity, the file's finite value
    // saturates at the largest finite value instead.
    if (std::isinf(expected)) expected = std::copysign(std::numeric_limits<T>::max(), expected);
    const T decoded = DecodeExtendedAs<T>(b.data());
    if (HostBits(decoded) != HostBits(expected)) {
      ++failures;
      ADD_FAILURE() << "pattern " << Hex(b) << ": decoded " << decoded << ", hardware " << expected;
    }
  }
}

TEST(NarrowHost, DoubleDecodeRoundsAsTheX87Does) {
  CheckNarrowDecodeAgainstHardware<double>(11);
}
TEST(NarrowHost, FloatDecodeRoundsAsTheX87Does) {
  CheckNarrowDecodeAgainstHardware<float>(12);
}

TEST(NarrowHost, RandomDoublesEncodeAsTheirExactWidening) {
  std::mt19937_64 rng(13);
  int failures = 0;
  for (int i = 0; i < 200000 && failures < 10; ++i) {
    std::uint64_t bits = rng();
    double d;
    std::memcpy(&d, &bits, 8);
    // The x87 quiets a signalling NaN when it widens it; the file keeps it.
    if (issignaling(d)) continue;
    const ExtendedBytes expected = NativeBytes(static_cast<long double>(d));
    const ExtendedBytes encoded = EncodeExtendedAs<double>(d);
    if (encoded != expected) {
      ++failures;
      ADD_FAILURE() << "double " << d << ": encoded " << Hex(encoded) << ", hardware "
                    << Hex(expected);
    }
  }
}

struct SaturationCase {
  const char* name;
  ExtendedBytes bytes;
  double expected;
};

void PrintTo(const SaturationCase& c, std::ostream* os) {
  *os << c.name;
}

const SaturationCase kSaturation[] = {
    {"far_above_double_range", NativeBytes(1e400L), DBL_MAX},
    {"far_below_minus_double_range", NativeBytes(-1e400L), -DBL_MAX},
    {"largest_extended", NativeBytes(LDBL_MAX), DBL_MAX},
    {"midpoint_above_double_max_ties_up_and_saturates", NativeBytes(0x1.fffffffffffff8p1023L),
     DBL_MAX},
    {"far_below_smallest_denormal", NativeBytes(1e-400L), 0.0},
    {"negative_far_below_smallest_denormal", NativeBytes(-1e-400L), -0.0},
    {"half_smallest_denormal_ties_to_zero", NativeBytes(0x1p-1075L), 0.0},
    {"just_above_half_smallest_denormal", NativeBytes(0x1p-1075L * (1.0L + 0x1p-60L)), 0x1p-1074},
    {"extended_denormal", Bytes(1, 0x0000), 0.0},
};

class Saturation : public ::testing::TestWithParam<SaturationCase> {};

TEST_P(Saturation, DoubleDecodeSaturatesFiniteValuesAndKeepsTheSign) {
  const double decoded = DecodeExtendedAs<double>(GetParam().bytes.data());
  EXPECT_EQ(HostBits(decoded), HostBits(GetParam().expected)) << decoded;
}

INSTANTIATE_TEST_SUITE_P(Codec, Saturation, ::testing::ValuesIn(kSaturation),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(NarrowHost, NanPayloadKeepsItsTopBitsAsTheX87StoreDoes) {
  // Quiet NaN with payload bits both above and below the 51 a double keeps.
  const ExtendedBytes b = Bytes(0xc000000000000000 | 0x2aaaaaaaaaaaa7ff, 0xffff);
  const double expected = static_cast<double>(FromNativeBytes(b));
  EXPECT_EQ(HostBits(DecodeExtendedAs<double>(b.data())), HostBits(expected));
}

TEST(NarrowHost, SignallingNanWithNoPayloadLeftTurnsQuiet) {
  const ExtendedBytes b = Bytes(0x8000000000000001, 0x7fff);  // payload only in the dropped bits
  const double d = DecodeExtendedAs<double>(b.data());
  EXPECT_TRUE(std::isnan(d));
  EXPECT_FALSE(issignaling(d));
}

// Only a host type wider than 64 bits needs the significand rounded on
// encoding; the rounding itself is checked here with doubles.
struct RoundCase {
  const char* name;
  double y;
  std::uint64_t expected;
};

void PrintTo(const RoundCase& c, std::ostream* os) {
  *os << c.name;
}

const RoundCase kRound[] = {
    {"half_to_even_zero", 0.5, 0},
    {"one_and_half_up", 1.5, 2},
    {"two_and_half_down", 2.5, 2},
    {"below_half_down", 2.4999999999999996, 2},
    {"above_half_up", 0.5000000000000001, 1},
    {"integer_kept", 9007199254740992.0, 9007199254740992},
    {"large_integer_kept", 0x1p63 + 0x1p11, (std::uint64_t{1} << 63) + 2048},
};

class RoundHalfEven : public ::testing::TestWithParam<RoundCase> {};

TEST_P(RoundHalfEven, RoundsToNearestTiesToEven) {
  bool carry = true;
  EXPECT_EQ(extended_detail::RoundHalfEven(GetParam().y, carry), GetParam().expected);
  EXPECT_FALSE(carry);
}

INSTANTIATE_TEST_SUITE_P(Codec, RoundHalfEven, ::testing::ValuesIn(kRound),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quillmere
