#pragma once
// The 10-byte x87 extended-precision real of the default data file, converted
// to and from the host's floating-point types by arithmetic alone, so that the
// file reads the same whether `long double` is the x87 type (x86 Linux), IEEE
// double (Windows on ARM, MSVC) or IEEE quadruple (AArch64 Linux).
//
// Layout, little-endian: bytes 0..7 the 64-bit significand with an explicit
// integer bit (bit 63), bytes 8..9 the sign (bit 15) and the biased exponent
// (bits 0..14, bias 16383). A finite value is significand * 2^(E - 16383 - 63)
// for exponent field E >= 1 and significand * 2^-16445 for E = 0.
//
// Encodings that an x87 never produces, and what they decode to:
//  - pseudo-denormal (E = 0, integer bit set): the value the x87 itself reads,
//    significand * 2^-16445, i.e. a normal number near 2^-16382. It re-encodes
//    in the canonical form (E = 1).
//  - unnormal and pseudo-zero (0 < E < 0x7fff, integer bit clear),
//    pseudo-infinity and pseudo-NaN (E = 0x7fff, integer bit clear): the x87
//    (80387 and later) rejects these as invalid operands and computes the
//    "real indefinite" from them, so they decode to that: a negative quiet NaN
//    with a zero payload.
//
// Ranges and precision of a host type other than x87:
//  - decoding into a narrower type (double) rounds to nearest, ties to even,
//    into its normal or denormal range; a finite value beyond its largest
//    finite value saturates to that value with the sign kept (a finite value
//    in the file stays finite, so the range check of the load still sees it
//    as a number); below half its smallest denormal it becomes a zero of the
//    same sign.
//  - encoding from a wider type (quadruple) rounds the significand to 64 bits,
//    ties to even; a finite value beyond the largest x87 value saturates to it,
//    and one below half the smallest x87 denormal becomes a signed zero.
//  - NaN: sign, quiet/signalling kind and payload are carried. The payload is
//    the 62 fraction bits below the quiet bit, aligned at the top when the
//    host's payload is narrower (the low bits are dropped, as an x87 store to
//    double does) or wider. A signalling NaN whose payload does not survive
//    the narrowing becomes quiet. Without the C library's NaN-payload
//    functions (getpayload/setpayload) only sign and kind are carried.

#include <array>
#include <cstddef>
#include <cstdint>

#include "real.h"

namespace quillmere {

// Size in bytes of an x87 extended real in the data file.
inline constexpr std::size_t kExtendedSize = 10;

using ExtendedBytes = std::array<std::uint8_t, kExtendedSize>;

// x: any value of the host's long double, NaN and infinities included.
// Returns its 10-byte x87 form: exact where long double is x87 or narrower,
// rounded to nearest (ties to even) where it is wider.
ExtendedBytes EncodeExtended(Real x);

// bytes: 10 bytes of an x87 extended real, in file order.
// Returns the value; see above for non-canonical encodings and narrow hosts.
// Never fails: every bit pattern decodes to some value.
Real DecodeExtended(const std::uint8_t* bytes);

// The same conversions for any of the host's binary floating-point types
// (instantiated for float, double and long double). They let the code paths
// of a narrow long double be exercised on a host whose long double is x87.
template <typename F>
ExtendedBytes EncodeExtendedAs(F x);
template <typename F>
F DecodeExtendedAs(const std::uint8_t* bytes);

namespace extended_detail {
// y: a non-negative value below 2^64. Returns y rounded to the nearest
// integer, ties to even, and sets carry when that integer is 2^64 (the result
// is then 0). Only a host type wider than 64 bits needs the rounding.
template <typename F>
std::uint64_t RoundHalfEven(F y, bool& carry);
}  // namespace extended_detail

}  // namespace quillmere
