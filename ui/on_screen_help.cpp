#include "on_screen_help.h"

#include <QApplication>
#include <QFont>
#include <QHelpEvent>
#include <QPalette>
#include <QPointer>
#include <QProxyStyle>
#include <QToolTip>
#include <QWidget>

namespace quillmere {
namespace {

// Qt asks the style how long the cursor must rest before a hint.
class HintDelayStyle : public QProxyStyle {
 public:
  using QProxyStyle::QProxyStyle;
  int delay_ms = 700;

  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* data) const override {
    if (hint == SH_ToolTip_WakeUpDelay) return delay_ms;
    return QProxyStyle::styleHint(hint, option, widget, data);
  }
};

HintDelayStyle* DelayStyle() {
  static QPointer<HintDelayStyle> style;
  if (style.isNull() || QApplication::style() != style) {
    style = new HintDelayStyle(QApplication::style()->name());
    QApplication::setStyle(style);  // the application owns it
  }
  return style;
}

}  // namespace

OnScreenHelp::OnScreenHelp(QObject* parent) : QObject(parent) {
  const QPalette palette = QToolTip::palette();
  background_ = palette.color(QPalette::ToolTipBase);
  text_ = palette.color(QPalette::ToolTipText);
  if (qApp) qApp->installEventFilter(this);
}

OnScreenHelp::~OnScreenHelp() = default;

void OnScreenHelp::SetTimings(std::optional<int> delay_ms, std::optional<int> display_ms) {
  if (delay_ms) {
    delay_ms_ = *delay_ms;
    DelayStyle()->delay_ms = delay_ms_;
  }
  if (display_ms) display_ms_ = *display_ms;
}

void OnScreenHelp::SetColours(const QColor& background, const QColor& text) {
  background_ = background;
  text_ = text;
  QPalette palette = QToolTip::palette();
  palette.setColor(QPalette::ToolTipBase, background);
  palette.setColor(QPalette::ToolTipText, text);
  QToolTip::setPalette(palette);
  QFont font(QStringLiteral("Arial"));
  font.setPointSize(10);
  font.setBold(true);
  QToolTip::setFont(font);
}

bool OnScreenHelp::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::ToolTip) return false;
  auto* widget = qobject_cast<QWidget*>(watched);
  if (widget == nullptr || widget->toolTip().isEmpty()) return false;
  if (display_ms_ <= 0) {
    // "Do not Display": a hint is taken down as soon as it would pop up.
    QToolTip::hideText();
    return true;
  }
  const auto* help = static_cast<QHelpEvent*>(event);
  QToolTip::showText(help->globalPos(), widget->toolTip(), widget, QRect(), display_ms_);
  return true;
}

}  // namespace quillmere
