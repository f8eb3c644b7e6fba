// Saving and loading the default data file through the calculation and its
// controls.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "data_record.h"
#include "default_data.h"
#include "form_component.h"
#include "record_state.h"
#include "support/message_log.h"
#include "support/recording_display.h"
#include "support/scratch_folder.h"
#include "version_info.h"

namespace quillmere {
namespace {

namespace fs = std::filesystem;
using testing::FakeSunMoon;
using testing::RecordingDisplay;

using testing::MessageLog;

std::vector<char> Bytes(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

fs::path Vector(const char* name) {
  return fs::path(QUILLMERE_TEST_DATA) / "records" / name;
}

// A fresh program: state, controls as designed, calculation, record buffer.
struct Program {
  Program() : calc(state, display, moon, FixedUtcClock({2026, 12, 7, 8, 0, 0, 0})) {
    state.Home.VapourOverWater = state.DX.VapourOverWater = 1;
    for (const form::FormComponent& c : form::Components()) {
      if (c.kind == form::Kind::kRadioGroup) {
        calc.Inputs().OnChange(c.name, [this](int) { ++handlers_run; });
      }
    }
  }

  void Load(const fs::path& path) { LoadDefaults(calc, display, buffer, path, messages); }
  bool Save(const fs::path& path) { return SaveDefaults(state, buffer, path, messages); }

  QuillmereState state;
  RecordingDisplay display;
  FakeSunMoon moon;
  Calculator calc;
  RecordBuffer buffer;
  MessageLog messages;
  int handlers_run = 0;
};

class DefaultDataTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() /
          ("quillmere-dd-" + std::to_string(::getpid()) + "-" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  void TearDown() override {
    std::error_code ec;
    fs::permissions(dir, fs::perms::owner_all, ec);
    fs::remove_all(dir, ec);
  }
  fs::path dir;
};

TEST_F(DefaultDataTest, SaveThenLoadRestoresEveryPersistedField) {
  Program a;
  QuillmereState& s = a.state;
  s.Home.Temperature = -7, s.Home.Humidity = 81, s.Home.Pressure = 990, s.Home.HeightAsl = 120;
  s.Home.EmeElevation = 12.5L, s.Home.LatitudeZone = 2, s.Home.Season = 1;
  s.Home.RainRateIndex = 4, s.Home.Polarisation = 1, s.Home.FogIndex = 5, s.Home.CloudPosition = 17;
  s.DX.Temperature = 31, s.DX.Humidity = 12, s.DX.Pressure = 1020, s.DX.HeightAsl = 300;
  s.DX.EmeElevation = 0.4L, s.DX.LatitudeZone = 0, s.DX.Season = 0;
  s.DX.RainRateIndex = 2, s.DX.Polarisation = 0, s.DX.FogIndex = 1, s.DX.CloudPosition = 40;
  s.FrequencyIndex = 6, s.Frequency = 134, s.DisplayDecimals = 4, s.HelpDelayIndex = 2;
  s.EmePathMode = 1, s.TerrestrialPathLength = 123.4L, s.PathLength = 384400;
  s.MoonSliderPosition = 77, s.SpareFlag = 1, s.ReservedText1 = "abc";
  s.ReservedValues[3] = 2.5L;
  const fs::path file = dir / "Quillmere.dat";
  ASSERT_TRUE(a.Save(file));
  EXPECT_EQ(a.messages.lines.back(), "info: The default Data File has been updated.");

  Program b;
  b.Load(file);
  const QuillmereState& t = b.state;
  PersistedFields expected = FromState(s);
  EXPECT_EQ(FromState(t), expected);
  EXPECT_EQ(t.Home.HeightAsl, 120);
  EXPECT_EQ(t.DX.HeightAsl, 0);     // the DX height is not stored
  EXPECT_EQ(t.PathLength, 384400);  // EME mode: the Moon's distance again
  EXPECT_EQ(t.TerrestrialPathLength, 123.4L);
  EXPECT_EQ(t.Home.Elevation, 12.5L);
  EXPECT_EQ(b.calc.Inputs().Selected("DisplayAccuracy"), 3);  // "4" is the fourth item
  EXPECT_EQ(b.calc.Inputs().Selected("FreqSelect"), 6);
  EXPECT_EQ(b.calc.Inputs().Selected("FogSelectA"), 5);
  EXPECT_EQ(b.calc.Inputs().Position("CloudSelectB"), 40);
  EXPECT_EQ(b.calc.Inputs().Position("ScrollBar1"), 77);
  // The selections ran their handlers: the derived values follow.
  EXPECT_EQ(t.Home.FogDensity, 0.23L);
  EXPECT_EQ(t.DX.CloudContent, 4);
  EXPECT_EQ(t.Home.RainRate, 25);
  EXPECT_TRUE(b.messages.lines.empty());
}

TEST_F(DefaultDataTest, SavingInEmeModeStoresTheTerrestrialLength) {
  Program a;
  a.state.EmePathMode = 1;
  a.state.TerrestrialPathLength = 10;
  a.state.PathLength = 384400;  // the Moon
  ASSERT_TRUE(a.Save(dir / "Quillmere.dat"));
  EXPECT_EQ(DecodeRecord(a.buffer.record()).TerrestrialPathLength, 10);
}

TEST_F(DefaultDataTest, TheVectorsLoadAsTheirNotesSay) {
  Program three;
  three.Load(Vector("three-records.dat"));
  Program typical;
  typical.Load(Vector("typical.dat"));
  // The last of three records: 24 GHz, terrestrial, 42.5 km, 7 degC, 4 decimals.
  EXPECT_EQ(three.state.Home.Temperature, 7);
  EXPECT_EQ(three.state.Frequency, 24.048L);
  EXPECT_EQ(three.display.Text("Panel14"), "42.5 km");
  EXPECT_EQ(three.display.Text("Panel3"), "7\u00b0c ");
  EXPECT_TRUE(three.display.Visible("Panel126"));
  EXPECT_EQ(three.calc.Inputs().Selected("DisplayAccuracy"), 3);
  // The last whole record wins; a trailing part is never read.
  Program partial;
  partial.Load(Vector("trailing-partial.dat"));
  EXPECT_TRUE(partial.messages.lines.empty());
  EXPECT_EQ(partial.state.Home.Temperature, 15);
  EXPECT_EQ(partial.state.Frequency, 10.368L);
  EXPECT_EQ(typical.display.Text("Panel6"), "0.008 db km");
  EXPECT_EQ(typical.display.Text("Panel89"), "0.185 dB/km");
  EXPECT_EQ(typical.calc.Inputs().Selected("LatitudeSelectB"), 2);

  // An empty file has nothing to load: a failure that says so, the state
  // as it was (zero).
  Program empty;
  empty.Load(Vector("empty.dat"));
  EXPECT_EQ(empty.messages.lines,
            std::vector<std::string>{"warning: Could not read " + Vector("empty.dat").string() +
                                     ": it is empty"});
  EXPECT_EQ(empty.state.Home.Pressure, 0);
}

TEST_F(DefaultDataTest, ReservedBytesSurviveLoadThenSave) {
  const fs::path copy = dir / "Quillmere.dat";
  fs::copy_file(Vector("reserved-carry.dat"), copy);
  Program p;
  p.Load(copy);
  ASSERT_TRUE(p.messages.lines.empty());
  ASSERT_TRUE(p.Save(copy));
  EXPECT_EQ(Bytes(copy), Bytes(Vector("reserved-carry.dat")));
}

TEST_F(DefaultDataTest, ADamagedRecordIsNotAppliedAndTheUserIsToldOnce) {
  const fs::path copy = dir / "Quillmere.dat";
  fs::copy_file(Vector("damaged.dat"), copy);
  const std::vector<char> before = Bytes(copy);
  Program p;
  p.Load(copy);
  ASSERT_EQ(p.messages.lines.size(), 1u);
  EXPECT_NE(p.messages.lines[0].find("out of range"), std::string::npos);
  EXPECT_NE(p.messages.lines[0].find("Home.Temperature"), std::string::npos);
  EXPECT_EQ(Bytes(copy), before);  // the file untouched
  // Out-of-range values kept their state; the good ones were applied.
  EXPECT_EQ(p.state.Home.Temperature, 0);
  EXPECT_EQ(p.state.Home.Humidity, 0);
  EXPECT_EQ(p.state.DX.Pressure, 0);
  EXPECT_EQ(p.state.Home.Pressure, 1013);
  EXPECT_EQ(p.state.DX.Temperature, 20);
  // The refused band index 9 and cloud position 99 leave the start values
  // on their controls.
  EXPECT_EQ(p.calc.Inputs().Selected("FreqSelect"), 0);
  EXPECT_EQ(p.calc.Inputs().Position("CloudSelectA"), 0);
  for (const auto& [name, text] : p.display.texts) {
    EXPECT_EQ(text.find("nan"), std::string::npos) << name;
    EXPECT_EQ(text.find("inf"), std::string::npos) << name;
  }
}

TEST_F(DefaultDataTest, AMissingFileSaysFileNotFoundAndShowsTheStartState) {
  Program p;
  p.Load(dir / "Quillmere.dat");
  ASSERT_EQ(p.messages.lines.size(), 1u);
  EXPECT_EQ(p.messages.lines[0], "warning: File not found");
  EXPECT_FALSE(p.display.Visible("Panel23"));  // terrestrial: the zero state
  // Every group shows its start item, and the first band is in force.
  EXPECT_EQ(p.calc.Inputs().Selected("FreqSelect"), 0);
  EXPECT_EQ(p.calc.Inputs().Selected("LatitudeSelectB"), 0);
  EXPECT_EQ(p.state.Frequency, 10.368L);
  EXPECT_EQ(p.display.Text("Panel3"), "0\u00b0c ");
  EXPECT_EQ(p.display.Text("Panel16"), "via a 0.0 km path.");
}

// Whatever stopped a load, the window ends with every field a good load
// writes written, with a figure or the text for no value, never "nan".
struct FailedLoad {
  const char* what;
  std::function<fs::path(const fs::path& dir)> make;
};

const FailedLoad kFailedLoads[] = {
    {"missing", [](const fs::path& dir) { return dir / "Quillmere.dat"; }},
    {"a folder in its place",
     [](const fs::path& dir) {
       fs::create_directories(dir / "Quillmere.dat");
       return dir / "Quillmere.dat";
     }},
    {"values out of range",
     [](const fs::path& dir) {
       fs::copy_file(Vector("damaged.dat"), dir / "Quillmere.dat");
       return dir / "Quillmere.dat";
     }},
    {"empty",
     [](const fs::path& dir) {
       std::ofstream(dir / "Quillmere.dat").close();
       return dir / "Quillmere.dat";
     }},
};

TEST_F(DefaultDataTest, AFailedLoadWritesEveryFieldAGoodLoadWrites) {
  Program good;
  good.Load(Vector("typical.dat"));
  for (const FailedLoad& c : kFailedLoads) {
    fs::remove_all(dir / "Quillmere.dat");
    Program p;
    p.Load(c.make(dir));
    EXPECT_FALSE(p.messages.lines.empty() && std::string(c.what) != "empty") << c.what;
    for (const auto& [name, text] : good.display.texts) {
      ASSERT_TRUE(p.display.texts.count(name)) << c.what << ": " << name << " never written";
      const std::string& shown = p.display.texts.at(name);
      EXPECT_FALSE(shown.empty()) << c.what << ": " << name;
      EXPECT_EQ(shown.find("nan"), std::string::npos) << c.what << ": " << name << " " << shown;
      EXPECT_EQ(shown.find("inf"), std::string::npos) << c.what << ": " << name << " " << shown;
    }
  }
}

TEST_F(DefaultDataTest, AReadOnlyFileLoads) {
  const fs::path copy = dir / "Quillmere.dat";
  fs::copy_file(Vector("typical.dat"), copy);
  fs::permissions(copy, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  Program p;
  p.Load(copy);
  EXPECT_TRUE(p.messages.lines.empty());
  EXPECT_EQ(p.state.Home.Pressure, 1013);
}

TEST_F(DefaultDataTest, AFailedSaveLeavesTheStoredDefaults) {
  const fs::path file = dir / "Quillmere.dat";
  fs::copy_file(Vector("typical.dat"), file);
  const std::vector<char> before = Bytes(file);
  Program p;
  p.state.Home.Temperature = 99;
  // The data file replaced by a folder: nothing can be written over it.
  const fs::path folder = dir / "folder";
  fs::create_directories(folder / "Quillmere.dat");
  EXPECT_FALSE(p.Save(folder / "Quillmere.dat"));
  ASSERT_EQ(p.messages.lines.size(), 1u);
  EXPECT_EQ(p.messages.lines[0].rfind("error: ", 0), 0u);
  EXPECT_NE(p.messages.lines[0].find("Quillmere.dat"), std::string::npos);
  EXPECT_EQ(Bytes(file), before);
}

// A file the start-up could not read (here: no read permission) is not
// replaced by "Save default Data": the save says why, and the file keeps
// its bytes and its mode.
TEST_F(DefaultDataTest, AFileUnreadableAtStartIsNotReplacedBySave) {
  const fs::path file = dir / "Quillmere.dat";
  fs::copy_file(Vector("typical.dat"), file);
  const std::vector<char> before = Bytes(file);
  fs::permissions(dir, fs::perms::all);
  fs::permissions(file, fs::perms::none);
  Program p;
  {
    testing::AsOrdinaryUser user;
    if (user.failed()) GTEST_SKIP() << "cannot run as an ordinary user";
    p.Load(file);
    EXPECT_FALSE(p.Save(file));
  }
  ASSERT_EQ(p.messages.lines.size(), 2u);
  const std::string denied = std::system_category().message(EACCES);
  EXPECT_EQ(p.messages.lines[0], "warning: Could not read " + file.string() + ": " + denied);
  EXPECT_EQ(p.messages.lines[1], "error: Could not save " + file.string() +
                                     ": the file could not be read when the program started (" +
                                     denied + "), so it is not replaced");
  EXPECT_EQ(fs::status(file).permissions(), fs::perms::none);
  EXPECT_EQ(Bytes(file), before);
}

TEST_F(DefaultDataTest, AFifoInPlaceOfTheFileIsReportedAtOnce) {
  const fs::path file = dir / "Quillmere.dat";
  ASSERT_EQ(::mkfifo(file.c_str(), 0644), 0);
  Program p;
  p.Load(file);
  ASSERT_EQ(p.messages.lines.size(), 1u);
  EXPECT_EQ(p.messages.lines[0],
            "warning: Could not read " + file.string() + ": it is a FIFO (named pipe), not a file");
  // Nothing of the FIFO is applied: the window shows the start state.
  EXPECT_EQ(p.state.Home.Pressure, 0);
}

// A save killed after naming its new file leaves ".Quillmere.dat.<pid>-<n>.tmp";
// the next start removes it once that process is gone.
TEST_F(DefaultDataTest, StartUpRemovesWhatKilledSavesLeftBehind) {
  const pid_t gone = ::fork();
  if (gone == 0) ::_exit(0);
  ::waitpid(gone, nullptr, 0);
  const fs::path file = dir / "Quillmere.dat";
  fs::copy_file(Vector("typical.dat"), file);
  const fs::path litter = dir / TemporaryName(file, gone, 0);
  testing::WriteText(litter, "half");
  Program p;
  p.Load(file);
  EXPECT_FALSE(fs::exists(litter));
  EXPECT_TRUE(p.messages.lines.empty());
}

TEST_F(DefaultDataTest, ASelectionEqualToTheControlsRunsNoHandler) {
  Program p;
  p.Load(Vector("typical.dat"));
  const int first = p.handlers_run;
  EXPECT_EQ(first, 13);  // every group changed from no selection
  p.Load(Vector("typical.dat"));
  EXPECT_EQ(p.handlers_run, first);  // all equal the second time
}

TEST(VersionInfo, TitleVersionFromTheFileVersion) {
  EXPECT_EQ(ProgramVersion("2014.0.1.25"), "1.25");
  EXPECT_EQ(ProgramVersion("2026.0.1.123456789"), "1.1234");
  EXPECT_EQ(ProgramVersion("2014.0."), "");
  EXPECT_EQ(ProgramVersion(""), "");
  EXPECT_EQ(ProgramVersion("2014.0.1"), "1");
  const VersionInfo info = ReadVersionInfo();
  EXPECT_EQ(info.size(), kVersionKeys.size());
  EXPECT_EQ(FileVersion(info).size() >= 8, true);
}

}  // namespace
}  // namespace quillmere
