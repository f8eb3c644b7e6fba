// The one writer of the files the program keeps, through the data file's
// save: what lies under the name (a link, a hard link, a device, a
// protected file) and what happens when the folder, the file or the writing
// fails, or the save is killed part-way.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <set>
#include <string>
#include <system_error>

#include "data_file.h"
#include "process_signals.h"
#include "safe_write.h"
#include "support/scratch_folder.h"
#include "text_file.h"

namespace quillmere {
namespace {

namespace fs = std::filesystem;
using testing::AsOrdinaryUser;
using testing::FileText;
using testing::ScratchFolder;
using testing::WriteText;

DataRecord Pattern(std::uint8_t seed) {
  DataRecord r;
  for (std::size_t i = 0; i < kRecordSize; ++i) r.bytes[i] = static_cast<std::uint8_t>(seed + i);
  return r;
}

std::string Text(const DataRecord& r) {
  return std::string(r.bytes.begin(), r.bytes.end());
}

fs::perms Mode(const fs::path& p) {
  return fs::symlink_status(p).permissions();
}

// A process id that no process has: a child's, once it has been reaped.
pid_t GonePid() {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  int status = 0;
  ::waitpid(child, &status, 0);
  return child;
}

// --- What lies under the name --------------------------------------------------

TEST(SaveThrough, ASymlinkReplacesItsTargetAndStaysALink) {
  ScratchFolder folder;
  fs::create_directory(folder.path() / "kept");
  const fs::path target = folder.path() / "kept" / "mine.dat";
  const fs::path link = folder.path() / kDataFileName;
  WriteText(target, Text(Pattern(1)));
  fs::create_symlink("kept/mine.dat", link);

  const WriteResult written = WriteDataFile(link, Pattern(2));
  ASSERT_TRUE(written.ok) << written.message;
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(fs::read_symlink(link), "kept/mine.dat");
  EXPECT_EQ(FileText(target), Text(Pattern(2)));
  EXPECT_EQ(folder.Names(), (std::set<std::string>{kDataFileName, "kept"}));
}

TEST(SaveThrough, ADanglingLinkCreatesItsTarget) {
  ScratchFolder folder;
  const fs::path link = folder.path() / kDataFileName;
  fs::create_symlink("new.dat", link);
  ASSERT_TRUE(WriteDataFile(link, Pattern(2)).ok);
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(FileText(folder.path() / "new.dat"), Text(Pattern(2)));
}

TEST(SaveThrough, AHardLinkedFileKeepsItsLinksAndEveryNameSeesTheSave) {
  ScratchFolder folder;
  const fs::path file = folder.path() / kDataFileName;
  const fs::path other = folder.path() / "backup.dat";
  // Two records and a partial tail: the save keeps nothing of them.
  WriteText(file, Text(Pattern(1)) + Text(Pattern(3)) + "tail");
  fs::create_hard_link(file, other);

  const WriteResult written = WriteDataFile(file, Pattern(2));
  ASSERT_TRUE(written.ok) << written.message;
  EXPECT_EQ(fs::hard_link_count(file), 2u);
  EXPECT_TRUE(fs::equivalent(file, other));
  EXPECT_EQ(FileText(other), Text(Pattern(2)));
  EXPECT_EQ(folder.Names(), (std::set<std::string>{kDataFileName, "backup.dat"}));

  // A text file (the placement or the stations file), longer before than
  // after: overwritten where it is and cut to the new text.
  const fs::path text = folder.path() / "stations.ini";
  WriteText(text, "[Home]\nLocation=JO22\n; a longer comment\n");
  fs::create_hard_link(text, folder.path() / "stations.bak");
  ASSERT_TRUE(ReplaceFileContents(text, "[Home]\nLocation=IO91\n").ok());
  EXPECT_EQ(FileText(folder.path() / "stations.bak"), "[Home]\nLocation=IO91\n");
}

// Saves of two values in turn into a hard-linked file (updated in place)
// while another process reads: each read finds one of the two, never a
// mixture and never nothing.
TEST(SaveThrough, AHardLinkedFileNeverShowsATornRecordToAReader) {
  ScratchFolder folder;
  const fs::path file = folder.path() / kDataFileName;
  WriteText(file, Text(Pattern(1)));
  fs::create_hard_link(file, folder.path() / "other.dat");
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t saver = ::fork();
  if (saver == 0) {
    ::close(ready[0]);
    (void)::write(ready[1], "x", 1);
    for (int i = 0; i < 200; ++i) {
      if (!WriteDataFile(file, Pattern(i % 2 ? 1 : 2)).ok) ::_exit(1);
    }
    ::_exit(0);
  }
  ::close(ready[1]);
  char go;
  ASSERT_EQ(::read(ready[0], &go, 1), 1);
  ::close(ready[0]);
  int torn = 0, reads = 0;
  int status = 0;
  while (::waitpid(saver, &status, WNOHANG) == 0) {
    DataRecord got;
    const ReadResult read = ReadDataFile(file, got);
    ++reads;
    if (!read.ok() || read.records_read == 0 || !(got == Pattern(1) || got == Pattern(2))) ++torn;
  }
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(torn, 0) << "of " << reads << " reads";
}

// Two processes saving their own text into one hard-linked text file (the
// stations file of two windows) while a third reads: every read finds one
// of the two texts whole, and the file ends as one of them, never padded
// or mixed.
TEST(SaveThrough, AHardLinkedTextSavedByTwoProcessesIsAlwaysOneTextWhole) {
  ScratchFolder folder;
  const fs::path file = folder.path() / "stations.ini";
  const std::string longer = std::string(3000, 'a') + "\n", shorter = "[Home]\nName=b\n";
  WriteText(file, shorter);
  fs::create_hard_link(file, folder.path() / "stations.bak");
  pid_t savers[2];
  for (int k = 0; k < 2; ++k) {
    savers[k] = ::fork();
    if (savers[k] == 0) {
      for (int i = 0; i < 1000; ++i) {
        if (!ReplaceFileContents(file, k ? longer : shorter).ok()) ::_exit(1);
      }
      ::_exit(0);
    }
  }
  int torn = 0, reads = 0, running = 2;
  while (running > 0) {
    std::string text;
    const FileReadResult read = ReadTextFile(file, kMaxPlacementFileBytes, text);
    ++reads;
    if (!read.ok() || (text != longer && text != shorter)) ++torn;
    running = 0;
    for (const pid_t saver : savers) running += ::waitpid(saver, nullptr, WNOHANG) == 0;
  }
  EXPECT_EQ(torn, 0) << "of " << reads << " reads";
  const std::string last = FileText(folder.path() / "stations.bak");
  EXPECT_TRUE(last == longer || last == shorter) << last.size() << " bytes";
  EXPECT_EQ(fs::hard_link_count(file), 2u);
}

// Anything but a regular file in the file's place (or at the end of its
// link) is left exactly as it is.
struct NotAFileCase {
  const char* name;
  bool (*make)(const fs::path& place);  // false: cannot be made here
  std::string reason;
};

void PrintTo(const NotAFileCase& c, std::ostream* os) {
  *os << c.name;
}

const NotAFileCase kNotAFile[] = {
    {"a_fifo", [](const fs::path& p) { return ::mkfifo(p.c_str(), 0666) == 0; },
     "is a FIFO (named pipe), not a file"},
    {"a_folder", [](const fs::path& p) { return fs::create_directory(p); },
     "is a folder, not a file"},
    // The null device's numbers; only the superuser may make the node.
    {"a_device",
     [](const fs::path& p) { return ::mknod(p.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0; },
     "is a device, not a file"},
};

class SaveRefuses : public ::testing::TestWithParam<NotAFileCase> {};

TEST_P(SaveRefuses, WhatIsNotAFileEvenBehindALink) {
  for (const bool through_link : {false, true}) {
    ScratchFolder folder;
    const fs::path file = folder.path() / kDataFileName;
    const fs::path place = through_link ? folder.path() / "thing" : file;
    if (!GetParam().make(place)) GTEST_SKIP() << "cannot make " << GetParam().name << " here";
    if (through_link) fs::create_symlink("thing", file);
    const fs::file_type type = fs::symlink_status(place).type();

    const WriteResult written = WriteDataFile(file, Pattern(1));
    EXPECT_FALSE(written.ok);
    EXPECT_EQ(written.fault, SaveOutcome::Fault::kFile);
    EXPECT_EQ(written.reason, GetParam().reason);
    EXPECT_NE(written.message.find(place.string() + " " + GetParam().reason), std::string::npos)
        << written.message;
    EXPECT_EQ(fs::symlink_status(place).type(), type);
    EXPECT_EQ(fs::is_symlink(file), through_link);
  }
}

INSTANTIATE_TEST_SUITE_P(SaveThrough, SaveRefuses, ::testing::ValuesIn(kNotAFile),
                         [](const auto& info) { return std::string(info.param.name); });

// A loop of links names no file: refused as the file's fault, the links
// left as they are.
TEST(SaveThrough, ALoopOfLinksIsRefusedAndLeftAlone) {
  ScratchFolder folder;
  const fs::path file = folder.path() / kDataFileName;
  fs::create_symlink("other.dat", file);
  fs::create_symlink(kDataFileName, folder.path() / "other.dat");
  const WriteResult written = WriteDataFile(file, Pattern(1));
  EXPECT_FALSE(written.ok);
  EXPECT_EQ(written.fault, SaveOutcome::Fault::kFile);
  EXPECT_NE(written.message.find("links cannot be followed"), std::string::npos) << written.message;
  EXPECT_EQ(fs::read_symlink(file), "other.dat");
  EXPECT_EQ(folder.Names(), (std::set<std::string>{kDataFileName, "other.dat"}));
}

// --- Protected files and folders -----------------------------------------------

// A file without write permission keeps its bytes and its mode, for an
// ordinary user and for the superuser alike (for whom no write bit at all
// is what protects a file).
TEST(SaveProtected, AWriteProtectedFileKeepsItsBytes) {
  for (const bool ordinary : {false, true}) {
    ScratchFolder folder;
    const fs::path file = folder.path() / kDataFileName;
    WriteText(file, Text(Pattern(1)));
    const fs::perms read_only = fs::perms::owner_read | fs::perms::group_read;
    fs::permissions(file, read_only);
    WriteResult written;
    {
      std::unique_ptr<AsOrdinaryUser> user;
      if (ordinary) {
        fs::permissions(file, fs::perms::others_read, fs::perm_options::add);
        user = std::make_unique<AsOrdinaryUser>();
        if (user->failed()) GTEST_SKIP() << "cannot run as an ordinary user";
      }
      written = WriteDataFile(file, Pattern(2));
    }
    EXPECT_FALSE(written.ok);
    EXPECT_EQ(written.fault, SaveOutcome::Fault::kFile);
    EXPECT_NE(
        written.message.find("Could not save " + file.string() + ": the file is write-protected"),
        std::string::npos)
        << written.message;
    EXPECT_EQ(FileText(file), Text(Pattern(1)));
    EXPECT_EQ(folder.Names(), std::set<std::string>{kDataFileName});
  }
}

// The superuser saving a user's file leaves it the user's, with its mode.
TEST(SaveProtected, TheSuperuserSavingAUsersFileKeepsItsOwnerAndMode) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs the superuser";
  ScratchFolder folder;
  const fs::path file = folder.path() / kDataFileName;
  WriteText(file, Text(Pattern(1)));
  ASSERT_EQ(::chown(file.c_str(), 4321, 4322), 0);
  ASSERT_EQ(::chmod(file.c_str(), 0640), 0);
  ASSERT_TRUE(WriteDataFile(file, Pattern(2)).ok);
  struct stat info {};
  ASSERT_EQ(::stat(file.c_str(), &info), 0);
  EXPECT_EQ(info.st_uid, 4321u);
  EXPECT_EQ(info.st_gid, 4322u);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  EXPECT_EQ(FileText(file), Text(Pattern(2)));
}

TEST(SaveProtected, AFolderThatCannotBeWrittenIsNamedAsTheCulprit) {
  ScratchFolder folder;
  const fs::path file = folder.path() / kDataFileName;
  WriteText(file, Text(Pattern(1)));
  fs::permissions(file, fs::perms::all);  // the file itself may be written
  fs::permissions(folder.path(), fs::perms::owner_all | fs::perms::group_read |
                                     fs::perms::group_exec | fs::perms::others_read |
                                     fs::perms::others_exec);
  WriteResult written;
  {
    AsOrdinaryUser user;
    if (user.failed()) GTEST_SKIP() << "cannot run as an ordinary user";
    written = WriteDataFile(file, Pattern(2));
  }
  EXPECT_FALSE(written.ok);
  EXPECT_EQ(written.fault, SaveOutcome::Fault::kFolder);
  EXPECT_EQ(written.message, "Could not save " + file.string() + ": the folder " +
                                 folder.path().string() + " cannot be written (" +
                                 std::system_category().message(EACCES) + ")");
  EXPECT_EQ(FileText(file), Text(Pattern(1)));
}

TEST(SaveProtected, AFileNotReadAtStartIsNotReplaced) {
  ScratchFolder folder;
  const fs::path file = folder.path() / kDataFileName;
  WriteText(file, Text(Pattern(1)));
  fs::permissions(file, fs::perms::owner_write | fs::perms::group_write |
                            fs::perms::others_write);  // writable, not readable
  RecordBuffer buffer;
  WriteResult written;
  {
    AsOrdinaryUser user;
    if (user.failed()) GTEST_SKIP() << "cannot run as an ordinary user";
    ASSERT_EQ(buffer.Load(file).status, ReadResult::Status::kCannotOpen);
    written = buffer.Save(file, PersistedFields{});
  }
  EXPECT_FALSE(written.ok);
  EXPECT_EQ(written.message, "Could not save " + file.string() +
                                 ": the file could not be read when the program started (" +
                                 std::system_category().message(EACCES) +
                                 "), so it is not replaced");
  EXPECT_EQ(Mode(file), fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write);
  fs::permissions(file, fs::perms::owner_read, fs::perm_options::add);
  EXPECT_EQ(FileText(file), Text(Pattern(1)));
}

TEST(SaveProtected, AMissingFileAtStartIsCreatedBySave) {
  ScratchFolder folder;
  const fs::path file = folder.path() / kDataFileName;
  RecordBuffer buffer;
  ASSERT_EQ(buffer.Load(file).status, ReadResult::Status::kNotFound);
  EXPECT_TRUE(buffer.Save(file, PersistedFields{}).ok);
  EXPECT_EQ(fs::file_size(file), kRecordSize);
}

// --- Limits and interruptions ----------------------------------------------------

// With the file-size limit at zero (ulimit -f 0) a save is a message: the
// program, here a child process set up as the program's main sets itself
// up, lives on, and the old file stays as it was with nothing beside it.
TEST(SaveLimits, AFileSizeLimitIsAMessageNotTheEndOfTheProgram) {
  ScratchFolder folder;
  const fs::path file = folder.path() / kDataFileName;
  WriteText(file, Text(Pattern(1)));
  int out[2];
  ASSERT_EQ(::pipe(out), 0);
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(out[0]);
    IgnoreFileSizeSignal();
    const rlimit none{0, 0};
    if (::setrlimit(RLIMIT_FSIZE, &none) != 0) ::_exit(3);
    const WriteResult written = WriteDataFile(file, Pattern(2));
    (void)::write(out[1], written.message.data(), written.message.size());
    ::_exit(written.ok ? 1 : 0);
  }
  ::close(out[1]);
  std::string message;
  char chunk[256];
  for (ssize_t n; (n = ::read(out[0], chunk, sizeof chunk)) > 0;) message.append(chunk, n);
  ::close(out[0]);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_FALSE(WIFSIGNALED(status)) << "killed by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the save reported success";
  EXPECT_EQ(message, "Could not save " + file.string() + ": writing it failed (" +
                         std::system_category().message(EFBIG) + "); the file was left as it was");
  EXPECT_EQ(FileText(file), Text(Pattern(1)));
  EXPECT_EQ(folder.Names(), std::set<std::string>{kDataFileName});
}

// What a save killed between naming its new file and the rename left
// behind is removed by the next save (and start, see the load), but only
// when its process is gone; other names are never touched.
TEST(SaveLimits, TemporariesOfSavesWhoseProcessIsGoneAreRemoved) {
  ScratchFolder folder;
  const fs::path file = folder.path() / kDataFileName;
  const std::string gone = TemporaryName(file, GonePid(), 4);
  const std::string running = TemporaryName(file, ::getppid(), 5);
  const std::string own = TemporaryName(file, ::getpid(), 6);
  const std::set<std::string> kept = {running, own, ".Quillmere.dat.12x-1.tmp",
                                      ".Other.dat.1-1.tmp", "Quillmere.dat.1-1.tmp"};
  WriteText(folder.path() / gone, "old");
  for (const std::string& name : kept) WriteText(folder.path() / name, "keep");

  EXPECT_EQ(RemoveStaleTemporaries(file), 1);
  EXPECT_EQ(folder.Names(), kept);
  ASSERT_TRUE(WriteDataFile(file, Pattern(1)).ok);
  std::set<std::string> after = kept;
  after.insert(kDataFileName);
  EXPECT_EQ(folder.Names(), after);
}

// Saves killed at a random moment, again and again: the file is always one
// whole record of one of the saves, and once the killed saves' process is
// gone the next save leaves nothing but the file.
TEST(SaveLimits, KilledSavesNeverTearTheFileNorLeaveLitter) {
  ScratchFolder folder;
  const fs::path file = folder.path() / kDataFileName;
  ASSERT_TRUE(WriteDataFile(file, Pattern(0)).ok);
  for (int round = 0; round < 20; ++round) {
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    if (child == 0) {
      ::close(ready[0]);
      for (int i = 0;; ++i) {
        (void)WriteDataFile(file, Pattern(static_cast<std::uint8_t>(i % 2 + 1)));
        if (i == 0) (void)::write(ready[1], "x", 1);
      }
    }
    ::close(ready[1]);
    char go;
    ASSERT_EQ(::read(ready[0], &go, 1), 1);
    ::close(ready[0]);
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    DataRecord got;
    ASSERT_TRUE(ReadDataFile(file, got).ok());
    EXPECT_EQ(fs::file_size(file), kRecordSize);
    EXPECT_TRUE(got == Pattern(1) || got == Pattern(2)) << "round " << round;
  }
  ASSERT_TRUE(WriteDataFile(file, Pattern(3)).ok);
  EXPECT_EQ(folder.Names(), std::set<std::string>{kDataFileName});
}

// A hard-linked text file whose save is killed after each of its steps
// reads as the old text or the new one whole; the next start completes a
// save whose new text was whole, so other programs see it alone.
TEST(SaveLimits, AHardLinkedTextKilledAtEachStepIsTheOldOrTheNewText) {
  struct Case {
    SaveStep killed_after;
    bool new_text;
  };
  const Case cases[] = {
      {SaveStep::kLocked, false}, {SaveStep::kNewTextAdded, true}, {SaveStep::kFrontWritten, true}};
  const std::string old_text = "[Home]\nHorizonMask=0:5;90:12;180:3\n; the mask removed\n";
  const std::string new_text = "[Home]\nHorizonMask=\n";
  for (const Case& c : cases) {
    ScratchFolder folder;
    const fs::path file = folder.path() / "stations.ini";
    WriteText(file, old_text);
    fs::create_hard_link(file, folder.path() / "other.ini");
    static SaveStep kill_after;
    kill_after = c.killed_after;
    const pid_t child = ::fork();
    if (child == 0) {
      SetSaveStepHookForTesting([](SaveStep step) {
        if (step == kill_after) ::raise(SIGKILL);
      });
      (void)ReplaceFileContents(file, new_text);
      ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the save was not stopped";
    const std::string& expected = c.new_text ? new_text : old_text;
    for (const char* name : {"stations.ini", "other.ini"}) {
      std::string text;
      ASSERT_TRUE(ReadTextFile(folder.path() / name, kMaxPlacementFileBytes, text).ok());
      EXPECT_EQ(text, expected) << name << ", killed after step " << int(c.killed_after);
    }
    EXPECT_EQ(FinishInterruptedTextSave(file), c.new_text);
    EXPECT_EQ(FileText(folder.path() / "other.ini"), expected);
  }
}

}  // namespace
}  // namespace quillmere

namespace quillmere {
namespace {

// What a reader takes from the bytes of a text file that a save may be
// changing: the pending text only when its block is whole and checks.
TEST(SavedText, ThePendingTextOnlyWhenItsBlockIsWhole) {
  const std::string old_text = "old\n", block = PendingTextBlock("new text\n");
  std::string forged = old_text + block;
  forged[old_text.size() + 3] = 'X';  // one byte of the new text changed
  const struct {
    const char* name;
    std::string bytes;
    std::string text;
  } cases[] = {
      {"a text alone", old_text, old_text},
      {"the block added whole", old_text + block, "new text\n"},
      {"the block added behind a gap", old_text + std::string(20, '\0') + block, "new text\n"},
      {"the front written, not yet cut", "new text\n" + block, "new text\n"},
      {"the block cut short", old_text + block.substr(0, block.size() - 1), old_text},
      {"the block half added", old_text + block.substr(0, 6), old_text},
      {"a changed byte", forged, old_text},
      {"the cut's zeros past the new end", "new text\n" + std::string(9, '\0'), "new text\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(SavedText(c.bytes), c.text) << c.name;
}

}  // namespace
}  // namespace quillmere
