#pragma once
// Reading and writing the default data file, and the record buffer that both
// use. The file is a headerless sequence of 288-byte records of which the
// last whole one counts; saving replaces the file with exactly one record.

#include <cstddef>
#include <filesystem>
#include <string>

#include "data_record.h"

namespace quillmere {

// The default data file's name in the current directory.
inline constexpr const char* kDataFileName = "Quillmere.dat";

struct ReadResult {
  enum class Status {
    kOk,          // the file was read to its end
    kNotFound,    // no file of that name
    kCannotOpen,  // it exists but cannot be opened for reading (access, a folder, ...)
    kReadError,   // the system failed part-way through reading
  };
  Status status = Status::kOk;
  std::size_t records_read = 0;  // whole records read, also before a read error
  std::string reason;            // the system's text for the failure; empty when ok
  std::string message;           // names the file and the reason; empty when ok

  bool ok() const { return status == Status::kOk; }
};

struct WriteResult {
  bool ok = true;
  std::string reason;   // the system's text for the failure; empty when ok
  std::string message;  // names the file and the reason; empty when ok
};

// Reads every whole record of the file at path into buffer, in turn, so the
// buffer ends with the last one. The file is opened for reading only, so a
// read-only file loads. A tail shorter than a record is never read, and an
// empty file leaves the buffer as it was. After a read error the buffer holds
// the last whole record read before it. Never throws; the bytes are not
// judged here (see OutOfRangeFields).
ReadResult ReadDataFile(const std::filesystem::path& path, DataRecord& buffer);

// Replaces the file at path with the one record given. The record goes to a
// new file beside it, is flushed to the disk, and only then is renamed over
// the old file, so a failure at any step (no room, no access, the name taken
// by a folder) leaves the stored defaults exactly as they were and removes
// the new file. The old file's permission bits are kept.
WriteResult WriteDataFile(const std::filesystem::path& path, const DataRecord& record);

// The one record buffer of the data file: zero at start, then the last record
// read or written. It carries what the fields do not cover (the reserved bytes
// at offset 110, the bytes after the short strings' texts) from a load into
// the next save.
class RecordBuffer {
 public:
  const DataRecord& record() const { return record_; }
  DataRecord& record() { return record_; }

  // Reads the file into the buffer (see ReadDataFile).
  ReadResult Load(const std::filesystem::path& path);

  // Encodes fields over the buffer's bytes and writes the result as the
  // file's only record. The buffer takes the new record once it is written;
  // a failed save leaves it as it was.
  WriteResult Save(const std::filesystem::path& path, const PersistedFields& fields);

 private:
  DataRecord record_{};
};

// The buffer the program uses, created zeroed on first use.
RecordBuffer& ProcessRecordBuffer();

}  // namespace quillmere
