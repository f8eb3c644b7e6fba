// The whole recalculation against an independent implementation: each
// reference data file is loaded as start-up loads it (the controls set in
// their order, their handlers run), and every text the window would show is
// compared with the reference's.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "default_data.h"
#include "support/message_log.h"
#include "support/recording_display.h"
#include "support/reference_cases.h"

namespace quillmere {
namespace {

namespace fs = std::filesystem;
using testing::ReferenceCase;

// The program as start-up leaves it: vapour over water, then the data file.
struct Program {
  Program() : calc(state, display, moon, FixedUtcClock({2026, 12, 7, 8, 30, 0, 0})) {
    state.Home.VapourOverWater = state.DX.VapourOverWater = 1;
  }
  QuillmereState state;
  testing::RecordingDisplay display;
  testing::FakeSunMoon moon;
  Calculator calc;
  RecordBuffer buffer;
  testing::MessageLog messages;
};

class RecalculationReference : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("quillmere-recalc-" + std::to_string(::getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  fs::path WriteDataFile(const ReferenceCase& c) const {
    const fs::path file = dir_ / "Quillmere.dat";
    std::ofstream(file, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(c.record.data()), c.record.size());
    return file;
  }

  fs::path dir_;
};

// In the Moon path the path length and its free-space loss follow the Moon's
// distance of the moment, which the reference does not fix.
bool FollowsTheLiveMoon(const ReferenceCase& c, const std::string& component) {
  return c.eme && (component == "Panel14" || component == "Panel34");
}

TEST_F(RecalculationReference, EveryTextOfEveryCaseMatchesAfterTheLoad) {
  const auto& cases = testing::ReferenceCases();
  ASSERT_EQ(cases.size(), 300u);
  int compared = 0;
  for (const ReferenceCase& c : cases) {
    Program p;
    LoadDefaults(p.calc, p.display, p.buffer, WriteDataFile(c), p.messages);
    EXPECT_TRUE(p.messages.lines.empty()) << "case " << c.number << ": " << p.messages.lines[0];
    for (const auto& [component, expected] : c.texts) {
      if (!c.Text(component) || FollowsTheLiveMoon(c, component)) continue;
      const auto shown = p.display.texts.find(component);
      if (shown == p.display.texts.end()) {
        ADD_FAILURE() << "case " << c.number << ": " << component << " never written";
        continue;
      }
      EXPECT_EQ(shown->second, expected) << "case " << c.number << ", " << component;
      ++compared;
    }
  }
  // Every case gives at least the station blocks' texts.
  EXPECT_GT(compared, 300 * 60);
}

}  // namespace
}  // namespace quillmere
