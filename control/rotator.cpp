#include "rotator.h"

#include <cstdio>

#include "parse_text.h"

namespace quillmere {

std::string AnswerText(const HamlibReply& reply) {
  std::string text;
  // The first line names the command and echoes its arguments ("set_pos:
  // 10 10"): what follows it is the answer.
  for (std::size_t i = 1; i < reply.lines.size(); ++i) text += reply.lines[i] + "; ";
  return text + "RPRT " + std::to_string(reply.code);
}

RotatorClient::RotatorClient(std::unique_ptr<LineTransport> transport, BackOff back_off)
    : session_(std::move(transport), back_off) {}

namespace {
std::optional<double> NumberAfter(const HamlibReply& reply, const char* label) {
  const auto text = reply.Value(label);
  return text ? ParseNumber(*text) : std::nullopt;
}
}  // namespace

void RotatorClient::Step(double now_s) {
  session_.Step(now_s);
  if (session_.GetState() != HamlibSession::State::kReady) {
    poll_pending_ = false;
    commands_in_flight_ = 0;
    return;
  }
  if (session_.Connections() != connection_seen_) {
    connection_seen_ = session_.Connections();
    limits_.reset();
    reported_.reset();
    commanded_.reset();
    session_.Send("\\dump_state");
  }
  while (auto reply = session_.TakeReply()) {
    if (reply->command == "\\dump_state") {
      RotatorLimits l;
      const auto min_az = NumberAfter(*reply, "Minimum Azimuth");
      const auto max_az = NumberAfter(*reply, "Maximum Azimuth");
      const auto min_el = NumberAfter(*reply, "Minimum Elevation");
      const auto max_el = NumberAfter(*reply, "Maximum Elevation");
      // A rotator that gives no limits is taken as turning 0..360 and 0..90.
      l.min_az_deg = min_az.value_or(0.0);
      l.max_az_deg = max_az.value_or(360.0);
      l.min_el_deg = min_el.value_or(0.0);
      l.max_el_deg = max_el.value_or(90.0);
      // Limits no rotator has (inverted, or beyond two turns) are not
      // trusted: the plain half-sphere instead.
      if (!(l.min_az_deg >= -360.0 && l.max_az_deg <= 720.0 && l.min_az_deg < l.max_az_deg &&
            l.min_el_deg >= -90.0 && l.max_el_deg <= 180.0 && l.min_el_deg < l.max_el_deg))
        l = {0.0, 360.0, 0.0, 90.0};
      limits_ = l;
    } else if (reply->command == "p") {
      poll_pending_ = false;
      const auto az = NumberAfter(*reply, "Azimuth");
      const auto el = NumberAfter(*reply, "Elevation");
      if (reply->code == 0 && az && el) reported_ = AzEl{*az, *el};
    } else {
      // A refused target leaves the dish where it was.
      if (reply->code < 0 && reply->command.starts_with("P ")) commanded_.reset();
      if (commands_in_flight_ > 0) --commands_in_flight_;
      answers_.push_back({reply->tag, reply->command, AnswerText(*reply), reply->code});
    }
  }
  if (!poll_pending_ && now_s - last_poll_s_ >= poll_s) {
    session_.Send("p");
    poll_pending_ = true;
    last_poll_s_ = now_s;
  }
}

bool RotatorClient::Point(const AzEl& target, int tag) {
  if (limits_ && (target.az_deg < limits_->min_az_deg || target.az_deg > limits_->max_az_deg ||
                  target.el_deg < limits_->min_el_deg || target.el_deg > limits_->max_el_deg))
    return false;
  char command[64];
  std::snprintf(command, sizeof command, "P %.2f %.2f", target.az_deg, target.el_deg);
  session_.Send(command, tag);
  ++commands_in_flight_;
  commanded_ = target;
  return true;
}

void RotatorClient::Halt(int tag) {
  session_.Send("S", tag);
  ++commands_in_flight_;
  commanded_.reset();
}

std::optional<CommandAnswer> RotatorClient::TakeAnswer() {
  if (answers_.empty()) return std::nullopt;
  CommandAnswer a = std::move(answers_.front());
  answers_.pop_front();
  return a;
}

}  // namespace quillmere
