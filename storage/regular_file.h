#pragma once
// Reading the files the program is handed: the default data file, the window
// placement, the help file and the cloud maps. Any of them may be odd or
// hostile (a FIFO, a device, a link to /dev/zero, gigabytes of junk), so a
// file is opened without blocking, judged by what was opened (a regular file,
// no larger than its kind allows) before a byte is read, and read with a
// bound. The system calls live in regular_file_posix.cpp alone.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace quillmere {

// Largest file of each kind that is read at all.
inline constexpr std::uint64_t kMaxPlacementFileBytes = 64u * 1024;
inline constexpr std::uint64_t kMaxMapFileBytes = 32u * 1024 * 1024;
inline constexpr std::uint64_t kMaxHelpFileBytes = 64u * 1024 * 1024;

struct FileReadResult {
  enum class Status {
    kOk,
    kNotFound,    // nothing of that name (or a dangling link)
    kNotRegular,  // a folder, FIFO, socket or device: never read
    kTooLarge,    // larger than the limit of its kind: not read
    kCannotOpen,  // exists but cannot be opened (access, a loop of links, ...)
    kReadError,   // the system failed part-way through reading
  };
  Status status = Status::kOk;
  std::string reason;  // why, in words ("Permission denied", "is a FIFO", ...); empty when ok

  bool ok() const { return status == Status::kOk; }
};

// A regular file opened for reading: what fstat said of it, and the open
// descriptor, closed with the object.
class RegularFile {
 public:
  RegularFile() = default;
  RegularFile(RegularFile&& other) noexcept;
  RegularFile& operator=(RegularFile&& other) noexcept;
  RegularFile(const RegularFile&) = delete;
  RegularFile& operator=(const RegularFile&) = delete;
  ~RegularFile();

  // Opens path (links followed) for reading without blocking, and accepts it
  // only when it is a regular file of at most max_bytes.
  static FileReadResult Open(const std::filesystem::path& path, std::uint64_t max_bytes,
                             RegularFile& file);

  std::uint64_t size() const { return size_; }
  // The size the file has now (it may have changed since it was opened);
  // nothing when the system cannot say.
  std::optional<std::uint64_t> CurrentSize() const;
  bool is_open() const { return fd_ >= 0; }

  // Reads exactly `count` bytes at `offset` into out, resuming after
  // interruptions; a file that shrank meanwhile is a read error.
  FileReadResult ReadAt(std::uint64_t offset, std::size_t count, std::uint8_t* out) const;
  // Reads at most `count` bytes at `offset` in one read, so that they are
  // what the file held at one moment; `got` says how many there were.
  FileReadResult ReadOnce(std::uint64_t offset, std::size_t count, std::uint8_t* out,
                          std::size_t& got) const;
  // ReadOnce from the start, up to count bytes, and a read error when the
  // file's size is not what was read: a save changed it meanwhile, and the
  // caller reads again.
  FileReadResult ReadWholeOnce(std::size_t count, std::uint8_t* out, std::size_t& got) const;

 private:
  int fd_ = -1;
  std::uint64_t size_ = 0;
};

// Reads the whole regular file at path into contents when it is at most
// max_bytes long. On failure contents is left empty.
FileReadResult ReadRegularFile(const std::filesystem::path& path, std::uint64_t max_bytes,
                               std::string& contents);

}  // namespace quillmere
