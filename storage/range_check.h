#pragma once
// Judging a loaded record: which of its values no version of the program
// writes. The input handlers keep every value within the limits of
// input_limits.h, the table this check reads too, so a value outside them
// means a damaged or foreign file, and the user is told so rather than shown
// "nan" or a humidity of 10^4000 %.

#include <string>
#include <vector>

#include "data_record.h"

namespace quillmere {

// Returns the names of the fields of fields that are out of range, in record
// order, as "Home.Temperature", "DX.Pressure", "FrequencyIndex", ...; empty
// when the record is one the program could have written. A zero is accepted
// wherever zero is the value before anything was set (pressure, elevation,
// frequency, display decimals), because a file saved at the first start holds
// those zeros and must load as it is. The reserved values, the spare flag and
// the reserved texts are carried through untouched and never judged.
std::vector<std::string> OutOfRangeFields(const PersistedFields& fields);

}  // namespace quillmere
