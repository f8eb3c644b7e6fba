#include "record_state.h"

namespace quillmere {
namespace {

// The station inputs that the file holds, between the state and the record's
// fields (the names are the same on both sides).
template <typename From, typename To>
void CopyStationInputs(const From& from, To& to) {
  to.Temperature = from.Temperature;
  to.Humidity = from.Humidity;
  to.Pressure = from.Pressure;
  to.EmeElevation = from.EmeElevation;
  to.LatitudeZone = from.LatitudeZone;
  to.Season = from.Season;
  to.RainRateIndex = from.RainRateIndex;
  to.Polarisation = from.Polarisation;
  to.FogIndex = from.FogIndex;
  to.CloudPosition = from.CloudPosition;
}

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
  PersistedFields f;
  CopyStationInputs(state.Home, f.Home);
  f.Home.HeightAsl = state.Home.HeightAsl;
  CopyStationInputs(state.DX, f.DX);
  f.Frequency = state.Frequency;
  f.FrequencyIndex = state.FrequencyIndex;
  f.DisplayDecimals = state.DisplayDecimals;
  f.HelpDelayIndex = state.HelpDelayIndex;
  f.EmePathMode = state.EmePathMode;
  f.TerrestrialPathLength = state.TerrestrialPathLength;
  f.MoonSliderPosition = state.MoonSliderPosition;
  f.SpareFlag = state.SpareFlag;
  f.ReservedText1 = state.ReservedText1;
  f.ReservedText2 = state.ReservedText2;
  f.ReservedValues = state.ReservedValues;
  return f;
}

void ApplyToState(const PersistedFields& fields, QuillmereState& state, const FieldSet& kept) {
  PersistedFields f = fields;
  // A kept field is applied as the state already holds it.
  if (kept.any()) CopyFields(FromState(state), f, kept);
  CopyStationInputs(f.Home, state.Home);
  state.Home.HeightAsl = f.Home.HeightAsl;
  CopyStationInputs(f.DX, state.DX);
  state.Frequency = f.Frequency;
  state.FrequencyIndex = f.FrequencyIndex;
  state.DisplayDecimals = f.DisplayDecimals;
  state.HelpDelayIndex = f.HelpDelayIndex;
  state.EmePathMode = f.EmePathMode;
  state.TerrestrialPathLength = f.TerrestrialPathLength;
  state.MoonSliderPosition = f.MoonSliderPosition;
  state.SpareFlag = f.SpareFlag;
  state.ReservedText1 = f.ReservedText1;
  state.ReservedText2 = f.ReservedText2;
  state.ReservedValues = f.ReservedValues;
  for (const AlsoSets& also : kAlsoSets) {
    if (!kept[also.field]) also.set(state);
  }
}

}  // namespace quillmere
