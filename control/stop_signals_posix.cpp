#include <signal.h>

#include <csignal>

#include "stop_signals.h"

namespace quillmere {
namespace {

volatile std::sig_atomic_t stop_requested = 0;

void OnStop(int) {
  stop_requested = 1;
}

}  // namespace

void CatchStopSignals() {
  struct sigaction action {};
  action.sa_handler = OnStop;
  sigemptyset(&action.sa_mask);
  // No SA_RESTART: the loop's poll returns at once and sees the flag.
  action.sa_flags = 0;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

bool StopRequested() {
  return stop_requested != 0;
}

}  // namespace quillmere
