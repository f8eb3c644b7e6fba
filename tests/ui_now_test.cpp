// The "Now" strip and its compact window: a view of the feed that computes
// the current second, updated as the clock moves, with the sked frequency
// and the Doppler mode going back to the one feed both views share.
#include <QApplication>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QSignalSpy>
#include <QTest>

#include "now_feed.h"
#include "now_strip.h"

using namespace quillmere;

namespace {

constexpr double k2026Dec8Noon = 1796731200.0;  // 2026-12-08T12:00:00Z

Stations JO01ToFN31() {
  Stations s;
  s.home.latitude_deg = 51.5;
  s.home.longitude_deg = 1.0;
  s.dx.latitude_deg = 41.5;
  s.dx.longitude_deg = -73.0;
  return s;
}

QuillmereState TenGigahertz() {
  QuillmereState state;
  state.Frequency = 10.368L;
  return state;
}

}  // namespace

class NowTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    clock_ = k2026Dec8Noon + 0.25;
    feed_ = std::make_unique<NowFeed>(
        nullptr, [this] { return clock_; }, [](double) { return 3600; });
    feed_->SetInputs(JO01ToFN31(), TrackAtmosphere::kCosecant, TenGigahertz());
  }
  void cleanup() { feed_.reset(); }

  // Each second shows its own figures: the clock, the Moon, the dial.
  void followsTheClock() {
    NowStrip strip(feed_.get(), NowStrip::Kind::kInPlanner);
    QCOMPARE(strip.Texts().at(0), QStringLiteral("12:00:00 UTC   13:00:00 local"));
    const QStringList before = strip.Texts();
    clock_ += 60.0;
    feed_->Tick();
    const QStringList after = strip.Texts();
    QCOMPARE(after.at(0), QStringLiteral("12:01:00 UTC   13:01:00 local"));
    QVERIFY(after.at(1) != before.at(1));  // the Moon has moved at Home
    QCOMPARE(after.at(1), QString::fromStdString(feed_->Lines().home));
  }

  // The sked and the mode typed in one view reach the feed and the other.
  void skedAndModeAreTheFeeds() {
    NowStrip strip(feed_.get(), NowStrip::Kind::kInPlanner);
    NowWindow compact(feed_.get());
    auto* mode = strip.findChild<QComboBox*>(QStringLiteral("NowDopplerMode"));
    auto* sky = strip.findChild<QDoubleSpinBox*>(QStringLiteral("NowSkedMhz"));
    QVERIFY(mode && sky);
    sky->setValue(10368.2);
    mode->setCurrentIndex(mode->findData(static_cast<int>(DopplerMode::kFullDx)));
    QCOMPARE(feed_->Mode(), DopplerMode::kFullDx);
    QCOMPARE(feed_->SkyHz(), 10368.2e6);
    const DialFrequencies dial = feed_->State().dial;
    QCOMPARE(dial.rx_correction_hz, feed_->State().doppler.home_dx_hz);
    QCOMPARE(dial.tx_correction_hz, -feed_->State().doppler.home_dx_hz);
    QCOMPARE(compact.Strip()->Texts().at(3), strip.Texts().at(3));
    auto* other = compact.Strip()->findChild<QComboBox*>(QStringLiteral("NowDopplerMode"));
    QCOMPARE(other->currentData().toInt(), static_cast<int>(DopplerMode::kFullDx));
  }

  // The windows of the next two weeks come from the background, in words.
  void windowsAheadArrive() {
    NowStrip strip(feed_.get(), NowStrip::Kind::kCompact);
    QVERIFY(strip.Texts().at(5).startsWith(QStringLiteral("Looking")));
    // Planned once a view is in sight.
    strip.show();
    QTRY_VERIFY_WITH_TIMEOUT(feed_->WindowsKnown(), 20000);
    const QString window = strip.Texts().at(5);
    QVERIFY2(window.startsWith(QStringLiteral("Window open")) ||
                 window.startsWith(QStringLiteral("Next window")),
             qPrintable(window));
  }

  void compactWindowKeepsOnTopOnRequest() {
    NowWindow compact(feed_.get());
    QVERIFY(!compact.OnTop());
    compact.SetOnTop(true);
    QVERIFY(compact.OnTop());
    compact.SetOnTop(false);
    QVERIFY(!compact.OnTop());
  }

 private:
  double clock_ = 0.0;
  std::unique_ptr<NowFeed> feed_;
};

QTEST_MAIN(NowTest)
#include "ui_now_test.moc"
