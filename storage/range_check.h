#pragma once
// Judging a loaded record: which of its values no version of the program
// writes. The input handlers keep every value within the limits of
// input_limits.h, which the record's field table carries, so a value outside
// them means a damaged or foreign file, and the user is told so rather than
// shown "nan" or a humidity of 10^4000 %.

#include <span>
#include <string>
#include <vector>

#include "record_fields.h"

namespace quillmere {

// The fields of fields that are out of range; empty when the record is one
// the program could have written. A zero is accepted wherever zero is the
// value before anything was set (pressure, elevation, frequency, display
// decimals), because a file saved at the first start holds those zeros and
// must load as it is. A frequency must be exactly one of band_frequencies
// (GHz), as the band choice sets it. The reserved values, the spare flag and
// the reserved texts are carried through untouched and never judged.
FieldSet OutOfRangeFields(const PersistedFields& fields, std::span<const Real> band_frequencies);

// The value of a judged field as a real; 0 for the texts and the reserved
// bytes, which are never judged.
Real JudgedValue(const RecordField& field, const PersistedFields& fields);

// The names of the fields of the set in record order, as "Home.Temperature",
// "DX.Pressure", "FrequencyIndex", ...
std::vector<std::string> FieldNames(const FieldSet& fields);

}  // namespace quillmere
