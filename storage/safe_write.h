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
//    the new contents (see below for how a record is kept whole);
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
// file is overwritten in place and cut to the new length.
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

// The name a save of path gives its new file while it is being put in place.
std::string TemporaryName(const std::filesystem::path& path, long pid, unsigned serial);

}  // namespace quillmere
