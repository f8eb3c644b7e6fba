#include "range_check.h"

#include "bands.h"
#include "input_limits.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace quillmere {
namespace {

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
  InputLimit range;
};

// An elevation range widened by the step slack.
constexpr InputLimit WithSlack(InputLimit range) {
  return {range.low - kStepSlack, range.high + kStepSlack};
}

#define QUILLMERE_FIELD(path) #path, [](const PersistedFields& f) -> Real { return f.path; }

// In record order. Every value must also be finite.
// clang-format off
namespace L = input_limits;
constexpr InputLimit kNone{0, 0};  // the band table decides
constexpr Limit kLimits[] = {
    // field                                   rule                 range
    {QUILLMERE_FIELD(Home.Temperature),        Rule::kWithin,       L::kTemperature},
    {QUILLMERE_FIELD(Frequency),               Rule::kZeroOrBand,   kNone},
    {QUILLMERE_FIELD(Home.Humidity),           Rule::kWithin,       L::kHumidity},
    {QUILLMERE_FIELD(DX.Humidity),             Rule::kWithin,       L::kHumidity},
    {QUILLMERE_FIELD(TerrestrialPathLength),   Rule::kWithin,       L::kTerrestrialPath},
    {QUILLMERE_FIELD(Home.EmeElevation),       Rule::kZeroOrWithin, WithSlack(L::kElevation)},
    {QUILLMERE_FIELD(Home.Pressure),           Rule::kZeroOrWithin, L::kPressure},
    {QUILLMERE_FIELD(DX.Temperature),          Rule::kWithin,       L::kTemperature},
    {QUILLMERE_FIELD(Home.HeightAsl),          Rule::kWithin,       L::kHeightAsl},
    {QUILLMERE_FIELD(DX.Pressure),             Rule::kZeroOrWithin, L::kPressure},
    {QUILLMERE_FIELD(DX.EmeElevation),         Rule::kZeroOrWithin, WithSlack(L::kElevation)},
    {QUILLMERE_FIELD(EmePathMode),             Rule::kWithin,       L::kEmePathMode},
    {QUILLMERE_FIELD(Home.RainRateIndex),      Rule::kWithin,       L::kRainRateIndex},
    {QUILLMERE_FIELD(DX.RainRateIndex),        Rule::kWithin,       L::kRainRateIndex},
    {QUILLMERE_FIELD(Home.Polarisation),       Rule::kWithin,       L::kPolarisation},
    {QUILLMERE_FIELD(DX.Polarisation),         Rule::kWithin,       L::kPolarisation},
    {QUILLMERE_FIELD(FrequencyIndex),          Rule::kWithin,       L::kFrequencyIndex},
    {QUILLMERE_FIELD(DisplayDecimals),         Rule::kZeroOrWithin, L::kDisplayDecimals},
    {QUILLMERE_FIELD(Home.LatitudeZone),       Rule::kWithin,       L::kLatitudeZone},
    {QUILLMERE_FIELD(Home.Season),             Rule::kWithin,       L::kSeason},
    {QUILLMERE_FIELD(DX.LatitudeZone),         Rule::kWithin,       L::kLatitudeZone},
    {QUILLMERE_FIELD(DX.Season),               Rule::kWithin,       L::kSeason},
    {QUILLMERE_FIELD(Home.FogIndex),           Rule::kWithin,       L::kFogIndex},
    {QUILLMERE_FIELD(MoonSliderPosition),      Rule::kWithin,       L::kMoonSliderPosition},
    {QUILLMERE_FIELD(Home.CloudPosition),      Rule::kWithin,       L::kCloudPosition},
    {QUILLMERE_FIELD(HelpDelayIndex),          Rule::kWithin,       L::kHelpDelayIndex},
    {QUILLMERE_FIELD(DX.CloudPosition),        Rule::kWithin,       L::kCloudPosition},
    {QUILLMERE_FIELD(DX.FogIndex),             Rule::kWithin,       L::kFogIndex},
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
  return value >= limit.range.low && value <= limit.range.high;
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
