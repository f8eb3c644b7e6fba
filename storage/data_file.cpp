#include "data_file.h"

#include <algorithm>
#include <limits>
#include <string_view>
#include <vector>

#include "regular_file.h"

namespace quillmere {
namespace {

ReadResult ReadFailure(const std::filesystem::path& path, const FileReadResult& read) {
  ReadResult result;
  switch (read.status) {
    case FileReadResult::Status::kNotFound:
      result.status = ReadResult::Status::kNotFound;
      break;
    case FileReadResult::Status::kNotRegular:
    case FileReadResult::Status::kTooLarge:
      result.status = ReadResult::Status::kNotRegular;
      break;
    case FileReadResult::Status::kReadError:
      result.status = ReadResult::Status::kReadError;
      break;
    default:
      result.status = ReadResult::Status::kCannotOpen;
      break;
  }
  result.reason = read.reason;
  // The reader's own reasons describe the file ("is a FIFO ..."); the
  // system's are phrases of their own ("Permission denied").
  const bool describes = read.status == FileReadResult::Status::kNotRegular ||
                         read.status == FileReadResult::Status::kTooLarge;
  result.message =
      "Could not read " + path.string() + ": " + (describes ? "it " : "") + read.reason;
  return result;
}

// The reads of a file that a save is changing may find it shorter or longer
// than its size said; a fresh look then finds the old record or the new one.
constexpr int kReadAttempts = 8;

// A file of up to this many records is read whole, in one read. A save into
// a hard-linked file writes the new record at the front only while the file
// holds it twice (added at the end, not yet cut back), so one read of the
// whole file either finds one record that nobody is writing or the new one
// complete at the end. Reading its size first and the record after would
// leave a moment in between for the save to start on the front. A read that
// met the cut back to one record may hold the zeros the cut leaves past the
// new end: the size then differs from what was read, and the read is taken
// again.
constexpr std::uint64_t kWholeFileRecords = 64;

}  // namespace

ReadResult ReadDataFile(const std::filesystem::path& path, DataRecord& buffer) {
  FileReadResult failure;
  for (int attempt = 0; attempt < kReadAttempts; ++attempt) {
    RegularFile file;
    // Any size: only the last record is read.
    failure = RegularFile::Open(path, std::numeric_limits<std::uint64_t>::max(), file);
    if (!failure.ok()) return ReadFailure(path, failure);
    ReadResult result;
    if (file.size() <= kWholeFileRecords * kRecordSize) {
      // Room for a record added since the size was taken.
      std::vector<std::uint8_t> bytes(static_cast<std::size_t>(file.size()) + 2 * kRecordSize);
      std::size_t got = 0;
      failure = file.ReadWholeOnce(bytes.size(), bytes.data(), got);
      if (!failure.ok()) continue;
      result.records_read = got / kRecordSize;
      result.size = got;
      // Nothing to load: the window would otherwise start on zeros it
      // never shows (0 hPa, below every limit).
      if (result.records_read == 0) {
        result.status = ReadResult::Status::kNoRecord;
        result.reason = got == 0
                            ? "it is empty"
                            : "it holds " + std::to_string(got) +
                                  " bytes, less than one record of " + std::to_string(kRecordSize);
        result.message = "Could not read " + path.string() + ": " + result.reason;
        return result;
      }
      const auto last =
          bytes.begin() + static_cast<std::ptrdiff_t>((got / kRecordSize - 1) * kRecordSize);
      std::copy(last, last + static_cast<std::ptrdiff_t>(kRecordSize), buffer.bytes.begin());
      return result;
    }
    result.records_read = static_cast<std::size_t>(file.size() / kRecordSize);
    result.size = file.size();
    DataRecord last;
    failure =
        file.ReadAt((file.size() / kRecordSize - 1) * kRecordSize, kRecordSize, last.bytes.data());
    if (failure.ok()) {
      buffer = last;
      return result;
    }
  }
  return ReadFailure(path, failure);
}

WriteResult WriteDataFile(const std::filesystem::path& path, const DataRecord& record) {
  const SaveOutcome saved = ReplaceFileContents(
      path,
      std::string_view(reinterpret_cast<const char*>(record.bytes.data()), record.bytes.size()),
      kRecordSize);
  WriteResult result;
  result.ok = saved.ok();
  result.fault = saved.fault;
  result.reason = saved.reason;
  result.message = saved.message;
  return result;
}

ReadResult RecordBuffer::Load(const std::filesystem::path& path) {
  const ReadResult result = ReadDataFile(path, record_);
  if (result.ok() || result.status == ReadResult::Status::kNotFound ||
      (result.status == ReadResult::Status::kNoRecord && result.size == 0)) {
    unread_.clear();
    unread_reason_.clear();
  } else {
    unread_ = path;
    unread_reason_ = result.reason;
  }
  return result;
}

WriteResult RecordBuffer::Save(const std::filesystem::path& path, const PersistedFields& fields) {
  if (!unread_.empty() && unread_.lexically_normal() == path.lexically_normal()) {
    const SaveOutcome refused = NotReadAtStart(path, unread_reason_);
    WriteResult result;
    result.ok = false;
    result.fault = refused.fault;
    result.reason = refused.reason;
    result.message = refused.message;
    return result;
  }
  DataRecord next = record_;
  EncodeRecord(fields, next);
  WriteResult result = WriteDataFile(path, next);
  if (result.ok) record_ = next;
  return result;
}

RecordBuffer& ProcessRecordBuffer() {
  static RecordBuffer buffer;
  return buffer;
}

}  // namespace quillmere
