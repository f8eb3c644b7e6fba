#include "rig.h"

#include <algorithm>
#include <cmath>

namespace quillmere {

bool IsRigStep(int step_hz) {
  return std::find(std::begin(kRigSteps), std::end(kRigSteps), step_hz) != std::end(kRigSteps);
}

long long RoundToStep(double hz, int step_hz) {
  return std::llround(hz / step_hz) * step_hz;
}

std::vector<std::string> RigCommands(const RigSent& sent, long long rx_hz, long long tx_hz) {
  std::vector<std::string> commands;
  if (!sent.split_on) commands.push_back("S 1 VFOB");
  if (sent.rx_hz != rx_hz) commands.push_back("F " + std::to_string(rx_hz));
  if (sent.tx_hz != tx_hz || !sent.split_on) commands.push_back("I " + std::to_string(tx_hz));
  return commands;
}

RigClient::RigClient(std::unique_ptr<LineTransport> transport, BackOff back_off)
    : session_(std::move(transport), back_off) {}

void RigClient::Step(double now_s) {
  session_.Step(now_s);
  if (session_.GetState() != HamlibSession::State::kReady) return;
  if (session_.Connections() != connection_seen_) {
    // rigctld keeps the rig's state between connections, and another
    // program may have changed it meanwhile: tell it everything again.
    connection_seen_ = session_.Connections();
    sent_ = {};
  }
  while (auto reply = session_.TakeReply()) {
    // A refused command is sent again at the next second.
    if (reply->code < 0) {
      if (reply->command.starts_with("S ")) sent_.split_on = false;
      if (reply->command.starts_with("F ")) sent_.rx_hz.reset();
      if (reply->command.starts_with("I ")) sent_.tx_hz.reset();
    }
    answers_.push_back({reply->tag, reply->command, AnswerText(*reply), reply->code});
  }
}

int RigClient::Set(long long rx_hz, long long tx_hz, int tag) {
  if (!session_.Idle()) return 0;
  const std::vector<std::string> commands = RigCommands(sent_, rx_hz, tx_hz);
  for (const std::string& c : commands) session_.Send(c, tag);
  if (!commands.empty()) sent_ = {true, rx_hz, tx_hz};
  return static_cast<int>(commands.size());
}

std::optional<CommandAnswer> RigClient::TakeAnswer() {
  if (answers_.empty()) return std::nullopt;
  CommandAnswer a = std::move(answers_.front());
  answers_.pop_front();
  return a;
}

}  // namespace quillmere
