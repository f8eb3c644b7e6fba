// Keyboard use of the main window: every control is a Tab stop in reading
// order, the steppers answer the arrow and page keys, the option panels
// close with Escape or a click elsewhere, and the commands have shortcuts.
#include <QAbstractSlider>
#include <QApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QShortcut>
#include <algorithm>
#include <functional>

#include "focus_frame.h"
#include "form_components.h"
#include "panel.h"
#include "radio_group.h"
#include "spin_button.h"
#include "tform1.h"
#include "tform2.h"
#include "ui_tform1.h"

namespace quillmere {
namespace {

// Each option panel or list and the button that opens (and closes) it. In
// the Tab order an overlay follows its button.
struct Overlay {
  const char* overlay;
  const char* opener;
};
constexpr Overlay kOverlays[] = {
    {component::DisplayAccuracy.data(), component::ColorButton2.data()},
    {component::ScreenDelaySelect.data(), component::ColorButton3.data()},
    {component::Panel45.data(), component::Button6.data()},
    {component::Panel117.data(), component::Button4.data()},
    {component::Panel42.data(), component::Button1.data()},
};

// Page Up and Page Down step ten times as far as Up and Down: they work the
// arrows of the next coarser stepper of the same row, and on the coarsest
// stepper of a row its own arrows. Steppers without a partner (temperature,
// humidity, pressure) leave the two keys alone.
struct PagePair {
  const char* stepper;
  const char* coarser;
};
constexpr PagePair kPagePairs[] = {
    {component::HASLx10_A.data(), component::HASLx100_A.data()},
    {component::HASLx100_A.data(), component::HASLx100_A.data()},
    {component::HASLx10_B.data(), component::HASLx100_B.data()},
    {component::HASLx100_B.data(), component::HASLx100_B.data()},
    {component::ElevationButtonA1.data(), component::ElevationButtonA10.data()},
    {component::ElevationButtonA10.data(), component::ElevationButtonA10.data()},
    {component::ElevationButtonB1.data(), component::ElevationButtonB10.data()},
    {component::ElevationButtonB10.data(), component::ElevationButtonB10.data()},
    {component::DistanceChangex01Up.data(), component::DistanceChangex1.data()},
    {component::DistanceChangex1.data(), component::DistanceChangex10.data()},
    {component::DistanceChangex10.data(), component::DistanceChangex100.data()},
    {component::DistanceChangex100.data(), component::DistanceChangex100.data()},
};

// The panels that act as buttons: the two path-mode squares, "Reset Screen
// Size" and " Select" of the EME notice.
constexpr const char* kClickablePanels[] = {component::Panel125.data(), component::Panel124.data(),
                                            component::Panel134.data(), component::Panel128.data()};

// The children of `parent` in reading order: row by row, each row left to
// right. A child starts a new row when its top edge lies below the middle
// of the row's first child (the lower of the two halves of their heights,
// so that a small control beside a tall one still shares its row).
QList<QWidget*> InReadingOrder(QList<QWidget*> children) {
  std::stable_sort(children.begin(), children.end(),
                   [](const QWidget* a, const QWidget* b) { return a->y() < b->y(); });
  QList<QWidget*> ordered;
  qsizetype row_start = 0;
  while (row_start < children.size()) {
    const QWidget* first = children[row_start];
    qsizetype row_end = row_start + 1;
    while (row_end < children.size()) {
      const QWidget* w = children[row_end];
      const int half = std::min(first->height(), w->height()) / 2;
      if (w->y() > first->y() + half) break;
      ++row_end;
    }
    QList<QWidget*> row = children.mid(row_start, row_end - row_start);
    std::stable_sort(row.begin(), row.end(),
                     [](const QWidget* a, const QWidget* b) { return a->x() < b->x(); });
    ordered += row;
    row_start = row_end;
  }
  return ordered;
}

}  // namespace

void TForm1::SetUpKeyboard() {
  Ui::TForm1& c = *ui_;
  for (const char* name : kClickablePanels) {
    if (QWidget* w = Component(QString::fromLatin1(name))) w->setFocusPolicy(Qt::TabFocus);
  }
  // The sliders step with the arrow and page keys as Qt's sliders do.
  for (QAbstractSlider* slider :
       {static_cast<QAbstractSlider*>(c.ScrollBar1), static_cast<QAbstractSlider*>(c.CloudSelectA),
        static_cast<QAbstractSlider*>(c.CloudSelectB)}) {
    slider->setFocusPolicy(Qt::StrongFocus);
    FocusFrame::Attach(slider);
  }
  // The notes can be read line by line; Tab leaves them.
  c.Memo1->setTabChangesFocus(true);
  FocusFrame::Attach(c.Memo1);
  // The form's scroll area is a stop of its own, where the arrow and page
  // keys scroll the whole form: framed round the form while it has the focus.
  FocusFrame::Attach(c.FormScroll);
  // The keyboard starts at the first control of the command row, not on the
  // scroll area (first in Qt's focus chain), which would frame the whole form
  // at every start.
  c.ColorButton2->setFocus();

  for (const PagePair& pair : kPagePairs) {
    auto* stepper = Component<SpinButton>(QString::fromLatin1(pair.stepper));
    auto* coarser = Component<SpinButton>(QString::fromLatin1(pair.coarser));
    if (stepper != nullptr) stepper->setPageStepper(coarser);
  }

  // The Tab order: the form's containers one after the other in reading
  // order, each visited whole before the next, so that a station's block
  // is done before the next block begins. Home's blocks lie above DX's.
  QHash<const QWidget*, QWidget*> overlay_of_opener;
  QSet<QWidget*> overlays;
  for (const Overlay& o : kOverlays) {
    QWidget* overlay = Component(QString::fromLatin1(o.overlay));
    QWidget* opener = Component(QString::fromLatin1(o.opener));
    if (overlay == nullptr || opener == nullptr) continue;
    overlay_of_opener.insert(opener, overlay);
    overlays.insert(overlay);
  }
  QList<QWidget*> stops;
  std::function<void(QWidget*)> visit = [&](QWidget* parent) {
    QList<QWidget*> children;
    for (QObject* child : parent->children()) {
      auto* w = qobject_cast<QWidget*>(child);
      if (w != nullptr && by_name_.contains(w->objectName()) && !overlays.contains(w)) {
        children.append(w);
      }
    }
    for (QWidget* w : InReadingOrder(children)) {
      if (auto* group = qobject_cast<RadioGroup*>(w)) {
        // Qt lets only the selected item of a group take Tab; the arrow keys
        // move between the items.
        for (QRadioButton* item : group->findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly)) {
          stops.append(item);
        }
      } else if (w->focusPolicy() & Qt::TabFocus) {
        stops.append(w);
      }
      visit(w);
      if (QWidget* overlay = overlay_of_opener.value(w)) {
        if (overlay->focusPolicy() & Qt::TabFocus) stops.append(overlay);
        if (auto* group = qobject_cast<RadioGroup*>(overlay)) {
          for (QRadioButton* item :
               group->findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly)) {
            stops.append(item);
          }
        }
        visit(overlay);
      }
    }
  };
  visit(c.FormClient);
  for (qsizetype i = 1; i < stops.size(); ++i) setTabOrder(stops[i - 1], stops[i]);

  // The overlays hand the focus back to their button when they close with
  // it inside; a press outside them closes them. Presses go to the control
  // under the pointer, not to the window: only the application sees them
  // all.
  qApp->installEventFilter(this);

  // Shortcuts of the window.
  GiveWindowKeys(this, QString());
  auto shortcut = [this](const QKeySequence& keys, auto action) {
    auto* s = new QShortcut(keys, this);
    s->setContext(Qt::WindowShortcut);
    connect(s, &QShortcut::activated, this, action);
  };
  shortcut(QKeySequence(Qt::Key_F2), [this] { OpenPlanner(); });
  shortcut(QKeySequence(Qt::Key_Escape), [this] { CloseTopOverlay(); });
  // The map viewer closes with Escape as with its "Close" (seen by the
  // application's filter above: a key the viewer does not take itself).
  GiveWindowKeys(form2_.get(), QStringLiteral("Cloud maps.html"));
}

void TForm1::GiveWindowKeys(QWidget* window, const QString& help_page) {
  // Each window's own: a window's shortcut works while that window is the
  // active one.
  const auto shortcut = [this, window](const QKeySequence& keys, auto action) {
    auto* s = new QShortcut(keys, window);
    s->setContext(Qt::WindowShortcut);
    connect(s, &QShortcut::activated, this, action);
  };
  shortcut(QKeySequence(Qt::Key_F1), [this, help_page] {
    if (help_page.isEmpty()) {
      TabSet2Click(0);
    } else {
      OpenHelp(help_page);
    }
  });
  shortcut(QKeySequence(Qt::CTRL | Qt::Key_S), [this] { ColorButton1Click(); });
  shortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), [this] { TabSet2Click(2); });
}

bool TForm1::CloseTopOverlay() {
  while (!open_overlays_.isEmpty()) {
    QWidget* overlay = open_overlays_.takeLast();
    if (overlay->isHidden()) continue;
    const QByteArray name = overlay->objectName().toLatin1();
    HideOverlay(name.constData());
    return true;
  }
  return false;
}

void TForm1::CloseOverlaysOutside(QWidget* pressed) {
  if (pressed == nullptr || !isAncestorOf(pressed)) return;
  for (const Overlay& o : kOverlays) {
    QWidget* overlay = Component(QString::fromLatin1(o.overlay));
    QWidget* opener = Component(QString::fromLatin1(o.opener));
    if (overlay == nullptr || overlay->isHidden()) continue;
    if (overlay == pressed || overlay->isAncestorOf(pressed)) continue;
    // The button's own click closes it (or, for a list that toggles, would
    // reopen what the press had just closed).
    if (opener != nullptr && (opener == pressed || opener->isAncestorOf(pressed))) continue;
    HideOverlay(o.overlay);
  }
}

bool TForm1::FilterOverlayEvent(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::KeyPress:
      if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape && watched->isWidgetType() &&
          !form2_->isHidden()) {
        auto* w = static_cast<QWidget*>(watched);
        if (w == form2_.get() || form2_->isAncestorOf(w)) {
          form2_->Button1Click();
          return true;
        }
      }
      break;
    case QEvent::MouseButtonPress:
      if (watched->isWidgetType()) CloseOverlaysOutside(static_cast<QWidget*>(watched));
      break;
    case QEvent::Hide:
      // Sent before Qt moves the focus away from what is being hidden: the
      // focus goes back to the overlay's button rather than on to whatever
      // follows the overlay.
      for (const Overlay& o : kOverlays) {
        QWidget* overlay = Component(QString::fromLatin1(o.overlay));
        if (overlay != watched) continue;
        QWidget* focus = QApplication::focusWidget();
        QWidget* opener = Component(QString::fromLatin1(o.opener));
        if (focus != nullptr && overlay->isAncestorOf(focus) && opener != nullptr &&
            opener->isVisibleTo(this)) {
          opener->setFocus(Qt::OtherFocusReason);
        }
      }
      break;
    default:
      break;
  }
  return false;
}

}  // namespace quillmere
