#include "station_control.h"

#include <algorithm>
#include <cmath>
#include <nlohmann/json.hpp>

#include "track_columns.h"

namespace quillmere {
namespace {

// The station whose dish and rig are controlled, as "home": the Doppler
// modes are worked out from its side.
Stations OwnFirst(const ControlSettings& s) {
  return s.at_dx ? Stations{s.stations.dx, s.stations.home} : s.stations;
}

// The cycle's rate: the Doppler changes by at most a few Hz a second at the
// bands (5.4 Hz/s at 24 GHz), the Moon moves 0.004 degrees.
constexpr double kCycleS = 1.0;

double Round2(double x) {
  return std::round(x * 100.0) / 100.0;
}

}  // namespace

std::string EventJson(const ControlEvent& e, DopplerMode mode) {
  nlohmann::ordered_json j;
  j["utc"] = FormatUtc(e.utc_s);
  j["daemon"] = e.rig ? "rigctld" : "rotctld";
  if (e.rig) {
    j["target"] = {{"mode", DopplerModeName(mode)},
                   {"rx_sky_hz", std::round(e.sky_rx_hz)},
                   {"tx_sky_hz", std::round(e.sky_tx_hz)},
                   {"rx_dial_hz", e.dial_rx_hz},
                   {"tx_dial_hz", e.dial_tx_hz}};
  } else {
    j["target"] = {{"az", Round2(e.target.az_deg)}, {"el", Round2(e.target.el_deg)}};
    j["moon"] = {{"az", Round2(e.moon.az_deg)}, {"el", Round2(e.moon.el_deg)}};
    if (e.reported)
      j["reported"] = {{"az", Round2(e.reported->az_deg)}, {"el", Round2(e.reported->el_deg)}};
  }
  j["command"] = e.command;
  j["answer"] = e.answer;
  return j.dump();
}

std::string EventText(const ControlEvent& e) {
  return FormatUtc(e.utc_s) + " " + (e.rig ? "rigctld " : "rotctld ") + e.command + " -> " +
         e.answer;
}

StationControl::StationControl(const ControlSettings& settings,
                               std::unique_ptr<LineTransport> rotator,
                               std::unique_ptr<LineTransport> rig)
    : settings_(settings),
      rotator_(std::move(rotator), settings.back_off),
      rig_(std::move(rig), settings.back_off),
      pointer_(OwnFirst(settings).home,
               ToleranceDeg(settings.sky_hz, OwnFirst(settings).home.dish_diameter_m)) {}

void StationControl::Start(double now_s) {
  if (settings_.rotator) rotator_.Start(*settings_.rotator, now_s);
  if (settings_.rig && settings_.doppler) rig_.Start(*settings_.rig, now_s);
}

void StationControl::Stop() {
  rotator_.Stop();
  rig_.Stop();
}

bool StationControl::GaveUp() {
  const auto gave_up = [](HamlibSession& s) {
    return s.GetState() == HamlibSession::State::kGaveUp;
  };
  return (settings_.rotator && gave_up(rotator_.Session())) ||
         (settings_.rig && settings_.doppler && gave_up(rig_.Session()));
}

int StationControl::Tag(ControlEvent prototype) {
  const int tag = next_tag_++;
  pending_[tag] = std::move(prototype);
  return tag;
}

void StationControl::Step(double now_s, double utc_s) {
  rotator_.Step(now_s);
  rig_.Step(now_s);
  if (now_s - last_cycle_s_ >= kCycleS) {
    last_cycle_s_ = now_s;
    Cycle(utc_s);
    // What the cycle queued goes out now rather than at the next step.
    rotator_.Step(now_s);
    rig_.Step(now_s);
  }
  Collect(utc_s);
}

void StationControl::Cycle(double utc_s) {
  const Stations own = OwnFirst(settings_);
  // One moment a cycle: each costs the Moon and the Earth's orbit anew.
  tracker_.SetMoment(utc_s);
  if (!halted_ && Connected(rotator_.Session()) && rotator_.Limits() && !rotator_.Commanding()) {
    const std::optional<AzEl> dish =
        rotator_.Commanded() ? rotator_.Commanded() : rotator_.Reported();
    decision_ = pointer_.Decide(tracker_, utc_s, dish, *rotator_.Limits());
    if (decision_->moon_known && decision_->move) {
      ControlEvent e;
      e.utc_s = utc_s;
      e.moon = decision_->moon;
      e.target = decision_->target;
      rotator_.Point(decision_->target, Tag(e));
    }
  }
  if (settings_.doppler && Connected(rig_.Session())) {
    TrackRow row;
    row.utc_s = utc_s;
    // The Doppler reads the two sightings' range rates alone.
    row.home = tracker_.See(own.home.latitude_deg, own.home.longitude_deg, own.home.height_m);
    row.dx = tracker_.See(own.dx.latitude_deg, own.dx.longitude_deg, own.dx.height_m);
    const DialFrequencies sky =
        DopplerDial(settings_.mode, settings_.sky_hz, DopplerAt(row, settings_.sky_hz));
    ControlEvent e;
    e.utc_s = utc_s;
    e.rig = true;
    e.sky_rx_hz = sky.rx_hz;
    e.sky_tx_hz = sky.tx_hz;
    e.dial_rx_hz = RoundToStep(sky.rx_hz - settings_.lo_hz, settings_.step_hz);
    e.dial_tx_hz = RoundToStep(sky.tx_hz - settings_.lo_hz, settings_.step_hz);
    last_rig_ = e;
    if (rig_.Session().Idle()) {
      const int tag = next_tag_;
      if (rig_.Set(e.dial_rx_hz, e.dial_tx_hz, tag) > 0) Tag(e);
    }
  }
}

void StationControl::Halt(double utc_s) {
  halted_ = true;
  if (!Connected(rotator_.Session())) return;
  ControlEvent e;
  e.utc_s = utc_s;
  if (decision_) e.moon = decision_->moon;
  if (rotator_.Reported()) e.target = *rotator_.Reported();
  rotator_.Halt(Tag(e));
}

void StationControl::Collect(double utc_s) {
  const auto take = [&](CommandAnswer a) {
    const auto it = pending_.find(a.tag);
    ControlEvent e = it != pending_.end() ? it->second : ControlEvent{};
    if (it == pending_.end()) e.utc_s = utc_s;
    e.command = a.command;
    e.answer = a.answer;
    e.code = a.code;
    if (!e.rig) e.reported = rotator_.Reported();
    events_.push_back(std::move(e));
  };
  while (auto a = rotator_.TakeAnswer()) {
    const int tag = a->tag;
    take(std::move(*a));
    pending_.erase(tag);
  }
  while (auto a = rig_.TakeAnswer()) {
    const int tag = a->tag;
    take(std::move(*a));
    // The rig's few commands of one cycle share a tag: it is done with the
    // cycle's last answer.
    if (rig_.Session().Idle()) pending_.erase(tag);
  }
  // What a lost connection never answered is dropped with it.
  const bool rotator_up = Connected(rotator_.Session()), rig_up = Connected(rig_.Session());
  std::erase_if(pending_, [&](const auto& p) { return p.second.rig ? !rig_up : !rotator_up; });
}

std::vector<ControlEvent> StationControl::TakeEvents() {
  std::vector<ControlEvent> out;
  out.swap(events_);
  return out;
}

}  // namespace quillmere
