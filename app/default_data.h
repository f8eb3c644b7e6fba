#pragma once
// The default data file: the user's inputs saved as one 288-byte record in
// Quillmere.dat in the current folder, and read back at start, setting every
// selection control and slider so that their own change handlers run where
// the stored value differs from what the control shows.

#include <filesystem>

#include "calculator.h"
#include "data_file.h"
#include "messages.h"

namespace quillmere {

inline constexpr const char* kDataFileUpdated = "The default Data File has been updated.";
inline constexpr const char* kFileNotFound = "File not found";

// The folder the program works in: the process's current folder, read
// afresh each time, named by the bytes the system gives (which need not be
// valid UTF-8). Every file of the program is found through it; its name is
// turned into text only to be shown. Empty when the folder is gone.
std::filesystem::path StartFolder();

// The data file in StartFolder().
std::filesystem::path DefaultDataPath();

// Writes the persisted fields of the state as the file's only record
// through the one writer, so that a failure leaves the stored defaults as
// they were. A file that the start-up load could not read (other than a
// missing one) is not replaced. Tells the user the outcome.
bool SaveDefaults(const QuillmereState& state, RecordBuffer& buffer,
                  const std::filesystem::path& path, Messages& messages);

// Reads the file (every whole record, the last wins), copies its fields into
// the state, sets the controls in their fixed order, refreshes both
// stations' reference atmospheres and applies the path mode. Values that no
// version of the program writes (out of range or not finite) are not
// applied: their fields keep their values, the user is told once, and the
// file is left as it is. A file that cannot be read is reported ("File not
// found" when it is missing; otherwise the file and the reason, and such a
// file is then not replaced by a save) and changes no field. Either way the
// controls are then set from the values the state kept (at the first start
// its start values) and everything is recalculated, so that every field of
// the window shows a figure and none its design-time text. The controls are
// those of `calc`, which show themselves on its display; `display` is that
// same display, named for the callers. Saves of the file
// that were killed part-way leave a temporary file behind: those whose
// process is gone are removed first.
void LoadDefaults(Calculator& calc, Display& display, RecordBuffer& buffer,
                  const std::filesystem::path& path, Messages& messages);

}  // namespace quillmere
