// The form at every scale from 0.6x to 2.5x of its design size, and with one
// axis stretched more than the other: no two visible controls overlap, every
// text fits its box, and indicators, arrows, tabs and slider handles grow and
// shrink with the form. Below 0.6x the form keeps that size and scrolls.

#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyleOptionButton>
#include <QStyleOptionSlider>
#include <QTest>
#include <QToolButton>
#include <cmath>
#include <memory>

#include "panel.h"
#include "radio_group.h"
#include "support/test_window.h"
#include "tab_set.h"
#include "tform1.h"
#include "ui_tform1.h"

using quillmere::TForm1;

namespace {

QString Name(const QWidget* w) {
  QString name = w->objectName();
  for (const QWidget* p = w->parentWidget(); name.isEmpty() && p; p = p->parentWidget()) {
    if (!p->objectName().isEmpty())
      name = p->objectName() + QStringLiteral("/") + w->metaObject()->className();
  }
  return name;
}

// The text a control shows on one line, and the box it must fit in.
struct Text {
  QString text;
  QRect box;
};

std::optional<Text> ShownText(QWidget* w) {
  if (auto* label = qobject_cast<QLabel*>(w)) {
    if (label->wordWrap() || label->text().isEmpty()) return std::nullopt;
    return Text{label->text(), label->contentsRect()};
  }
  if (auto* panel = qobject_cast<quillmere::Panel*>(w)) {
    if (panel->caption().isEmpty()) return std::nullopt;
    return Text{panel->caption(), panel->contentsRect().adjusted(1, 0, -1, 0)};
  }
  if (auto* radio = qobject_cast<QRadioButton*>(w)) {
    QStyleOptionButton opt;
    opt.initFrom(radio);
    opt.text = radio->text();
    const QRect contents =
        radio->style()->subElementRect(QStyle::SE_RadioButtonContents, &opt, radio);
    return Text{radio->text(), contents.intersected(radio->rect())};
  }
  if (auto* button = qobject_cast<QPushButton*>(w)) {
    if (button->text().isEmpty()) return std::nullopt;
    return Text{button->text(), button->rect().adjusted(2, 2, -2, -2)};
  }
  return std::nullopt;
}

}  // namespace

class ScalingTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { quillmere::testing::SetUpWindowLook(); }

  void init() {
    form_ = std::make_unique<TForm1>();
    form_->show();
  }
  void cleanup() { form_.reset(); }

  void everyControlFitsAtEveryScale_data() {
    QTest::addColumn<double>("sx");
    QTest::addColumn<double>("sy");
    QTest::newRow("0.6x, the smallest") << 0.6 << 0.6;
    QTest::newRow("800 x 600") << 0.75 << 0.66;
    QTest::newRow("the design size") << 1.0 << 1.0;
    QTest::newRow("maximised at 1366 x 768") << 1.27 << 0.82;
    QTest::newRow("1.5x") << 1.5 << 1.5;
    QTest::newRow("maximised at 1920 x 1080, wider than tall") << 1.8 << 1.18;
    QTest::newRow("2.5x, the largest") << 2.5 << 2.5;
  }

  void everyControlFitsAtEveryScale() {
    QFETCH(double, sx);
    QFETCH(double, sy);
    ScaleTo(sx, sy);
    int checked = 0;
    QStringList faults;
    for (QWidget* w : form_->Components().FormClient->findChildren<QWidget*>()) {
      if (!w->isVisibleTo(form_.get()) || w->parentWidget() == nullptr) continue;
      // No visible sibling overlaps it.
      for (QObject* o : w->parentWidget()->children()) {
        auto* other = qobject_cast<QWidget*>(o);
        if (other == nullptr || other <= w || !other->isVisibleTo(form_.get())) continue;
        // A panel laid wholly over a larger one (the combined losses over
        // the lower blocks) is a design, not a collision.
        const QRect a = w->geometry(), b = other->geometry();
        if (a.intersects(b) && !a.contains(b) && !b.contains(a)) {
          faults << Name(w) + QStringLiteral(" overlaps ") + Name(other);
        }
      }
      // Its text fits its box, both ways.
      if (const std::optional<Text> t = ShownText(w)) {
        const QFontMetrics fm = w->fontMetrics();
        if (fm.horizontalAdvance(t->text.trimmed()) > t->box.width()) {
          faults << QStringLiteral("%1 \"%2\": %3 px wide in %4")
                        .arg(Name(w), t->text)
                        .arg(fm.horizontalAdvance(t->text.trimmed()))
                        .arg(t->box.width());
        }
        if (fm.ascent() + fm.descent() > t->box.height() + 1) {
          faults << QStringLiteral("%1 \"%2\": %3 px high in %4")
                        .arg(Name(w), t->text)
                        .arg(fm.ascent() + fm.descent())
                        .arg(t->box.height());
        }
        ++checked;
      }
    }
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QStringLiteral("\n"))));
    QVERIFY(checked > 150);
  }

  void drawnPartsFollowTheScale_data() {
    QTest::addColumn<double>("sx");
    QTest::addColumn<double>("sy");
    QTest::newRow("0.6x") << 0.6 << 0.6;
    QTest::newRow("1.5x") << 1.5 << 1.5;
    QTest::newRow("2.5x") << 2.5 << 2.5;
    QTest::newRow("stretched sideways: the smaller factor") << 1.8 << 1.18;
    QTest::newRow("stretched upwards: the smaller factor") << 0.9 << 1.6;
  }

  void drawnPartsFollowTheScale() {
    QFETCH(double, sx);
    QFETCH(double, sy);
    const Parts design = Measure();
    ScaleTo(sx, sy);
    const Parts scaled = Measure();
    const double k = std::min(sx, sy);
    // Each drawn size is its design size times the smaller factor, to the
    // pixel either way that rounding (of the size and of the box it is
    // drawn in) can give, or 6 % where it holds text, whose width follows
    // the font's hinting rather than its size exactly.
    for (int i = 0; i < design.sizes.size(); ++i) {
      const double tolerance = std::max(1.5, design.with_text[i] ? 0.06 * design.sizes[i] * k : 0);
      QVERIFY2(std::abs(scaled.sizes[i] - design.sizes[i] * k) <= tolerance,
               qPrintable(QStringLiteral("%1: %2 at design, %3 at %4")
                              .arg(design.names[i])
                              .arg(design.sizes[i])
                              .arg(scaled.sizes[i])
                              .arg(k)));
    }
    // A radio indicator stays centred on its row however tall the row grows.
    QVERIFY(std::abs(scaled.indicator_centre_offset) <= 1);
  }

  void belowTheSmallestScaleTheFormScrolls() {
    // The 500 x 500 window of a first start: 0.47 x 0.45 of the design.
    form_->resize(500, 500);
    QCoreApplication::processEvents();
    const Ui::TForm1& c = form_->Components();
    QCOMPARE(c.Panel1->width(), int(std::lround(1055 * TForm1::kMinimumScale)));
    QCOMPARE(c.Panel1->height(), int(std::lround(880 * TForm1::kMinimumScale)));
    QVERIFY(c.FormScroll->horizontalScrollBar()->isVisible());
    QVERIFY(c.FormScroll->horizontalScrollBar()->maximum() > 0);
    QVERIFY(c.FormScroll->verticalScrollBar()->maximum() > 0);
  }

 private:
  // Sizes that the style and the custom controls draw, not the geometry
  // the scaler sets.
  struct Parts {
    QStringList names;
    QList<double> sizes;
    QList<bool> with_text;
    int indicator_centre_offset = 0;
  };

  Parts Measure() const {
    Parts p;
    const Ui::TForm1& c = form_->Components();
    auto* radio = c.FreqSelect->findChild<QRadioButton*>();
    QStyleOptionButton opt;
    opt.initFrom(radio);
    const QRect indicator =
        radio->style()->subElementRect(QStyle::SE_RadioButtonIndicator, &opt, radio);
    p.names << QStringLiteral("radio indicator");
    p.sizes << indicator.width();
    p.indicator_centre_offset = indicator.center().y() - radio->rect().center().y();
    QStyleOptionSlider bar;
    bar.initFrom(c.CloudSelectA);
    bar.orientation = c.CloudSelectA->orientation();
    bar.minimum = c.CloudSelectA->minimum();
    bar.maximum = c.CloudSelectA->maximum();
    bar.sliderPosition = bar.sliderValue = c.CloudSelectA->value();
    bar.pageStep = c.CloudSelectA->pageStep();
    bar.singleStep = c.CloudSelectA->singleStep();
    const QRect arrow = c.CloudSelectA->style()->subControlRect(
        QStyle::CC_ScrollBar, &bar, QStyle::SC_ScrollBarAddLine, c.CloudSelectA);
    p.names << QStringLiteral("slider arrow button");
    p.sizes << arrow.width();
    p.names << QStringLiteral("tab strip");
    p.sizes << c.TabSet2->tabRect(2).right() + 1;
    p.names << QStringLiteral("panel frame");
    p.sizes << c.Panel14->frameWidth();
    p.with_text = {false, false, true, false};
    return p;
  }

  void ScaleTo(double sx, double sy) {
    form_->ResizeClientArea(QSize(int(std::lround(1064 * sx)), int(std::lround(886 * sy))));
    QCoreApplication::processEvents();
  }

  std::unique_ptr<TForm1> form_;
};

QTEST_MAIN(ScalingTest)
#include "ui_scaling_test.moc"
