#include "station_control_panel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "rig.h"
#include "station_control.h"
#include "tcp_socket.h"

namespace quillmere {
namespace {

// The loop is pumped this often: answers are read within 50 ms, and the
// control cycle itself runs once a second.
constexpr int kPumpMs = 50;

// How long a disconnect waits for the rotator to answer its stop.
constexpr double kStopWaitS = 3.0;

QString StateText(const char* name, HamlibSession& s) {
  QString text = QString::fromUtf8(name) + ": " + QString::fromUtf8(StateName(s.GetState()));
  if (!s.LastError().empty() && s.GetState() != HamlibSession::State::kReady)
    text += " (" + QString::fromStdString(s.LastError()) + ")";
  return text;
}

QString Degrees(const AzEl& p) {
  return QString("az %1° el %2°").arg(p.az_deg, 0, 'f', 2).arg(p.el_deg, 0, 'f', 2);
}

}  // namespace

StationControlPanel::StationControlPanel(std::function<double()> now_utc_s,
                                         std::function<Stations()> stations, QWidget* parent)
    : QWidget(parent), now_utc_s_(std::move(now_utc_s)), stations_(std::move(stations)) {
  monotonic_.start();
  timer_ = new QTimer(this);
  timer_->setInterval(kPumpMs);
  connect(timer_, &QTimer::timeout, this, &StationControlPanel::TimerTick);

  station_ = new QComboBox(this);
  station_->addItems({"Home", "DX"});
  rotator_address_ = new QLineEdit("127.0.0.1:4533", this);
  rig_address_ = new QLineEdit("127.0.0.1:4532", this);
  doppler_ = new QCheckBox("Set the rig's frequencies (Doppler)", this);
  doppler_->setToolTip(
      "Only one program may own the rig's frequency: leave this off while another "
      "program sets it.");
  mode_ = new QComboBox(this);
  for (DopplerMode m : kDopplerModes) mode_->addItem(DopplerModeLabel(m), static_cast<int>(m));
  sky_mhz_ = new QDoubleSpinBox(this);
  sky_mhz_->setRange(1.0, 300000.0);
  sky_mhz_->setDecimals(6);
  sky_mhz_->setValue(10368.1);
  lo_mhz_ = new QDoubleSpinBox(this);
  lo_mhz_->setRange(0.0, 300000.0);
  lo_mhz_->setDecimals(6);
  step_ = new QComboBox(this);
  for (int s : kRigSteps) step_->addItem(QString("%1 Hz").arg(s), s);
  step_->setCurrentIndex(1);
  connect_ = new QPushButton("Connect", this);
  connect(connect_, &QPushButton::clicked, this, &StationControlPanel::ConnectButtonClick);
  message_ = new QLabel(this);
  message_->setWordWrap(true);
  rotator_state_ = new QLabel(this);
  rig_state_ = new QLabel(this);
  pointing_ = new QLabel(this);
  frequencies_ = new QLabel(this);
  for (QLabel* l : {rotator_state_, rig_state_, pointing_, frequencies_})
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);

  auto* form = new QFormLayout;
  form->addRow("Station", station_);
  form->addRow("rotctld (host:port)", rotator_address_);
  form->addRow("rigctld (host:port)", rig_address_);
  form->addRow(doppler_);
  form->addRow("Doppler mode", mode_);
  form->addRow("Sky frequency, MHz", sky_mhz_);
  form->addRow("Transverter offset, MHz", lo_mhz_);
  form->addRow("Rig step", step_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(connect_);
  layout->addWidget(message_);
  layout->addWidget(rotator_state_);
  layout->addWidget(pointing_);
  layout->addWidget(rig_state_);
  layout->addWidget(frequencies_);
  layout->addStretch();
  Show();
}

StationControlPanel::~StationControlPanel() {
  // The rotator stops where it is: the stop goes out now, its answer is not
  // waited for.
  if (control_) {
    control_->Halt(now_utc_s_());
    const double now = monotonic_.elapsed() / 1000.0;
    control_->Step(now, now_utc_s_());
  }
}

void StationControlPanel::ConnectButtonClick() {
  if (control_) {
    Disconnect();
    return;
  }
  ControlSettings s;
  s.stations = stations_();
  s.at_dx = station_->currentIndex() == 1;
  const auto endpoint = [&](QLineEdit* edit, const char* what) -> std::optional<Endpoint> {
    const QString text = edit->text().trimmed();
    if (text.isEmpty()) return std::nullopt;
    auto e = ParseEndpoint(text.toStdString());
    if (!e) emit problem(QString("Bad %1 address \"%2\": give HOST:PORT").arg(what, text));
    return e;
  };
  s.rotator = endpoint(rotator_address_, "rotctld");
  s.doppler = doppler_->isChecked();
  if (s.doppler) s.rig = endpoint(rig_address_, "rigctld");
  if (!s.rotator && !s.rig) {
    message_->setText("Give rotctld's address, or rigctld's with Doppler control on.");
    return;
  }
  s.mode = static_cast<DopplerMode>(mode_->currentData().toInt());
  s.sky_hz = sky_mhz_->value() * 1e6;
  s.lo_hz = lo_mhz_->value() * 1e6;
  s.step_hz = step_->currentData().toInt();
  if (s.doppler && s.sky_hz <= s.lo_hz) {
    message_->setText("The transverter offset must be below the sky frequency.");
    return;
  }
  message_->clear();
  control_ = std::make_unique<StationControl>(s, MakeTcpTransport(), MakeTcpTransport());
  control_->Start(monotonic_.elapsed() / 1000.0);
  stopping_ = false;
  connect_->setText("Disconnect");
  for (QWidget* w : std::initializer_list<QWidget*>{station_, rotator_address_, rig_address_,
                                                    doppler_, mode_, sky_mhz_, lo_mhz_, step_})
    w->setEnabled(false);
  timer_->start();
  TimerTick();
}

void StationControlPanel::Disconnect() {
  if (!control_ || stopping_) return;
  control_->Halt(now_utc_s_());
  stopping_ = true;
  stop_deadline_s_ = monotonic_.elapsed() / 1000.0 + kStopWaitS;
  connect_->setEnabled(false);
}

void StationControlPanel::TimerTick() {
  if (!control_) return;
  const double now = monotonic_.elapsed() / 1000.0;
  control_->Step(now, now_utc_s_());
  control_->TakeEvents();
  if (stopping_ && (control_->Settled() || now > stop_deadline_s_)) {
    control_->Stop();
    Show();
    control_.reset();
    timer_->stop();
    stopping_ = false;
    connect_->setText("Connect");
    connect_->setEnabled(true);
    for (QWidget* w : std::initializer_list<QWidget*>{station_, rotator_address_, rig_address_,
                                                      doppler_, mode_, sky_mhz_, lo_mhz_, step_})
      w->setEnabled(true);
    return;
  }
  Show();
}

void StationControlPanel::Show() {
  if (!control_) {
    rotator_state_->setText("rotctld: not connected");
    rig_state_->setText(doppler_->isChecked() ? "rigctld: not connected"
                                              : "rigctld: not used (Doppler control off)");
    return;
  }
  rotator_state_->setText(StateText("rotctld", control_->Rotator().Session()));
  rig_state_->setText(control_->Settings().doppler ? StateText("rigctld", control_->Rig().Session())
                                                   : "rigctld: not used (Doppler control off)");
  QString pointing;
  if (const auto& d = control_->LastDecision()) {
    pointing = "Moon " + Degrees(d->moon);
    if (d->waiting_for_rise) pointing += " (below the minimum: waiting at the rising point)";
  }
  if (const auto& c = control_->Rotator().Commanded()) pointing += "\nCommanded " + Degrees(*c);
  if (const auto& r = control_->Rotator().Reported()) pointing += "\nReported " + Degrees(*r);
  pointing_->setText(pointing);
  QString frequencies;
  const RigSent& sent = control_->Rig().Sent();
  if (sent.rx_hz && sent.tx_hz)
    frequencies = QString("Sent RX %1 Hz, TX %2 Hz (split on)").arg(*sent.rx_hz).arg(*sent.tx_hz);
  frequencies_->setText(frequencies);
}

QString StationControlPanel::RotatorState() const {
  return rotator_state_->text();
}
QString StationControlPanel::RigState() const {
  return rig_state_->text();
}
QString StationControlPanel::Pointing() const {
  return pointing_->text();
}
QString StationControlPanel::Frequencies() const {
  return frequencies_->text();
}

}  // namespace quillmere
