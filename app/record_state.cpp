#include "record_state.h"

#include <iterator>
#include <string_view>
#include <utility>
#include <variant>

namespace quillmere {
namespace {

// Where the state holds a field of the record. Its path in the state is the
// field's name, as the state and the record use the same names.
struct StateField {
  std::string_view name;
  FieldRef (*at)(QuillmereState&);
  std::size_t held;  // the alternative of FieldRef the member is
};

// The alternative of FieldRef that a pointer of type P is.
template <typename P>
constexpr std::size_t kHeldBy = FieldRef(static_cast<P>(nullptr)).index();

// clang-format off
#define QUILLMERE_STATE(path)                                              \
  StateField{#path, [](QuillmereState& s) -> FieldRef { return &s.path; }, \
             kHeldBy<decltype(&std::declval<QuillmereState&>().path)>}
// clang-format on

// The state's side of every record field, row by row with kRecordFields: a
// save copies each row from the state into the record, a load from the record
// into the state. Every field is a plain copy between members of one type;
// what a load sets besides is in kAlsoSets.
constexpr StateField kStateFields[] = {
    QUILLMERE_STATE(Home.Temperature),
    QUILLMERE_STATE(Frequency),  // the band's table frequency, as the band choice set it
    QUILLMERE_STATE(Home.Humidity),
    QUILLMERE_STATE(DX.Humidity),
    // Never PathLength, which holds the Moon's distance in the EME mode.
    QUILLMERE_STATE(TerrestrialPathLength),
    QUILLMERE_STATE(Home.EmeElevation),
    QUILLMERE_STATE(Home.Pressure),
    QUILLMERE_STATE(DX.Temperature),
    // The Home height only: the DX height is not in the file.
    QUILLMERE_STATE(Home.HeightAsl),
    QUILLMERE_STATE(DX.Pressure),
    QUILLMERE_STATE(DX.EmeElevation),
    // Bytes no version reads: the state holds nothing for them.
    StateField{"Reserved", [](QuillmereState&) -> FieldRef { return std::monostate{}; },
               FieldRef(std::monostate{}).index()},
    QUILLMERE_STATE(ReservedValues[0]),
    QUILLMERE_STATE(ReservedValues[1]),
    QUILLMERE_STATE(ReservedValues[2]),
    QUILLMERE_STATE(ReservedValues[3]),
    QUILLMERE_STATE(ReservedValues[4]),
    QUILLMERE_STATE(ReservedValues[5]),
    QUILLMERE_STATE(ReservedValues[6]),
    QUILLMERE_STATE(EmePathMode),
    QUILLMERE_STATE(SpareFlag),
    QUILLMERE_STATE(ReservedText1),
    QUILLMERE_STATE(ReservedText2),
    // A selection group's item is stored as the state numbers it.
    QUILLMERE_STATE(Home.RainRateIndex),
    QUILLMERE_STATE(DX.RainRateIndex),
    QUILLMERE_STATE(Home.Polarisation),
    QUILLMERE_STATE(DX.Polarisation),
    QUILLMERE_STATE(FrequencyIndex),
    QUILLMERE_STATE(DisplayDecimals),
    QUILLMERE_STATE(Home.LatitudeZone),
    QUILLMERE_STATE(Home.Season),
    QUILLMERE_STATE(DX.LatitudeZone),
    QUILLMERE_STATE(DX.Season),
    QUILLMERE_STATE(Home.FogIndex),
    QUILLMERE_STATE(MoonSliderPosition),
    QUILLMERE_STATE(Home.CloudPosition),
    QUILLMERE_STATE(HelpDelayIndex),
    QUILLMERE_STATE(DX.CloudPosition),
    QUILLMERE_STATE(DX.FogIndex),
};

#undef QUILLMERE_STATE

// Each row names the record's field in its place and holds it in a member of
// the same type: a missing, extra or misplaced row does not compile.
consteval bool FollowsTheRecord() {
  if (std::size(kStateFields) != kRecordFieldCount) return false;
  for (std::size_t i = 0; i < kRecordFieldCount; ++i) {
    if (kStateFields[i].name != kRecordFields[i].name) return false;
    // A record field's kind is numbered as FieldRef's alternatives.
    if (kStateFields[i].held != static_cast<std::size_t>(kRecordFields[i].held)) return false;
  }
  return true;
}
static_assert(FollowsTheRecord(), "kStateFields must follow kRecordFields row by row");

// What the load of a field sets besides the field itself: the one path-length
// slot and the working elevations, which the models use until the path mode
// is applied.
struct AlsoSets {
  std::size_t field;  // in kRecordFields
  void (*set)(QuillmereState&);
};

constexpr AlsoSets kAlsoSets[] = {
    {FieldIndex("TerrestrialPathLength"),
     [](QuillmereState& s) { s.PathLength = s.TerrestrialPathLength; }},
    {FieldIndex("Home.EmeElevation"),
     [](QuillmereState& s) { s.Home.Elevation = s.Home.EmeElevation; }},
    {FieldIndex("DX.EmeElevation"), [](QuillmereState& s) { s.DX.Elevation = s.DX.EmeElevation; }},
};

}  // namespace

PersistedFields FromState(const QuillmereState& state) {
  PersistedFields fields;
  // The pointers are formed over a const state; a save only reads through them.
  QuillmereState& from = const_cast<QuillmereState&>(state);
  for (std::size_t i = 0; i < kRecordFieldCount; ++i) {
    CopyMember(kStateFields[i].at(from), kRecordFields[i].at(fields));
  }
  return fields;
}

void ApplyToState(const PersistedFields& fields, QuillmereState& state, const FieldSet& kept) {
  // A kept field, and what it would also set, stays as the state holds it.
  for (std::size_t i = 0; i < kRecordFieldCount; ++i) {
    if (!kept[i]) CopyMember(ReadMember(kRecordFields[i], fields), kStateFields[i].at(state));
  }
  for (const AlsoSets& also : kAlsoSets) {
    if (!kept[also.field]) also.set(state);
  }
}

}  // namespace quillmere
