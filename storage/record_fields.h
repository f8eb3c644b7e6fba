#pragma once
// The fields of the default data file's 288-byte record, written once: where
// each lies, how it is encoded, which member of PersistedFields holds it and
// what a loaded value must be for the program to have written it. The
// decoder, the encoder, the range check and the revert of refused fields on
// a load all walk this one table. Only the mapping to the calculator's state
// (app/record_state) names the fields again, on the state's side.

#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <variant>

#include "input_limits.h"
#include "real.h"

namespace quillmere {

inline constexpr std::size_t kRecordSize = 288;

// A short string: a length byte and room for 15 characters.
inline constexpr std::size_t kShortStringCapacity = 15;

// The persisted inputs of one station.
struct PersistedStation {
  Real Temperature = 0;   // degC
  Real Humidity = 0;      // %
  Real Pressure = 0;      // hPa
  Real EmeElevation = 0;  // deg; the load also sets Elevation from it
  ItemIndex LatitudeZone = 0;
  ItemIndex Season = 0;
  ItemIndex RainRateIndex = 0;
  ItemIndex Polarisation = 0;
  ItemIndex FogIndex = 0;
  std::int32_t CloudPosition = 0;

  friend bool operator==(const PersistedStation&, const PersistedStation&) = default;
};

// The Home station also keeps its height; the DX height is not in the file.
struct PersistedHomeStation : PersistedStation {
  Real HeightAsl = 0;  // m

  friend bool operator==(const PersistedHomeStation&, const PersistedHomeStation&) = default;
};

// Every field of the record, under the state's names. Texts are the file's
// single-byte code-page bytes, carried as they are.
struct PersistedFields {
  PersistedHomeStation Home;
  PersistedStation DX;
  Real Frequency = 0;  // GHz
  ItemIndex FrequencyIndex = 0;
  std::int32_t DisplayDecimals = 0;
  ItemIndex HelpDelayIndex = 0;
  std::uint8_t EmePathMode = 0;
  Real TerrestrialPathLength = 0;  // km; the load also sets PathLength from it
  std::int32_t MoonSliderPosition = 0;
  std::uint8_t SpareFlag = 0;
  std::string ReservedText1;
  std::string ReservedText2;
  std::array<Real, 7> ReservedValues{};

  friend bool operator==(const PersistedFields&, const PersistedFields&) = default;
};

// How a field lies in the record. The order is that of FieldRef's
// alternatives, so that a row's kind and its member's type can be compared.
enum class FieldKind : std::uint8_t {
  kReal,         // the 10-byte x87 extended real (extended_real.h)
  kInt32,        // little-endian two's complement
  kFlag,         // one byte
  kShortString,  // a length byte (0..15), then 15 bytes of text
  kReserved,     // bytes no version reads: a save writes back what the buffer holds
};

constexpr std::size_t SizeOf(FieldKind kind) {
  switch (kind) {
    case FieldKind::kReal:
    case FieldKind::kReserved:
      return 10;
    case FieldKind::kInt32:
      return 4;
    case FieldKind::kFlag:
      return 1;
    case FieldKind::kShortString:
      return 1 + kShortStringCapacity;
  }
  return 0;
}

// What a loaded value must be. Every judged value must also be finite.
enum class FieldRule : std::uint8_t {
  kCarried,       // never judged: passed through untouched
  kWithin,        // low <= value <= high
  kZeroOrWithin,  // also 0, the value before anything was set
  kZeroOrBand,    // 0 or exactly one of the band frequencies
};

// The member of PersistedFields that holds a field; none for reserved bytes.
using FieldRef = std::variant<Real*, std::int32_t*, std::uint8_t*, std::string*, std::monostate>;

struct RecordField {
  std::string_view name;  // as the user is told: "Home.Temperature", "FrequencyIndex", ...
  FieldRef (*at)(PersistedFields&);
  FieldKind held;      // the kind the member's type is
  std::size_t offset;  // bytes from the record's start
  FieldKind kind;
  FieldRule rule;
  InputLimit limit;  // for kWithin and kZeroOrWithin
};

namespace record_fields_detail {

// Elevations are sums of 0.1 deg steps: the rounding of the sum must not put
// 90 or 0.1 itself out of range.
inline constexpr Real kStepSlack = 1e-9L;
constexpr InputLimit WithSlack(InputLimit range) {
  return {range.low - kStepSlack, range.high + kStepSlack};
}

constexpr FieldRef NoMember(PersistedFields&) {
  return std::monostate{};
}

template <typename T>
consteval FieldKind KindHeldBy() {
  if constexpr (std::is_same_v<T, Real>) return FieldKind::kReal;
  if constexpr (std::is_same_v<T, std::int32_t>) return FieldKind::kInt32;
  if constexpr (std::is_same_v<T, std::uint8_t>) return FieldKind::kFlag;
  if constexpr (std::is_same_v<T, std::string>) return FieldKind::kShortString;
  return FieldKind::kReserved;
}

}  // namespace record_fields_detail

// The name, the member and the member's kind of a field, from one spelling
// of its path.
// clang-format off
#define QUILLMERE_FIELD(path)                                    \
  #path, [](PersistedFields& f) -> FieldRef { return &f.path; }, \
  record_fields_detail::KindHeldBy<                              \
      std::remove_cvref_t<decltype(std::declval<PersistedFields&>().path)>>()
// clang-format on

// The record in file order, as it lies in the file: no gaps, no padding.
// clang-format off
inline constexpr std::array kRecordFields = [] {
  using K = FieldKind;
  using R = FieldRule;
  namespace L = input_limits;
  using record_fields_detail::WithSlack;
  constexpr InputLimit kNone{0, 0};  // carried, or the band frequencies decide
  return std::array{
    // name and member                         offset kind            rule              limits
    RecordField{QUILLMERE_FIELD(Home.Temperature),           0, K::kReal,       R::kWithin,       L::kTemperature},
    RecordField{QUILLMERE_FIELD(Frequency),                 10, K::kReal,       R::kZeroOrBand,   kNone},
    RecordField{QUILLMERE_FIELD(Home.Humidity),             20, K::kReal,       R::kWithin,       L::kHumidity},
    RecordField{QUILLMERE_FIELD(DX.Humidity),               30, K::kReal,       R::kWithin,       L::kHumidity},
    RecordField{QUILLMERE_FIELD(TerrestrialPathLength),     40, K::kReal,       R::kWithin,       L::kTerrestrialPath},
    RecordField{QUILLMERE_FIELD(Home.EmeElevation),         50, K::kReal,       R::kZeroOrWithin, WithSlack(L::kElevation)},
    RecordField{QUILLMERE_FIELD(Home.Pressure),             60, K::kReal,       R::kZeroOrWithin, L::kPressure},
    RecordField{QUILLMERE_FIELD(DX.Temperature),            70, K::kReal,       R::kWithin,       L::kTemperature},
    RecordField{QUILLMERE_FIELD(Home.HeightAsl),            80, K::kReal,       R::kWithin,       L::kHeightAsl},
    RecordField{QUILLMERE_FIELD(DX.Pressure),               90, K::kReal,       R::kZeroOrWithin, L::kPressure},
    RecordField{QUILLMERE_FIELD(DX.EmeElevation),          100, K::kReal,       R::kZeroOrWithin, WithSlack(L::kElevation)},
    RecordField{"Reserved", record_fields_detail::NoMember, K::kReserved, 110, K::kReserved,   R::kCarried,      kNone},
    RecordField{QUILLMERE_FIELD(ReservedValues[0]),        120, K::kReal,       R::kCarried,      kNone},
    RecordField{QUILLMERE_FIELD(ReservedValues[1]),        130, K::kReal,       R::kCarried,      kNone},
    RecordField{QUILLMERE_FIELD(ReservedValues[2]),        140, K::kReal,       R::kCarried,      kNone},
    RecordField{QUILLMERE_FIELD(ReservedValues[3]),        150, K::kReal,       R::kCarried,      kNone},
    RecordField{QUILLMERE_FIELD(ReservedValues[4]),        160, K::kReal,       R::kCarried,      kNone},
    RecordField{QUILLMERE_FIELD(ReservedValues[5]),        170, K::kReal,       R::kCarried,      kNone},
    RecordField{QUILLMERE_FIELD(ReservedValues[6]),        180, K::kReal,       R::kCarried,      kNone},
    RecordField{QUILLMERE_FIELD(EmePathMode),              190, K::kFlag,       R::kWithin,       L::kEmePathMode},
    RecordField{QUILLMERE_FIELD(SpareFlag),                191, K::kFlag,       R::kCarried,      kNone},
    RecordField{QUILLMERE_FIELD(ReservedText1),            192, K::kShortString, R::kCarried,      kNone},
    RecordField{QUILLMERE_FIELD(ReservedText2),            208, K::kShortString, R::kCarried,      kNone},
    RecordField{QUILLMERE_FIELD(Home.RainRateIndex),       224, K::kInt32,      R::kWithin,       L::kRainRateIndex},
    RecordField{QUILLMERE_FIELD(DX.RainRateIndex),         228, K::kInt32,      R::kWithin,       L::kRainRateIndex},
    RecordField{QUILLMERE_FIELD(Home.Polarisation),        232, K::kInt32,      R::kWithin,       L::kPolarisation},
    RecordField{QUILLMERE_FIELD(DX.Polarisation),          236, K::kInt32,      R::kWithin,       L::kPolarisation},
    RecordField{QUILLMERE_FIELD(FrequencyIndex),           240, K::kInt32,      R::kWithin,       L::kFrequencyIndex},
    RecordField{QUILLMERE_FIELD(DisplayDecimals),          244, K::kInt32,      R::kZeroOrWithin, L::kDisplayDecimals},
    RecordField{QUILLMERE_FIELD(Home.LatitudeZone),        248, K::kInt32,      R::kWithin,       L::kLatitudeZone},
    RecordField{QUILLMERE_FIELD(Home.Season),              252, K::kInt32,      R::kWithin,       L::kSeason},
    RecordField{QUILLMERE_FIELD(DX.LatitudeZone),          256, K::kInt32,      R::kWithin,       L::kLatitudeZone},
    RecordField{QUILLMERE_FIELD(DX.Season),                260, K::kInt32,      R::kWithin,       L::kSeason},
    RecordField{QUILLMERE_FIELD(Home.FogIndex),            264, K::kInt32,      R::kWithin,       L::kFogIndex},
    RecordField{QUILLMERE_FIELD(MoonSliderPosition),       268, K::kInt32,      R::kWithin,       L::kMoonSliderPosition},
    RecordField{QUILLMERE_FIELD(Home.CloudPosition),       272, K::kInt32,      R::kWithin,       L::kCloudPosition},
    RecordField{QUILLMERE_FIELD(HelpDelayIndex),           276, K::kInt32,      R::kWithin,       L::kHelpDelayIndex},
    RecordField{QUILLMERE_FIELD(DX.CloudPosition),         280, K::kInt32,      R::kWithin,       L::kCloudPosition},
    RecordField{QUILLMERE_FIELD(DX.FogIndex),              284, K::kInt32,      R::kWithin,       L::kFogIndex},
  };
}();
// clang-format on

#undef QUILLMERE_FIELD

inline constexpr std::size_t kRecordFieldCount = kRecordFields.size();

// A set of fields, by their place in kRecordFields.
using FieldSet = std::bitset<kRecordFieldCount>;

// The place of the field of that name in kRecordFields; a name that is not
// there does not compile.
consteval std::size_t FieldIndex(std::string_view name) {
  for (std::size_t i = 0; i < kRecordFields.size(); ++i) {
    if (kRecordFields[i].name == name) return i;
  }
  throw "no record field of that name";
}

// The field of that name; a name that is not there does not compile.
consteval const RecordField& FieldNamed(std::string_view name) {
  return kRecordFields[FieldIndex(name)];
}

// The table must describe the file: every field starts where the one before
// it ends and the last ends at the record's end; each kind matches the type
// of its member; no two rows hold the same member.
namespace record_fields_detail {

constexpr bool TilesTheRecord() {
  std::size_t next = 0;
  for (const RecordField& field : kRecordFields) {
    if (field.offset != next) return false;
    next = field.offset + SizeOf(field.kind);
  }
  return next == kRecordSize;
}

constexpr bool KindsMatchMembers() {
  for (const RecordField& field : kRecordFields) {
    if (field.kind != field.held) return false;
  }
  return true;
}

// A field's name is the path of its member, so distinct names are distinct
// members.
constexpr bool MembersAreDistinct() {
  for (std::size_t i = 0; i < kRecordFields.size(); ++i) {
    for (std::size_t j = i + 1; j < kRecordFields.size(); ++j) {
      if (kRecordFields[i].name == kRecordFields[j].name) return false;
    }
  }
  return true;
}

}  // namespace record_fields_detail

static_assert(record_fields_detail::TilesTheRecord(),
              "record fields must follow each other without gaps and fill 288 bytes");
static_assert(record_fields_detail::KindsMatchMembers(),
              "each record field's kind must match the type of its member");
static_assert(record_fields_detail::MembersAreDistinct(),
              "each member must be held by one record field only");

// The member holding field in fields, to read it. The pointer is formed over
// a const record; the callers only read through it.
inline FieldRef ReadMember(const RecordField& field, const PersistedFields& fields) {
  return field.at(const_cast<PersistedFields&>(fields));
}

// Copies the member `from` points to into the one `into` points to, of the
// same type; nothing for the reserved bytes, which no member holds.
void CopyMember(FieldRef from, FieldRef into);

}  // namespace quillmere
