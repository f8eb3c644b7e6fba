#pragma once
// SIGINT and SIGTERM asking a control loop to end cleanly (the rotator
// stopped, the connections closed) rather than killing it mid-command.

namespace quillmere {

// Installs the handlers; a signal then only sets the flag.
void CatchStopSignals();
bool StopRequested();

}  // namespace quillmere
