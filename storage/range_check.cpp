#include "range_check.h"

#include "itu838.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>

namespace quillmere {
namespace {

constexpr Real kNoLimit = std::numeric_limits<Real>::max();
// Temperatures are stepped without a limit, but no station reads a million degrees.
constexpr Real kAbsurdTemperature = 1e6L;
// Elevations are sums of 0.1 deg steps: the rounding of the sum must not put
// 90 or 0.1 itself out of range.
constexpr Real kStepSlack = 1e-9L;

enum class Rule {
  kWithin,        // low <= value <= high
  kZeroOrWithin,  // also 0, the value before anything was set
  kZeroOrBand,    // 0 or a frequency of the band table
};

struct Limit {
  const char* name;
  Real (*value)(const PersistedFields&);
  Rule rule;
  Real low, high;
};

#define QUILLMERE_FIELD(path) #path, [](const PersistedFields& f) -> Real { return f.path; }

// In record order. Every value must also be finite.
// clang-format off
constexpr Limit kLimits[] = {
    // field                                   rule                 low                   high
    {QUILLMERE_FIELD(Home.Temperature),        Rule::kWithin,       -kAbsurdTemperature,  kAbsurdTemperature},
    {QUILLMERE_FIELD(Frequency),               Rule::kZeroOrBand,   0,                    0},
    {QUILLMERE_FIELD(Home.Humidity),           Rule::kWithin,       0,                    100},
    {QUILLMERE_FIELD(DX.Humidity),             Rule::kWithin,       0,                    100},
    {QUILLMERE_FIELD(TerrestrialPathLength),   Rule::kWithin,       0,                    kNoLimit},
    {QUILLMERE_FIELD(Home.EmeElevation),       Rule::kZeroOrWithin, 0.1L - kStepSlack,    90 + kStepSlack},
    {QUILLMERE_FIELD(Home.Pressure),           Rule::kZeroOrWithin, 1,                    kNoLimit},
    {QUILLMERE_FIELD(DX.Temperature),          Rule::kWithin,       -kAbsurdTemperature,  kAbsurdTemperature},
    {QUILLMERE_FIELD(Home.HeightAsl),          Rule::kWithin,       0,                    kNoLimit},
    {QUILLMERE_FIELD(DX.Pressure),             Rule::kZeroOrWithin, 1,                    kNoLimit},
    {QUILLMERE_FIELD(DX.EmeElevation),         Rule::kZeroOrWithin, 0.1L - kStepSlack,    90 + kStepSlack},
    {QUILLMERE_FIELD(EmePathMode),             Rule::kWithin,       0,                    1},
    {QUILLMERE_FIELD(Home.RainRateIndex),      Rule::kWithin,       0,                    5},
    {QUILLMERE_FIELD(DX.RainRateIndex),        Rule::kWithin,       0,                    5},
    {QUILLMERE_FIELD(Home.Polarisation),       Rule::kWithin,       0,                    2},
    {QUILLMERE_FIELD(DX.Polarisation),         Rule::kWithin,       0,                    2},
    {QUILLMERE_FIELD(FrequencyIndex),          Rule::kWithin,       0,                    7},
    {QUILLMERE_FIELD(DisplayDecimals),         Rule::kZeroOrWithin, 1,                    8},
    {QUILLMERE_FIELD(Home.LatitudeZone),       Rule::kWithin,       0,                    2},
    {QUILLMERE_FIELD(Home.Season),             Rule::kWithin,       0,                    1},
    {QUILLMERE_FIELD(DX.LatitudeZone),         Rule::kWithin,       0,                    2},
    {QUILLMERE_FIELD(DX.Season),               Rule::kWithin,       0,                    1},
    {QUILLMERE_FIELD(Home.FogIndex),           Rule::kWithin,       0,                    7},
    {QUILLMERE_FIELD(MoonSliderPosition),      Rule::kWithin,       0,                    100},
    {QUILLMERE_FIELD(Home.CloudPosition),      Rule::kWithin,       0,                    40},
    {QUILLMERE_FIELD(HelpDelayIndex),          Rule::kWithin,       0,                    3},
    {QUILLMERE_FIELD(DX.CloudPosition),        Rule::kWithin,       0,                    40},
    {QUILLMERE_FIELD(DX.FogIndex),             Rule::kWithin,       0,                    7},
};
// clang-format on

#undef QUILLMERE_FIELD

bool Accepted(const Limit& limit, Real value) {
  if (!std::isfinite(value)) return false;
  if (limit.rule != Rule::kWithin && value == 0) return true;
  if (limit.rule == Rule::kZeroOrBand) {
    // Exactly a frequency of the band table, as the band choice sets it.
    return std::any_of(BandTable.begin(), BandTable.end(),
                       [value](const BandRow& row) { return row.frequency == value; });
  }
  return value >= limit.low && value <= limit.high;
}

}  // namespace

std::vector<std::string> OutOfRangeFields(const PersistedFields& fields) {
  std::vector<std::string> names;
  for (const Limit& limit : kLimits) {
    if (!Accepted(limit, limit.value(fields))) names.emplace_back(limit.name);
  }
  return names;
}

}  // namespace quillmere
