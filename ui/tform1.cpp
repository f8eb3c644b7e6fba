#include "tform1.h"

#include <QApplication>
#include <QEvent>
#include <QFont>
#include <QLocale>
#include <QScrollArea>
#include <QScrollBar>
#include <QStringList>
#include <QWindow>
#include <algorithm>
#include <cmath>

#include "font_substitutes.h"
#include "form_components.h"
#include "message_boxes.h"
#include "on_screen_help.h"
#include "placement.h"
#include "program_icon.h"
#include "tform2.h"
#include "ui_tform1.h"
#include "widget_display.h"

namespace quillmere {

namespace {

// The window's own font; every control without a font of its own uses it.
QFont FormFont() {
  QFont font(InstalledFamily(QStringLiteral("Arial")));
  font.setPixelSize(11);
  return font;
}

// A control's design font is given in the form as "Family,NNpx[,bold]".
QFont ParseDesignFont(const QString& description, const QFont& base) {
  QFont font = base;
  const QStringList parts = description.split(u',');
  if (!parts.isEmpty() && !parts[0].trimmed().isEmpty())
    font.setFamily(InstalledFamily(parts[0].trimmed()));
  if (parts.size() > 1) {
    QString size = parts[1].trimmed();
    size.remove(QStringLiteral("px"));
    bool ok = false;
    const int px = size.toInt(&ok);
    if (ok && px > 0) font.setPixelSize(px);
  }
  font.setBold(parts.size() > 2 && parts[2].trimmed() == QStringLiteral("bold"));
  return font;
}

// The form's components below `parent`, depth first. Parts that a control
// makes for itself (the items of a radio group, the arrows of a spin
// button, Qt's "qt_" helpers) have no name of the form and are left out.
void CollectComponents(QWidget* parent, QList<QWidget*>& out) {
  for (QObject* child : parent->children()) {
    auto* w = qobject_cast<QWidget*>(child);
    if (w == nullptr || w->objectName().isEmpty() ||
        w->objectName().startsWith(QStringLiteral("qt_"))) {
      continue;
    }
    out.append(w);
    CollectComponents(w, out);
  }
}

}  // namespace

TForm1::TForm1(QWidget* parent, UtcClock clock)
    : QMainWindow(parent), ui_(std::make_unique<Ui::TForm1>()) {
  // Qt describes many controls to assistive technology as they are built:
  // the form's own descriptions must be in place first.
  DescribeComponentsForAccessibility();
  ui_->setupUi(this);
  setFont(FormFont());
  CollectComponents(ui_->FormClient, components_);
  for (QWidget* w : components_) by_name_.insert(w->objectName(), w);
  ApplyDesignFonts();
  scaler_.Record(components_);
  ui_->FormScroll->viewport()->installEventFilter(this);
  ShowAtDesignSize();

  // The vapour-density captions read "Water vapour Density" at creation:
  // both stations start over water.
  state_.Home.VapourOverWater = 1;
  state_.DX.VapourOverWater = 1;
  moon_ = MakeErfaSunMoon();
  display_ = std::make_unique<WidgetDisplay>(*this);
  clock_ = clock;
  calc_ = std::make_unique<Calculator>(state_, *display_, *moon_, std::move(clock));
  const QLocale locale;
  calc_->SetNumberFormat(
      {locale.decimalPoint().toStdString(), locale.groupSeparator().toStdString()});
  help_ = new OnScreenHelp(this);
  own_messages_ = std::make_unique<MessageBoxes>(this);
  messages_ = own_messages_.get();
  form2_ = std::make_unique<TForm2>();
  // The help window, a child of this one, takes the icon from it.
  setWindowIcon(ProgramIcon());
  form2_->setWindowIcon(ProgramIcon());
  form2_->SetOnClose([this] {
    // Back from the viewer: the notes panel closes and the main window
    // returns.
    display_->SetVisible(component::Panel42, false);
    show();
  });
  BindHandlers();
  SetUpKeyboard();
  NameComponentsForAccessibility();
}

TForm1::~TForm1() {
  // No more events of other objects are looked at while this window's
  // members go.
  if (qApp != nullptr) qApp->removeEventFilter(this);
  if (startup_enabled_) FormDestroy();
}

QWidget* TForm1::ClientArea() const {
  return ui_->FormScroll->viewport();
}

void TForm1::ApplyDesignFonts() {
  const QFont base = FormFont();
  for (QWidget* w : components_) {
    const QVariant description = w->property("designFont");
    // Each component gets its font explicitly, so that scaling one never
    // reaches the controls inside it.
    w->setFont(description.isValid() ? ParseDesignFont(description.toString(), base) : base);
  }
}

void TForm1::ResizeClientArea(QSize client) {
  // Whatever surrounds the viewport (the scroll bar) keeps its size.
  const QScrollArea* area = ui_->FormScroll;
  const int bar = area->verticalScrollBar()->sizeHint().width();
  const int frame = 2 * area->frameWidth();
  resize(client.width() + bar + frame, client.height() + frame);
}

void TForm1::ShowAtDesignSize() {
  ResizeClientArea(kDesignClientSize);
}

void TForm1::ResetScreenSize() {
  if (isMaximized() || isFullScreen()) showNormal();
  // The layout of a first start: the design size, moved and cut to the
  // screen where it does not fit (the form then scrolls), never narrowed.
  const QRect outer = windowHandle() ? windowHandle()->frameGeometry() : frameGeometry();
  ApplyOuterGeometry(FitInto(QRect(outer.topLeft(), kResetOuterSize), AvailableAreaFor(outer)));
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
  if (pending_placement_ && watched == windowHandle() && event->type() == QEvent::Expose &&
      windowHandle()->isExposed()) {
    // Framed and on screen: the frame's size is known now.
    const QRect outer = *pending_placement_;
    pending_placement_.reset();
    ApplyOuterGeometry(outer);
    framed_placement_ = outer;
  } else if (watched == windowHandle() && !pending_placement_ &&
             (event->type() == QEvent::Move || event->type() == QEvent::Resize)) {
    NoteFramedPlacement();
  }
  if (watched == ui_->FormScroll->viewport() && event->type() == QEvent::Resize) {
    Rescale(ui_->FormScroll->viewport()->size());
  }
  if (FilterOverlayEvent(watched, event)) return true;
  return QMainWindow::eventFilter(watched, event);
}

void TForm1::Rescale(QSize client) {
  if (client.width() <= 0 || client.height() <= 0) return;
  // Below kMinimumScale text and indicators would be too small to read or
  // hit: the form keeps that size and the window scrolls over it.
  const double sx = std::max(kMinimumScale, double(client.width()) / kDesignClientSize.width());
  const double sy = std::max(kMinimumScale, double(client.height()) / kDesignClientSize.height());
  // The scrollable height grows with the form, so that the last 34 design
  // pixels stay reachable at every size.
  ui_->FormClient->resize(
      std::max(client.width(), int(std::lround(kDesignClientSize.width() * sx))),
      int(std::lround(kScrollRange * sy)));
  scaler_.Apply(sx, sy);
}

}  // namespace quillmere
