// The main window's form: every component of the window exists with its
// name, kind, place in the hierarchy, caption and hint; the regions lie at
// their design places; every text is readable at the design size; and the
// whole form scales with its client area and returns exactly to the design.

#include <QAbstractButton>
#include <QApplication>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyleFactory>
#include <QTest>
#include <cmath>

#include "clickable_label.h"
#include "color_button.h"
#include "default_data.h"
#include "font_substitutes.h"
#include "panel.h"
#include "radio_group.h"
#include "spin_button.h"
#include "support/message_log.h"
#include "support/recording_display.h"
#include "support/window_controls.h"
#include "tab_set.h"
#include "tform1.h"
#include "ui_tform1.h"

using quillmere::TForm1;

namespace {

struct ComponentRow {
  const char* name;
  const char* kind;
  const char* parent;
  const char* caption;
  const char* hint;
};

// Every component that carries a text of the window's own: kind, the
// component it lies on, its caption at design and its hint. Components
// without such a text are not restated here: the form defines them, and
// componentsTheCalculationAddresses checks that every name the calculation
// writes to is on the form.
const ComponentRow kComponents[] = {
    {"ColorButton1", "ColorButton", "Panel1", "Save default Data", ""},
    {"ColorButton2", "ColorButton", "Panel1", "Change Display Accuracy", ""},
    {"ColorButton3", "ColorButton", "Panel1", "On Screen Help Delay", ""},
    {"Panel134", "Panel", "Panel1", "Reset Screen Size", ""},
    {"Button1", "PushButton", "Panel1", "Cloud yearly % location maps",
     "View maps to select appropriate Cloud columnar content"},
    {"FreqSelect", "RadioGroup", "Panel49", " Frequency", ""},
    {"Label11", "Label", "Panel15", "Home Station Terrestrial or Moon Attenuation", ""},
    {"Label8", "Label", "Panel13", "Path length in km", ""},
    {"Panel125", "Panel", "Panel13", "", "Calculate Moon"},
    {"Panel124", "Panel", "Panel13", "", "Reset distance to zero"},
    {"DistanceChangex100", "SpinButton", "Panel13", "", "x100"},
    {"DistanceChangex10", "SpinButton", "Panel13", "", "x10"},
    {"DistanceChangex1", "SpinButton", "Panel13", "", "x1"},
    {"Label109", "Label", "Panel13", ".", ""},
    {"DistanceChangex01Up", "SpinButton", "Panel13", "", "x0.1"},
    {"Label16", "Label", "Panel15", "Free Space Path  Loss", ""},
    {"Label31", "Label", "Panel52", "Atmosphere Gas Attenuation ITU Rec 676-9", ""},
    {"Label33", "Label", "Panel52", "Dry Air attenuation", ""},
    {"Label36", "Label", "Panel52", "Water Vapour", "Water Vapour attenuation at Sea level"},
    {"Label9", "Label", "Panel52", "attenuation", "Water Vapour attenuation at Sea level"},
    {"Label12", "Label", "Panel52", "Dry Air + ", ""},
    {"Label30", "Label", "Panel52", " Water Vapour", ""},
    {"Label1", "Label", "Panel52", " + ", ""},
    {"Label34", "Label", "Panel52", " =", ""},
    {"Panel133", "Panel", "Panel15", "Panel133", "Cloud attenuation"},
    {"Label124", "Label", "Panel15", "Cloud attenuation", ""},
    {"Panel40", "Panel", "Panel15", "Panel40", "Fog attenuation"},
    {"Label32", "Label", "Panel15", "Fog attenuation", ""},
    {"Panel35", "Panel", "Panel15", "Panel35", "Rain attenuation"},
    {"Label20", "Label", "Panel15", "Rain Attenuation", ""},
    {"Label35", "Label", "Panel15", " + ", ""},
    {"Label126", "Label", "Panel15", " + ", ""},
    {"Label37", "Label", "Panel15", " + ", ""},
    {"Panel53", "Panel", "Panel15", "Total Atmosphere Attenuation", ""},
    {"Panel16", "Panel", "Panel15", "over a xx km path.", ""},
    {"Label115", "Label", "Panel90", "Home Station", ""},
    {"Panel91", "Panel", "Panel90", "Temperature °c", ""},
    {"Panel3", "Panel", "Panel91", "Panel3", "Current Home Temperature"},
    {"Panel93", "Panel", "Panel90", "Humidity %", ""},
    {"Panel8", "Panel", "Panel93", "Panel8", "Current Home Humidity"},
    {"Panel95", "Panel", "Panel90", "Pressure hPa", ""},
    {"Panel5", "Panel", "Panel95", "Panel5", "Current Home atmospheric pressure"},
    {"Panel97", "Panel", "Panel90", "Height ASL [metres]", ""},
    {"HASLx100_A", "SpinButton", "Panel97", "", "x100"},
    {"HASLx10_A", "SpinButton", "Panel97", "", "x10"},
    {"Panel36", "Panel", "Panel97", "Panel36", "Home height above Sea Level"},
    {"Panel99", "Panel", "Panel90", "Temperature °c at HASL", ""},
    {"Panel38", "Panel", "Panel99", "Panel38",
     "Derived  HASL Temperature from reference sea level set with Ref Lat and Season."},
    {"Panel101", "Panel", "Panel90", "Pressure at HASL", ""},
    {"Panel39", "Panel", "Panel101", "Panel39",
     "Derived  HASL atmospheric pressure from reference sea level"},
    {"Panel103", "Panel", "Panel90", "WV density at HASL", ""},
    {"Panel37", "Panel", "Panel103", "Panel37",
     "Derived  HASL water vapour from reference sea level"},
    {"WaterIceSelectA", "ClickableLabel", "Panel105", "Water vapour Density",
     "Select Water or Ice vapour Density"},
    {"Panel12", "Panel", "Panel105", "Panel12", "Water or Ice vapour Density"},
    {"Panel107", "Panel", "Panel90", "ITU Rec 840-5", ""},
    {"Panel108", "Panel", "Panel107", "Cloud columnar content", ""},
    {"CloudSelectA", "ScrollBar", "Panel108", "",
     "Adjust to value indicated for your area as given in the Cloud Yearly location map"},
    {"Panel33", "Panel", "Panel107", "Panel33", "Specific H²O attenuation coefficient."},
    {"FogSelectA", "RadioGroup", "Panel107", "Fog    Visibility in metres",
     "Choose visibility distance in metres  [10 is the most dense]"},
    {"Label118", "Label", "Panel107", "<", ""},
    {"Button6", "PushButton", "Panel107", "Ref Lat and Season",
     "Select your reference Latitude and Season for HASL purposes."},
    {"Panel118", "Panel", "Panel90", "ITU Rec P.838-4", ""},
    {"RainSelectA", "RadioGroup", "Panel118", "Rain         Rate of precipitation.", ""},
    {"PolarisationSelectA", "RadioGroup", "Panel118", "Antennae Polarisation", ""},
    {"Panel32", "Panel", "Panel118", "Panel32", "Rain attenuation"},
    {"Label116", "Label", "Panel46", "DX Station", ""},
    {"Panel47", "Panel", "Panel46", "Temperature °c", ""},
    {"Panel48", "Panel", "Panel47", "Panel48", "Current DX Temperature"},
    {"Panel63", "Panel", "Panel46", "Humidity %", ""},
    {"Panel64", "Panel", "Panel63", "Panel64", "Current Dx Humidity"},
    {"Panel65", "Panel", "Panel46", "Pressure hPa", ""},
    {"Panel66", "Panel", "Panel65", "Panel66", "Current Dx atmospheric pressure"},
    {"Panel74", "Panel", "Panel46", "Height ASL [metres]", ""},
    {"HASLx100_B", "SpinButton", "Panel74", "", "x100"},
    {"HASLx10_B", "SpinButton", "Panel74", "", "x10"},
    {"Panel75", "Panel", "Panel74", "Panel75", "Dx height above Sea Level"},
    {"Panel69", "Panel", "Panel46", "Temperature °c at HASL", ""},
    {"Panel70", "Panel", "Panel69", "Panel70",
     "Derived  HASL Temperature from reference sea level"},
    {"Panel68", "Panel", "Panel46", "Pressure at HASL", ""},
    {"Panel76", "Panel", "Panel68", "Panel76",
     "Derived  HASL atmospheric pressure from reference sea level"},
    {"Panel71", "Panel", "Panel46", "WV density at HASL", ""},
    {"Panel77", "Panel", "Panel71", "Panel77",
     "Derived  HASL water vapour from reference sea level"},
    {"WaterIceSelectB", "ClickableLabel", "Panel78", "Water vapour Density",
     "Select Water or Ice vapour Density"},
    {"Panel79", "Panel", "Panel78", "Panel79", "Water or Ice vapour Density"},
    {"Panel67", "Panel", "Panel46", "ITU Rec 840-5", ""},
    {"Panel82", "Panel", "Panel67", "Cloud columnar content", ""},
    {"CloudSelectB", "ScrollBar", "Panel82", "",
     "Adjust to value indicated for your area as given in the Cloud Yearly location map"},
    {"Panel84", "Panel", "Panel67", "Panel84", "Specific H²O attenuation coefficient."},
    {"FogSelectB", "RadioGroup", "Panel67", "Fog    Visibility in metres",
     "Choose visibility distance in metres  [10 is the most dense]"},
    {"Label117", "Label", "Panel67", "<", ""},
    {"Button4", "PushButton", "Panel67", "Ref Lat and Season",
     "Select your reference Latitude and Season for HASL purposes."},
    {"Panel87", "Panel", "Panel46", "ITU Rec P.838-3", ""},
    {"RainSelectB", "RadioGroup", "Panel87", "Rain         Rate of precipitation.", ""},
    {"PolarisationSelectB", "RadioGroup", "Panel87", "Antennae Polarisation", ""},
    {"Panel89", "Panel", "Panel87", "Panel89", "Rain attenuation"},
    {"Label26", "Label", "Panel23", "Home Station ... Slant Attenuation", ""},
    {"Label19", "Label", "Panel23", "Home Antennae", ""},
    {"Panel17", "Panel", "Panel23", "Elevation [Slant/Slope]", ""},
    {"ElevationButtonA10", "SpinButton", "Panel17", "", "x10"},
    {"ElevationButtonA1", "SpinButton", "Panel17", "", "x1"},
    {"Panel18", "Panel", "Panel17", "Panel18", "Home Antennae Elevation"},
    {"Panel60", "Panel", "Panel23", "Atmosphere Gas Attenuation ITU Rec 676-9", ""},
    {"Panel20", "Panel", "Panel60", "Panel20", "Total Water Vapour + Dry air"},
    {"Panel25", "Panel", "Panel60", "Total Atten at Slant angle", ""},
    {"Panel19", "Panel", "Panel60", "Panel19", "Total attenuation at slope angle"},
    {"Label27", "Label", "Panel60", " + ", ""},
    {"Label28", "Label", "Panel60", " =", ""},
    {"Panel58", "Panel", "Panel23", "Panel58",
     "Rain + Cloud + Fog Losses (one way through the Atmosphere)"},
    {"Label29", "Label", "Panel23", " + ", ""},
    {"Label49", "Label", "Panel23", " + ", ""},
    {"Label3", "Label", "Panel23", "+   EME Path Loss", ""},
    {"Panel59", "Panel", "Panel23", "Panel59", "EME Path [Aperature] Loss at Moon Distance"},
    {"Label4", "Label", "Panel23", "Total attenuation", ""},
    {"Label47", "Label", "Panel23", "of EME Path", ""},
    {"Label50", "Label", "Panel23", " =", ""},
    {"Panel30", "Panel", "Panel23", "Panel30",
     "Home Station Atmosphere Loss is added twice on EME Path."},
    {"Label122", "Label", "Panel23", "Sky Noise due to Atmospheric Attenuation", ""},
    {"Panel131", "Panel", "Panel23", "Panel131", "Sky Noise due Atmospheric Attenuation "},
    {"Label70", "Label", "Panel23", "Home Station", ""},
    {"Label2", "Label", "Panel2", "Dx Station ... Slant Attenuation", ""},
    {"Label60", "Label", "Panel2", "Dx Antennae", ""},
    {"Panel4", "Panel", "Panel2", "Elevation [Slant/Slope]", ""},
    {"ElevationButtonB10", "SpinButton", "Panel4", "", "x10"},
    {"ElevationButtonB1", "SpinButton", "Panel4", "", "x1"},
    {"Panel7", "Panel", "Panel4", "Panel7", "Dx Antennae Elevation"},
    {"Panel92", "Panel", "Panel2", "Atmosphere Gas Attenuation ITU Rec 676-9", ""},
    {"Panel106", "Panel", "Panel92", "Panel106", "Total Water Vapour + Dry air"},
    {"Panel110", "Panel", "Panel92", "Total Atten at Slant angle", ""},
    {"Panel112", "Panel", "Panel92", "Panel112", "Total attenuation at slope angle"},
    {"Label22", "Label", "Panel92", " + ", ""},
    {"Label23", "Label", "Panel92", " =", ""},
    {"Panel54", "Panel", "Panel2", "Panel54",
     "Rain + Cloud + Fog Losses (one way through the Atmosphere)"},
    {"Label24", "Label", "Panel2", " + ", ""},
    {"Label53", "Label", "Panel2", " + ", ""},
    {"Label5", "Label", "Panel2", "+   EME Path Loss", ""},
    {"Panel62", "Panel", "Panel2", "Panel62", "EME Path [Aperature] Loss at Moon Distance"},
    {"Label6", "Label", "Panel2", "Total attenuation", ""},
    {"Label51", "Label", "Panel2", "of EME Path", ""},
    {"Label54", "Label", "Panel2", " =", ""},
    {"Panel31", "Panel", "Panel2", "Panel31",
     "Dx Station Atmosphere Loss is added twice on EME Path."},
    {"Label123", "Label", "Panel2", "Sky Noise due to Atmospheric Attenuation", ""},
    {"Panel132", "Panel", "Panel2", "Panel132", "Sky Noise due Atmospheric Attenuation "},
    {"Label121", "Label", "Panel2", "Dx Station", ""},
    {"Label100", "Label", "Panel115", "Moon Distance", ""},
    {"ScrollBar1", "ScrollBar", "Panel115", "", "Manually change the Moon Distance"},
    {"Label99", "Label", "Panel115", "Perigee", ""},
    {"Label101", "Label", "Panel115", "Apogee", ""},
    {"Label96", "Label", "Panel115", "356,000 kMs", "Moon Distance"},
    {"ColorButton4", "ColorButton", "Panel23", "Reset to Current Distance", ""},
    {"Label119", "Label", "Panel122", "Home + Dx Station", ""},
    {"Label120", "Label", "Panel122", "combined losses", ""},
    {"Panel120", "Panel", "Panel122", "Panel120", "Combined losses of the Home and Dx Station"},
    {"Panel127", "Panel", "Panel126", "EME path option  not selected", ""},
    {"Panel128", "Panel", "Panel126", " Select", ""},
    {"DisplayAccuracy", "RadioGroup", "Panel1", "Display accuracy [Decimal points]", ""},
    {"ScreenDelaySelect", "RadioGroup", "Panel1", "On Screen Help delay", ""},
    {"LatitudeSelectA", "RadioGroup", "Panel45", "Reference Latitude ITU Rec 835-3",
     "Chose yor Latitude"},
    {"SummerWinterSelectA", "RadioGroup", "Panel45", "Season [Mid and High Latitudes only]",
     "Select your Season"},
    {"Button2", "PushButton", "Panel45", "Close", ""},
    {"LatitudeSelectB", "RadioGroup", "Panel117", "Reference Latitude ITU Rec 835-3",
     "Chose yor Latitude"},
    {"SummerWinterSelectB", "RadioGroup", "Panel117", "Season [Mid and High Latitudes only]",
     "Select your Season"},
    {"Button3", "PushButton", "Panel117", "Close", ""},
    {"PercentageDisplay", "RadioGroup", "Panel42", "Average Year % Liquid Water Displays", ""},
    {"Button5", "PushButton", "Panel42", "Close", ""},
};

QString KindOf(QWidget* w) {
  if (qobject_cast<quillmere::Panel*>(w)) return QStringLiteral("Panel");
  if (qobject_cast<quillmere::ClickableLabel*>(w)) return QStringLiteral("ClickableLabel");
  if (qobject_cast<QLabel*>(w)) return QStringLiteral("Label");
  if (qobject_cast<quillmere::RadioGroup*>(w)) return QStringLiteral("RadioGroup");
  if (qobject_cast<quillmere::SpinButton*>(w)) return QStringLiteral("SpinButton");
  if (qobject_cast<quillmere::ColorButton*>(w)) return QStringLiteral("ColorButton");
  if (qobject_cast<QPushButton*>(w)) return QStringLiteral("PushButton");
  if (qobject_cast<QScrollBar*>(w)) return QStringLiteral("ScrollBar");
  if (qobject_cast<quillmere::TabSet*>(w)) return QStringLiteral("TabSet");
  if (qobject_cast<QPlainTextEdit*>(w)) return QStringLiteral("Memo");
  return QString::fromLatin1(w->metaObject()->className());
}

QString CaptionOf(QWidget* w) {
  if (auto* p = qobject_cast<quillmere::Panel*>(w)) return p->caption();
  if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
  if (auto* g = qobject_cast<quillmere::RadioGroup*>(w)) return g->title();
  if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text();
  return {};
}

QColor Rgb(int r, int g, int b) {
  return QColor(r, g, b);
}

const QColor kCream = Rgb(255, 251, 240);
const QColor kMoneyGreen = Rgb(192, 220, 192);
const QColor kSkyBlue = Rgb(166, 202, 240);
const QColor kSilver = Rgb(192, 192, 192);
const QColor kWhite = Rgb(255, 255, 255);
const QColor kOverlayPink = Rgb(252, 217, 253);

}  // namespace

class FormTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void cleanup();

  void componentExists_data();
  void componentExists();
  void componentsTheCalculationAddresses();
  void unnamedCaptionExists_data();
  void unnamedCaptionExists();
  void radioGroupItems_data();
  void radioGroupItems();
  void memoHoldsTheCloudNotes();
  void resetScreenSizeHintIsKeptButNotShown();
  void tabSetTabs();
  void sliderRanges_data();
  void sliderRanges();

  void regionPlaces_data();
  void regionPlaces();
  void colours_data();
  void colours();
  void colorButtonHoverColours_data();
  void colorButtonHoverColours();
  void fonts_data();
  void fonts();
  void visibilityAtDesign_data();
  void visibilityAtDesign();
  void textsFit_data();
  void textsFit();
  void controlsStayInsideTheirParent();

  void clientAreaIsTheDesignSize();
  void scalingMovesAndGrows_data();
  void scalingMovesAndGrows();
  void scalingReturnsExactlyToDesign();
  void scrollRangeFollowsScale();
  void resetScreenSizeSetsOuterSize();

 private:
  QStringList ClippedTexts() const;

  std::unique_ptr<TForm1> form_;
  QWidget* Find(const char* name) const {
    QWidget* w = form_->Component(QString::fromUtf8(name));
    if (w == nullptr) qWarning("no component %s", name);
    return w;
  }
};

void FormTest::initTestCase() {
  QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  quillmere::InstallFontSubstitutes();
  form_ = std::make_unique<TForm1>();
  form_->show();
  QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
}

void FormTest::cleanup() {
  // Every test leaves the window at its design size.
  form_->ShowAtDesignSize();
  QCoreApplication::processEvents();
}

void FormTest::componentExists_data() {
  QTest::addColumn<QString>("kind");
  QTest::addColumn<QString>("parent");
  QTest::addColumn<QString>("caption");
  QTest::addColumn<QString>("hint");
  for (const ComponentRow& row : kComponents) {
    QTest::newRow(row.name) << QString::fromUtf8(row.kind) << QString::fromUtf8(row.parent)
                            << QString::fromUtf8(row.caption) << QString::fromUtf8(row.hint);
  }
}

void FormTest::componentExists() {
  QFETCH(QString, kind);
  QFETCH(QString, parent);
  QFETCH(QString, caption);
  QFETCH(QString, hint);
  QWidget* w = Find(QTest::currentDataTag());
  QVERIFY(w != nullptr);
  QCOMPARE(KindOf(w), kind);
  QVERIFY(w->parentWidget() != nullptr);
  QCOMPARE(w->parentWidget()->objectName(), parent);
  if (kind != QLatin1String("SpinButton") && kind != QLatin1String("ScrollBar") &&
      kind != QLatin1String("TabSet") && kind != QLatin1String("Memo")) {
    QCOMPARE(CaptionOf(w), caption);
  }
  QCOMPARE(w->toolTip(), hint);
}

// Every component the calculation and the data-file load write to, read or
// show and hide, in both path modes, is a component of the form: a misspelt
// name in the calculation fails here rather than silently on screen.
void FormTest::componentsTheCalculationAddresses() {
  quillmere::QuillmereState state;
  quillmere::testing::RecordingDisplay display;
  quillmere::testing::FakeSunMoon moon;
  quillmere::Calculator calc(state, display, moon,
                             quillmere::FixedUtcClock({2026, 12, 7, 8, 0, 0, 0}));
  quillmere::testing::BindLikeTheWindow(display, calc);
  quillmere::testing::MessageLog messages;
  quillmere::RecordBuffer buffer;
  quillmere::LoadDefaults(calc, display, buffer, QUILLMERE_TEST_DATA "/records/typical.dat",
                          messages);
  QVERIFY(messages.lines.empty());
  calc.Panel124Click();
  calc.Panel125Click();
  QStringList names;
  for (const auto& [name, text] : display.texts) names << QString::fromStdString(name);
  for (const auto& [name, shown] : display.VisibilitySet()) names << QString::fromStdString(name);
  for (const auto& [name, item] : display.groups) names << QString::fromStdString(name);
  names << "ScrollBar1"
        << "CloudSelectA"
        << "CloudSelectB";
  QVERIFY(names.size() > 100);
  names.removeDuplicates();
  QStringList missing;
  for (const QString& name : names) {
    if (name != QLatin1String("Form1") && form_->Component(name) == nullptr) missing << name;
  }
  QVERIFY2(missing.isEmpty(), qPrintable("not on the form: " + missing.join(", ")));
}

void FormTest::unnamedCaptionExists_data() {
  QTest::addColumn<QString>("parent");
  QTest::addColumn<QString>("text");
  struct Row {
    const char* parent;
    const char* text;
  };
  const Row rows[] = {
      {"Panel108", "Min"},
      {"Panel108", "Max"},
      {"Panel82", "Min"},
      {"Panel82", "Max"},
      {"Panel107", "Specific H²O atten coefficient."},
      {"Panel107", "Cloud attenuation."},
      {"Panel107", "Fog Liquid Water Density."},
      {"Panel107", "Fog attenuation"},
      {"Panel67", "Specific H²O atten coefficient."},
      {"Panel67", "Cloud attenuation."},
      {"Panel67", "Fog Liquid Water Density."},
      {"Panel67", "Fog attenuation"},
      {"Panel118", "Rain attenuation"},
      {"Panel87", "Rain attenuation"},
      {"Panel60", "Dry Air attenuation"},
      {"Panel60", "Dry Air height km"},
      {"Panel60", "Dry Air atten at"},
      {"Panel60", "height in  dB"},
      {"Panel60", "Water Vapour attenuation"},
      {"Panel60", "Water Vapour height km"},
      {"Panel60", "W V atten at"},
      {"Panel60", " height in  dB"},
      {"Panel60", "Total Atten at Zenith"},
      {"Panel92", "Dry Air attenuation"},
      {"Panel92", "Dry Air height km"},
      {"Panel92", "Dry Air atten at"},
      {"Panel92", "height in  dB"},
      {"Panel92", "Water Vapour attenuation"},
      {"Panel92", "Water Vapour height km"},
      {"Panel92", "W V atten at"},
      {"Panel92", " height in  dB"},
      {"Panel92", "Total Atten at Zenith"},
      {"Panel23", "Cloud attenuation"},
      {"Panel23", "Fog attenuation"},
      {"Panel23", "Rain Attenuation"},
      {"Panel23", "Total additional Losses"},
      {"Panel2", "Cloud attenuation"},
      {"Panel2", "Fog attenuation"},
      {"Panel2", "Rain Attenuation"},
      {"Panel2", "Total additional Losses"},
  };
  for (const Row& row : rows) {
    QTest::addRow("%s %s", row.parent, row.text)
        << QString::fromUtf8(row.parent) << QString::fromUtf8(row.text);
  }
}

void FormTest::unnamedCaptionExists() {
  QFETCH(QString, parent);
  QFETCH(QString, text);
  QWidget* p = form_->Component(parent);
  QVERIFY(p != nullptr);
  int found = 0;
  for (QLabel* label : p->findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) {
    if (label->text() == text) ++found;
  }
  QCOMPARE(found, 1);
}

void FormTest::radioGroupItems_data() {
  QTest::addColumn<QStringList>("items");
  QTest::addColumn<int>("columns");
  const QStringList fog = {"No Fog", "10", "50", "100", "150", "200", "250", "300"};
  const QStringList rain = {"No Rain",
                            "0.25 mm/hr   Drizzle    ",
                            "1 mm/hr        Light  ",
                            "10 mm/hr      Steady ",
                            "25 mm/hr       Heavy    ",
                            "150 mm/hr    Very heavy"};
  const QStringList polarisation = {"Horiz.", "Vertical", "Circular"};
  const QStringList latitude = {QString::fromUtf8("Low Latitude  0 - 22°  "),
                                QString::fromUtf8("Mid Latitude 22 - 45°  "),
                                QString::fromUtf8("High Latitude >   45° ")};
  const QStringList season = {"Summer", "Winter"};
  QTest::newRow("FreqSelect") << QStringList{"10 GHz",  "24 GHz",  "47 GHz",  "78 GHz",
                                             "100 GHz", "122 GHz", "134 GHz", "241 GHz"}
                              << 4;
  QTest::newRow("FogSelectA") << fog << 2;
  QTest::newRow("FogSelectB") << fog << 2;
  QTest::newRow("RainSelectA") << rain << 1;
  QTest::newRow("RainSelectB") << rain << 1;
  QTest::newRow("PolarisationSelectA") << polarisation << 3;
  QTest::newRow("PolarisationSelectB") << polarisation << 3;
  QTest::newRow("LatitudeSelectA") << latitude << 1;
  QTest::newRow("LatitudeSelectB") << latitude << 1;
  QTest::newRow("SummerWinterSelectA") << season << 2;
  QTest::newRow("SummerWinterSelectB") << season << 2;
  QTest::newRow("DisplayAccuracy") << QStringList{"1", "2", "3", "4", "5", "6", "7", "8"} << 4;
  QTest::newRow("ScreenDelaySelect")
      << QStringList{"8 Second", "4 Second", "2 Second", "Do not Display"} << 1;
  QTest::newRow("PercentageDisplay")
      << QStringList{"0.1% of the Year Liquid Water",  "0.5% of the Year Liquid Water ",
                     "1.0% of the Year Liquid Water ", "5.0% of the Year Liquid Water ",
                     "10 % of the Year Liquid Water",  "20 % of the Year Liquid Water "}
      << 1;
}

void FormTest::radioGroupItems() {
  QFETCH(QStringList, items);
  QFETCH(int, columns);
  auto* group = form_->Component<quillmere::RadioGroup>(QString::fromUtf8(QTest::currentDataTag()));
  QVERIFY(group != nullptr);
  QCOMPARE(group->items(), items);
  QCOMPARE(group->columns(), columns);
  // No item is selected until the default data are loaded.
  QCOMPARE(group->itemIndex(), -1);
  // The item buttons carry the texts too.
  const auto buttons = group->findChildren<QRadioButton*>();
  QCOMPARE(buttons.size(), items.size());
}

void FormTest::memoHoldsTheCloudNotes() {
  auto* memo = form_->Component<QPlainTextEdit>(QStringLiteral("Memo1"));
  QVERIFY(memo != nullptr);
  QVERIFY(memo->isReadOnly());
  const QStringList expected = {
      QStringLiteral(" Reference ITU P.840-4"),
      QString(),
      QStringLiteral("To obtain the Columnar Cloud liquid water content the"),
      QStringLiteral("following visual displays are provided to assist in the "),
      QString::fromUtf8("selection of the  appropriate value. [ kg/m²]."),
      QStringLiteral(" "),
      QStringLiteral("- Visually inspect Average Year % map that represents"),
      QStringLiteral("  your time of year and and note the value at your "),
      QString::fromUtf8("  location.  The value will range between 0.2 to 4.0  kg/m²."),
      QString(),
      QStringLiteral("- Adjust the Cloud Columnar content slider to the value."),
      QString(),
      QStringLiteral("               Save the default Data value (if desired)."),
  };
  QCOMPARE(memo->toPlainText().split(u'\n'), expected);
}

void FormTest::resetScreenSizeHintIsKeptButNotShown() {
  QWidget* w = Find("Panel134");
  QCOMPARE(w->statusTip(), QStringLiteral("Reset Screen Size"));
  QVERIFY(w->toolTip().isEmpty());
}

void FormTest::tabSetTabs() {
  auto* tabs = form_->Component<quillmere::TabSet>(QStringLiteral("TabSet2"));
  QCOMPARE(tabs->tabs(), (QStringList{"Help", "About", "Exit", "Planner", "Spectrum"}));
  QCOMPARE(tabs->selectedColor(), kSkyBlue);
  QCOMPARE(tabs->height(), 25);
  QCOMPARE(tabs->currentIndex(), -1);
}

void FormTest::sliderRanges_data() {
  QTest::addColumn<int>("minimum");
  QTest::addColumn<int>("maximum");
  QTest::addColumn<int>("position");
  QTest::newRow("ScrollBar1") << 0 << 100 << 0;
  QTest::newRow("CloudSelectA") << 0 << 40 << 2;
  QTest::newRow("CloudSelectB") << 0 << 40 << 2;
}

void FormTest::sliderRanges() {
  QFETCH(int, minimum);
  QFETCH(int, maximum);
  QFETCH(int, position);
  auto* bar = form_->Component<QScrollBar>(QString::fromUtf8(QTest::currentDataTag()));
  QVERIFY(bar != nullptr);
  QCOMPARE(bar->orientation(), Qt::Horizontal);
  QCOMPARE(bar->minimum(), minimum);
  QCOMPARE(bar->maximum(), maximum);
  QCOMPARE(bar->singleStep(), 1);
  QCOMPARE(bar->pageStep(), 1);
  QCOMPARE(bar->value(), position);
}

void FormTest::regionPlaces_data() {
  QTest::addColumn<QRect>("geometry");
  QTest::newRow("Panel1") << QRect(2, 2, 1055, 880);
  QTest::newRow("Panel49") << QRect(5, 32, 275, 82);
  QTest::newRow("Panel15") << QRect(5, 117, 275, 385);
  QTest::newRow("Panel90") << QRect(285, 32, 764, 232);
  QTest::newRow("Panel46") << QRect(285, 269, 764, 232);
  QTest::newRow("Panel23") << QRect(5, 504, 1046, 185);
  QTest::newRow("Panel2") << QRect(5, 692, 1046, 185);
  QTest::newRow("Panel121") << QRect(904, 652, 145, 77);
  QTest::newRow("Panel126") << QRect(176, 640, 593, 129);
  QTest::newRow("Panel42") << QRect(240, 96, 329, 353);
}

void FormTest::regionPlaces() {
  QFETCH(QRect, geometry);
  QCOMPARE(Find(QTest::currentDataTag())->geometry(), geometry);
}

void FormTest::colours_data() {
  QTest::addColumn<QColor>("colour");
  QTest::newRow("Panel49") << kSilver;
  QTest::newRow("Panel15") << kCream;
  QTest::newRow("Panel90") << kCream;
  QTest::newRow("Panel46") << kMoneyGreen;
  QTest::newRow("Panel23") << kCream;
  QTest::newRow("Panel2") << kMoneyGreen;
  QTest::newRow("Panel123") << kMoneyGreen;
  QTest::newRow("Panel128") << kWhite;
  QTest::newRow("Panel45") << kOverlayPink;
  QTest::newRow("Panel117") << kOverlayPink;
  QTest::newRow("Panel42") << kOverlayPink;
  QTest::newRow("DisplayAccuracy") << kSkyBlue;
  QTest::newRow("ScreenDelaySelect") << kSkyBlue;
  QTest::newRow("ColorButton4") << kCream;
}

void FormTest::colours() {
  QFETCH(QColor, colour);
  QWidget* w = Find(QTest::currentDataTag());
  QCOMPARE(w->property("color").value<QColor>(), colour);
  // What is drawn is the widget's own background.
  const QPalette::ColorRole role =
      qobject_cast<QAbstractButton*>(w) ? QPalette::Button : QPalette::Window;
  QCOMPARE(w->palette().color(role), colour);
  if (role == QPalette::Window) QVERIFY(w->autoFillBackground());
}

void FormTest::colorButtonHoverColours_data() {
  QTest::addColumn<QColor>("hover");
  QTest::newRow("ColorButton1") << Rgb(255, 0, 0);
  QTest::newRow("ColorButton2") << kSkyBlue;
  QTest::newRow("ColorButton3") << kSkyBlue;
  QTest::newRow("ColorButton4") << Rgb(255, 219, 217);
}

void FormTest::colorButtonHoverColours() {
  QFETCH(QColor, hover);
  auto* button = form_->Component<quillmere::ColorButton>(QTest::currentDataTag());
  QCOMPARE(button->hoverColor(), hover);
}

void FormTest::fonts_data() {
  QTest::addColumn<int>("pixelSize");
  QTest::addColumn<bool>("bold");
  // Labels and captions: Arial 11 px; value fields: MS Sans Serif bold 13 px.
  QTest::newRow("Label8") << 11 << false;
  QTest::newRow("Label16") << 11 << false;
  QTest::newRow("Label55") << 11 << false;
  QTest::newRow("WaterIceSelectA") << 11 << false;
  QTest::newRow("FreqSelect") << 11 << false;
  QTest::newRow("Panel14") << 13 << true;
  QTest::newRow("Panel3") << 13 << true;
  QTest::newRow("Panel131") << 13 << true;
  QTest::newRow("Panel114") << 13 << true;
  QTest::newRow("Panel120") << 13 << true;
  QTest::newRow("Panel127") << 16 << true;
}

void FormTest::fonts() {
  QFETCH(int, pixelSize);
  QFETCH(bool, bold);
  QWidget* w = Find(QTest::currentDataTag());
  const QFont f = w->font();
  QCOMPARE(f.pixelSize(), pixelSize);
  QCOMPARE(f.bold(), bold);
  // Whatever the face is called in the form, Liberation Sans draws it.
  QCOMPARE(QFontInfo(f).family(), QStringLiteral("Liberation Sans"));
}

void FormTest::visibilityAtDesign_data() {
  QTest::addColumn<bool>("visible");
  for (const char* name :
       {"DisplayAccuracy", "ScreenDelaySelect", "Panel45", "Panel117", "Panel42", "Panel126"}) {
    QTest::newRow(name) << false;
  }
  for (const char* name : {"Panel23", "Panel2", "Panel121", "Panel114", "Panel115", "ColorButton4",
                           "Panel131", "Panel132", "Panel59", "Panel62"}) {
    QTest::newRow(name) << true;
  }
}

void FormTest::visibilityAtDesign() {
  QFETCH(bool, visible);
  QCOMPARE(Find(QTest::currentDataTag())->isVisible(), visible);
}

// Texts of the form that are cut off at the form's present size.
QStringList FormTest::ClippedTexts() const {
  QStringList clipped;
  for (QWidget* w : form_->ComponentList()) {
    const QFontMetrics fm(w->font());
    if (auto* p = qobject_cast<quillmere::Panel*>(w)) {
      const int room = p->contentsRect().width() - 2;
      if (fm.horizontalAdvance(p->caption()) > room ||
          (!p->caption().isEmpty() && fm.height() > p->contentsRect().height() + 2)) {
        clipped << p->objectName();
      }
    } else if (auto* l = qobject_cast<QLabel*>(w)) {
      if (fm.horizontalAdvance(l->text()) > l->contentsRect().width() ||
          fm.height() > l->height() + 1) {
        clipped << l->objectName();
      }
    } else if (auto* g = qobject_cast<quillmere::RadioGroup*>(w)) {
      if (fm.horizontalAdvance(g->title()) + 12 > g->width()) clipped << g->objectName();
      for (QRadioButton* item : g->findChildren<QRadioButton*>()) {
        if (item->sizeHint().width() > item->width() ||
            item->fontMetrics().height() > item->height()) {
          clipped << g->objectName() + u':' + item->text();
        }
      }
    } else if (auto* b = qobject_cast<QAbstractButton*>(w)) {
      if (fm.horizontalAdvance(b->text()) + 8 > b->width()) clipped << b->objectName();
    }
  }
  return clipped;
}

void FormTest::textsFit_data() {
  QTest::addColumn<double>("factor");
  QTest::newRow("design size") << 1.0;
  QTest::newRow("x1.25") << 1.25;
  QTest::newRow("x1.5") << 1.5;
  QTest::newRow("x2") << 2.0;
}

// No caption, title, item or button text may be cut off at the design size,
// nor when the window grows.
void FormTest::textsFit() {
  QFETCH(double, factor);
  form_->ResizeClientArea(QSize(int(std::lround(TForm1::kDesignClientSize.width() * factor)),
                                int(std::lround(TForm1::kDesignClientSize.height() * factor))));
  // The option panels are opened, so that their contents are laid out.
  const char* overlays[] = {"DisplayAccuracy", "ScreenDelaySelect", "Panel45",
                            "Panel117",        "Panel42",           "Panel126"};
  for (const char* name : overlays) Find(name)->show();
  QCoreApplication::processEvents();
  const QStringList clipped = ClippedTexts();
  for (const char* name : overlays) Find(name)->hide();
  QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(u", ")));
}

// Nothing of a region spills over its edge (the option panels excepted,
// which lie over the window on purpose).
void FormTest::controlsStayInsideTheirParent() {
  QStringList outside;
  for (QWidget* w : form_->ComponentList()) {
    QWidget* parent = w->parentWidget();
    if (parent == form_->Components().FormClient) continue;
    if (!parent->rect().contains(w->geometry())) outside << w->objectName();
  }
  QVERIFY2(outside.isEmpty(), qPrintable(outside.join(u", ")));
}

void FormTest::clientAreaIsTheDesignSize() {
  QCOMPARE(form_->ClientArea()->size(), TForm1::kDesignClientSize);
  QVERIFY(form_->Components().FormScroll->verticalScrollBar()->isVisible());
}

void FormTest::scalingMovesAndGrows_data() {
  QTest::addColumn<double>("factor");
  for (const char* name : {"Panel1", "Panel90", "Panel14", "TempButtonA", "FreqSelect",
                           "ScrollBar1", "Label96", "Panel121", "Panel120", "TabSet2"}) {
    QTest::addRow("%s x1.5", name) << 1.5;
    QTest::addRow("%s x0.75", name) << 0.75;
  }
}

// Every edge of a control moves to its design position times the scale
// (rounded: half a pixel), and its font grows with it (rounded down: less
// than a pixel below the product, never above it).
void FormTest::scalingMovesAndGrows() {
  QFETCH(double, factor);
  const QString tag = QString::fromLatin1(QTest::currentDataTag());
  QWidget* w = form_->Component(tag.section(u' ', 0, 0));
  QVERIFY(w != nullptr);
  const QRect design = w->geometry();
  const int design_px = w->font().pixelSize();
  const QSize client(int(std::lround(TForm1::kDesignClientSize.width() * factor)),
                     int(std::lround(TForm1::kDesignClientSize.height() * factor)));
  form_->ResizeClientArea(client);
  QCoreApplication::processEvents();
  QCOMPARE(form_->ClientArea()->size(), client);
  const QRect scaled = w->geometry();
  QVERIFY(std::abs(scaled.left() - design.left() * factor) <= 0.5);
  QVERIFY(std::abs(scaled.top() - design.top() * factor) <= 0.5);
  QVERIFY(std::abs(scaled.left() + scaled.width() - (design.left() + design.width()) * factor) <=
          0.5);
  QVERIFY(std::abs(scaled.top() + scaled.height() - (design.top() + design.height()) * factor) <=
          0.5);
  const double px = design_px * factor;
  QVERIFY(w->font().pixelSize() <= px && w->font().pixelSize() > px - 1);
}

void FormTest::scalingReturnsExactlyToDesign() {
  QHash<QWidget*, QRect> geometry;
  QHash<QWidget*, int> pixels;
  for (QWidget* w : form_->ComponentList()) {
    geometry.insert(w, w->geometry());
    pixels.insert(w, w->font().pixelSize());
  }
  // Several odd sizes in a row, so that any rounding that accumulated would
  // show.
  for (QSize client : {QSize(1301, 977), QSize(700, 1200), QSize(1063, 885), QSize(1999, 1500)}) {
    form_->ResizeClientArea(client);
    QCoreApplication::processEvents();
  }
  form_->ShowAtDesignSize();
  QCoreApplication::processEvents();
  QCOMPARE(form_->ClientArea()->size(), TForm1::kDesignClientSize);
  for (QWidget* w : form_->ComponentList()) {
    QCOMPARE(w->geometry(), geometry.value(w));
    QCOMPARE(w->font().pixelSize(), pixels.value(w));
  }
}

void FormTest::scrollRangeFollowsScale() {
  QScrollBar* bar = form_->Components().FormScroll->verticalScrollBar();
  // 920 design pixels of which 886 are in view.
  QCOMPARE(bar->maximum(), TForm1::kScrollRange - TForm1::kDesignClientSize.height());
  form_->ResizeClientArea(QSize(1596, 1329));
  QCoreApplication::processEvents();
  QCOMPARE(bar->maximum(), 1380 - 1329);
}

void FormTest::resetScreenSizeSetsOuterSize() {
  form_->ResizeClientArea(QSize(1500, 1200));
  QCoreApplication::processEvents();
  form_->ResetScreenSize();
  QCoreApplication::processEvents();
  // The design size, scaled down evenly where the screen is smaller, and
  // all of it on the screen.
  const QRect area = form_->screen()->availableGeometry();
  QVERIFY(area.contains(form_->frameGeometry()));
  if (area.width() >= 1072 && area.height() >= 1015) {
    QCOMPARE(form_->frameGeometry().size(), TForm1::kResetOuterSize);
  } else {
    // Frame and scroll bar keep their size; what lies inside them shrinks
    // by one factor on both axes (to a pixel), as far as the screen needs.
    const QSize shown = form_->ClientArea()->size();
    const QSize chrome = form_->frameGeometry().size() - shown;
    const QSize design = TForm1::kResetOuterSize - chrome;
    const double kx = double(shown.width()) / design.width();
    const double ky = double(shown.height()) / design.height();
    QVERIFY2(std::abs(kx - ky) <= 1.5 / shown.height(), qPrintable(QString::number(kx - ky)));
    QVERIFY(form_->frameGeometry().width() == area.width() ||
            form_->frameGeometry().height() == area.height());
  }
  // The form follows its new client area.
  const QSize client = form_->ClientArea()->size();
  const QRect panel1 = Find("Panel1")->geometry();
  const double sx = double(client.width()) / TForm1::kDesignClientSize.width();
  QVERIFY(std::abs(panel1.left() + panel1.width() - 1057 * sx) <= 0.5);
}

QTEST_MAIN(FormTest)
#include "ui_form_test.moc"
