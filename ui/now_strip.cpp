#include "now_strip.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <algorithm>

#include "now_feed.h"
#include "program_icon.h"

namespace quillmere {
namespace {

QLabel* Line(QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  return label;
}

QString Utf8(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

NowStrip::NowStrip(NowFeed* feed, Kind kind, QWidget* parent)
    : QWidget(parent),
      feed_(feed),
      time_(Line(this)),
      window_(Line(this)),
      home_(Line(this)),
      dx_(Line(this)),
      sky_mhz_(new QDoubleSpinBox(this)),
      mode_(new QComboBox(this)),
      dial_(Line(this)),
      path_(Line(this)) {
  setObjectName(QStringLiteral("NowStrip"));
  QFont bold = time_->font();
  bold.setBold(true);
  time_->setFont(bold);
  window_->setFont(bold);
  path_->setWordWrap(true);

  sky_mhz_->setObjectName(QStringLiteral("NowSkedMhz"));
  sky_mhz_->setDecimals(6);
  sky_mhz_->setRange(1000.0, 300000.0);
  sky_mhz_->setSingleStep(0.001);
  sky_mhz_->setSuffix(QStringLiteral(" MHz"));
  sky_mhz_->setAccessibleName(QStringLiteral("Sked frequency"));
  sky_mhz_->setKeyboardTracking(false);
  sky_mhz_->setValue(feed_->SkyHz() / 1e6);
  mode_->setObjectName(QStringLiteral("NowDopplerMode"));
  mode_->setAccessibleName(QStringLiteral("Doppler mode"));
  for (const DopplerMode m : kDopplerModes)
    mode_->addItem(QString::fromUtf8(DopplerModeLabel(m)), static_cast<int>(m));
  mode_->setCurrentIndex(mode_->findData(static_cast<int>(feed_->Mode())));

  // In the planner, four rows: the time and the window; both stations side
  // by side (each wraps onto a second line where the window is narrow); the
  // sked and the frequencies to dial; the path. Alone, narrower, a row for
  // each.
  for (QLabel* l : {home_, dx_, dial_}) l->setWordWrap(true);
  const bool wide = kind == Kind::kInPlanner;
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(6, 2, 6, 2);
  grid->setHorizontalSpacing(8);
  grid->setVerticalSpacing(1);
  auto* home_name = new QLabel(tr("Home"), this);
  auto* dx_name = new QLabel(tr("DX"), this);
  home_name->setFont(bold);
  dx_name->setFont(bold);
  auto* sked = new QLabel(tr("&Sked"), this);
  sked->setBuddy(sky_mhz_);
  auto* sked_row = new QHBoxLayout;
  sked_row->addWidget(sky_mhz_);
  sked_row->addWidget(mode_);
  if (wide) {
    grid->addWidget(time_, 0, 0, 1, 2);
    grid->addWidget(window_, 0, 2, 1, 2);
    grid->addWidget(home_name, 1, 0);
    grid->addWidget(home_, 1, 1);
    grid->addWidget(dx_name, 1, 2);
    grid->addWidget(dx_, 1, 3);
    sked_row->addWidget(dial_, 1);
    grid->addWidget(sked, 2, 0);
    grid->addLayout(sked_row, 2, 1, 1, 3);
    grid->addWidget(path_, 3, 0, 1, 4);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
  } else {
    sked_row->addStretch(1);
    grid->addWidget(time_, 0, 0, 1, 2);
    grid->addWidget(window_, 1, 0, 1, 2);
    grid->addWidget(home_name, 2, 0);
    grid->addWidget(home_, 2, 1);
    grid->addWidget(dx_name, 3, 0);
    grid->addWidget(dx_, 3, 1);
    grid->addWidget(sked, 4, 0);
    grid->addLayout(sked_row, 4, 1);
    grid->addWidget(dial_, 5, 1);
    grid->addWidget(path_, 6, 0, 1, 2);
    grid->setColumnStretch(1, 1);
  }
  if (kind == Kind::kInPlanner) {
    auto* compact = new QPushButton(tr("&Now window"), this);
    compact->setObjectName(QStringLiteral("NowWindowButton"));
    compact->setToolTip(tr("The strip alone, in a small window to keep beside the main window"));
    grid->addWidget(compact, 0, 4);
    connect(compact, &QPushButton::clicked, this, &NowStrip::compactWanted);
  }

  connect(sky_mhz_, &QDoubleSpinBox::valueChanged, this, &NowStrip::SkedEdited);
  connect(mode_, &QComboBox::currentIndexChanged, this, &NowStrip::SkedEdited);
  connect(feed_, &NowFeed::updated, this, &NowStrip::Show);
  Show();
}

void NowStrip::SkedEdited() {
  feed_->SetSked(sky_mhz_->value() * 1e6, static_cast<DopplerMode>(mode_->currentData().toInt()));
}

void NowStrip::Show() {
  // Another view of the same feed may have changed the sked.
  {
    const QSignalBlocker a(sky_mhz_), b(mode_);
    sky_mhz_->setValue(feed_->SkyHz() / 1e6);
    mode_->setCurrentIndex(mode_->findData(static_cast<int>(feed_->Mode())));
  }
  if (!feed_->Ready()) return;
  const NowLines& lines = feed_->Lines();
  time_->setText(Utf8(lines.time));
  window_->setText(Utf8(lines.window));
  home_->setText(Utf8(lines.home));
  dx_->setText(Utf8(lines.dx));
  dial_->setText(Utf8(lines.dial));
  QString path = Utf8(lines.path);
  if (lines.sun_marked) path += tr("   \u2014 the Sun costs more than 0.5 dB now");
  path_->setText(path);
  path_->setStyleSheet(lines.sun_marked ? QStringLiteral("color: #b35c00;") : QString());
}

void NowStrip::showEvent(QShowEvent* event) {
  feed_->Watch(+1);
  QWidget::showEvent(event);
}

void NowStrip::hideEvent(QHideEvent* event) {
  feed_->Watch(-1);
  QWidget::hideEvent(event);
}

QStringList NowStrip::Texts() const {
  return {time_->text(), home_->text(), dx_->text(), dial_->text(), path_->text(), window_->text()};
}

NowWindow::NowWindow(NowFeed* feed, QWidget* parent)
    : QWidget(parent, Qt::Window),
      strip_(new NowStrip(feed, NowStrip::Kind::kCompact, this)),
      on_top_(new QCheckBox(tr("Keep on &top"), this)) {
  setObjectName(QStringLiteral("NowWindow"));
  setWindowTitle(tr("Quillmere \u2014 Now"));
  setWindowIcon(ProgramIcon());
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addWidget(strip_);
  layout->addWidget(on_top_);
  connect(on_top_, &QCheckBox::toggled, this, &NowWindow::SetOnTop);
  // Wide enough for a station's line on one row.
  resize(std::max(sizeHint().width(), fontMetrics().averageCharWidth() * 86), sizeHint().height());
}

void NowWindow::SetOnTop(bool on) {
  if (on_top_->isChecked() != on) on_top_->setChecked(on);
  if (OnTop() == on) return;
  const bool shown = isVisible();
  setWindowFlag(Qt::WindowStaysOnTopHint, on);
  // Changing a flag hides the window: shown again where it was.
  if (shown) show();
}

bool NowWindow::OnTop() const {
  return windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

}  // namespace quillmere
