// The reader of every file the program is handed: what it accepts, what it
// refuses before reading a byte (and without waiting on a FIFO), and that
// the data file's load reads only its last whole record.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "data_file.h"
#include "regular_file.h"
#include "support/scratch_folder.h"

namespace quillmere {
namespace {

namespace fs = std::filesystem;
using testing::ScratchFolder;
using testing::WriteText;
using Status = FileReadResult::Status;

// Makes a file of `size` bytes without writing them (a sparse file).
void MakeSparse(const fs::path& path, std::uint64_t size) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(size)), 0);
  ::close(fd);
}

// --- What the reader accepts --------------------------------------------------

struct OpenCase {
  const char* name;
  // Puts the thing to open at `path` inside `folder`.
  void (*make)(const fs::path& folder, const fs::path& path);
  Status status;
  std::string reason;  // empty: whatever the system says
};

void PrintTo(const OpenCase& c, std::ostream* os) {
  *os << c.name;
}

const OpenCase kOpenCases[] = {
    {"a_fifo_is_refused_without_waiting_for_a_writer",
     [](const fs::path&, const fs::path& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0644), 0); },
     Status::kNotRegular, "is a FIFO (named pipe), not a file"},
    {"a_device_is_refused",
     [](const fs::path&, const fs::path& p) { fs::create_symlink("/dev/null", p); },
     Status::kNotRegular, "is a device, not a file"},
    {"a_link_to_dev_zero_is_refused",
     [](const fs::path&, const fs::path& p) { fs::create_symlink("/dev/zero", p); },
     Status::kNotRegular, "is a device, not a file"},
    {"a_folder_is_refused", [](const fs::path&, const fs::path& p) { fs::create_directory(p); },
     Status::kNotRegular, "is a folder, not a file"},
    {"a_socket_is_refused",
     [](const fs::path&, const fs::path& p) {
       const int s = ::socket(AF_UNIX, SOCK_STREAM, 0);
       ASSERT_GE(s, 0);
       sockaddr_un address{};
       address.sun_family = AF_UNIX;
       ASSERT_LT(p.string().size(), sizeof address.sun_path);
       std::strcpy(address.sun_path, p.c_str());
       ASSERT_EQ(::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
       ::close(s);
     },
     Status::kCannotOpen, ""},
    {"a_link_to_a_file_is_followed",
     [](const fs::path& folder, const fs::path& p) {
       WriteText(folder / "real", "abc");
       fs::create_symlink("real", p);
     },
     Status::kOk, ""},
    {"a_dangling_link_is_not_found",
     [](const fs::path&, const fs::path& p) { fs::create_symlink("nowhere", p); },
     Status::kNotFound, ""},
    {"a_sparse_file_over_the_limit_is_refused",
     [](const fs::path&, const fs::path& p) { MakeSparse(p, 1ull << 30); }, Status::kTooLarge,
     "is 1073741824 bytes, more than the 65536 such a file may have"},
    {"an_empty_file_is_read", [](const fs::path&, const fs::path& p) { WriteText(p, ""); },
     Status::kOk, ""},
};

class ReaderOpens : public ::testing::TestWithParam<OpenCase> {};

TEST_P(ReaderOpens, OnlyARegularFileWithinItsLimit) {
  ScratchFolder folder;
  const fs::path path = folder.path() / "QuillmereS.ini";
  GetParam().make(folder.path(), path);
  std::string contents = "left over";
  const FileReadResult read = ReadRegularFile(path, kMaxPlacementFileBytes, contents);
  EXPECT_EQ(read.status, GetParam().status) << read.reason;
  if (!GetParam().reason.empty()) {
    EXPECT_EQ(read.reason, GetParam().reason);
  }
  if (read.ok()) {
    EXPECT_EQ(contents, fs::file_size(path) == 0 ? "" : "abc");
  } else {
    EXPECT_TRUE(contents.empty());
  }
}

INSTANTIATE_TEST_SUITE_P(Reader, ReaderOpens, ::testing::ValuesIn(kOpenCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Reader, AFileAtItsLimitIsReadWhole) {
  ScratchFolder folder;
  const fs::path path = folder.path() / "map.jpg";
  WriteText(path, std::string(kMaxPlacementFileBytes, 'x'));
  std::string contents;
  ASSERT_TRUE(ReadRegularFile(path, kMaxPlacementFileBytes, contents).ok());
  EXPECT_EQ(contents.size(), kMaxPlacementFileBytes);
}

TEST(Reader, AFileThatShrankUnderTheReaderIsAReadError) {
  ScratchFolder folder;
  const fs::path path = folder.path() / "x";
  WriteText(path, std::string(100, 'x'));
  RegularFile file;
  ASSERT_TRUE(RegularFile::Open(path, 1000, file).ok());
  fs::resize_file(path, 10);
  std::uint8_t bytes[50];
  const FileReadResult read = file.ReadAt(0, sizeof bytes, bytes);
  EXPECT_EQ(read.status, Status::kReadError);
  EXPECT_EQ(read.reason, "the file ended early");
}

// --- The data file ------------------------------------------------------------

TEST(DataFileRead, AFifoOrALinkToDevZeroIsRefusedAtOnce) {
  ScratchFolder folder;
  const fs::path fifo = folder.path() / "fifo.dat";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  const fs::path zero = folder.path() / kDataFileName;
  fs::create_symlink("/dev/zero", zero);
  for (const fs::path& path : {fifo, zero}) {
    DataRecord buffer;
    buffer.bytes.fill(7);
    const ReadResult read = ReadDataFile(path, buffer);
    EXPECT_EQ(read.status, ReadResult::Status::kNotRegular) << path;
    EXPECT_NE(read.message.find(path.string()), std::string::npos) << read.message;
    EXPECT_EQ(buffer.bytes[0], 7);
  }
}

// A gigabyte of records (sparse, so it costs no disk) ending in one that is
// not zero: the load takes that one, having read nothing else. A reader
// going through every record would take a second per gigabyte; this one
// takes as long for 64 GiB.
TEST(DataFileRead, AHugeFileGivesItsLastWholeRecordAlone) {
  ScratchFolder folder;
  const fs::path path = folder.path() / kDataFileName;
  const std::uint64_t records = (64ull << 30) / kRecordSize;
  MakeSparse(path, records * kRecordSize + 100);  // and a partial tail
  DataRecord last;
  for (std::size_t i = 0; i < kRecordSize; ++i) last.bytes[i] = static_cast<std::uint8_t>(i + 1);
  {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::pwrite(fd, last.bytes.data(), kRecordSize,
                       static_cast<off_t>((records - 1) * kRecordSize)),
              static_cast<ssize_t>(kRecordSize));
    ::close(fd);
  }
  DataRecord buffer;
  const ReadResult read = ReadDataFile(path, buffer);
  ASSERT_TRUE(read.ok()) << read.message;
  EXPECT_EQ(read.records_read, records);
  EXPECT_EQ(buffer, last);
}

}  // namespace
}  // namespace quillmere
