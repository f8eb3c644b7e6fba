#pragma once
// Signals the program's entry points set up before anything else runs.

namespace quillmere {

// A write past the file-size limit (ulimit -f) raises SIGXFSZ, whose default
// action ends the process at once: no message, unsaved inputs lost. Ignored,
// the write fails with EFBIG instead and the save says so, as for a full
// disk. Called first thing by every program's main.
void IgnoreFileSizeSignal();

}  // namespace quillmere
