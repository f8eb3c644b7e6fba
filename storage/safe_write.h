#pragma once
// Writing the files the program keeps: the default data file and the window
// placement. One writer for both, so that each save behaves the same way
// whatever lies under the file's name:
//  - a symbolic link is followed to its target, which is replaced; the link
//    stays a link;
//  - a folder, FIFO, socket or device is never written;
//  - a file nobody may write (no write permission for us; for the
//    superuser, no write bit at all) keeps its bytes: protecting a file
//    protects it;
//  - a file with several hard links is updated in place, so every name sees
//    the new contents (see below for how a record or a text is kept whole),
//    under the file's lock, so that two saves of it take turns;
//  - otherwise the new contents go to an unnamed file in the same folder,
//    flushed to the disk and only then given the file's name, so the name
//    shows the old contents or the new, never a part;
//  - a failure says whether the folder, the file or the writing was at
//    fault, and leaves the old contents and no new file behind.
// The system calls live in safe_write_posix.cpp alone.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace quillmere {

struct SaveOutcome {
  enum class Fault {
    kNone,
    kFolder,   // the folder cannot take a new file or a rename
    kFile,     // write-protected, not a file, a loop of links, not read at start
    kWriting,  // writing or flushing failed (full disk, size limit, I/O error)
  };
  Fault fault = Fault::kNone;
  std::string reason;   // the system's text or what is wrong; empty when ok
  std::string message;  // "Could not save <file>: ..." naming the culprit; empty when ok

  bool ok() const { return fault == Fault::kNone; }
};

// Replaces the contents of the file at path with `contents`.
//
// record_size > 0 says the file is a sequence of records of that size of
// which the last whole one counts, and `contents` is one record. A
// hard-linked file is then updated so that a reader never meets a torn
// record: the record is first added after the last whole one (a reader
// still takes the old one until it is complete), then written at the start,
// and the file cut to that one record. With record_size 0 a hard-linked
// file is a text (without NUL bytes): the new text is added after the old
// one, behind a NUL byte and with a trailer that vouches for it, then
// written at the front, and the file cut to it, so that a reader of
// text_file.h takes the old text or the new one at every moment, also after
// the save is killed at any point (see text_file.h).
SaveOutcome ReplaceFileContents(const std::filesystem::path& path, std::string_view contents,
                                std::size_t record_size = 0);

// The outcome for a file that exists but could not be read when the program
// started: it is not replaced, since its contents were never seen.
SaveOutcome NotReadAtStart(const std::filesystem::path& path, const std::string& reason);

// Removes what saves of the file at path left behind when they were
// interrupted between naming their new file and renaming it (the process
// killed): files named ".<name>.<pid>-<n>.tmp" beside it whose process is
// gone. Returns how many were removed.
int RemoveStaleTemporaries(const std::filesystem::path& path);

// Completes a save of the text file at path that was killed after it had
// added its new text whole but before it cut the file to it, so that other
// programs too see the text alone; a file without such a text is left as it
// is. Returns whether it completed one.
bool FinishInterruptedTextSave(const std::filesystem::path& path);

// The steps of an in-place save of a text file, and a hook called after
// each, so that a test can stop the process there.
enum class SaveStep {
  kLocked,        // the file's lock taken, nothing written yet
  kNewTextAdded,  // the new text and its trailer after the old text
  kFrontWritten,  // the new text also at the front, the file not yet cut
};
using SaveStepHook = void (*)(SaveStep step);
void SetSaveStepHookForTesting(SaveStepHook hook);

// The name a save of path gives its new file while it is being put in place.
std::string TemporaryName(const std::filesystem::path& path, long pid, unsigned serial);

}  // namespace quillmere
