// The POSIX side of process_signals.h.
#include <signal.h>

#include "process_signals.h"

namespace quillmere {

void IgnoreFileSizeSignal() {
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  ::sigaction(SIGXFSZ, &ignore, nullptr);
}

}  // namespace quillmere
