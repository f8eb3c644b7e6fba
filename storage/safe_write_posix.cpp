// The POSIX side of saving a file the program keeps (see safe_write.h): a
// port to another system replaces this file alone.
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <string>
#include <system_error>
#include <vector>

#include "file_kind_posix.h"
#include "safe_write.h"
#include "text_file.h"

namespace quillmere {
namespace {

namespace fs = std::filesystem;

std::string SystemText(int error) {
  return std::system_category().message(error);
}

// The file as the user named it, and where its link leads when it is one.
std::string Named(const fs::path& path, const fs::path& target) {
  if (target == path) return path.string();
  return path.string() + " (a link to " + target.string() + ")";
}

fs::path FolderOf(const fs::path& target) {
  if (target.has_parent_path()) return target.parent_path();
  std::error_code ignored;
  const fs::path current = fs::current_path(ignored);
  return current.empty() ? fs::path(".") : current;
}

SaveOutcome Outcome(SaveOutcome::Fault fault, std::string reason, std::string message) {
  SaveOutcome out;
  out.fault = fault;
  out.reason = std::move(reason);
  out.message = std::move(message);
  return out;
}

SaveOutcome FolderFault(const fs::path& path, const fs::path& target, int error) {
  return Outcome(SaveOutcome::Fault::kFolder, SystemText(error),
                 "Could not save " + Named(path, target) + ": the folder " +
                     FolderOf(target).string() + " cannot be written (" + SystemText(error) + ")");
}

SaveOutcome FileFault(const fs::path& path, const fs::path& target, const std::string& reason,
                      const std::string& what) {
  return Outcome(SaveOutcome::Fault::kFile, reason,
                 "Could not save " + Named(path, target) + ": " + what);
}

SaveOutcome WritingFault(const fs::path& path, const fs::path& target, int error) {
  return Outcome(SaveOutcome::Fault::kWriting, SystemText(error),
                 "Could not save " + Named(path, target) + ": writing it failed (" +
                     SystemText(error) + "); the file was left as it was");
}

// A full disk or a size limit is the writing's fault, not the folder's.
bool IsWritingError(int error) {
  return error == ENOSPC || error == EDQUOT || error == EFBIG || error == EIO;
}

// Writes all of [data, data + size) at offset, resuming after interruptions
// and short writes. Returns 0 or the system's error.
int WriteAllAt(int fd, const char* data, std::size_t size, off_t offset) {
  while (size > 0) {
    const ssize_t n = ::pwrite(fd, data, size, offset);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (n == 0) return EIO;
    data += n;
    offset += n;
    size -= static_cast<std::size_t>(n);
  }
  return 0;
}

int Sync(int fd) {
  while (::fsync(fd) != 0) {
    if (errno != EINTR) return errno;
  }
  return 0;
}

// Closes the descriptor on every way out.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  ~Descriptor() {
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

// Follows symbolic links from path to the name that holds the contents, as
// open() would. `exists` tells whether that name is taken; info is its lstat.
int ResolveLinks(fs::path path, fs::path& target, struct stat& info, bool& exists) {
  for (int hops = 0; hops <= 40; ++hops) {
    if (::lstat(path.c_str(), &info) != 0) {
      const int error = errno;
      if (error != ENOENT) return error;
      target = path;
      exists = false;
      return 0;
    }
    if (!S_ISLNK(info.st_mode)) {
      target = path;
      exists = true;
      return 0;
    }
    std::vector<char> link(PATH_MAX + 1);
    const ssize_t n = ::readlink(path.c_str(), link.data(), link.size());
    if (n < 0) return errno;
    if (static_cast<std::size_t>(n) >= link.size()) return ENAMETOOLONG;
    const fs::path next(std::string(link.data(), static_cast<std::size_t>(n)));
    path = next.is_absolute() ? next : path.parent_path() / next;
  }
  return ELOOP;
}

// Why the existing regular file at target may not be written, or empty. The
// superuser may write any file, so for it a file without a single write bit
// counts as protected: that is how a user protects a file from everyone.
std::string WriteProtection(const fs::path& target, const struct stat& info) {
  if (::geteuid() == 0 && (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
    return "no one has permission to write it";
  }
  if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) {
    const int error = errno;
    if (error == EACCES || error == EPERM || error == EROFS || error == ETXTBSY) {
      return SystemText(error);
    }
  }
  return {};
}

std::atomic<unsigned> serial{0};

SaveStepHook step_hook = nullptr;

void Step(SaveStep step) {
  if (step_hook != nullptr) step_hook(step);
}

// How long a save waits for another save of the same file to finish: far
// longer than a save of a small file takes, short enough that a process
// stopped while it saved cannot hang ours.
constexpr int kLockWaitMs = 5000;

// Takes the file's lock (shared by all its names), so that saves of it by
// two windows or two processes take turns. 0, or the system's error.
int LockFile(int fd) {
  for (int waited = 0;; ++waited) {
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return 0;
    if (errno == EINTR) continue;
    if (errno != EWOULDBLOCK || waited >= kLockWaitMs) return errno;
    const timespec millisecond{0, 1000 * 1000};
    ::nanosleep(&millisecond, nullptr);
  }
}

// Puts `text` in place of the text of the open, locked file: added with its
// trailer after what the file holds (so a reader still takes the old text
// until the new one is whole), written at the front, and the file cut to it
// (text_file.h). At every step the file reads as the old text or the new.
int WriteTextInPlace(int fd, off_t old_size, std::string_view text) {
  const auto length = static_cast<off_t>(text.size());
  // Past the end of the new text too, so that writing the front never
  // touches it; a gap reads as NUL bytes, which end the old text.
  const off_t pending_at = std::max(old_size, length);
  const std::string block = PendingTextBlock(text);
  int error = WriteAllAt(fd, block.data(), block.size(), pending_at);
  if (error == 0) error = Sync(fd);
  if (error != 0) {
    // A partial block no reader takes; cut it off.
    (void)::ftruncate(fd, old_size);
    return error;
  }
  Step(SaveStep::kNewTextAdded);
  error = WriteAllAt(fd, text.data(), text.size(), 0);
  if (error == 0) error = Sync(fd);
  if (error != 0) return error;
  Step(SaveStep::kFrontWritten);
  if (::ftruncate(fd, length) != 0) return errno;
  return Sync(fd);
}

// Updates a file that has other hard links where it is, so every name sees
// the new contents.
SaveOutcome UpdateInPlace(const fs::path& path, const fs::path& target, const struct stat& seen,
                          std::string_view contents, std::size_t record_size) {
  Descriptor file(
      ::open(target.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (file.get() < 0) {
    const int error = errno;
    return FileFault(path, target, SystemText(error),
                     "the file cannot be written (" + SystemText(error) + ")");
  }
  struct stat info {};
  if (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_dev != seen.st_dev ||
      info.st_ino != seen.st_ino) {
    return FileFault(path, target, "it changed while it was being saved",
                     "the file changed while it was being saved; nothing was written");
  }
  if (const int error = LockFile(file.get()); error != 0) {
    return FileFault(
        path, target, SystemText(error),
        "another save of the file did not finish (" + SystemText(error) + "); nothing was written");
  }
  Step(SaveStep::kLocked);
  // The size under the lock: another save may have changed it.
  if (::fstat(file.get(), &info) != 0) return WritingFault(path, target, errno);
  const off_t old_size = info.st_size;
  const auto length = static_cast<off_t>(contents.size());
  int error = 0;
  if (record_size > 0) {
    // Readers take the last whole record: the new one, added after the
    // last whole one, counts only once it is complete. Then it goes to the
    // front and the file is cut to it, and at every moment the last whole
    // record is either the old one or the new one.
    const off_t end = old_size - old_size % static_cast<off_t>(record_size);
    error = WriteAllAt(file.get(), contents.data(), contents.size(), end);
    if (error == 0) error = Sync(file.get());
    if (error != 0) {
      // What was added is a partial tail no reader takes; cut it off.
      (void)::ftruncate(file.get(), old_size);
      return WritingFault(path, target, error);
    }
    if (end == 0 && old_size <= length) {
      if (::ftruncate(file.get(), length) != 0) error = errno;
    } else {
      error = WriteAllAt(file.get(), contents.data(), contents.size(), 0);
      if (error == 0) error = Sync(file.get());
      if (error == 0 && ::ftruncate(file.get(), length) != 0) error = errno;
    }
    if (error == 0) error = Sync(file.get());
  } else {
    error = WriteTextInPlace(file.get(), old_size, contents);
  }
  if (error == 0) error = file.Close();
  if (error != 0) return WritingFault(path, target, error);
  return {};
}

// Makes a rename in the folder survive a power cut. Best effort: the new file
// is complete and in place whether or not this succeeds.
void SyncFolder(const fs::path& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  (void)::fsync(fd);
  ::close(fd);
}

// Gives the complete unnamed file at fd a temporary name in folder.
int NameUnnamed(int fd, const fs::path& folder, const fs::path& target, fs::path& named) {
  const std::string proc = "/proc/self/fd/" + std::to_string(fd);
  for (int attempt = 0; attempt < 100; ++attempt) {
    named = folder / TemporaryName(target, ::getpid(), serial++);
    if (::linkat(AT_FDCWD, proc.c_str(), AT_FDCWD, named.c_str(), AT_SYMLINK_FOLLOW) == 0) {
      return 0;
    }
    if (errno == ENOENT && ::linkat(fd, "", AT_FDCWD, named.c_str(), AT_EMPTY_PATH) == 0) {
      return 0;
    }
    if (errno != EEXIST) return errno;
  }
  return EEXIST;
}

// Writes contents to a new file in the target's folder and renames it over
// the target.
SaveOutcome ReplaceByRename(const fs::path& path, const fs::path& target, bool exists,
                            const struct stat& old, std::string_view contents) {
  const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
  // An unnamed file first: killed before it has a name, the save leaves
  // nothing behind.
  fs::path named;
  bool unnamed = true;
  int fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
  if (fd < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
    // No unnamed files on this file system: a name the next start removes
    // should this process be killed before the rename.
    unnamed = false;
    for (int attempt = 0; attempt < 100; ++attempt) {
      named = folder / TemporaryName(target, ::getpid(), serial++);
      fd = ::open(named.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
      if (fd >= 0 || errno != EEXIST) break;
    }
  }
  if (fd < 0) {
    const int error = errno;
    return IsWritingError(error) ? WritingFault(path, target, error)
                                 : FolderFault(path, target, error);
  }
  Descriptor file(fd);
  const auto discard = [&] {
    if (!named.empty()) ::unlink(named.c_str());
  };

  if (exists) {
    // Keep the access (and, for the superuser saving a user's file, the
    // owner) the old file had.
    (void)::fchmod(file.get(), old.st_mode & 07777);
    if (::geteuid() == 0) (void)::fchown(file.get(), old.st_uid, old.st_gid);
  }
  int error = WriteAllAt(file.get(), contents.data(), contents.size(), 0);
  if (error == 0) error = Sync(file.get());
  if (error == 0 && unnamed) {
    error = NameUnnamed(file.get(), folder, target, named);
    if (error != 0) {
      named.clear();
      return IsWritingError(error) ? WritingFault(path, target, error)
                                   : FolderFault(path, target, error);
    }
  }
  if (error == 0) error = file.Close();
  if (error != 0) {
    discard();
    return WritingFault(path, target, error);
  }
  if (::rename(named.c_str(), target.c_str()) != 0) {
    error = errno;
    discard();
    return IsWritingError(error) ? WritingFault(path, target, error)
                                 : FolderFault(path, target, error);
  }
  SyncFolder(folder);
  return {};
}

}  // namespace

void SetSaveStepHookForTesting(SaveStepHook hook) {
  step_hook = hook;
}

bool FinishInterruptedTextSave(const fs::path& path) {
  // The text files kept are at most 64 KiB; during a save, twice that and
  // a trailer.
  constexpr off_t kMostBytes = 256 * 1024;
  // Only a regular file anyone may write is opened for writing: opening a
  // device can do something of its own, and a protected file stays as it is.
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) ||
      (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || info.st_size < 1 ||
      info.st_size > kMostBytes) {
    return false;
  }
  const ino_t inode = info.st_ino;
  Descriptor file(::open(path.c_str(), O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (file.get() < 0 || ::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode) ||
      info.st_ino != inode || LockFile(file.get()) != 0 || ::fstat(file.get(), &info) != 0 ||
      info.st_size > kMostBytes) {
    return false;
  }
  std::string bytes(static_cast<std::size_t>(info.st_size), '\0');
  std::size_t got = 0;
  while (got < bytes.size()) {
    const ssize_t n =
        ::pread(file.get(), bytes.data() + got, bytes.size() - got, static_cast<off_t>(got));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    got += static_cast<std::size_t>(n);
  }
  const std::optional<std::string_view> text = PendingText(bytes);
  if (!text) return false;
  // The pending text is whole: put it at the front and cut the file to it,
  // as the save would have.
  int error = WriteAllAt(file.get(), text->data(), text->size(), 0);
  if (error == 0) error = Sync(file.get());
  if (error == 0 && ::ftruncate(file.get(), static_cast<off_t>(text->size())) != 0) error = errno;
  if (error == 0) error = Sync(file.get());
  return error == 0;
}

std::string TemporaryName(const fs::path& path, long pid, unsigned serial_number) {
  return "." + path.filename().string() + "." + std::to_string(pid) + "-" +
         std::to_string(serial_number) + ".tmp";
}

SaveOutcome NotReadAtStart(const fs::path& path, const std::string& reason) {
  return Outcome(SaveOutcome::Fault::kFile, reason,
                 "Could not save " + path.string() +
                     ": the file could not be read when the program started (" + reason +
                     "), so it is not replaced");
}

int RemoveStaleTemporaries(const fs::path& path) {
  const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
  const std::string prefix = "." + path.filename().string() + ".";
  const std::string suffix = ".tmp";
  std::error_code ec;
  fs::directory_iterator it(folder, ec);
  if (ec) return 0;
  std::vector<fs::path> stale;
  for (; it != fs::directory_iterator(); it.increment(ec)) {
    if (ec) break;
    const std::string name = it->path().filename().string();
    if (name.size() <= prefix.size() + suffix.size() || name.compare(0, prefix.size(), prefix) ||
        name.compare(name.size() - suffix.size(), suffix.size(), suffix)) {
      continue;
    }
    // "<pid>-<n>" between them, digits only.
    const std::string middle =
        name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
    const auto dash = middle.find('-');
    if (dash == 0 || dash == std::string::npos || dash + 1 == middle.size() || dash > 9 ||
        middle.find_first_not_of("0123456789-") != std::string::npos ||
        middle.find('-', dash + 1) != std::string::npos) {
      continue;
    }
    const long pid = std::strtol(middle.substr(0, dash).c_str(), nullptr, 10);
    if (pid <= 0 || pid == ::getpid()) continue;
    // Its owner still runs (or is another user's process): its save may be
    // under way.
    if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;
    stale.push_back(it->path());
  }
  int removed = 0;
  for (const fs::path& p : stale) {
    struct stat info {};
    if (::lstat(p.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::unlink(p.c_str()) == 0) {
      ++removed;
    }
  }
  return removed;
}

SaveOutcome ReplaceFileContents(const fs::path& path, std::string_view contents,
                                std::size_t record_size) {
  fs::path target;
  struct stat info {};
  bool exists = false;
  if (const int error = ResolveLinks(path, target, info, exists); error != 0) {
    if (error == ELOOP || error == ENAMETOOLONG) {
      return FileFault(path, path, SystemText(error),
                       "its links cannot be followed (" + SystemText(error) + ")");
    }
    return FolderFault(path, target.empty() ? path : target, error);
  }
  if (exists) {
    if (!S_ISREG(info.st_mode)) {
      const std::string kind = DescribeFileKind(info.st_mode);
      return FileFault(path, target, kind, target.string() + " " + kind + "; nothing was written");
    }
    if (const std::string protection = WriteProtection(target, info); !protection.empty()) {
      return FileFault(path, target, protection,
                       "the file is write-protected (" + protection + "); it was left as it is");
    }
  }
  RemoveStaleTemporaries(target);
  if (exists && info.st_nlink > 1) return UpdateInPlace(path, target, info, contents, record_size);
  return ReplaceByRename(path, target, exists, info, contents);
}

}  // namespace quillmere
