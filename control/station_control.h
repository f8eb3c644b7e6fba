#pragma once
// Station control: the dish on the Moon through rotctld and the radio on
// the Doppler-corrected frequencies through rigctld, for one station of
// the two. The same loop runs in the planner's panel and in
// quillmere-report --control; the caller only pumps it (Step) from a timer
// or a poll loop, and nothing in it ever waits on a socket.

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "moon_track.h"
#include "now.h"
#include "pointing.h"
#include "rig.h"
#include "rotator.h"

namespace quillmere {

struct ControlSettings {
  Stations stations;
  bool at_dx = false;  // the DX station's dish and rig (the modes then seen from there)
  std::optional<Endpoint> rotator, rig;
  // Doppler control is opt-in: only one program may own the rig's frequency.
  bool doppler = false;
  DopplerMode mode = DopplerMode::kNone;
  double sky_hz = 10368.1e6;  // the sked frequency
  double lo_hz = 0.0;         // transverter offset: rig dial = sky - offset
  int step_hz = 10;
  BackOff back_off;
};

// One command sent and the daemon's answer to it.
struct ControlEvent {
  double utc_s = 0.0;
  bool rig = false;                         // else the rotator
  AzEl moon;                                // the Moon from the station (refracted elevation)
  AzEl target;                              // the rotator's command
  double sky_rx_hz = 0.0, sky_tx_hz = 0.0;  // the rig's, at the sky
  long long dial_rx_hz = 0, dial_tx_hz = 0;
  std::string command, answer;
  int code = 0;
  std::optional<AzEl> reported;  // the rotator's position when answered
};
// One line of JSON: utc, daemon, the target, the command and the answer.
std::string EventJson(const ControlEvent& event, DopplerMode mode);
// And for people: "2026-12-08T06:10:00Z rotator P 123.45 12.30 -> RPRT 0".
std::string EventText(const ControlEvent& event);

class StationControl {
 public:
  // The transports are the daemons' connections (MakeTcpTransport; a test's
  // or a benchmark's own stand in for them).
  StationControl(const ControlSettings& settings, std::unique_ptr<LineTransport> rotator,
                 std::unique_ptr<LineTransport> rig);

  // Connects to the daemons given.
  void Start(double now_s);
  // Moves everything on: answers, reconnects, and once a second the
  // control cycle at `utc_s`. `now_s` is a monotonic clock.
  void Step(double now_s, double utc_s);
  // The control cycle alone: the Moon and the Doppler at `utc_s`, compared
  // with what the rotator and the rig were told, and what differs sent.
  void Cycle(double utc_s);
  // "S" to the rotator (on stop and at exit); Step on until Settled().
  void Halt(double utc_s);
  bool Settled() { return rotator_.Session().Idle() || !Connected(rotator_.Session()); }
  // Closes both connections.
  void Stop();

  std::vector<ControlEvent> TakeEvents();

  RotatorClient& Rotator() { return rotator_; }
  RigClient& Rig() { return rig_; }
  const std::optional<PointingDecision>& LastDecision() const { return decision_; }
  // The rig's frequencies at the sky and on the dial at the last cycle.
  const std::optional<ControlEvent>& LastRig() const { return last_rig_; }
  const ControlSettings& Settings() const { return settings_; }
  // Whether a daemon given has been given up on (the back-off's attempts
  // are spent).
  bool GaveUp();

  static bool Connected(HamlibSession& s) { return s.GetState() == HamlibSession::State::kReady; }

 private:
  void Collect(double utc_s);
  int Tag(ControlEvent prototype);

  ControlSettings settings_;
  RotatorClient rotator_;
  RigClient rig_;
  MoonTracker tracker_;
  Pointer pointer_;
  double last_cycle_s_ = -1e300;
  bool halted_ = false;  // the rotator was stopped: no more targets
  std::optional<PointingDecision> decision_;
  std::optional<ControlEvent> last_rig_;
  int next_tag_ = 1;
  std::map<int, ControlEvent> pending_;
  std::vector<ControlEvent> events_;
};

}  // namespace quillmere
