// quillmere-report's one option reader, and every mode reading through it.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "option_reader.h"
#include "report.h"
#include "spectrum.h"
#include "track.h"

namespace quillmere {
namespace {

// The first option read from `args`: its name, whether it is a flag of that
// name, and its value (or the complaint when it has none).
struct Read {
  std::string name;
  bool is_flag;
  std::optional<std::string> value;
  std::string error;
};

Read First(std::vector<std::string_view> args) {
  OptionReader reader(args);
  EXPECT_TRUE(reader.Next());
  Read read{std::string(reader.Name()), reader.IsFlag(reader.Name()), std::nullopt, {}};
  if (const auto value = reader.Value(read.error)) read.value = std::string(*value);
  return read;
}

TEST(OptionReader, TakesBothGnuForms) {
  struct Case {
    const char* what;
    std::vector<std::string_view> args;
    Read expected;
  };
  const Case cases[] = {
      {"value after '='", {"--data=x.dat"}, {"--data", false, "x.dat", ""}},
      {"value as the next argument", {"--data", "x.dat"}, {"--data", true, "x.dat", ""}},
      {"an empty value after '='", {"--data="}, {"--data", false, "", ""}},
      {"only the first '=' splits", {"--weather=a=b"}, {"--weather", false, "a=b", ""}},
      {"a flag is a flag without '='",
       {"--json"},
       {"--json", true, std::nullopt, "--json needs a value"}},
      {"a flag given a value is no flag", {"--json=yes"}, {"--json", false, "yes", ""}},
      {"a single dash is never split",
       {"-h=1"},
       {"-h=1", true, std::nullopt, "-h=1 needs a value"}},
      {"no value at the end", {"--utc"}, {"--utc", true, std::nullopt, "--utc needs a value"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Read read = First(c.args);
    EXPECT_EQ(read.name, c.expected.name);
    EXPECT_EQ(read.is_flag, c.expected.is_flag);
    EXPECT_EQ(read.value, c.expected.value);
    EXPECT_EQ(read.error, c.expected.error);
  }
}

// Each mode reads "--name=VALUE" as "--name VALUE".
TEST(OptionReader, EveryModeTakesAValueAfterEquals) {
  const auto track = ParseTrackArguments(
      {"--track", "--home=JO22", "--dx=FN31", "--span=10", "--from=2026-01-01T00:00:00"});
  ASSERT_TRUE(std::holds_alternative<TrackOptions>(track)) << std::get<std::string>(track);
  EXPECT_EQ(std::get<TrackOptions>(track).dx_text, "FN31");
  EXPECT_EQ(std::get<TrackOptions>(track).span_minutes, 10);

  std::string error;
  const std::vector<std::string_view> slant = {"--slant", "--station=dx", "--ghz=24",
                                               "--elevations=5,10"};
  const auto request = ParseExactPathCommand(slant, error);
  ASSERT_TRUE(request) << error;
  EXPECT_EQ(request->ghz, 24);

  const std::vector<std::string_view> report = {"--utc=2026-12-07T08:00:00", "--data=x.dat"};
  const auto options = ParseWindowReportOptions(report, error);
  ASSERT_TRUE(options) << error;
  EXPECT_EQ(options->utc->hour, 8);
}

// --help after a mode asks for that mode's usage, nothing computed.
TEST(OptionReader, HelpAfterAModeIsThatModesHelp) {
  const auto track = ParseTrackArguments({"--track", "--help"});
  ASSERT_TRUE(std::holds_alternative<TrackOptions>(track));
  EXPECT_TRUE(std::get<TrackOptions>(track).help);
  for (std::string_view mode : {"--spectrum", "--slant"}) {
    std::string error;
    const std::vector<std::string_view> args = {mode, "--help"};
    const auto request = ParseExactPathCommand(args, error);
    ASSERT_TRUE(request) << mode << ": " << error;
    EXPECT_TRUE(request->help) << mode;
  }
  EXPECT_EQ(ExactPathUsage().rfind("usage: quillmere-report --spectrum --station home|dx", 0), 0u);
}

}  // namespace
}  // namespace quillmere
