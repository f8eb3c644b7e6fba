// Reading and writing the default data file in a scratch folder: which
// records a load takes, what it reports when it cannot, and that a save
// either replaces the file completely or leaves the old one exactly as it was.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <system_error>
#include <vector>

#include "data_file.h"
#include "data_record.h"
#include "support/scratch_folder.h"

namespace quillmere {
namespace {

namespace fs = std::filesystem;

const fs::path kRecords = fs::path(QUILLMERE_TEST_DATA) / "records";

std::vector<std::uint8_t> FileBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::uint8_t> Bytes(const DataRecord& r) {
  return {r.bytes.begin(), r.bytes.end()};
}

DataRecord Pattern(std::uint8_t seed) {
  DataRecord r;
  for (std::size_t i = 0; i < kRecordSize; ++i) r.bytes[i] = static_cast<std::uint8_t>(seed + i);
  return r;
}

std::string SystemText(int error) {
  return std::system_category().message(error);
}

using testing::AsOrdinaryUser;
using testing::ScratchFolder;

// --- Reading -----------------------------------------------------------------

TEST(Read, AMissingFileIsNotFoundAndTheBufferKeepsItsRecord) {
  ScratchFolder folder;
  const fs::path file = folder.path() / kDataFileName;
  DataRecord buffer = Pattern(3);
  const ReadResult read = ReadDataFile(file, buffer);
  EXPECT_EQ(read.status, ReadResult::Status::kNotFound);
  EXPECT_EQ(read.reason, SystemText(ENOENT));
  EXPECT_NE(read.message.find(file.string()), std::string::npos) << read.message;
  EXPECT_EQ(buffer, Pattern(3));
}

TEST(Read, AFolderInPlaceOfTheFileIsNotRead) {
  ScratchFolder folder;
  const fs::path file = folder.path() / kDataFileName;
  fs::create_directory(file);
  DataRecord buffer = Pattern(3);
  const ReadResult read = ReadDataFile(file, buffer);
  EXPECT_EQ(read.status, ReadResult::Status::kNotRegular);
  EXPECT_EQ(read.message, "Could not read " + file.string() + ": it is a folder, not a file");
  EXPECT_EQ(buffer, Pattern(3));
}

TEST(Read, AFileWithoutReadAccessCannotBeOpened) {
  ScratchFolder folder;
  const fs::path file = folder.path() / kDataFileName;
  fs::copy_file(kRecords / "typical.dat", file);
  fs::permissions(file, fs::perms::owner_write);
  AsOrdinaryUser user;
  if (user.failed()) GTEST_SKIP() << "cannot run as an ordinary user";
  DataRecord buffer;
  const ReadResult read = ReadDataFile(file, buffer);
  EXPECT_EQ(read.status, ReadResult::Status::kCannotOpen);
  EXPECT_EQ(read.reason, SystemText(EACCES));
  EXPECT_NE(read.message.find(file.string()), std::string::npos) << read.message;
}

TEST(Read, TheLastOfThreeRecordsWins) {
  const std::vector<std::uint8_t> file = FileBytes(kRecords / "three-records.dat");
  ASSERT_EQ(file.size(), 3 * kRecordSize);
  DataRecord buffer;
  const ReadResult read = ReadDataFile(kRecords / "three-records.dat", buffer);
  ASSERT_TRUE(read.ok()) << read.message;
  EXPECT_EQ(read.records_read, 3u);
  EXPECT_EQ(Bytes(buffer), std::vector<std::uint8_t>(file.end() - kRecordSize, file.end()));
}

TEST(Read, ATailShorterThanARecordIsNeverRead) {
  const std::vector<std::uint8_t> file = FileBytes(kRecords / "trailing-partial.dat");
  ASSERT_GT(file.size(), kRecordSize);
  ASSERT_LT(file.size(), 2 * kRecordSize);
  DataRecord buffer = Pattern(9);
  const ReadResult read = ReadDataFile(kRecords / "trailing-partial.dat", buffer);
  ASSERT_TRUE(read.ok()) << read.message;
  EXPECT_EQ(read.records_read, 1u);
  EXPECT_EQ(Bytes(buffer), std::vector<std::uint8_t>(file.begin(), file.begin() + kRecordSize));
}

// A file without a whole record has nothing to load: a failure that says
// so, the buffer left as it was (the window would otherwise start at 0 hPa).
TEST(Read, AFileWithoutAWholeRecordIsAFailure) {
  ASSERT_EQ(fs::file_size(kRecords / "empty.dat"), 0u);
  ScratchFolder folder;
  const fs::path short_file = folder.path() / kDataFileName;
  testing::WriteText(short_file, std::string(100, 'x'));
  const struct {
    fs::path file;
    std::string reason;
  } cases[] = {{kRecords / "empty.dat", "it is empty"},
               {short_file, "it holds 100 bytes, less than one record of 288"}};
  for (const auto& c : cases) {
    DataRecord buffer = Pattern(5);
    const ReadResult read = ReadDataFile(c.file, buffer);
    EXPECT_EQ(read.status, ReadResult::Status::kNoRecord);
    EXPECT_EQ(read.message, "Could not read " + c.file.string() + ": " + c.reason);
    EXPECT_EQ(buffer, Pattern(5));
  }
}

TEST(Read, AReadOnlyFileLoads) {
  ScratchFolder folder;
  const fs::path file = folder.path() / kDataFileName;
  fs::copy_file(kRecords / "typical.dat", file);
  fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  // Read before the switch: the source tree may be closed to other users.
  const auto expected = FileBytes(kRecords / "typical.dat");
  AsOrdinaryUser user;
  if (user.failed()) GTEST_SKIP() << "cannot run as an ordinary user";
  DataRecord buffer;
  const ReadResult read = ReadDataFile(file, buffer);
  ASSERT_TRUE(read.ok()) << read.message;
  EXPECT_EQ(read.records_read, 1u);
  EXPECT_EQ(Bytes(buffer), expected);
}

// --- Writing -----------------------------------------------------------------

TEST(Write, CreatesTheFileWithExactlyOneRecord) {
  ScratchFolder folder;
  const fs::path file = folder.path() / kDataFileName;
  ASSERT_TRUE(WriteDataFile(file, Pattern(1)).ok);
  EXPECT_EQ(FileBytes(file), Bytes(Pattern(1)));
  EXPECT_EQ(folder.Names(), std::set<std::string>{kDataFileName});
}

TEST(Write, ReplacesAnExistingFileAndKeepsItsAccess) {
  ScratchFolder folder;
  const fs::path file = folder.path() / kDataFileName;
  fs::copy_file(kRecords / "three-records.dat", file);
  const fs::perms access = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
  fs::permissions(file, access);
  const WriteResult written = WriteDataFile(file, Pattern(1));
  ASSERT_TRUE(written.ok) << written.message;
  EXPECT_EQ(FileBytes(file), Bytes(Pattern(1)));
  EXPECT_EQ(fs::status(file).permissions(), access);
  EXPECT_EQ(folder.Names(), std::set<std::string>{kDataFileName});
}

// Each way a save can fail leaves the old file as it was and no new file
// behind, and names the file and the system's reason.
struct FailureCase {
  const char* name;
  std::string reason;  // the reason expected
};

void PrintTo(const FailureCase& c, std::ostream* os) {
  *os << c.name;
}

const FailureCase kFailures[] = {
    {"folder_read_only", SystemText(EACCES)},
    {"target_is_a_folder", "is a folder, not a file"},
    {"file_size_limit_part_way", SystemText(EFBIG)},
};

class WriteFailure : public ::testing::TestWithParam<FailureCase> {};

TEST_P(WriteFailure, LeavesTheOldFileAndReportsFileAndReason) {
  ScratchFolder folder;
  const fs::path file = folder.path() / kDataFileName;
  const std::string name = GetParam().name;
  if (name == "target_is_a_folder") {
    fs::create_directory(file);
    WriteBytes(file / "inside", {1, 2, 3});
  } else {
    fs::copy_file(kRecords / "three-records.dat", file);
  }
  const std::set<std::string> names_before = folder.Names();

  WriteResult written;
  if (name == "folder_read_only") {
    fs::permissions(folder.path(), fs::perms::owner_read | fs::perms::owner_exec |
                                       fs::perms::group_read | fs::perms::group_exec |
                                       fs::perms::others_read | fs::perms::others_exec);
    AsOrdinaryUser user;
    if (user.failed()) GTEST_SKIP() << "cannot run as an ordinary user";
    written = WriteDataFile(file, Pattern(1));
  } else if (name == "file_size_limit_part_way") {
    // The system stops the write after 100 bytes, as a full disk would.
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved;
    limited.rlim_cur = 100;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    written = WriteDataFile(file, Pattern(1));
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, old_handler);
  } else {
    written = WriteDataFile(file, Pattern(1));
  }

  EXPECT_FALSE(written.ok);
  EXPECT_EQ(written.reason, GetParam().reason);
  EXPECT_NE(written.message.find(file.string()), std::string::npos) << written.message;
  EXPECT_NE(written.message.find(GetParam().reason), std::string::npos) << written.message;
  EXPECT_EQ(folder.Names(), names_before) << "no new file may be left behind";
  if (name == "target_is_a_folder") {
    EXPECT_TRUE(fs::is_directory(file));
    EXPECT_EQ(FileBytes(file / "inside"), (std::vector<std::uint8_t>{1, 2, 3}));
  } else {
    EXPECT_EQ(FileBytes(file), FileBytes(kRecords / "three-records.dat"));
  }
}

INSTANTIATE_TEST_SUITE_P(Write, WriteFailure, ::testing::ValuesIn(kFailures),
                         [](const auto& info) { return std::string(info.param.name); });

// --- Load then save ----------------------------------------------------------

// Loading a file, decoding its fields, and saving those fields again with
// nothing changed gives back the file's last record byte for byte:
// the reserved bytes, the spare flag, the reserved texts and values, and
// values no version writes (NaN, -inf, 10^4000) all pass through.
class LoadThenSave : public ::testing::TestWithParam<const char*> {};

TEST_P(LoadThenSave, GivesBackTheLastRecordByteForByte) {
  const fs::path source = kRecords / (std::string(GetParam()) + ".dat");
  const std::vector<std::uint8_t> original = FileBytes(source);
  const std::size_t whole = original.size() / kRecordSize * kRecordSize;
  const std::vector<std::uint8_t> last(
      original.begin() + static_cast<std::ptrdiff_t>(whole - kRecordSize),
      original.begin() + static_cast<std::ptrdiff_t>(whole));

  RecordBuffer buffer;
  ASSERT_TRUE(buffer.Load(source).ok());

  ScratchFolder folder;
  const fs::path target = folder.path() / kDataFileName;
  const WriteResult saved = buffer.Save(target, DecodeRecord(buffer.record()));
  ASSERT_TRUE(saved.ok) << saved.message;
  EXPECT_EQ(FileBytes(target), last);
  EXPECT_EQ(Bytes(buffer.record()), last);
}

INSTANTIATE_TEST_SUITE_P(Records, LoadThenSave,
                         ::testing::Values("typical", "three-records", "trailing-partial",
                                           "reserved-carry", "damaged"),
                         [](const auto& info) {
                           std::string name = info.param;
                           std::replace(name.begin(), name.end(), '-', '_');
                           return name;
                         });

TEST(LoadThenSave, NonCanonicalRealsOfUnchangedValuesPassThrough) {
  DataRecord odd = Pattern(0);
  // Pseudo-denormal at Home.Temperature, unnormal at DX.Temperature, a NaN
  // with a payload at ReservedValues[2].
  const std::uint8_t pseudo_denormal[10] = {1, 0, 0, 0, 0, 0, 0, 0x80, 0x00, 0x00};
  const std::uint8_t unnormal[10] = {0, 0, 0, 0, 0, 0, 0, 0x40, 0x05, 0x40};
  const std::uint8_t nan[10] = {0xab, 0xcd, 0, 0, 0, 0, 0, 0xc0, 0xff, 0xff};
  const auto at = [&](const RecordField& field) {
    return odd.bytes.begin() + static_cast<std::ptrdiff_t>(field.offset);
  };
  std::copy_n(pseudo_denormal, 10, at(FieldNamed("Home.Temperature")));
  std::copy_n(unnormal, 10, at(FieldNamed("DX.Temperature")));
  std::copy_n(nan, 10, at(FieldNamed("ReservedValues[2]")));
  *at(FieldNamed("ReservedText1")) = 4;
  *at(FieldNamed("ReservedText2")) = 15;

  ScratchFolder folder;
  const fs::path file = folder.path() / kDataFileName;
  WriteBytes(file, Bytes(odd));
  RecordBuffer buffer;
  ASSERT_TRUE(buffer.Load(file).ok());
  ASSERT_TRUE(buffer.Save(file, DecodeRecord(buffer.record())).ok);
  EXPECT_EQ(FileBytes(file), Bytes(odd));
}

// --- The record buffer --------------------------------------------------------

TEST(RecordBuffer, AFreshBufferSavesZeroReservedBytes) {
  ScratchFolder folder;
  const fs::path file = folder.path() / kDataFileName;
  RecordBuffer buffer;
  ASSERT_TRUE(buffer.Save(file, PersistedFields{}).ok);
  EXPECT_EQ(FileBytes(file), std::vector<std::uint8_t>(kRecordSize, 0));
}

TEST(RecordBuffer, ASaveCarriesTheReservedBytesOfTheLastRecordRead) {
  ScratchFolder folder;
  const fs::path file = folder.path() / kDataFileName;
  RecordBuffer buffer;
  ASSERT_TRUE(buffer.Load(kRecords / "reserved-carry.dat").ok());
  PersistedFields changed = DecodeRecord(buffer.record());
  changed.Home.Temperature = 3.0L;
  ASSERT_TRUE(buffer.Save(file, changed).ok);
  const std::vector<std::uint8_t> saved = FileBytes(file);
  const std::vector<std::uint8_t> original = FileBytes(kRecords / "reserved-carry.dat");
  const auto reserved = static_cast<std::ptrdiff_t>(FieldNamed("Reserved").offset);
  EXPECT_TRUE(std::equal(saved.begin() + reserved, saved.begin() + reserved + 10,
                         original.begin() + reserved));
  EXPECT_EQ(DecodeRecord(buffer.record()).Home.Temperature, 3.0L);
}

TEST(RecordBuffer, AFailedSaveLeavesTheBufferAsItWas) {
  ScratchFolder folder;
  const fs::path file = folder.path() / kDataFileName;
  fs::create_directory(file);
  RecordBuffer buffer;
  buffer.record() = Pattern(7);
  PersistedFields changed = DecodeRecord(buffer.record());
  changed.Frequency = 241.0L;
  EXPECT_FALSE(buffer.Save(file, changed).ok);
  EXPECT_EQ(buffer.record(), Pattern(7));
}

TEST(RecordBuffer, TheProcessHasOneBufferStartingAtZero) {
  RecordBuffer& first = ProcessRecordBuffer();
  EXPECT_EQ(&first, &ProcessRecordBuffer());
  EXPECT_EQ(first.record(), DataRecord{});
}

}  // namespace
}  // namespace quillmere
