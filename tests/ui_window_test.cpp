// The main window with the calculation bound to it: loading the default
// data file through the controls, a click through its handler to the
// figures, the option panels, the path mode and the on-screen help.

#include <QApplication>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>
#include <string>
#include <vector>

#include "color_button.h"
#include "on_screen_help.h"
#include "panel.h"
#include "radio_group.h"
#include "spin_button.h"
#include "support/message_log.h"
#include "support/test_window.h"
#include "tform1.h"
#include "ui_tform1.h"
#include "widget_display.h"

using quillmere::TForm1;

namespace {

using quillmere::testing::MessageLog;

QString Caption(TForm1& form, const char* name) {
  return form.Component<quillmere::Panel>(QString::fromLatin1(name))->caption();
}

const char* const kEmeBlocks[] = {"Panel23",  "Panel2",   "Panel114", "ColorButton4", "Panel115",
                                  "Panel121", "Panel131", "Panel30",  "Panel59",      "Label54"};

}  // namespace

class WindowTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { quillmere::testing::SetUpWindowLook(); }

  void init() {
    form_ = quillmere::testing::OpenTestWindow(log_);
    log_.lines.clear();
  }
  void cleanup() { form_.reset(); }

  void loadingSetsEveryControlAndShowsTheFigures() {
    Load("typical.dat");
    Ui::TForm1& c = form_->Components();
    QCOMPARE(c.FreqSelect->itemIndex(), 0);
    QCOMPARE(c.PolarisationSelectA->itemIndex(), 2);
    QCOMPARE(c.PolarisationSelectB->itemIndex(), 1);
    QCOMPARE(c.RainSelectB->itemIndex(), 3);
    QCOMPARE(c.DisplayAccuracy->itemIndex(), 2);  // 3 decimals
    QCOMPARE(c.LatitudeSelectB->itemIndex(), 2);
    QCOMPARE(c.SummerWinterSelectB->itemIndex(), 1);
    QCOMPARE(c.FogSelectB->itemIndex(), 2);
    QCOMPARE(c.CloudSelectB->value(), 10);
    QCOMPARE(c.ScreenDelaySelect->itemIndex(), 1);
    QCOMPARE(c.ScrollBar1->value(), 56);
    QCOMPARE(Caption(*form_, "Panel3"), QStringLiteral("15°c "));
    QCOMPARE(Caption(*form_, "Panel6"), QStringLiteral("0.008 db km"));
    QCOMPARE(Caption(*form_, "Panel19"), QStringLiteral("0.103 dB"));
    QCOMPARE(Caption(*form_, "Panel89"), QStringLiteral("0.185 dB/km"));
    QCOMPARE(c.Label73->text(), QStringLiteral("1.0 kg/m²"));
    QCOMPARE(c.Label96->text(), QStringLiteral("384560.0 kms"));
    QCOMPARE(Caption(*form_, "Panel38"), QStringLiteral("21 °c"));
    QVERIFY(log_.lines.empty());
  }

  void aStepperClickRunsItsHandlerAndRecalculates() {
    Load("typical.dat");
    Ui::TForm1& c = form_->Components();
    emit c.TempButtonA->upClicked();
    QCOMPARE(form_->State().Home.Temperature, 16.0L);
    QCOMPARE(Caption(*form_, "Panel3"), QStringLiteral("16°c "));
    QCOMPARE(c.Label21->text(), QStringLiteral("289.15K"));
    emit c.ElevationButtonA10->downClicked();
    emit c.ElevationButtonA10->downClicked();
    emit c.ElevationButtonA10->downClicked();
    QCOMPARE(form_->State().Home.EmeElevation, 1.0L);  // 30, 20, 10, then floored at 1
    QCOMPARE(Caption(*form_, "Panel18"), QStringLiteral("1.0 °"));
    emit c.HumidityButtonB->upClicked();
    QCOMPARE(Caption(*form_, "Panel64"), QStringLiteral("61 %"));
  }

  void selectingTheSameItemAgainRunsNothing() {
    Load("typical.dat");
    Ui::TForm1& c = form_->Components();
    form_->State().Home.Temperature = 40;  // not shown until a recalculation
    c.FreqSelect->setItemIndex(0);
    QCOMPARE(Caption(*form_, "Panel3"), QStringLiteral("15°c "));
    c.FreqSelect->setItemIndex(7);
    QCOMPARE(form_->State().Frequency, 241.0L);
    QCOMPARE(Caption(*form_, "Panel3"), QStringLiteral("40°c "));
  }

  void pathModeHidesAndShowsTheEmeBlocks() {
    Load("typical.dat");
    Ui::TForm1& c = form_->Components();
    emit c.Panel124->clicked();
    for (const char* name : kEmeBlocks) QVERIFY2(form_->Component(name)->isHidden(), name);
    QVERIFY(!c.Panel126->isHidden());
    QCOMPARE(c.Panel124->color(), QColor(0, 0, 255));
    QCOMPARE(c.Panel125->color(), QColor(192, 192, 192));
    QCOMPARE(Caption(*form_, "Panel16"), QStringLiteral("via a 10.0 km path."));
    emit c.Panel128->clicked();  // " Select" on the terrestrial panel
    for (const char* name : kEmeBlocks) QVERIFY2(!form_->Component(name)->isHidden(), name);
    QVERIFY(c.Panel126->isHidden());
    QCOMPARE(c.Panel124->color(), QColor(166, 202, 240));
    QCOMPARE(c.Panel125->color(), QColor(255, 255, 255));
    QCOMPARE(form_->State().Home.Elevation, 30.0L);
  }

  void optionPanelsOpenAndClose() {
    Load("typical.dat");
    Ui::TForm1& c = form_->Components();
    emit c.ColorButton2->clicked();
    QVERIFY(!c.DisplayAccuracy->isHidden());
    emit c.ColorButton2->clicked();
    QVERIFY(c.DisplayAccuracy->isHidden());
    QCOMPARE(form_->State().DisplayDecimals, 3);

    emit c.ColorButton2->clicked();
    c.DisplayAccuracy->setItemIndex(2);  // already selected: stays open
    QVERIFY(!c.DisplayAccuracy->isHidden());
    emit c.Panel1->clicked();
    QVERIFY(c.DisplayAccuracy->isHidden());
    emit c.ColorButton2->clicked();
    c.DisplayAccuracy->setItemIndex(7);
    QVERIFY(c.DisplayAccuracy->isHidden());
    QCOMPARE(form_->State().DisplayDecimals, 8);
    QCOMPARE(Caption(*form_, "Panel12"), QStringLiteral("6.41242850 g/m³"));

    const std::pair<QPushButton*, QWidget*> openers[] = {
        {c.Button6, c.Panel45}, {c.Button4, c.Panel117}, {c.Button1, c.Panel42}};
    for (const auto& [button, panel] : openers) {
      emit button->clicked();
      QVERIFY2(!panel->isHidden(), qPrintable(panel->objectName()));
    }
    emit c.Button2->clicked();
    QVERIFY(c.Panel45->isHidden());
    emit c.Panel117->clicked();
    QVERIFY(c.Panel117->isHidden());
    emit c.Panel42->clicked();
    QVERIFY(c.Panel42->isHidden());
    emit c.Button6->clicked();
    emit c.Panel45->clicked();
    QVERIFY(c.Panel45->isHidden());
  }

  void helpDelayDrivesTheHints() {
    Load("typical.dat");  // item 1 selected by the loader: 4 s
    Ui::TForm1& c = form_->Components();
    quillmere::OnScreenHelp& help = form_->Help();
    QCOMPARE(help.DelayMs(), 250);
    QCOMPARE(help.DisplayMs(), 4000);
    emit c.ColorButton3->clicked();
    QVERIFY(!c.ScreenDelaySelect->isHidden());
    QCOMPARE(help.Background(), QColor(255, 255, 0));
    QCOMPARE(help.TextColour(), QColor(Qt::black));
    c.ScreenDelaySelect->setItemIndex(3);  // "Do not Display"
    QVERIFY(c.ScreenDelaySelect->isHidden());
    QCOMPARE(help.DisplayMs(), 0);
    QCOMPARE(help.Background(), QColor(Qt::white));
    QCOMPARE(help.TextColour(), QColor(Qt::red));
    QCOMPARE(form_->State().HelpDelayIndex, 3);
    emit c.ColorButton3->clicked();
    QCOMPARE(help.DelayMs(), 10000);
    QCOMPARE(help.Background(), QColor(Qt::black));
    c.ScreenDelaySelect->setItemIndex(0);
    QCOMPARE(help.DelayMs(), 250);
    QCOMPARE(help.DisplayMs(), 8000);
  }

  void numbersUseTheLocaleSeparators() {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    form_ = quillmere::testing::OpenTestWindow(log_);
    Load("typical.dat");
    QLocale::setDefault(QLocale::c());
    QCOMPARE(Caption(*form_, "Panel6"), QStringLiteral("0,008 db km"));
    QCOMPARE(form_->Components().Label96->text(), QStringLiteral("384560,0 kms"));
  }

  void aMissingDataFileSaysSoAndShowsTheStartState() {
    QTemporaryDir dir;
    quillmere::RecordBuffer buffer;
    quillmere::LoadDefaults(form_->Calc(), form_->ComponentDisplay(), buffer,
                            std::filesystem::path(dir.path().toStdString()) / "Quillmere.dat",
                            log_);
    QCOMPARE(log_.lines.size(), std::size_t{1});
    QCOMPARE(log_.lines[0], std::string("warning: File not found"));
    QCOMPARE(Caption(*form_, "Panel6"), QStringLiteral("0 db km"));  // no pressure, no oxygen
  }

 private:
  void Load(const char* vector) { quillmere::testing::LoadTestRecord(*form_, vector, log_); }

  std::unique_ptr<TForm1> form_;
  MessageLog log_;
};

QTEST_MAIN(WindowTest)
#include "ui_window_test.moc"
