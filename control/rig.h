#pragma once
// The rig's side of rigctld: the receive frequency (F), split on (S 1
// VFOB) and the transmit frequency on the split VFO (I), rounded to the
// rig's tuning step and sent only when they change.

#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "hamlib_session.h"
#include "rotator.h"

namespace quillmere {

// The tuning steps a rig is set to, Hz.
inline constexpr int kRigSteps[] = {1, 10, 20, 100};
bool IsRigStep(int step_hz);

// `hz` to the nearest multiple of `step_hz` (halves away from zero).
long long RoundToStep(double hz, int step_hz);

// What a rig was last told on this connection.
struct RigSent {
  bool split_on = false;
  std::optional<long long> rx_hz, tx_hz;
};

// The commands that bring a rig from `sent` to receive on `rx_hz` and
// transmit on `tx_hz` (both already on the step): split on first, as the
// transmit frequency set before it is lost, then each frequency only when
// it differs from what was sent.
std::vector<std::string> RigCommands(const RigSent& sent, long long rx_hz, long long tx_hz);

class RigClient {
 public:
  explicit RigClient(std::unique_ptr<LineTransport> transport, BackOff back_off = {});

  void Start(const Endpoint& endpoint, double now_s) { session_.Start(endpoint, now_s); }
  void Stop() { session_.Stop(); }
  void Step(double now_s);

  // Sends what RigCommands gives, tagged; nothing while the commands of the
  // last call are still unanswered (the dummy takes 40 ms for an F, a real
  // rig as long or longer), or while not connected. The number of commands
  // queued.
  int Set(long long rx_hz, long long tx_hz, int tag);

  std::optional<CommandAnswer> TakeAnswer();
  HamlibSession& Session() { return session_; }
  const RigSent& Sent() const { return sent_; }

 private:
  HamlibSession session_;
  int connection_seen_ = 0;
  RigSent sent_;
  std::deque<CommandAnswer> answers_;
};

}  // namespace quillmere
