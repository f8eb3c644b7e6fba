#include "now_feed.h"

#include <QDateTime>
#include <QTimer>
#include <algorithm>
#include <cmath>

#include "track_environment.h"

namespace quillmere {
namespace {

// The windows ahead are planned anew once the oldest is this old, so that
// the strip always looks about two weeks ahead.
constexpr double kReplanS = 3600.0;
// The plan ahead's step: the windows and their best minutes come from the
// track's own minute-by-minute search whatever the rows' step.
constexpr int kAheadStepMinutes = 10;

int SystemOffsetS(double utc_s) {
  return QDateTime::fromSecsSinceEpoch(static_cast<qint64>(std::floor(utc_s))).offsetFromUtc();
}

std::vector<double> KeyOf(const Stations& stations, TrackAtmosphere atmosphere,
                          const QuillmereState& state) {
  std::vector<double> key = TrackAirKey(state, atmosphere);
  key.push_back(static_cast<double>(atmosphere));
  for (const Station* s : {&stations.home, &stations.dx}) {
    for (const double v : {s->latitude_deg, s->longitude_deg, s->height_m, s->min_elevation_deg,
                           s->dish_diameter_m, s->dish_efficiency, s->receiver_noise_k})
      key.push_back(v);
    for (const auto& point : s->horizon_mask) {
      key.push_back(point.azimuth_deg);
      key.push_back(point.elevation_deg);
    }
  }
  return key;
}

}  // namespace

NowFeed::NowFeed(QObject* parent, std::function<double()> now_utc_s,
                 std::function<int(double)> offset_s)
    : QObject(parent),
      now_utc_s_(std::move(now_utc_s)),
      offset_s_(offset_s ? std::move(offset_s) : std::function<int(double)>(&SystemOffsetS)),
      timer_(new QTimer(this)),
      work_(this, [this] { PlanAhead(); }) {
  timer_->setSingleShot(true);
  timer_->setTimerType(Qt::PreciseTimer);
  connect(timer_, &QTimer::timeout, this, [this] {
    Tick();
    Schedule();
  });
}

NowFeed::~NowFeed() = default;

void NowFeed::SetInputs(const Stations& stations, TrackAtmosphere atmosphere,
                        const QuillmereState& state) {
  std::vector<double> key = KeyOf(stations, atmosphere, state);
  const bool first = !have_inputs_;
  have_inputs_ = true;
  stations_ = stations;
  atmosphere_ = atmosphere;
  main_state_ = state;
  if (!sky_given_) sky_hz_ = static_cast<double>(state.Frequency) * 1e9;
  if (!first && key == key_) return;
  key_ = std::move(key);
  // Until the plan ahead brings its air, the seconds take the main window's
  // cosecant figures; an old plan's windows are no longer these stations'.
  ahead_.reset();
  UseAir();
  plan_wanted_ = true;
  if (watchers_ > 0) PlanAhead();
  Tick();
}

void NowFeed::Watch(int change) {
  const bool was = watchers_ > 0;
  watchers_ = std::max(0, watchers_ + change);
  if (was == (watchers_ > 0)) return;
  if (watchers_ == 0) {
    timer_->stop();
    return;
  }
  if (plan_wanted_ || (ahead_ && std::floor(now_utc_s_()) > ahead_from_utc_s_ + kReplanS))
    PlanAhead();
  Tick();
  Schedule();
}

void NowFeed::SetSked(double sky_hz, DopplerMode mode) {
  sky_given_ = sky_given_ || sky_hz != sky_hz_;
  sky_hz_ = sky_hz;
  mode_ = mode;
  Tick();
}

void NowFeed::UseAir() {
  PlannerRequest request;
  request.stations = stations_;
  request.atmosphere = atmosphere_;
  SetUpTrackRequest(request_, request, TrackEnvironmentOf(main_state_),
                    ahead_ ? ahead_->air : StationAir{});
}

void NowFeed::PlanAhead() {
  if (!have_inputs_ || work_.AgainOnceDone()) return;
  work_.Overtake();
  PlannerRequest request;
  request.stations = stations_;
  request.start_utc_s = std::floor(now_utc_s_() / 60.0) * 60.0;
  request.span_minutes = kMaxSpanMinutes;
  request.step_minutes = kAheadStepMinutes;
  request.atmosphere = atmosphere_;
  if (RequestFault(request)) return;
  plan_wanted_ = false;
  const TrackEnvironment env = TrackEnvironmentOf(main_state_);
  StationAir air = ahead_ ? ahead_->air : StationAir{};
  ahead_from_utc_s_ = request.start_utc_s;
  work_.Start([this, request, env, air](const BackgroundWork::Post& post) {
    auto planned = std::make_shared<const PlannedTrack>(PlanTrack(request, env, air));
    post(
        [this, planned] {
          ahead_ = planned;
          UseAir();
          Tick();
        },
        true);
  });
}

void NowFeed::Tick() {
  if (!have_inputs_) return;
  const double now = std::floor(now_utc_s_());
  if (!WithinTrackYears(now)) return;
  if (ahead_ && watchers_ > 0 && now > ahead_from_utc_s_ + kReplanS) PlanAhead();
  const int offset = offset_s_(now);
  static const std::vector<MutualWindow> kNone;
  // The windows in UTC, as the planner's table and a sked give them.
  state_ =
      ComputeNow(tracker_, request_, now, sky_hz_, mode_, ahead_ ? ahead_->track.windows : kNone,
                 ahead_ ? ahead_from_utc_s_ + kMaxSpanMinutes * 60.0 : now, 0);
  if (!ahead_) state_.window_text = "Looking for the windows of the next 14 days\u2026";
  lines_ = LinesOf(state_, offset);
  ready_ = true;
  emit updated();
}

void NowFeed::Schedule() {
  // Just after the next whole second, so that each tick shows a new one.
  const double now = now_utc_s_();
  const int ms = static_cast<int>(std::ceil((std::floor(now) + 1.0 - now) * 1000.0)) + 5;
  timer_->start(std::clamp(ms, 5, 1005));
}

}  // namespace quillmere
