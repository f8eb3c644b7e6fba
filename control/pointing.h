#pragma once
// Where the dish should point and when it should move: the Moon led by half
// the tolerance so that it drifts through the beam, never below the
// station's minimum elevation or its horizon mask (the dish waits at the
// point where the Moon will rise), and the azimuth turned so that the whole
// pass fits within the rotator's limits without an unwind in the middle.

#include <optional>
#include <vector>

#include "moon_track.h"
#include "stations.h"

namespace quillmere {

// The half-power beamwidth of a dish of diameter `dish_m` at `f_hz`,
// degrees: about 70 lambda/D for the usual feed taper (3 m at 10.368 GHz:
// 0.675 degrees).
double BeamwidthDeg(double f_hz, double dish_m);
// The pointing error the dish is left with before it moves: a tenth of the
// beamwidth, which costs a few hundredths of a dB.
double ToleranceDeg(double f_hz, double dish_m);

// The angle between two directions as the beam sees it, degrees: the
// azimuth difference shrinks as cos(el) toward the zenith.
double PointingErrorDeg(double az1_deg, double el1_deg, double az2_deg, double el2_deg);

struct AzEl {
  double az_deg = 0.0;  // as the rotator takes it (may be below 0 or over 360)
  double el_deg = 0.0;
};

// What \dump_state gives; these are the dummy's.
struct RotatorLimits {
  double min_az_deg = -180.0, max_az_deg = 450.0;
  double min_el_deg = 0.0, max_el_deg = 90.0;
};

// A pass's azimuths, turned into the rotator's range as a whole: samples of
// (UTC seconds, azimuth in the rotator's terms), continuous through north.
struct AzimuthPlan {
  std::vector<double> utc_s, az_deg;
  bool fits = true;  // false: the pass spans more than the limits allow
  // The azimuth in the rotator's terms for the Moon's azimuth `az_deg`
  // (0..360) at `utc_s`: the turn closest to the plan there.
  double Map(double utc_s, double az_deg) const;
};

// The turn of a pass (its azimuths 0..360, in time order) that keeps all of
// it within `limits`, the one starting closest to `current_az_deg` when
// several do. When none does, the pass is cut where it leaves the limits.
AzimuthPlan PlanAzimuth(const std::vector<double>& utc_s, const std::vector<double>& az_deg,
                        const RotatorLimits& limits, double current_az_deg);

struct PointingDecision {
  AzEl moon;                      // the Moon now (refracted elevation), 0..360
  AzEl target;                    // where the dish should be, in the rotator's terms
  bool waiting_for_rise = false;  // the Moon is below the minimum: the rising point
  bool moon_known = true;         // false: no rise within a day, nothing to point at
  bool move = false;              // the error exceeds the tolerance: send target
  double error_deg = 0.0;         // from where the dish is (or was sent) to the Moon
};

// The pointing logic for one station's dish, kept between cycles: the plan
// of the pass under way and the next rise are worked out once, each cycle
// then costs one Moon position.
class Pointer {
 public:
  // `tolerance_deg`: ToleranceDeg of the station's dish at the band.
  Pointer(const Station& station, double tolerance_deg) : station_(station), tol_(tolerance_deg) {}

  // The decision at `utc_s` for a dish last sent to (or seen at) `dish`;
  // `tracker` is set to `utc_s` (MoonTracker::SetMoment) and left so.
  PointingDecision Decide(MoonTracker& tracker, double utc_s, const std::optional<AzEl>& dish,
                          const RotatorLimits& limits);
  double Tolerance() const { return tol_; }

 private:
  void PlanPass(MoonTracker& tracker, double from_utc_s, const RotatorLimits& limits,
                double current_az_deg);

  Station station_;
  double tol_;
  AzimuthPlan plan_;
  double plan_until_utc_s_ = -1e300;
  std::optional<double> rise_utc_s_;
  MoonSighting rise_;  // the Moon at that rise
  // The last cycle's Moon: the Moon's motion from one second to the next,
  // without asking for another moment (each costs the Earth's orbit anew).
  double previous_utc_s_ = -1e300;
  MoonSighting previous_;
  double rise_checked_until_s_ = -1e300;
};

}  // namespace quillmere
