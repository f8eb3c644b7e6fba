#pragma once
// Between the calculator's state and the fields of the default data file's
// record: what a save takes from the state and what a load puts back.

#include <array>

#include "bands.h"
#include "record_fields.h"
#include "state.h"

namespace quillmere {

// The frequencies a stored band may hold, GHz: those of the band table.
inline constexpr std::array<Real, BandTable.size()> kBandFrequencies = [] {
  std::array<Real, BandTable.size()> f{};
  for (std::size_t i = 0; i < BandTable.size(); ++i) f[i] = BandTable[i].frequency;
  return f;
}();

// The persisted fields of the state; offset 40 takes TerrestrialPathLength,
// never the Moon distance that PathLength holds in the EME mode.
PersistedFields FromState(const QuillmereState& state);

// Copies every persisted field into the state, and with each what its load
// also sets: PathLength from the terrestrial path length and each station's
// Elevation from its EmeElevation. The fields in `kept` (those a load
// refused) are not applied: they, and what they would also set, keep the
// state's values. The DX height is left as it is: it is not persisted.
void ApplyToState(const PersistedFields& fields, QuillmereState& state, const FieldSet& kept = {});

}  // namespace quillmere
