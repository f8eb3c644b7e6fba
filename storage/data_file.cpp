#include "data_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <system_error>

namespace quillmere {
namespace {

std::string Reason(int error) {
  return std::system_category().message(error);
}

ReadResult ReadFailure(ReadResult::Status status, const std::filesystem::path& path, int error,
                       std::size_t records_read) {
  ReadResult result;
  result.status = status;
  result.records_read = records_read;
  result.reason = Reason(error);
  result.message = "Could not read " + path.string() + ": " + result.reason;
  return result;
}

WriteResult WriteFailure(const std::filesystem::path& path, int error) {
  WriteResult result;
  result.ok = false;
  result.reason = Reason(error);
  result.message = "Could not save " + path.string() + ": " + result.reason;
  return result;
}

// Closes the descriptor on every way out.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  // Closes now and reports the system's error, as a delayed write may fail here.
  int Close() {
    const int rc = ::close(fd_);
    fd_ = -1;
    return rc == 0 ? 0 : errno;
  }

 private:
  int fd_;
};

// Writes all of [data, data + size), resuming after interruptions and short
// writes. Returns 0 or the system's error.
int WriteAll(int fd, const std::uint8_t* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return 0;
}

// Creates a new file of a name nobody uses, beside the target, readable and
// writable as the process's file-creation mask allows.
int CreateTemporaryBeside(const std::filesystem::path& target, std::filesystem::path& created,
                          int& error) {
  static unsigned serial = 0;
  const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : ".";
  const std::string stem = "." + target.filename().string() + "." + std::to_string(::getpid());
  for (int attempt = 0; attempt < 100; ++attempt) {
    created = folder / (stem + "-" + std::to_string(serial++) + ".tmp");
    const int fd = ::open(created.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) return fd;
    if (errno != EEXIST) break;
  }
  error = errno;
  return -1;
}

// Makes a rename in the folder survive a power cut. Best effort: the new file
// is complete and in place whether or not this succeeds.
void SyncFolderOf(const std::filesystem::path& target) {
  const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : ".";
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

ReadResult ReadDataFile(const std::filesystem::path& path, DataRecord& buffer) {
  // Reading only: a read-only or shared file must still load.
  FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (file.get() < 0) {
    const int error = errno;
    return ReadFailure(
        error == ENOENT ? ReadResult::Status::kNotFound : ReadResult::Status::kCannotOpen, path,
        error, 0);
  }
  struct stat info {};
  if (::fstat(file.get(), &info) == 0 && S_ISDIR(info.st_mode)) {
    return ReadFailure(ReadResult::Status::kCannotOpen, path, EISDIR, 0);
  }

  DataRecord next;
  std::size_t filled = 0;
  std::size_t records = 0;
  for (;;) {
    const ssize_t n = ::read(file.get(), next.bytes.data() + filled, kRecordSize - filled);
    if (n < 0) {
      if (errno == EINTR) continue;
      return ReadFailure(ReadResult::Status::kReadError, path, errno, records);
    }
    if (n == 0) break;  // end of file; a part record left in `next` is dropped
    filled += static_cast<std::size_t>(n);
    if (filled == kRecordSize) {
      buffer = next;
      ++records;
      filled = 0;
    }
  }
  ReadResult result;
  result.records_read = records;
  return result;
}

WriteResult WriteDataFile(const std::filesystem::path& path, const DataRecord& record) {
  std::filesystem::path temporary;
  int error = 0;
  FileDescriptor file(CreateTemporaryBeside(path, temporary, error));
  if (file.get() < 0) return WriteFailure(path, error);

  // Keep the access the user gave the old file.
  struct stat old {};
  if (::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
    ::fchmod(file.get(), old.st_mode & 07777);
  }

  error = WriteAll(file.get(), record.bytes.data(), record.bytes.size());
  if (error == 0 && ::fsync(file.get()) != 0) error = errno;
  if (error == 0) {
    error = file.Close();
  }
  if (error == 0 && ::rename(temporary.c_str(), path.c_str()) != 0) error = errno;
  if (error != 0) {
    ::unlink(temporary.c_str());
    return WriteFailure(path, error);
  }
  SyncFolderOf(path);
  return {};
}

ReadResult RecordBuffer::Load(const std::filesystem::path& path) {
  return ReadDataFile(path, record_);
}

WriteResult RecordBuffer::Save(const std::filesystem::path& path, const PersistedFields& fields) {
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
