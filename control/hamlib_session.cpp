#include "hamlib_session.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "parse_text.h"

namespace quillmere {
namespace {

// The longest reply of either daemon (\dump_state of a rig) is some 40
// lines: more is not one of its replies.
constexpr std::size_t kMaxReplyLines = 64;

}  // namespace

std::optional<Endpoint> ParseEndpoint(const std::string& text) {
  const auto colon = text.rfind(':');
  if (colon == std::string::npos || colon == 0) return std::nullopt;
  std::string host = text.substr(0, colon);
  if (host.size() > 2 && host.front() == '[' && host.back() == ']')
    host = host.substr(1, host.size() - 2);
  else if (host.find(':') != std::string::npos)
    return std::nullopt;  // an IPv6 address needs its brackets
  const auto port = ParseWholeNumber(text.substr(colon + 1));
  if (!port || *port < 1 || *port > 65535) return std::nullopt;
  return Endpoint{host, static_cast<int>(*port)};
}

std::optional<std::string> HamlibReply::Value(const std::string& label) const {
  const std::string prefix = label + ":";
  for (const std::string& line : lines) {
    if (!line.starts_with(prefix)) continue;
    std::string value = line.substr(prefix.size());
    value.erase(0, value.find_first_not_of(" \t"));
    return value;
  }
  return std::nullopt;
}

HamlibSession::HamlibSession(std::unique_ptr<LineTransport> transport, BackOff back_off)
    : transport_(std::move(transport)), back_off_(back_off) {}

void HamlibSession::Start(const Endpoint& endpoint, double now_s) {
  Stop();
  endpoint_ = endpoint;
  failures_ = 0;
  Attempt(now_s);
}

void HamlibSession::Stop() {
  transport_->Close();
  state_ = State::kStopped;
  queue_.clear();
  in_flight_.reset();
}

void HamlibSession::Attempt(double now_s) {
  std::string error;
  if (transport_->Connect(endpoint_.host, endpoint_.port, error)) {
    state_ = State::kConnecting;
    sent_at_s_ = now_s;  // the connect too has the reply's deadline
  } else {
    Fail(error, now_s);
  }
}

void HamlibSession::Fail(const std::string& why, double now_s) {
  transport_->Close();
  in_flight_.reset();
  // What was queued was meant for the daemon's state then: the client sends
  // afresh once connected again.
  queue_.clear();
  last_error_ = why;
  ++failures_;
  if (back_off_.max_attempts > 0 && failures_ >= back_off_.max_attempts) {
    state_ = State::kGaveUp;
    return;
  }
  const double wait =
      std::min(back_off_.max_s, back_off_.first_s * std::ldexp(1.0, std::min(failures_ - 1, 30)));
  next_attempt_s_ = now_s + wait;
  state_ = State::kWaiting;
}

void HamlibSession::Step(double now_s) {
  if (state_ == State::kStopped || state_ == State::kGaveUp) return;
  if (state_ == State::kWaiting) {
    if (now_s < next_attempt_s_) return;
    Attempt(now_s);
    if (state_ != State::kConnecting) return;
  }
  std::string error;
  const LineTransport::Status status = transport_->Pump(error);
  if (status == LineTransport::Status::kBroken || status == LineTransport::Status::kClosed) {
    Fail(error.empty() ? "closed" : error, now_s);
    return;
  }
  if (status == LineTransport::Status::kConnecting) {
    if (now_s - sent_at_s_ > back_off_.reply_timeout_s) Fail("no answer to the connect", now_s);
    return;
  }
  if (state_ == State::kConnecting) {
    state_ = State::kReady;
    failures_ = 0;
    last_error_.clear();
    ++connections_;
  }
  while (auto line = transport_->TakeLine()) {
    if (!in_flight_) continue;  // nothing asked: not ours to read
    if (line->starts_with("RPRT ")) {
      in_flight_->code = std::atoi(line->c_str() + 5);
      replies_.push_back(std::move(*in_flight_));
      in_flight_.reset();
    } else if (in_flight_->lines.size() >= kMaxReplyLines) {
      Fail("a reply of over 64 lines to " + in_flight_->command, now_s);
      return;
    } else {
      in_flight_->lines.push_back(std::move(*line));
    }
  }
  if (in_flight_ && now_s - sent_at_s_ > back_off_.reply_timeout_s) {
    Fail("no answer to " + in_flight_->command, now_s);
    return;
  }
  if (!in_flight_ && !queue_.empty()) {
    in_flight_ = HamlibReply{queue_.front().first, queue_.front().second, {}, 0};
    queue_.pop_front();
    transport_->Write("+" + in_flight_->command);
    sent_at_s_ = now_s;
    if (transport_->Pump(error) == LineTransport::Status::kBroken) Fail(error, now_s);
  }
}

void HamlibSession::Send(const std::string& command, int tag) {
  queue_.emplace_back(command, tag);
}

std::optional<HamlibReply> HamlibSession::TakeReply() {
  if (replies_.empty()) return std::nullopt;
  HamlibReply reply = std::move(replies_.front());
  replies_.pop_front();
  return reply;
}

const char* StateName(HamlibSession::State state) {
  switch (state) {
    case HamlibSession::State::kStopped:
      return "stopped";
    case HamlibSession::State::kConnecting:
      return "connecting";
    case HamlibSession::State::kReady:
      return "connected";
    case HamlibSession::State::kWaiting:
      return "waiting to reconnect";
    case HamlibSession::State::kGaveUp:
      return "gave up";
  }
  return "";
}

}  // namespace quillmere
