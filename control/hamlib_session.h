#pragma once
// One connection to a Hamlib daemon (rotctld or rigctld), kept up without
// ever waiting: commands go out one at a time in the daemon's extended
// protocol (a leading '+', so that every reply ends with "RPRT n", n < 0 an
// error), a reply is matched to its command, and a lost daemon is reached
// again after a back-off that doubles up to a ceiling.

#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "line_transport.h"

namespace quillmere {

struct Endpoint {
  std::string host = "127.0.0.1";
  int port = 0;
};
// "HOST:PORT" ("[::1]:4533" for an IPv6 address); nothing when malformed.
std::optional<Endpoint> ParseEndpoint(const std::string& text);

struct BackOff {
  double first_s = 0.5;  // the wait after the first failure
  double max_s = 8.0;    // the longest wait
  // Failed attempts in a row before giving up; 0 never gives up (the window).
  int max_attempts = 0;
  double reply_timeout_s = 5.0;  // a daemon silent this long is gone
};

struct HamlibReply {
  std::string command;             // as sent, without the '+'
  int tag = 0;                     // the caller's, given to Send
  std::vector<std::string> lines;  // the labelled lines, "RPRT n" left out
  int code = 0;                    // n of "RPRT n"
  // The value after "Label: " of the first line with that label.
  std::optional<std::string> Value(const std::string& label) const;
};

class HamlibSession {
 public:
  enum class State {
    kStopped,     // not asked to connect
    kConnecting,  // an attempt is under way
    kReady,       // connected
    kWaiting,     // the back-off after a failure
    kGaveUp,      // max_attempts failures in a row
  };

  HamlibSession(std::unique_ptr<LineTransport> transport, BackOff back_off = {});

  void Start(const Endpoint& endpoint, double now_s);
  // Closes the connection; queued commands are dropped.
  void Stop();

  // Moves everything on at monotonic time `now_s`; never waits.
  void Step(double now_s);
  // Queues a command (without '+'), sent when the ones before it are answered.
  void Send(const std::string& command, int tag = 0);
  std::optional<HamlibReply> TakeReply();

  State GetState() const { return state_; }
  // Nothing queued, nothing awaiting its reply, and connected.
  bool Idle() const { return state_ == State::kReady && !in_flight_ && queue_.empty(); }
  // Counts the connections made: a client sees a new one (and must not
  // trust what it knew of the daemon's state) when it changes.
  int Connections() const { return connections_; }
  const std::string& LastError() const { return last_error_; }
  double NextAttemptS() const { return next_attempt_s_; }
  const Endpoint& Where() const { return endpoint_; }
  LineTransport& Transport() { return *transport_; }

 private:
  void Fail(const std::string& why, double now_s);
  void Attempt(double now_s);

  std::unique_ptr<LineTransport> transport_;
  BackOff back_off_;
  Endpoint endpoint_;
  State state_ = State::kStopped;
  int failures_ = 0;
  int connections_ = 0;
  double next_attempt_s_ = 0.0;
  std::string last_error_;
  std::deque<std::pair<std::string, int>> queue_;
  std::optional<HamlibReply> in_flight_;
  double sent_at_s_ = 0.0;
  std::deque<HamlibReply> replies_;
};

const char* StateName(HamlibSession::State state);

}  // namespace quillmere
