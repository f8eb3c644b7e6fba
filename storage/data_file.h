#pragma once
// Reading and writing the default data file, and the record buffer that both
// use. The file is a headerless sequence of 288-byte records of which the
// last whole one counts; saving replaces the file with exactly one record.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "data_record.h"
#include "safe_write.h"

namespace quillmere {

// The default data file's name in the current directory.
inline constexpr const char* kDataFileName = "Quillmere.dat";

struct ReadResult {
  enum class Status {
    kOk,          // the file was read to its end
    kNotFound,    // no file of that name
    kCannotOpen,  // it exists but cannot be opened for reading (access, a loop of links, ...)
    kNotRegular,  // a folder, FIFO, socket or device (or a link to one): never read
    kReadError,   // the system failed part-way through reading
    kNoRecord,    // empty, or shorter than one record: nothing to load
  };
  Status status = Status::kOk;
  std::size_t records_read = 0;  // whole records in the file (the last one was read)
  std::uint64_t size = 0;        // the file's size in bytes, when it was opened
  std::string reason;            // the system's text for the failure; empty when ok
  std::string message;           // names the file and the reason; empty when ok

  bool ok() const { return status == Status::kOk; }
};

struct WriteResult {
  bool ok = true;
  SaveOutcome::Fault fault = SaveOutcome::Fault::kNone;  // the folder, the file or the writing
  std::string reason;   // the system's text for the failure; empty when ok
  std::string message;  // names the file and the reason; empty when ok
};

// Reads the last whole record of the file at path into buffer: the file's
// meaning, as every record before it is overwritten by the next. Only that
// record is read, so any size loads in the same short time. The file is
// opened for reading only and without blocking, so a read-only file loads
// and a FIFO cannot stall the program; anything but a regular file is
// refused. A tail shorter than a record is never read; a file without a
// whole record (empty or short) is a failure, kNoRecord, and leaves the
// buffer as it was, as does any failure. Never
// throws; the bytes are not judged here (see OutOfRangeFields).
ReadResult ReadDataFile(const std::filesystem::path& path, DataRecord& buffer);

// Replaces the file at path with the one record given, through the one
// writer (safe_write.h): links followed, anything but a regular file and a
// write-protected file left alone, the new record visible whole or not at
// all, a failure at any step leaving the stored defaults exactly as they
// were. The old file's permission bits are kept.
WriteResult WriteDataFile(const std::filesystem::path& path, const DataRecord& record);

// The one record buffer of the data file: zero at start, then the last record
// read or written. It carries what the fields do not cover (the reserved bytes
// at offset 110, the bytes after the short strings' texts) from a load into
// the next save.
class RecordBuffer {
 public:
  const DataRecord& record() const { return record_; }
  DataRecord& record() { return record_; }

  // Reads the file into the buffer (see ReadDataFile), and remembers when a
  // file that exists could not be read.
  ReadResult Load(const std::filesystem::path& path);

  // Encodes fields over the buffer's bytes and writes the result as the
  // file's only record. The buffer takes the new record once it is written;
  // a failed save leaves it as it was. A file whose last load failed for
  // any reason but its absence is not replaced: the user never saw what it
  // holds, and the buffer does not hold it either. An empty file holds
  // nothing to lose and is replaced.
  WriteResult Save(const std::filesystem::path& path, const PersistedFields& fields);

 private:
  DataRecord record_{};
  std::filesystem::path unread_;  // the file whose last load failed, if any
  std::string unread_reason_;
};

// The buffer the program uses, created zeroed on first use.
RecordBuffer& ProcessRecordBuffer();

}  // namespace quillmere
