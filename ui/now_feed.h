#pragma once
// The source of the "Now" strip: the Moon, the Sun and the path for both
// stations at the current second, and the mutual windows of the next two
// weeks, planned in the background. One feed serves the planner's strip
// and its compact window alike; each is a view of it.

#include <QObject>
#include <functional>
#include <memory>

#include "background_work.h"
#include "now.h"
#include "planner_model.h"
#include "state.h"

class QTimer;

namespace quillmere {

class NowFeed : public QObject {
  Q_OBJECT

 public:
  // `now_utc_s` is the clock, POSIX seconds UTC; `offset_s` the local time's
  // offset from UTC at a moment (the system's zone by default).
  NowFeed(QObject* parent, std::function<double()> now_utc_s,
          std::function<int(double utc_s)> offset_s = {});
  ~NowFeed() override;

  // The stations, the air of the degradation and the main window's state
  // (band and weather). A change plans the windows ahead anew.
  void SetInputs(const Stations& stations, TrackAtmosphere atmosphere, const QuillmereState& state);
  // The sked (sky) frequency and how the Doppler is shared out.
  void SetSked(double sky_hz, DopplerMode mode);
  double SkyHz() const { return sky_hz_; }
  DopplerMode Mode() const { return mode_; }

  // A view of the feed came into sight (+1) or went out of it (-1). The
  // feed plans ahead and ticks only while one is in sight.
  void Watch(int change);

  // Computes the current second (the feed's timer does so at each second).
  void Tick();
  bool Ready() const { return ready_; }
  const NowState& State() const { return state_; }
  const NowLines& Lines() const { return lines_; }
  // Whether the windows ahead are known yet (the first plan takes a moment).
  bool WindowsKnown() const { return ahead_ != nullptr; }

 signals:
  void updated();

 private:
  void PlanAhead();
  void UseAir();
  void Schedule();

  std::function<double()> now_utc_s_;
  std::function<int(double)> offset_s_;
  QTimer* timer_;
  bool have_inputs_ = false;
  int watchers_ = 0;
  bool plan_wanted_ = false;  // the inputs changed while nobody watched
  Stations stations_;
  TrackAtmosphere atmosphere_ = TrackAtmosphere::kRayTraced;
  QuillmereState main_state_;
  std::vector<double> key_;  // what the plan ahead was made for
  // The sked frequency follows the band until the user gives one.
  double sky_hz_ = 10368.0e6;
  bool sky_given_ = false;
  DopplerMode mode_ = DopplerMode::kNone;
  // The windows ahead, with the air they were computed with.
  std::shared_ptr<const PlannedTrack> ahead_;
  double ahead_from_utc_s_ = 0.0;
  // The request the seconds are computed for: its air callables find each
  // station by its address in it, so it stays where it is.
  TrackRequest request_;
  MoonTracker tracker_;
  NowState state_;
  NowLines lines_;
  bool ready_ = false;
  BackgroundWork work_;
};

}  // namespace quillmere
