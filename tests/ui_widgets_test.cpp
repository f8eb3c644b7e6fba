// The window's own widgets: what each reports and when.

#include <QApplication>
#include <QFontInfo>
#include <QLabel>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStyleFactory>
#include <QTest>
#include <QToolButton>
#include <algorithm>
#include <cstdlib>
#include <memory>

#include "clickable_label.h"
#include "color_button.h"
#include "design_scaler.h"
#include "panel.h"
#include "radio_group.h"
#include "spin_button.h"
#include "support/test_window.h"
#include "tab_set.h"

using quillmere::RadioGroup;

namespace {

QList<int> Emitted(const QSignalSpy& spy) {
  QList<int> out;
  for (const QList<QVariant>& args : spy) out.append(args.at(0).toInt());
  return out;
}

// A group as the window uses them, shown so that its items can be clicked.
std::unique_ptr<RadioGroup> MakeGroup(int count, int columns) {
  auto group = std::make_unique<RadioGroup>();
  QStringList items;
  for (int i = 0; i < count; ++i) items << QStringLiteral("Item %1").arg(i);
  group->setItems(items);
  group->setColumns(columns);
  group->setGeometry(0, 0, 120 * columns, 24 * ((count + columns - 1) / columns) + 24);
  group->show();
  return group;
}

QRadioButton* Item(RadioGroup& group, int index) {
  return group.findChildren<QRadioButton*>().at(index);
}

}  // namespace

class WidgetsTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();

  void radioGroupStartsWithNoSelection();
  void radioGroupClick_data();
  void radioGroupClick();
  void radioGroupSetItemIndex_data();
  void radioGroupSetItemIndex();
  void radioGroupKeyboardStepReports();
  void radioGroupFillsColumnsTopToBottom_data();
  void radioGroupFillsColumnsTopToBottom();
  void radioGroupNewItemsClearSelection();

  void spinButtonArrows_data();
  void spinButtonArrows();

  void tabSetClearsSelectionAfterEachChoice();
  void tabSetClickOutsideTabsChoosesNothing();

  void colorButtonHover();
  void panelClickOnBackgroundOnly_data();
  void panelClickOnBackgroundOnly();
  void panelCaptionRepaintsOnlyOnChange();
  void clickableLabelClicks();

  void groupFrameAsTheBaseStyleDrawsIt_data();
  void groupFrameAsTheBaseStyleDrawsIt();

  void fontSubstitutes_data();
  void fontSubstitutes();
};

void WidgetsTest::initTestCase() {
  quillmere::testing::SetUpWindowLook();
}

void WidgetsTest::radioGroupStartsWithNoSelection() {
  auto group = MakeGroup(4, 1);
  QCOMPARE(group->itemIndex(), -1);
  for (QRadioButton* item : group->findChildren<QRadioButton*>()) QVERIFY(!item->isChecked());
}

void WidgetsTest::radioGroupClick_data() {
  QTest::addColumn<int>("before");
  QTest::addColumn<int>("clicked");
  QTest::addColumn<QList<int>>("emitted");
  QTest::newRow("first choice") << -1 << 2 << QList<int>{2};
  QTest::newRow("another item") << 2 << 5 << QList<int>{5};
  QTest::newRow("the selected item again") << 2 << 2 << QList<int>{};
}

// A user's click reports the new item once; a click on the item that is
// already selected reports nothing (so that a list stays open, say).
void WidgetsTest::radioGroupClick() {
  QFETCH(int, before);
  QFETCH(int, clicked);
  QFETCH(QList<int>, emitted);
  auto group = MakeGroup(8, 2);
  group->setItemIndex(before);
  QSignalSpy spy(group.get(), &RadioGroup::itemChanged);
  QRadioButton* item = Item(*group, clicked);
  QTest::mouseClick(item, Qt::LeftButton, {}, QPoint(8, item->height() / 2));
  QCOMPARE(Emitted(spy), emitted);
  QCOMPARE(group->itemIndex(), clicked);
  QVERIFY(item->isChecked());
}

void WidgetsTest::radioGroupSetItemIndex_data() {
  QTest::addColumn<int>("before");
  QTest::addColumn<int>("set");
  QTest::addColumn<QList<int>>("emitted");
  QTest::addColumn<int>("after");
  QTest::newRow("none to an item") << -1 << 3 << QList<int>{3} << 3;
  QTest::newRow("to another item") << 3 << 1 << QList<int>{1} << 1;
  QTest::newRow("to the same item") << 3 << 3 << QList<int>{} << 3;
  QTest::newRow("clear") << 3 << -1 << QList<int>{-1} << -1;
  QTest::newRow("none to none") << -1 << -1 << QList<int>{} << -1;
  QTest::newRow("past the last item clears") << 3 << 8 << QList<int>{-1} << -1;
}

// Selecting by program reports exactly as a click does: the data-file
// loader relies on it to run each control's handler.
void WidgetsTest::radioGroupSetItemIndex() {
  QFETCH(int, before);
  QFETCH(int, set);
  QFETCH(QList<int>, emitted);
  QFETCH(int, after);
  auto group = MakeGroup(8, 4);
  group->setItemIndex(before);
  QSignalSpy spy(group.get(), &RadioGroup::itemChanged);
  group->setItemIndex(set);
  QCOMPARE(Emitted(spy), emitted);
  QCOMPARE(group->itemIndex(), after);
  int checked = 0;
  for (QRadioButton* item : group->findChildren<QRadioButton*>()) checked += item->isChecked();
  QCOMPARE(checked, after >= 0 ? 1 : 0);
}

void WidgetsTest::radioGroupKeyboardStepReports() {
  auto group = MakeGroup(3, 1);
  group->setItemIndex(0);
  group->activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(group.get()));
  QSignalSpy spy(group.get(), &RadioGroup::itemChanged);
  Item(*group, 0)->setFocus();
  QTest::keyClick(Item(*group, 0), Qt::Key_Down);
  QCOMPARE(Emitted(spy), QList<int>{1});
  QCOMPARE(group->itemIndex(), 1);
}

void WidgetsTest::radioGroupFillsColumnsTopToBottom_data() {
  QTest::addColumn<int>("count");
  QTest::addColumn<int>("columns");
  QTest::addColumn<int>("index");
  QTest::addColumn<int>("row");
  QTest::addColumn<int>("column");
  // Eight bands in four columns: two per column.
  QTest::newRow("8/4 item 1") << 8 << 4 << 1 << 1 << 0;
  QTest::newRow("8/4 item 2") << 8 << 4 << 2 << 0 << 1;
  QTest::newRow("8/4 item 7") << 8 << 4 << 7 << 1 << 3;
  // Three polarisations in three columns: one row.
  QTest::newRow("3/3 item 2") << 3 << 3 << 2 << 0 << 2;
  // Eight fog items in two columns: four per column.
  QTest::newRow("8/2 item 4") << 8 << 2 << 4 << 0 << 1;
}

void WidgetsTest::radioGroupFillsColumnsTopToBottom() {
  QFETCH(int, count);
  QFETCH(int, columns);
  QFETCH(int, index);
  QFETCH(int, row);
  QFETCH(int, column);
  auto group = MakeGroup(count, columns);
  QCoreApplication::processEvents();
  const QRect first = Item(*group, 0)->geometry();
  const QRect item = Item(*group, index)->geometry();
  const int pitch_x = first.width();
  const int pitch_y = first.height();
  QVERIFY(pitch_x > 0 && pitch_y > 0);
  QCOMPARE((item.center().x() - first.center().x() + pitch_x / 2) / pitch_x, column);
  QCOMPARE((item.center().y() - first.center().y() + pitch_y / 2) / pitch_y, row);
}

void WidgetsTest::radioGroupNewItemsClearSelection() {
  auto group = MakeGroup(4, 1);
  group->setItemIndex(2);
  QSignalSpy spy(group.get(), &RadioGroup::itemChanged);
  group->setItems({QStringLiteral("a"), QStringLiteral("b")});
  QCOMPARE(Emitted(spy), QList<int>{-1});
  QCOMPARE(group->itemIndex(), -1);
  QCOMPARE(group->findChildren<QRadioButton*>().size(), 2);
}

void WidgetsTest::spinButtonArrows_data() {
  QTest::addColumn<bool>("up");
  QTest::newRow("up arrow") << true;
  QTest::newRow("down arrow") << false;
}

// Each arrow fires its own signal, once per click, and never the other's.
void WidgetsTest::spinButtonArrows() {
  QFETCH(bool, up);
  quillmere::SpinButton spin;
  spin.setGeometry(0, 0, 17, 36);
  spin.show();
  QSignalSpy ups(&spin, &quillmere::SpinButton::upClicked);
  QSignalSpy downs(&spin, &quillmere::SpinButton::downClicked);
  QToolButton* arrow = up ? spin.upArrow() : spin.downArrow();
  QTest::mouseClick(arrow, Qt::LeftButton);
  QCOMPARE(ups.count(), up ? 1 : 0);
  QCOMPARE(downs.count(), up ? 0 : 1);
  QTest::mouseClick(arrow, Qt::LeftButton);
  QCOMPARE(ups.count(), up ? 2 : 0);
  QCOMPARE(downs.count(), up ? 0 : 2);
}

void WidgetsTest::groupFrameAsTheBaseStyleDrawsIt_data() {
  QTest::addColumn<QString>("title");
  QTest::newRow("titled") << QStringLiteral("Latitude");
  QTest::newRow("untitled") << QString();
}

// The form's style paints a group's frame itself rather than decode the base
// style's image of it; the two agree but for the antialiasing of the corners.
void WidgetsTest::groupFrameAsTheBaseStyleDrawsIt() {
  QFETCH(QString, title);
  std::unique_ptr<QStyle> base(QStyleFactory::create(QStringLiteral("Fusion")));
  quillmere::DesignScaleStyle ours;
  const auto grab = [&](QStyle* style) {
    RadioGroup group;
    group.setStyle(style);
    group.setTitle(title);
    group.setItems({QStringLiteral("N"), QStringLiteral("S")});
    for (QRadioButton* item : group.findChildren<QRadioButton*>()) item->setStyle(style);
    group.resize(120, 70);
    return group.grab().toImage();
  };
  const QImage expected = grab(base.get());
  const QImage got = grab(&ours);
  QCOMPARE(got.size(), expected.size());
  int worst = 0;
  for (int y = 0; y < got.height(); ++y) {
    for (int x = 0; x < got.width(); ++x) {
      const QColor a = got.pixelColor(x, y), b = expected.pixelColor(x, y);
      worst = std::max({worst, std::abs(a.red() - b.red()), std::abs(a.green() - b.green()),
                        std::abs(a.blue() - b.blue())});
    }
  }
  QVERIFY2(worst <= 12, qPrintable(QStringLiteral("worst channel difference %1").arg(worst)));
}

void WidgetsTest::tabSetClearsSelectionAfterEachChoice() {
  quillmere::TabSet tabs;
  tabs.setTabs({QStringLiteral("Help"), QStringLiteral("About"), QStringLiteral("Exit")});
  tabs.setGeometry(0, 0, 170, 25);
  tabs.show();
  QList<int> chosen;
  QList<int> selected_meanwhile;
  connect(&tabs, &quillmere::TabSet::tabClicked, this, [&](int index) {
    chosen.append(index);
    selected_meanwhile.append(tabs.currentIndex());
  });
  const QPoint about = tabs.tabRect(1).center();
  QTest::mouseClick(&tabs, Qt::LeftButton, {}, about);
  QCOMPARE(tabs.currentIndex(), -1);
  QTest::mouseClick(&tabs, Qt::LeftButton, {}, about);
  QCOMPARE(tabs.currentIndex(), -1);
  QTest::mouseClick(&tabs, Qt::LeftButton, {}, tabs.tabRect(2).center());
  QCOMPARE(chosen, (QList<int>{1, 1, 2}));
  // While its choice is handled the tab shows as selected.
  QCOMPARE(selected_meanwhile, (QList<int>{1, 1, 2}));
}

void WidgetsTest::tabSetClickOutsideTabsChoosesNothing() {
  quillmere::TabSet tabs;
  tabs.setTabs({QStringLiteral("Help"), QStringLiteral("About"), QStringLiteral("Exit")});
  tabs.setGeometry(0, 0, 400, 25);
  tabs.show();
  QSignalSpy spy(&tabs, &quillmere::TabSet::tabClicked);
  QTest::mouseClick(&tabs, Qt::LeftButton, {}, QPoint(390, 12));
  QCOMPARE(spy.count(), 0);
}

void WidgetsTest::colorButtonHover() {
  quillmere::ColorButton button;
  const QColor cream(255, 251, 240);
  const QColor rose(255, 219, 217);
  button.setColor(cream);
  button.setHoverColor(rose);
  QCOMPARE(button.shownColor(), cream);
  QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
  QCoreApplication::sendEvent(&button, &enter);
  QCOMPARE(button.shownColor(), rose);
  QEvent leave(QEvent::Leave);
  QCoreApplication::sendEvent(&button, &leave);
  QCOMPARE(button.shownColor(), cream);
}

void WidgetsTest::panelClickOnBackgroundOnly_data() {
  QTest::addColumn<QPoint>("where");
  QTest::addColumn<int>("clicks");
  QTest::newRow("background") << QPoint(150, 80) << 1;
  QTest::newRow("label on the panel") << QPoint(20, 15) << 0;
}

// A click on the background of an option panel closes it; a click on a
// control inside it must not.
void WidgetsTest::panelClickOnBackgroundOnly() {
  QFETCH(QPoint, where);
  QFETCH(int, clicks);
  quillmere::Panel panel;
  panel.setGeometry(0, 0, 200, 100);
  auto* label = new QLabel(QStringLiteral("Caption"), &panel);
  label->setGeometry(10, 10, 80, 14);
  panel.show();
  QSignalSpy spy(&panel, &quillmere::Panel::clicked);
  QWidget* target = panel.childAt(where) ? panel.childAt(where) : &panel;
  QTest::mouseClick(target, Qt::LeftButton, {}, target->mapFrom(&panel, where));
  QCOMPARE(spy.count(), clicks);
}

void WidgetsTest::panelCaptionRepaintsOnlyOnChange() {
  quillmere::Panel panel;
  panel.setGeometry(0, 0, 100, 20);
  panel.show();
  QVERIFY(QTest::qWaitForWindowExposed(&panel));
  struct PaintCounter : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* e) override {
      if (e->type() == QEvent::Paint) ++paints;
      return false;
    }
  } counter;
  panel.setCaption(QStringLiteral("12.5 dB"));
  QCoreApplication::processEvents();
  panel.installEventFilter(&counter);
  panel.setCaption(QStringLiteral("12.5 dB"));
  QCoreApplication::processEvents();
  QCOMPARE(counter.paints, 0);
  panel.setCaption(QStringLiteral("12.6 dB"));
  QCoreApplication::processEvents();
  QVERIFY(counter.paints > 0);
  QCOMPARE(panel.caption(), QStringLiteral("12.6 dB"));
}

void WidgetsTest::clickableLabelClicks() {
  quillmere::ClickableLabel label;
  label.setText(QStringLiteral("Water vapour Density"));
  label.setGeometry(0, 0, 118, 14);
  label.show();
  QSignalSpy spy(&label, &quillmere::ClickableLabel::clicked);
  QTest::mouseClick(&label, Qt::LeftButton);
  QTest::mouseClick(&label, Qt::RightButton);
  QCOMPARE(spy.count(), 1);
}

void WidgetsTest::fontSubstitutes_data() {
  QTest::addColumn<QString>("family");
  QTest::newRow("Arial") << QStringLiteral("Arial");
  QTest::newRow("MS Sans Serif") << QStringLiteral("MS Sans Serif");
  QTest::newRow("Tahoma") << QStringLiteral("Tahoma");
}

void WidgetsTest::fontSubstitutes() {
  QFETCH(QString, family);
  QFont font(family);
  font.setPixelSize(13);
  QCOMPARE(QFontInfo(font).family(), QStringLiteral("Liberation Sans"));
  QCOMPARE(QFontInfo(font).pixelSize(), 13);
}

QTEST_MAIN(WidgetsTest)
#include "ui_widgets_test.moc"
