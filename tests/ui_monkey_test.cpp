// Twenty thousand random user actions on the window, from a fixed seed, and
// the extremes of every stepper: the program must live, keep its inputs in
// their ranges and never show "nan" or "inf".

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "clickable_label.h"
#include "color_button.h"
#include "panel.h"
#include "radio_group.h"
#include "spin_button.h"
#include "support/message_log.h"
#include "support/test_window.h"
#include "tab_set.h"
#include "tform1.h"
#include "tform2.h"
#include "ui_tform1.h"
#include "widget_display.h"

using quillmere::Real;
using quillmere::TForm1;
using quillmere::testing::MessageLog;

class MonkeyTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    quillmere::testing::SetUpWindowLook();
    original_ = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir_.path()));  // saves land here
  }
  void cleanupTestCase() { QDir::setCurrent(original_); }

  void init() {
    form_ = quillmere::testing::OpenTestWindow(log_);
    quillmere::testing::LoadTestRecord(*form_, "typical.dat", log_);
  }
  void cleanup() { form_.reset(); }

  void randomActions() {
    const std::vector<std::function<void(std::mt19937&)>> actions = Actions();
    std::mt19937 rng(20261207);
    for (int i = 0; i < 20000; ++i) {
      const std::size_t a = rng() % actions.size();
      actions[a](rng);
      if (!Healthy())
        QFAIL(qPrintable(QStringLiteral("after action %1 (#%2): %3").arg(a).arg(i).arg(problem_)));
    }
  }

  void extremesOfTheSteppers() {
    Ui::TForm1& c = form_->Components();
    const auto press = [&](quillmere::SpinButton* b, bool up, int times) {
      for (int i = 0; i < times; ++i) {
        if (up) {
          emit b->upClicked();
        } else {
          emit b->downClicked();
        }
      }
      QVERIFY2(Healthy(), qPrintable(problem_));
    };
    press(c.TempButtonA, false, 315);  // stops at -100 degC
    QCOMPARE(form_->State().Home.Temperature, -100.0L);
    press(c.TempButtonB, true, 280);  // stops at +100 degC
    QCOMPARE(form_->State().DX.Temperature, 100.0L);
    press(c.PressButtonA, true, 1200);  // stops at 1100 hPa
    QCOMPARE(form_->State().Home.Pressure, 1100.0L);
    press(c.HASLx100_A, true, 1100);  // stops at 100 km
    press(c.HASLx10_B, true, 11000);
    QCOMPARE(form_->State().Home.HeightAsl, 100000.0L);
    QCOMPARE(form_->State().DX.HeightAsl, 100000.0L);
    emit c.Panel124->clicked();  // terrestrial: the path length steps
    press(c.DistanceChangex1, false, 50);
    press(c.DistanceChangex01Up, false, 50);
    QCOMPARE(form_->State().PathLength, 0.1L);  // never 0
    press(c.DistanceChangex100, true, 1000);
    QCOMPARE(form_->State().PathLength, 20000.0L);  // half the Earth
    press(c.ElevationButtonA1, false, 100);
    press(c.ElevationButtonB10, true, 100);
    emit c.Panel125->clicked();
    QVERIFY2(Healthy(), qPrintable(problem_));
  }

 private:
  std::vector<std::function<void(std::mt19937&)>> Actions() {
    Ui::TForm1& c = form_->Components();
    std::vector<std::function<void(std::mt19937&)>> list;
    for (quillmere::SpinButton* b :
         {c.TempButtonA, c.TempButtonB, c.HumidityButtonA, c.HumidityButtonB, c.PressButtonA,
          c.PressButtonB, c.HASLx10_A, c.HASLx10_B, c.HASLx100_A, c.HASLx100_B,
          c.ElevationButtonA10, c.ElevationButtonA1, c.ElevationButtonB10, c.ElevationButtonB1,
          c.DistanceChangex100, c.DistanceChangex10, c.DistanceChangex1, c.DistanceChangex01Up}) {
      list.push_back([b](std::mt19937&) { emit b->upClicked(); });
      list.push_back([b](std::mt19937&) { emit b->downClicked(); });
    }
    for (quillmere::RadioGroup* g :
         {c.FreqSelect, c.RainSelectA, c.RainSelectB, c.PolarisationSelectA, c.PolarisationSelectB,
          c.FogSelectA, c.FogSelectB, c.LatitudeSelectA, c.LatitudeSelectB, c.SummerWinterSelectA,
          c.SummerWinterSelectB, c.DisplayAccuracy, c.ScreenDelaySelect, c.PercentageDisplay}) {
      list.push_back([this, g](std::mt19937& rng) {
        g->setItemIndex(static_cast<int>(rng() % g->items().size()));
        // A map takes the main window's place until "Close".
        if (form_->Form2().isVisible()) form_->Form2().Button1Click();
      });
    }
    for (QScrollBar* s : {c.ScrollBar1, c.CloudSelectA, c.CloudSelectB}) {
      list.push_back([s](std::mt19937& rng) {
        s->setValue(s->minimum() + static_cast<int>(rng() % (s->maximum() - s->minimum() + 1)));
      });
    }
    for (quillmere::Panel* p :
         {c.Panel124, c.Panel125, c.Panel128, c.Panel1, c.Panel42, c.Panel45, c.Panel117}) {
      list.push_back([p](std::mt19937&) { emit p->clicked(); });
    }
    for (quillmere::ColorButton* b :
         {c.ColorButton1, c.ColorButton2, c.ColorButton3, c.ColorButton4}) {
      list.push_back([b](std::mt19937&) { emit b->clicked(); });
    }
    for (QPushButton* b : {c.Button1, c.Button2, c.Button3, c.Button4, c.Button6}) {
      list.push_back([b](std::mt19937&) { emit b->clicked(); });
    }
    for (quillmere::ClickableLabel* l : {c.WaterIceSelectA, c.WaterIceSelectB}) {
      list.push_back([l](std::mt19937&) { emit l->clicked(); });
    }
    list.push_back(
        [this](std::mt19937& rng) { form_->TabSet2Click(1 + static_cast<int>(rng() % 2)); });
    return list;
  }

  // The inputs in their ranges and no figure without a value shown as one.
  bool Healthy() {
    const quillmere::QuillmereState& s = form_->State();
    for (const quillmere::StationParams* st : {&s.Home, &s.DX}) {
      if (!(st->Humidity >= 0 && st->Humidity <= 100)) return Fail("humidity");
      if (!(st->Pressure >= 1)) return Fail("pressure");
      if (!(st->EmeElevation >= 0.1L - 1e-9L && st->EmeElevation <= 90)) {
        return Fail(QStringLiteral("EME elevation %1").arg(double(st->EmeElevation)));
      }
      if (!(st->Elevation >= 0.1L - 1e-9L && st->Elevation <= 90)) {
        return Fail(QStringLiteral("elevation %1 (EME %2)")
                        .arg(double(st->Elevation))
                        .arg(double(st->EmeElevation)));
      }
      if (!(st->CloudContent >= 0 && st->CloudContent <= 4)) return Fail("cloud content");
    }
    for (QWidget* w : form_->ComponentList()) {
      QString text;
      if (auto* p = qobject_cast<quillmere::Panel*>(w)) text = p->caption();
      if (auto* l = qobject_cast<QLabel*>(w)) text = l->text();
      if (text.contains(QStringLiteral("nan"), Qt::CaseInsensitive) ||
          text.contains(QStringLiteral("inf"), Qt::CaseInsensitive)) {
        return Fail(w->objectName() + QStringLiteral(" shows ") + text);
      }
    }
    return true;
  }
  bool Fail(const QString& what) {
    problem_ = what;
    return false;
  }

  QTemporaryDir dir_;
  QString original_;
  std::unique_ptr<TForm1> form_;
  MessageLog log_;
  QString problem_;
};

QTEST_MAIN(MonkeyTest)
#include "ui_monkey_test.moc"
