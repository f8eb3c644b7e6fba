// The form repeats some input limits: the cloud and Moon-distance sliders
// carry their ranges, and each selection group has one item per index. They
// must agree with the limits the steppers and the data-file load use.

#include <gtest/gtest.h>

#include <QFile>
#include <QHash>
#include <QString>
#include <QXmlStreamReader>

#include "input_limits.h"

namespace quillmere {
namespace {

// What the form says of one component.
struct Component {
  int minimum = 0, maximum = 0;
  int items = 0;
};

QHash<QString, Component> ReadForm() {
  QHash<QString, Component> form;
  QFile file(QUILLMERE_FORM);
  EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << QUILLMERE_FORM;
  QXmlStreamReader xml(&file);
  QString widget, property;
  while (!xml.atEnd()) {
    xml.readNext();
    if (!xml.isStartElement()) continue;
    const auto name = xml.name();
    if (name == u"widget") {
      widget = xml.attributes().value("name").toString();
    } else if (name == u"property") {
      property = xml.attributes().value("name").toString();
    } else if (name == u"number" && (property == u"minimum" || property == u"maximum")) {
      (property == u"minimum" ? form[widget].minimum : form[widget].maximum) =
          xml.readElementText().toInt();
    } else if (name == u"string" && property == u"items") {
      ++form[widget].items;
    }
  }
  EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
  return form;
}

struct Case {
  const char* component;
  InputLimit limit;
};

namespace L = input_limits;

TEST(FormLimits, SliderRangesAreTheInputLimits) {
  const QHash<QString, Component> form = ReadForm();
  for (const Case& c :
       {Case{"CloudSelectA", L::kCloudPosition}, Case{"CloudSelectB", L::kCloudPosition},
        Case{"ScrollBar1", L::kMoonSliderPosition}}) {
    ASSERT_TRUE(form.contains(c.component)) << c.component;
    EXPECT_EQ(form[c.component].minimum, c.limit.low) << c.component;
    EXPECT_EQ(form[c.component].maximum, c.limit.high) << c.component;
  }
}

// Indices run from 0 to the last item; the decimals from 1 to the count.
TEST(FormLimits, SelectionGroupsHaveAnItemForEveryIndex) {
  const QHash<QString, Component> form = ReadForm();
  for (const Case& c : {
           Case{"FreqSelect", L::kFrequencyIndex},
           Case{"RainSelectA", L::kRainRateIndex},
           Case{"RainSelectB", L::kRainRateIndex},
           Case{"PolarisationSelectA", L::kPolarisation},
           Case{"PolarisationSelectB", L::kPolarisation},
           Case{"LatitudeSelectA", L::kLatitudeZone},
           Case{"LatitudeSelectB", L::kLatitudeZone},
           Case{"SummerWinterSelectA", L::kSeason},
           Case{"SummerWinterSelectB", L::kSeason},
           Case{"FogSelectA", L::kFogIndex},
           Case{"FogSelectB", L::kFogIndex},
           Case{"ScreenDelaySelect", L::kHelpDelayIndex},
       }) {
    ASSERT_TRUE(form.contains(c.component)) << c.component;
    EXPECT_EQ(c.limit.low, 0) << c.component;
    EXPECT_EQ(form[c.component].items, c.limit.high + 1) << c.component;
  }
  EXPECT_EQ(form["DisplayAccuracy"].items, L::kDisplayDecimals.high);
  EXPECT_EQ(L::kDisplayDecimals.low, 1);
}

}  // namespace
}  // namespace quillmere
