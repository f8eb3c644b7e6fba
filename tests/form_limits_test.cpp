// The form repeats some input limits: the cloud and Moon-distance sliders
// carry their ranges, and each selection group has one item per value. They
// must agree with the limits the steppers and the data-file load use. The
// form is read through the component table generated from it.

#include <gtest/gtest.h>

#include "form_components.h"
#include "input_limits.h"

namespace quillmere {
namespace {

namespace L = input_limits;

// The values a control can give: a slider's range, or a group's items
// numbered from `first` (0 for an index).
InputLimit ValuesOf(const form::FormComponent& c, int first) {
  if (c.kind == form::Kind::kScrollBar) return {Real(c.minimum), Real(c.maximum)};
  return {Real(first), Real(first) + Real(c.items.size()) - 1};
}

TEST(FormLimits, EachControlGivesTheValuesOfItsInputLimit) {
  const struct {
    std::string_view component;
    InputLimit limit;
    int first = 0;
  } cases[] = {
      {component::CloudSelectA, L::kCloudPosition},
      {component::CloudSelectB, L::kCloudPosition},
      {component::ScrollBar1, L::kMoonSliderPosition},
      {component::FreqSelect, L::kFrequencyIndex},
      {component::RainSelectA, L::kRainRateIndex},
      {component::RainSelectB, L::kRainRateIndex},
      {component::PolarisationSelectA, L::kPolarisation},
      {component::PolarisationSelectB, L::kPolarisation},
      {component::LatitudeSelectA, L::kLatitudeZone},
      {component::LatitudeSelectB, L::kLatitudeZone},
      {component::SummerWinterSelectA, L::kSeason},
      {component::SummerWinterSelectB, L::kSeason},
      {component::FogSelectA, L::kFogIndex},
      {component::FogSelectB, L::kFogIndex},
      {component::ScreenDelaySelect, L::kHelpDelayIndex},
      // The decimals are the item index + 1.
      {component::DisplayAccuracy, L::kDisplayDecimals, 1},
  };
  for (const auto& c : cases) {
    const form::FormComponent* control = form::Find(c.component);
    ASSERT_NE(control, nullptr) << c.component;
    const InputLimit values = ValuesOf(*control, c.first);
    EXPECT_EQ(values.low, c.limit.low) << c.component;
    EXPECT_EQ(values.high, c.limit.high) << c.component;
  }
}

}  // namespace
}  // namespace quillmere
