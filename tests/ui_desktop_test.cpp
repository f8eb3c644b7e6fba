// The main window on a desktop: what assistive technology reads from it
// (every component named after its caption or the heading beside it, its
// shown text as its value) and the program's icon on every window.

#include <QAbstractSlider>
#include <QAccessible>
#include <QApplication>
#include <QPlainTextEdit>
#include <QTest>
#include <QToolButton>
#include <memory>

#include "component_text.h"
#include "help_viewer.h"
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

using quillmere::TForm1;
using quillmere::testing::MessageLog;

class DesktopTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { quillmere::testing::SetUpWindowLook(); }

  void init() {
    form_ = quillmere::testing::OpenTestWindow(log_);
    quillmere::testing::LoadTestRecord(*form_, "typical.dat", log_);
    log_.lines.clear();
  }
  void cleanup() { form_.reset(); }

  // --- Accessibility ---

  void everyComponentHasANameAndShowsItsTextAsItsValue() {
    for (QWidget* w : form_->ComponentList()) {
      const QString name = w->objectName();
      QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
      QVERIFY2(a != nullptr, qPrintable(name));
      QVERIFY2(!a->text(QAccessible::Name).trimmed().isEmpty(), qPrintable(name));
      QString shown;
      if (auto* slider = qobject_cast<QAbstractSlider*>(w)) {
        shown = QString::number(slider->value());
      } else if (auto* group = qobject_cast<quillmere::RadioGroup*>(w)) {
        shown = group->items().value(group->itemIndex());
      } else if (auto* tabs = qobject_cast<quillmere::TabSet*>(w)) {
        shown = tabs->tabs().join(QStringLiteral(", "));
      } else if (qobject_cast<quillmere::SpinButton*>(w)) {
        continue;  // its field's text: below
      } else if (qobject_cast<QAbstractButton*>(w)) {
        // A button's text is its name, as the platform's buttons read.
        QVERIFY2(
            a->text(QAccessible::Name)
                .endsWith(InSentence(Tidy(w->property("text").toString())), Qt::CaseInsensitive),
            qPrintable(name + u' ' + a->text(QAccessible::Name)));
        continue;
      } else {
        shown = quillmere::ShownText(*w).value_or(QString());
      }
      QCOMPARE(name + u' ' + a->text(QAccessible::Value), name + u' ' + shown);
    }
  }

  void namesComeFromTheHeadingsBeside_data() {
    QTest::addColumn<QString>("component");
    QTest::addColumn<QString>("name");
    const auto row = [](const char* what, const char* component, const char* name) {
      QTest::newRow(what) << QString::fromLatin1(component) << QString::fromUtf8(name);
    };
    row("a field beside its label", "Panel6", "Home dry air attenuation");
    row("a field beside two lines of label", "Panel9", "Home water vapour attenuation");
    row("a field under its label, in DX's block", "Panel94", "DX dry air attenuation");
    row("a field under a row of two labels", "Panel30", "Home total attenuation of EME path");
    row("a field in a captioned group", "Panel3", "Home temperature °c");
    row("a field of DX's group", "Panel48", "DX temperature °c");
    row("a stepper with its step", "HASLx100_B", "DX height ASL [metres] x100");
    row("a stepper of the digit row", "DistanceChangex01Up", "Home path length in km x0.1");
    row("the EME square", "Panel125", "EME mode");
    row("the terrestrial square", "Panel124", "Terrestrial mode");
    row("a slider in its group", "CloudSelectB", "DX cloud columnar content");
    row("a caption of its own", "Panel134", "Reset Screen Size");
    row("a radio group's title", "RainSelectA", "Home rain rate of precipitation");
    row("a block after its title", "Panel46", "DX Station");
    row("a sign", "Label1", "+");
    row("the combined field", "Panel120", "Home + Dx Station combined losses");
  }
  void namesComeFromTheHeadingsBeside() {
    QFETCH(QString, component);
    QFETCH(QString, name);
    QWidget* w = form_->Component(component);
    QVERIFY(w != nullptr);
    QCOMPARE(QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name), name);
  }

  void aStepperReadsAsTheFieldItSteps() {
    auto* stepper = form_->Components().TempButtonA;
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(stepper);
    QCOMPARE(a->role(), QAccessible::SpinBox);
    const QString before = a->text(QAccessible::Value);
    QCOMPARE(before, form_->Components().Panel3->caption());
    // The stepper's increase action is a click on its up arrow.
    a->actionInterface()->doAction(QAccessibleActionInterface::increaseAction());
    QCOMPARE(form_->State().Home.Temperature, quillmere::Real(16));
    QCOMPARE(a->text(QAccessible::Value), form_->Components().Panel3->caption());
    QVERIFY(a->text(QAccessible::Value) != before);
  }

  void aBlockListsTheControlsInsideIt() {
    QAccessibleInterface* block =
        QAccessible::queryAccessibleInterface(form_->Components().Panel91);
    QCOMPARE(block->role(), QAccessible::Grouping);
    QCOMPARE(block->text(QAccessible::Name), QStringLiteral("Home temperature °c"));
    QVERIFY(block->childCount() >= 3);  // the stepper, the field, the kelvin label
    QAccessibleInterface* stepper =
        QAccessible::queryAccessibleInterface(form_->Components().TempButtonA);
    QVERIFY(block->indexOfChild(stepper) >= 0);
  }

  void theModeSquaresArePressableButtons() {
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(form_->Components().Panel124);
    QCOMPARE(a->role(), QAccessible::Button);
    a->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(form_->State().EmePathMode, std::uint8_t(0));
  }

  void theTabsAreChildrenOfTheirStrip() {
    QAccessibleInterface* strip =
        QAccessible::queryAccessibleInterface(form_->Components().TabSet2);
    QCOMPARE(strip->role(), QAccessible::PageTabList);
    const QStringList tabs = {"Help", "About", "Exit", "Planner", "Spectrum"};
    QCOMPARE(strip->childCount(), tabs.size());
    for (int i = 0; i < tabs.size(); ++i) {
      QAccessibleInterface* tab = strip->child(i);
      QCOMPARE(tab->role(), QAccessible::PageTab);
      QCOMPARE(tab->text(QAccessible::Name), tabs[i]);
      QCOMPARE(tab->parent(), strip);
      QCOMPARE(strip->indexOfChild(tab), i);
    }
    // Pressing "About" shows the About text, as a click does.
    strip->child(1)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(log_.lines.size(), std::size_t(1));
    QVERIFY(log_.lines[0].starts_with("info: "));
  }

  // --- Icon ---

  void everyWindowCarriesTheProgramIcon() {
    QVERIFY(!form_->windowIcon().isNull());
    QVERIFY(!form_->Form2().windowIcon().isNull());
    form_->OpenHelp();
    QVERIFY(form_->HelpWindow() != nullptr);
    QVERIFY(!form_->HelpWindow()->windowIcon().isNull());
    // Drawn, not an empty frame: the icon's sky is dark blue.
    const QImage small = form_->windowIcon().pixmap(32, 32).toImage();
    QCOMPARE(small.size(), QSize(32, 32));
    QVERIFY(small.pixelColor(16, 30).blue() > small.pixelColor(16, 30).red());
  }

 private:
  static QString Tidy(QString text) {
    text = text.simplified();
    while (text.endsWith(u'.')) text.chop(1);
    return text;
  }
  static QString InSentence(const QString& text) { return text.section(u' ', 1); }

  std::unique_ptr<TForm1> form_;
  MessageLog log_;
};

QTEST_MAIN(DesktopTest)
#include "ui_desktop_test.moc"
