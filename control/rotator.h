#pragma once
// The rotator's side of rotctld: its limits (\dump_state) once per
// connection, its reported position (p), the commands that move it (P az
// el) and stop it (S).

#include <deque>
#include <memory>
#include <optional>
#include <string>

#include "hamlib_session.h"
#include "pointing.h"

namespace quillmere {

// Each command of a client comes back once, with what the daemon said.
struct CommandAnswer {
  int tag = 0;
  std::string command;
  std::string answer;  // "RPRT n" after the labelled lines, joined by "; "
  int code = 0;
};

// The text of a reply as a line: its values and its "RPRT n".
std::string AnswerText(const HamlibReply& reply);

class RotatorClient {
 public:
  explicit RotatorClient(std::unique_ptr<LineTransport> transport, BackOff back_off = {});

  void Start(const Endpoint& endpoint, double now_s) { session_.Start(endpoint, now_s); }
  void Stop() { session_.Stop(); }
  // Reads answers and asks for the position at most every `poll_s`.
  void Step(double now_s);

  // "P az el", tagged for its answer; refused here (false) when outside the
  // limits the rotator gave, as the daemon would refuse it.
  bool Point(const AzEl& target, int tag);
  // "S": the rotator stops where it is.
  void Halt(int tag);

  std::optional<CommandAnswer> TakeAnswer();
  // A P or S sent and not yet answered: the next target waits for it.
  bool Commanding() const { return commands_in_flight_ > 0; }

  HamlibSession& Session() { return session_; }
  // What this connection learnt; reset on a new connection (a restarted
  // daemon knows nothing of what was sent before).
  const std::optional<RotatorLimits>& Limits() const { return limits_; }
  const std::optional<AzEl>& Reported() const { return reported_; }
  const std::optional<AzEl>& Commanded() const { return commanded_; }
  double poll_s = 1.0;

 private:
  HamlibSession session_;
  int connection_seen_ = 0;
  double last_poll_s_ = -1e300;
  bool poll_pending_ = false;
  int commands_in_flight_ = 0;
  std::optional<RotatorLimits> limits_;
  std::optional<AzEl> reported_, commanded_;
  std::deque<CommandAnswer> answers_;
};

}  // namespace quillmere
