// Writes of the calculation, addressed by component name, land on the
// window's widgets.

#include <QApplication>
#include <QLabel>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStyleFactory>
#include <QTest>
#include <memory>
#include <string>

#include "color_button.h"
#include "font_substitutes.h"
#include "panel.h"
#include "radio_group.h"
#include "tform1.h"
#include "widget_display.h"

using quillmere::TForm1;
using quillmere::WidgetDisplay;

namespace {

QString CaptionOf(QWidget* w) {
  if (auto* p = qobject_cast<quillmere::Panel*>(w)) return p->caption();
  if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
  if (auto* g = qobject_cast<quillmere::RadioGroup*>(w)) return g->title();
  if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text();
  return w->windowTitle();
}

std::string Utf8(const QString& s) {
  return s.toUtf8().toStdString();
}

struct PaintCounter : QObject {
  int paints = 0;
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint) ++paints;
    return false;
  }
};

}  // namespace

class DisplayTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void init();

  void setText_data();
  void setText();
  void unchangedTextIsNotRepainted();
  void setVisibleShowsAndRaises();
  void setVisibleHides();
  void setColor_data();
  void setColor();
  void setSliderPosition_data();
  void setSliderPosition();
  void setSelectedItemShowsWithoutReporting();
  void unknownNamesAreIgnoredInRelease();

 private:
  // Messages the bound handlers would show in modal boxes, dropped.
  quillmere::SilentMessages quiet_;
  std::unique_ptr<TForm1> form_;
  std::unique_ptr<WidgetDisplay> display_;
};

void DisplayTest::initTestCase() {
  QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  quillmere::InstallFontSubstitutes();
}

void DisplayTest::init() {
  display_.reset();
  form_ = std::make_unique<TForm1>();
  form_->SetMessages(&quiet_);
  form_->show();
  QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
  display_ = std::make_unique<WidgetDisplay>(*form_);
}

void DisplayTest::setText_data() {
  QTest::addColumn<QString>("component");
  QTest::addColumn<QString>("text");
  QTest::newRow("value field") << "Panel3" << QString::fromUtf8("15°c ");
  QTest::newRow("value field, DX") << "Panel79" << QString::fromUtf8("6.41000000 g/m³");
  QTest::newRow("caption line") << "Panel16"
                                << "via a 10.0 km path.";
  QTest::newRow("moon data line") << "Panel114"
                                  << QString::fromUtf8(
                                         "Current ... Path Loss 252.00 dB  Moon Diam .. 0.52°   "
                                         "Moon Phase .. 0.250 °  90°  25.0%");
  QTest::newRow("label") << "Label96"
                         << "356000.0 kms";
  QTest::newRow("clickable label") << "WaterIceSelectA"
                                   << "Ice Vapour Density";
  QTest::newRow("label in a slider block") << "Label55" << QString::fromUtf8("0.2 kg/m²");
  QTest::newRow("radio group title") << "FreqSelect"
                                     << " Frequency 10.368";
  QTest::newRow("window title") << "Form1"
                                << "Quillmere 2014.0.1 Absorbtion Attenuation";
}

void DisplayTest::setText() {
  QFETCH(QString, component);
  QFETCH(QString, text);
  display_->SetText(Utf8(component), Utf8(text));
  QWidget* w = component == QLatin1String("Form1") ? form_.get() : form_->Component(component);
  QCOMPARE(CaptionOf(w), text);
}

void DisplayTest::unchangedTextIsNotRepainted() {
  display_->SetText("Panel34", "113.25 dB");
  QCoreApplication::processEvents();
  PaintCounter counter;
  QWidget* panel = form_->Component(QStringLiteral("Panel34"));
  panel->installEventFilter(&counter);
  for (int i = 0; i < 10; ++i) display_->SetText("Panel34", "113.25 dB");
  QCoreApplication::processEvents();
  QCOMPARE(counter.paints, 0);
  display_->SetText("Panel34", "133.25 dB");
  QCoreApplication::processEvents();
  QVERIFY(counter.paints > 0);
}

// Of several open option panels the last one opened lies on top.
void DisplayTest::setVisibleShowsAndRaises() {
  QWidget* panel45 = form_->Component(QStringLiteral("Panel45"));
  QWidget* panel42 = form_->Component(QStringLiteral("Panel42"));
  display_->SetVisible("Panel42", true);
  display_->SetVisible("Panel45", true);
  QVERIFY(panel42->isVisible());
  QVERIFY(panel45->isVisible());
  QCOMPARE(panel45->parentWidget()->children().last(), panel45);
  display_->SetVisible("Panel42", false);
  display_->SetVisible("Panel42", true);
  QCOMPARE(panel42->parentWidget()->children().last(), panel42);
}

void DisplayTest::setVisibleHides() {
  for (const char* name : {"Panel23", "Panel2", "Panel121", "Panel114", "ColorButton4"}) {
    display_->SetVisible(name, false);
    QVERIFY2(!form_->Component(QString::fromLatin1(name))->isVisible(), name);
  }
  display_->SetVisible("Panel126", true);
  QVERIFY(form_->Component(QStringLiteral("Panel126"))->isVisible());
}

void DisplayTest::setColor_data() {
  QTest::addColumn<QString>("component");
  QTest::addColumn<QColor>("colour");
  QTest::newRow("mode square, terrestrial") << "Panel124" << QColor(0, 0, 255);
  QTest::newRow("mode square, EME") << "Panel125" << QColor(192, 192, 192);
  QTest::newRow("radio group") << "DisplayAccuracy" << QColor(255, 255, 255);
  QTest::newRow("coloured button") << "ColorButton4" << QColor(166, 202, 240);
}

void DisplayTest::setColor() {
  QFETCH(QString, component);
  QFETCH(QColor, colour);
  display_->SetColor(Utf8(component), {std::uint8_t(colour.red()), std::uint8_t(colour.green()),
                                       std::uint8_t(colour.blue())});
  QCOMPARE(form_->Component(component)->property("color").value<QColor>(), colour);
}

void DisplayTest::setSliderPosition_data() {
  QTest::addColumn<QString>("component");
  QTest::addColumn<int>("position");
  QTest::addColumn<int>("expected");
  QTest::newRow("moon") << "ScrollBar1" << 42 << 42;
  QTest::newRow("moon, past apogee") << "ScrollBar1" << 130 << 100;
  QTest::newRow("cloud") << "CloudSelectB" << 40 << 40;
  QTest::newRow("cloud, below 0") << "CloudSelectA" << -3 << 0;
}

// The display only shows a position: the slider's change was the
// controls', whose handlers ran already, so the widget reports nothing.
void DisplayTest::setSliderPosition() {
  QFETCH(QString, component);
  QFETCH(int, position);
  QFETCH(int, expected);
  auto* bar = form_->Component<QScrollBar>(component);
  QSignalSpy spy(bar, &QScrollBar::valueChanged);
  display_->SetSliderPosition(Utf8(component), position);
  QCOMPARE(bar->value(), expected);
  QCOMPARE(spy.count(), 0);
}

void DisplayTest::setSelectedItemShowsWithoutReporting() {
  auto* group = form_->Component<quillmere::RadioGroup>(QStringLiteral("FreqSelect"));
  QSignalSpy spy(group, &quillmere::RadioGroup::itemChanged);
  display_->SetSelectedItem("FreqSelect", 3);
  QCOMPARE(group->itemIndex(), 3);
  display_->SetSelectedItem("FreqSelect", -1);
  QCOMPARE(group->itemIndex(), -1);
  QCOMPARE(spy.count(), 0);
}

void DisplayTest::unknownNamesAreIgnoredInRelease() {
  QVERIFY(display_->Knows("Panel14"));
  QVERIFY(!display_->Knows("Panel999"));
#ifdef QT_NO_DEBUG
  display_->SetText("Panel999", "x");
  display_->SetVisible("Panel999", false);
  display_->SetColor("Panel999", {1, 2, 3});
  display_->SetSliderPosition("Panel999", 3);
  display_->SetSelectedItem("Panel999", 3);
#else
  QSKIP("a debug build stops at an unknown name");
#endif
}

QTEST_MAIN(DisplayTest)
#include "ui_display_test.moc"
