// The main window's form: every component of the window is as the form file
// defines it (name, kind, place in the hierarchy, caption, hint, items and
// ranges, read from the table generated from it); the regions lie at
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
#include "font_substitutes.h"
#include "form_component.h"
#include "panel.h"
#include "placement.h"
#include "radio_group.h"
#include "spin_button.h"
#include "tab_set.h"
#include "tform1.h"
#include "ui_tform1.h"

using quillmere::TForm1;

namespace {

using quillmere::form::Kind;

// The kind the form's table gives a widget of each class.
Kind KindOf(QWidget* w) {
  if (qobject_cast<quillmere::Panel*>(w)) return Kind::kPanel;
  if (qobject_cast<quillmere::ClickableLabel*>(w)) return Kind::kClickableLabel;
  if (qobject_cast<QLabel*>(w)) return Kind::kLabel;
  if (qobject_cast<quillmere::RadioGroup*>(w)) return Kind::kRadioGroup;
  if (qobject_cast<quillmere::SpinButton*>(w)) return Kind::kSpinButton;
  if (qobject_cast<quillmere::ColorButton*>(w)) return Kind::kColorButton;
  if (qobject_cast<QPushButton*>(w)) return Kind::kPushButton;
  if (qobject_cast<QScrollBar*>(w)) return Kind::kScrollBar;
  if (qobject_cast<quillmere::TabSet*>(w)) return Kind::kTabSet;
  if (qobject_cast<QPlainTextEdit*>(w)) return Kind::kMemo;
  return Kind::kWindow;  // no component of the form's is one
}

QString FromView(std::string_view text) {
  return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

QString CaptionOf(QWidget* w) {
  if (auto* p = qobject_cast<quillmere::Panel*>(w)) return p->caption();
  if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
  if (auto* g = qobject_cast<quillmere::RadioGroup*>(w)) return g->title();
  if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text();
  if (auto* m = qobject_cast<QPlainTextEdit*>(w)) return m->toPlainText();
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

  void componentIsAsTheFormDefinesIt_data();
  void componentIsAsTheFormDefinesIt();
  void everyComponentIsInTheTable();
  void memoHoldsTheCloudNotes();
  void resetScreenSizeHintIsKeptButNotShown();
  void tabSetTabs();

  void regionPlaces_data();
  void regionPlaces();
  void colours_data();
  void colours();
  void colorButtonHoverColours_data();
  void colorButtonHoverColours();
  void fonts_data();
  void fonts();
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

// Each component of the window, as the table generated from the form file
// gives it, is a widget of that name, kind and parent, with the caption,
// hint, visibility, items and range the form sets: what the window builds
// is what the form says.
void FormTest::componentIsAsTheFormDefinesIt_data() {
  QTest::addColumn<int>("row");
  const auto table = quillmere::form::Components();
  for (std::size_t i = 0; i < table.size(); ++i) {
    if (table[i].kind != Kind::kWindow) QTest::newRow(table[i].name.data()) << int(i);
  }
}

void FormTest::componentIsAsTheFormDefinesIt() {
  QFETCH(int, row);
  const quillmere::form::FormComponent& c = quillmere::form::Components()[std::size_t(row)];
  QWidget* w = form_->Component(FromView(c.name));
  QVERIFY(w != nullptr);
  QVERIFY(KindOf(w) == c.kind);
  QCOMPARE(w->parentWidget()->objectName(), FromView(c.parent));
  if (c.kind != Kind::kSpinButton && c.kind != Kind::kScrollBar && c.kind != Kind::kTabSet) {
    QCOMPARE(CaptionOf(w), FromView(c.caption));
  }
  QCOMPARE(w->toolTip(), FromView(c.hint));
  QCOMPARE(w->isVisibleTo(w->parentWidget()), c.visible);
  if (auto* group = qobject_cast<quillmere::RadioGroup*>(w)) {
    QStringList items;
    for (std::string_view item : c.items) items << FromView(item);
    QCOMPARE(group->items(), items);
    QCOMPARE(group->columns(), std::max(1, c.columns));
    // No item is selected until the default data are loaded; the item
    // buttons carry the texts too.
    QCOMPARE(group->itemIndex(), -1);
    QCOMPARE(group->findChildren<QRadioButton*>().size(), items.size());
  }
  if (auto* tabs = qobject_cast<quillmere::TabSet*>(w)) {
    QStringList items;
    for (std::string_view item : c.items) items << FromView(item);
    QCOMPARE(tabs->tabs(), items);
  }
  if (auto* bar = qobject_cast<QScrollBar*>(w)) {
    QCOMPARE(bar->orientation(), Qt::Horizontal);
    QCOMPARE(bar->minimum(), c.minimum);
    QCOMPARE(bar->maximum(), c.maximum);
    QCOMPARE(bar->value(), c.position);
    QCOMPARE(bar->singleStep(), 1);
    QCOMPARE(bar->pageStep(), 1);
  }
}

// And the other way: no widget of the form is missing from the table.
void FormTest::everyComponentIsInTheTable() {
  QStringList missing;
  for (QWidget* w : form_->ComponentList()) {
    if (quillmere::form::Find(w->objectName().toStdString()) == nullptr) {
      missing << w->objectName();
    }
  }
  QVERIFY2(missing.isEmpty(), qPrintable("not in the table: " + missing.join(", ")));
  QCOMPARE(qsizetype(quillmere::form::Components().size()), form_->ComponentList().size() + 1);
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
  const QPoint corner = form_->frameGeometry().topLeft();
  form_->ResetScreenSize();
  QCoreApplication::processEvents();
  // The design size where the screen holds it; otherwise moved and cut to
  // the screen as at a first start, never narrowed where the width fits.
  const QRect area = form_->screen()->availableGeometry();
  QCOMPARE(form_->frameGeometry(),
           quillmere::FitInto(QRect(corner, TForm1::kResetOuterSize), area));
  // The form follows its new client area.
  const QSize client = form_->ClientArea()->size();
  const QRect panel1 = Find("Panel1")->geometry();
  const double sx = double(client.width()) / TForm1::kDesignClientSize.width();
  QVERIFY(std::abs(panel1.left() + panel1.width() - 1057 * sx) <= 0.5);
}

QTEST_MAIN(FormTest)
#include "ui_form_test.moc"
