// The POSIX side of reading a file the program is handed (see
// regular_file.h): a port to another system replaces this file alone.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <utility>

#include "file_kind_posix.h"
#include "regular_file.h"

namespace quillmere {
namespace {

FileReadResult Failure(FileReadResult::Status status, std::string reason) {
  FileReadResult result;
  result.status = status;
  result.reason = std::move(reason);
  return result;
}

FileReadResult SystemFailure(FileReadResult::Status status, int error) {
  return Failure(status, std::system_category().message(error));
}

}  // namespace

RegularFile::RegularFile(RegularFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), size_(other.size_) {}

RegularFile& RegularFile::operator=(RegularFile&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = std::exchange(other.fd_, -1);
    size_ = other.size_;
  }
  return *this;
}

RegularFile::~RegularFile() {
  if (fd_ >= 0) ::close(fd_);
}

FileReadResult RegularFile::Open(const std::filesystem::path& path, std::uint64_t max_bytes,
                                 RegularFile& file) {
  file = RegularFile();
  // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer
  // for ever. It does not change how a regular file is read.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) {
    const int error = errno;
    return SystemFailure(
        error == ENOENT ? FileReadResult::Status::kNotFound : FileReadResult::Status::kCannotOpen,
        error);
  }
  RegularFile opened;
  opened.fd_ = fd;
  struct stat info {};
  if (::fstat(fd, &info) != 0) return SystemFailure(FileReadResult::Status::kCannotOpen, errno);
  if (!S_ISREG(info.st_mode))
    return Failure(FileReadResult::Status::kNotRegular, DescribeFileKind(info.st_mode));
  opened.size_ = static_cast<std::uint64_t>(info.st_size);
  if (opened.size_ > max_bytes) {
    return Failure(FileReadResult::Status::kTooLarge,
                   "is " + std::to_string(opened.size_) + " bytes, more than the " +
                       std::to_string(max_bytes) + " such a file may have");
  }
  file = std::move(opened);
  return {};
}

FileReadResult RegularFile::ReadAt(std::uint64_t offset, std::size_t count,
                                   std::uint8_t* out) const {
  while (count > 0) {
    const ssize_t n = ::pread(fd_, out, count, static_cast<off_t>(offset));
    if (n < 0) {
      if (errno == EINTR) continue;
      return SystemFailure(FileReadResult::Status::kReadError, errno);
    }
    if (n == 0) return Failure(FileReadResult::Status::kReadError, "the file ended early");
    out += n;
    offset += static_cast<std::uint64_t>(n);
    count -= static_cast<std::size_t>(n);
  }
  return {};
}

std::optional<std::uint64_t> RegularFile::CurrentSize() const {
  struct stat info {};
  if (::fstat(fd_, &info) != 0) return std::nullopt;
  return static_cast<std::uint64_t>(info.st_size);
}

FileReadResult RegularFile::ReadOnce(std::uint64_t offset, std::size_t count, std::uint8_t* out,
                                     std::size_t& got) const {
  got = 0;
  for (;;) {
    const ssize_t n = ::pread(fd_, out, count, static_cast<off_t>(offset));
    if (n >= 0) {
      got = static_cast<std::size_t>(n);
      return {};
    }
    if (errno != EINTR) return SystemFailure(FileReadResult::Status::kReadError, errno);
  }
}

FileReadResult RegularFile::ReadWholeOnce(std::size_t count, std::uint8_t* out,
                                          std::size_t& got) const {
  FileReadResult result = ReadOnce(0, count, out, got);
  if (result.ok() && CurrentSize() != got) {
    result = {FileReadResult::Status::kReadError, "the file changed while it was read"};
  }
  return result;
}

FileReadResult ReadRegularFile(const std::filesystem::path& path, std::uint64_t max_bytes,
                               std::string& contents) {
  contents.clear();
  RegularFile file;
  FileReadResult result = RegularFile::Open(path, max_bytes, file);
  if (!result.ok()) return result;
  std::string bytes(static_cast<std::size_t>(file.size()), '\0');
  result = file.ReadAt(0, bytes.size(), reinterpret_cast<std::uint8_t*>(bytes.data()));
  if (result.ok()) contents = std::move(bytes);
  return result;
}

}  // namespace quillmere
