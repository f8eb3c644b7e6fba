// quillmere-report --track: arguments, exit status and the JSON document.

#include "track.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <utility>

namespace quillmere {
namespace {

constexpr double k2026Jan1 = 1767225600.0;

struct CommandRun {
  int status;
  std::string out, err;
  std::string data_file_seen;
  Stations stations_seen;
};

CommandRun Track(std::vector<std::string> args, bool data_ok = true, bool ray_traced = true,
                 double now_utc_s = k2026Jan1 + 0.75) {
  CommandRun run;
  std::ostringstream out, err;
  run.status = RunTrackCommand(
      args, now_utc_s,
      [&](const std::string& data_file,
          const Stations& stations) -> std::optional<TrackEnvironment> {
        run.data_file_seen = data_file;
        run.stations_seen = stations;
        if (!data_ok) return std::nullopt;
        TrackEnvironment env;
        env.frequency_hz = 24.048e9;
        env.attenuation_db = [](bool, double el) { return el > 0 ? 0.1 : 99.0; };
        // The ray-traced air stands out by its figures: 0.201 dB at Home,
        // 0.303 dB at DX, under a 30 K sky (odd thousandths, which the
        // JSON keeps).
        if (ray_traced) {
          env.ray_traced = [] {
            return StationAir([](bool dx, const MoonSighting&) {
              return SlantAir{dx ? 0.303 : 0.201, 30.0};
            });
          };
        }
        return env;
      },
      out, err);
  run.out = out.str();
  run.err = err.str();
  return run;
}

TEST(TrackCommand, RefusesBadArgumentsWithStatusTwo) {
  struct Case {
    const char* what;
    std::vector<std::string> args;
  };
  const std::vector<std::string> ok = {"--track", "--home", "JO22oc", "--dx", "FN31pr"};
  auto with = [&](std::vector<std::string> more) {
    std::vector<std::string> a = ok;
    a.insert(a.end(), more.begin(), more.end());
    return a;
  };
  const Case cases[] = {
      {"bad home locator", {"--track", "--home", "ZZ99", "--dx", "FN31"}},
      {"bad dx position", {"--track", "--home", "JO22", "--dx", "95,10"}},
      {"missing dx", {"--track", "--home", "JO22"}},
      {"missing --track", {"--home", "JO22", "--dx", "FN31"}},
      {"span over 14 days", with({"--span", "20161"})},
      {"span of nothing", with({"--span", "0"})},
      {"date that does not exist", with({"--from", "2026-02-30T00:00:00"})},
      {"hour 24", with({"--from", "2026-01-01T24:00:00"})},
      {"minute 60", with({"--from", "2026-01-01T12:60:00"})},
      {"second 60 (UTC's leap seconds are not taken)", with({"--from", "2026-01-01T12:00:60"})},
      {"time without seconds", with({"--from", "2026-01-01T12:00"})},
      {"a letter O for a zero in the year", with({"--from", "2O26-01-01T00:00:00"})},
      {"a sign in the minutes", with({"--from", "2026-01-01T12:+1:00"})},
      {"a blank for the T", with({"--from", "2026-01-01 12:00:00"})},
      {"year outside 1950-2100", with({"--from", "2150-01-01T00:00:00"})},
      {"height not a number", with({"--home-height", "tall"})},
      {"value missing at the end", with({"--step"})},
      {"step longer than span", with({"--span", "10", "--step", "11"})},
      {"unknown option", with({"--frobnicate", "1"})},
      {"unknown atmosphere", with({"--atmosphere", "isothermal"})},
      {"an empty data file name (not the default file)", with({"--data", ""})},
      {"minimum elevation above the zenith", with({"--home-min-el", "95"})},
      {"minimum elevation too far below the horizon", with({"--dx-min-el", "-6"})},
      {"unknown Doppler mode", with({"--now", "--doppler", "own echo"})},
      {"sked frequency below the bands", with({"--now", "--sky-mhz", "144.1"})},
      {"sked frequency without --now", with({"--sky-mhz", "10368.1"})},
      {"an empty stations file name", with({"--stations", ""})},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const CommandRun run = Track(c.args);
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(run.out.empty());
    EXPECT_FALSE(run.err.empty());
  }
  const CommandRun bad_data = Track(with({"--data", "/nonexistent/Quillmere.dat"}), false);
  EXPECT_EQ(bad_data.status, 1);
  EXPECT_EQ(bad_data.data_file_seen, "/nonexistent/Quillmere.dat");
}

// The planner's stations file gives both stations whole; the options then
// change what they name, in whatever order they come.
TEST(TrackCommand, TheStationsFileAndWhatTheOptionsChange) {
  const std::string file =
      (std::filesystem::temp_directory_path() /
       ("quillmere-track-stations-" +
        std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + ".ini"))
          .string();
  std::ofstream(file) << "[Home]\nName=G4XYZ\nLocation=IO91\nHeightM=120\nMinElevationDeg=2\n"
                         "DishDiameterM=2.4\n[DX]\nName=W1AW\nLocation=FN31\nHeightM=3000\n"
                         "MinElevationDeg=-1.5\n";
  struct Case {
    const char* what;
    std::vector<std::string> more;
    double home_height, home_min_el, dx_min_el;
  };
  const Case cases[] = {
      {"the file as it is", {}, 120, 2, -1.5},
      {"options after it", {"--home-height", "40", "--dx-min-el", "0.5"}, 40, 2, 0.5},
      {"options before it count the same", {"--home-min-el", "-0.5"}, 120, -0.5, -1.5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<std::string> args = {"--track", "--span", "10"};
    args.insert(args.end(), c.more.begin(), c.more.end());
    args.insert(args.end(), {"--stations", file, "--json"});
    const CommandRun run = Track(args);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.stations_seen.home.height_m, c.home_height);
    EXPECT_EQ(run.stations_seen.dx.height_m, 3000);
    EXPECT_EQ(run.stations_seen.home.min_elevation_deg, c.home_min_el);
    EXPECT_EQ(run.stations_seen.dx.min_elevation_deg, c.dx_min_el);
    EXPECT_EQ(run.stations_seen.home.dish_diameter_m, 2.4);
  }
  // A --dx moves the file's DX, keeping its height.
  const CommandRun moved =
      Track({"--track", "--stations", file, "--dx", "PM95", "--span", "10", "--json"});
  ASSERT_EQ(moved.status, 0);
  EXPECT_NEAR(moved.stations_seen.dx.latitude_deg, 35.5, 1e-9);
  EXPECT_EQ(moved.stations_seen.dx.height_m, 3000);
  std::filesystem::remove(file);
  const CommandRun missing = Track({"--track", "--stations", file + ".gone", "--json"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("stations file"), std::string::npos);
}

// --now gives the strip's second: its time, its mode, its dial and the
// window in words, from the windows of the fortnight ahead.
TEST(TrackCommand, NowIsTheStripsSecond) {
  const CommandRun run =
      Track({"--track", "--now", "--home", "JO01", "--dx", "FN31", "--from", "2026-12-08T13:16:07",
             "--sky-mhz", "10368.1", "--doppler", "on-dx-echo"});
  ASSERT_EQ(run.status, 0) << run.err;
  const auto json = nlohmann::json::parse(run.out);
  EXPECT_EQ(json["utc"], "2026-12-08T13:16:07Z");
  EXPECT_EQ(json["doppler"]["mode"], "on-dx-echo");
  EXPECT_EQ(json["doppler"]["sky_hz"], 10368.1e6);
  // On the DX's echo: RX = f + D_hd, TX = f + D_dx - D_hd.
  const double hd = json["doppler"]["home_dx_hz"], dx = json["doppler"]["self_dx_hz"];
  EXPECT_NEAR(json["doppler"]["rx_correction_hz"].get<double>(), hd, 0.11);
  EXPECT_NEAR(json["doppler"]["tx_correction_hz"].get<double>(), dx - hd, 0.11);
  EXPECT_TRUE(json["mutual"].get<bool>());
  EXPECT_EQ(json["window"].get<std::string>().rfind("Window open until ", 0), 0u) << json["window"];
  EXPECT_TRUE(json["home"]["sun"].contains("az"));
}

// "Now" from a clock outside the years the Moon is checked for is refused
// as such a --from is; with --from the clock does not matter.
TEST(TrackCommand, AClockOutsideTheCheckedYearsIsRefused) {
  const std::vector<std::string> args = {"--track", "--home", "JO22", "--dx", "FN31"};
  const double k2262 = 9223372036.0;  // 2262-04-11T23:47:16Z, where nanoseconds wrap
  const CommandRun run = Track(args, true, true, k2262);
  EXPECT_EQ(run.status, 2);
  EXPECT_TRUE(run.out.empty());
  EXPECT_NE(run.err.find("outside 1950-2100"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("2262-04-11T23:47:16Z"), std::string::npos) << run.err;
  std::vector<std::string> from = args;
  from.insert(from.end(), {"--from", "2026-01-01T00:00:00", "--span", "1"});
  EXPECT_EQ(Track(from, true, true, k2262).status, 0);
}

TEST(TrackCommand, HelpPrintsTheUsage) {
  const CommandRun run = Track({"--track", "--help"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out.rfind("usage: quillmere-report --track", 0), 0u) << run.out;
}

// The table's header holds the locators as given, however long.
TEST(TrackCommand, TheTableHeaderIsNeverCut) {
  const std::string home = "51." + std::string(300, '0') + "1,-0.1";
  const CommandRun run = Track(
      {"--track", "--home", home, "--dx", "FN31", "--from", "2026-01-01T00:00:00", "--span", "1"});
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string header = run.out.substr(0, run.out.find('\n'));
  EXPECT_EQ(header.rfind("Home " + home + " (51.0000, -0.1000, 0 m)", 0), 0u) << header;
  EXPECT_TRUE(header.ends_with("Atmosphere: ray-traced (P.676-13 Annex 1)")) << header;
}

TEST(TrackCommand, JsonHasEveryRowAndWindow) {
  const CommandRun run =
      Track({"--track", "--home", "JO22oc", "--dx", "41.7,-72.7", "--dx-height", "90", "--from",
             "2026-01-01T00:00:00", "--span", "2880", "--step", "10", "--json"});
  ASSERT_EQ(run.status, 0) << run.err;
  const auto doc = nlohmann::json::parse(run.out);
  EXPECT_NEAR(doc["home"]["lat"].get<double>(), 52.1041667, 1e-6);
  EXPECT_NEAR(doc["dx"]["lon"].get<double>(), -72.7, 1e-12);
  EXPECT_NEAR(doc["dx"]["height_m"].get<double>(), 90.0, 1e-12);
  ASSERT_EQ(doc["rows"].size(), 289u);
  const auto& first = doc["rows"][0];
  EXPECT_EQ(first["utc"], "2026-01-01T00:00:00Z");
  EXPECT_EQ(doc["rows"][1]["utc"], "2026-01-01T00:10:00Z");
  for (const char* key : {"az", "el", "el_refracted", "range_km"}) {
    EXPECT_TRUE(first["home"].contains(key)) << key;
    EXPECT_TRUE(first["dx"].contains(key)) << key;
  }
  for (const char* key :
       {"mutual", "doppler_self_hz", "doppler_home_dx_hz", "delay_s", "libration_hz", "dgrd_db"})
    EXPECT_TRUE(first.contains(key)) << key;
  int mutual_rows = 0;
  for (const auto& row : doc["rows"]) {
    mutual_rows += row["mutual"].get<bool>();
    // Terms only while the Moon is up for both stations.
    const bool both_up = row["home"]["el_refracted"].get<double>() > 0 &&
                         row["dx"]["el_refracted"].get<double>() > 0;
    EXPECT_EQ(row["dgrd_db"]["home_dx"].is_null(), !both_up);
    if (both_up) {
      EXPECT_NEAR(row["dgrd_db"]["home_dx"]["attenuation_tx"].get<double>(), 0.201, 1e-9);
    }
  }
  EXPECT_GT(mutual_rows, 0);
  // The Doppler shifts are given to 0.1 Hz, the spread to 0.01 Hz: over 288
  // rows some end in an odd last digit, which a coarser rounding never gives.
  for (const auto& [key, step] :
       {std::pair{"doppler_self_hz", 0.1}, std::pair{"doppler_home_dx_hz", 0.1},
        std::pair{"libration_hz", 0.01}}) {
    int odd = 0;
    for (const auto& row : doc["rows"]) odd += std::llround(row[key].get<double>() / step) % 2 != 0;
    EXPECT_GT(odd, 0) << key;
  }
  // Each station's own echo: its delay to the microsecond from its range,
  // and Home's own Doppler shift is the row's.
  int odd_microseconds = 0;
  for (const auto& row : doc["rows"]) {
    for (const char* who : {"home", "dx"}) {
      const double delay = row[who]["delay_s"], range = row[who]["range_km"];
      EXPECT_NEAR(delay, 2 * range / 299792.458, 0.5e-6 + 0.05 * 2 / 299792.458) << who;
      odd_microseconds += std::llround(delay / 1e-6) % 2 != 0;
    }
    EXPECT_NEAR(row["home"]["doppler_self_hz"].get<double>(), row["doppler_self_hz"].get<double>(),
                0.1 + 1e-9);
  }
  EXPECT_GT(odd_microseconds, 0);
  // Two days hold two or three mutual windows of this pair.
  EXPECT_GE(doc["windows"].size(), 2u);
  EXPECT_LE(doc["windows"].size(), 3u);
  EXPECT_LT(doc["windows"][0]["start"].get<std::string>(),
            doc["windows"][0]["end"].get<std::string>());
}

// A step as long as the span gives its start and its end, not a refusal;
// the last second of a year is a moment like any other.
TEST(TrackCommand, AStepAsLongAsTheSpanGivesItsStartAndEnd) {
  const CommandRun run = Track({"--track", "--home", "JO01", "--dx", "FN31", "--from",
                                "2026-12-31T23:59:59", "--span", "10", "--step", "10", "--json"});
  ASSERT_EQ(run.status, 0) << run.err;
  const auto rows = nlohmann::json::parse(run.out)["rows"];
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0]["utc"], "2026-12-31T23:59:59Z");
  EXPECT_EQ(rows[1]["utc"], "2027-01-01T00:09:59Z");
}

// The degradation's air is the ray trace unless the window's cosecant model
// is asked for, and the output says which.
TEST(TrackCommand, SaysWhichAtmosphereItUsed) {
  struct Case {
    const char* what;
    std::vector<std::string> more;
    const char* name;
    double home_db, dx_db;
  };
  const Case cases[] = {
      {"the ray trace by default", {}, "ray-traced", 0.201, 0.303},
      {"the window's model asked for", {"--atmosphere", "cosecant"}, "cosecant", 0.1, 0.1},
      {"the ray trace asked for", {"--atmosphere", "ray-traced"}, "ray-traced", 0.201, 0.303},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<std::string> args = {
        "--track", "--home", "JO22oc", "--dx", "FN31pr", "--from", "2026-01-01T00:00:00",
        "--span",  "1440",   "--step", "30"};
    args.insert(args.end(), c.more.begin(), c.more.end());
    std::vector<std::string> json = args;
    json.push_back("--json");
    const CommandRun run = Track(json);
    ASSERT_EQ(run.status, 0) << run.err;
    const auto doc = nlohmann::json::parse(run.out);
    EXPECT_EQ(doc["atmosphere"], c.name);
    int both_up = 0;
    for (const auto& row : doc["rows"]) {
      const auto& terms = row["dgrd_db"]["home_dx"];
      if (terms.is_null()) continue;
      ++both_up;
      EXPECT_NEAR(terms["attenuation_tx"].get<double>(), c.home_db, 1e-9);
      EXPECT_NEAR(terms["attenuation_rx"].get<double>(), c.dx_db, 1e-9);
    }
    EXPECT_GT(both_up, 0);
    const CommandRun table = Track(args);
    ASSERT_EQ(table.status, 0);
    const std::string first_line = table.out.substr(0, table.out.find('\n'));
    EXPECT_NE(
        first_line.find(std::string("Atmosphere: ") + (c.name == std::string("cosecant")
                                                           ? "window's cosecant model"
                                                           : "ray-traced (P.676-13 Annex 1)")),
        std::string::npos)
        << first_line;
  }
  // A data file that gives no ray-traced air cannot serve the ray trace.
  const CommandRun without = Track(
      {"--track", "--home", "JO22", "--dx", "FN31", "--span", "10", "--atmosphere", "ray-traced"},
      true, false);
  EXPECT_EQ(without.status, 1);
  EXPECT_TRUE(without.out.empty());
}

// Without --from the rows start on the whole minute in progress and run to
// the span's end; a --from keeps its second.
TEST(TrackCommand, StartsNowOnTheMinuteInProgress) {
  struct Case {
    const char* what;
    std::vector<std::string> more;
    const char *first, *last;
  };
  const Case cases[] = {
      {"now, 27.75 s into a minute", {}, "2026-01-01T00:12:00Z", "2026-01-01T00:15:00Z"},
      {"a chosen second",
       {"--from", "2026-01-01T00:12:27"},
       "2026-01-01T00:12:27Z",
       "2026-01-01T00:15:27Z"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<std::string> args = {"--track", "--home", "JO22", "--dx",
                                     "FN31",    "--span", "3",    "--json"};
    args.insert(args.end(), c.more.begin(), c.more.end());
    const CommandRun run = Track(args, true, true, k2026Jan1 + 12 * 60 + 27.75);
    ASSERT_EQ(run.status, 0) << run.err;
    const auto doc = nlohmann::json::parse(run.out);
    ASSERT_EQ(doc["rows"].size(), 4u);
    EXPECT_EQ(doc["rows"][0]["utc"], c.first);
    EXPECT_EQ(doc["rows"][3]["utc"], c.last);
  }
}

// The stations' heights reach the data file's air, not only the geometry.
TEST(TrackCommand, TheHeightsReachTheAir) {
  const CommandRun run =
      Track({"--track", "--home", "JO22", "--dx", "FN31", "--home-height", "2850", "--dx-height",
             "15", "--from", "2026-01-01T00:00:00", "--span", "1", "--json"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.stations_seen.home.height_m, 2850.0);
  EXPECT_EQ(run.stations_seen.dx.height_m, 15.0);
  EXPECT_EQ(run.stations_seen.home.latitude_deg, 52.5);
}

TEST(TrackCommand, ReadableTableWithoutJson) {
  const CommandRun run = Track({"--track", "--home", "JO22", "--dx", "FN31", "--span", "5"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("Home JO22"), std::string::npos);
  EXPECT_NE(run.out.find("2026-01-01T00:04:00Z"), std::string::npos);
  EXPECT_NE(run.out.find("Mutual windows:"), std::string::npos);
  EXPECT_EQ(run.out.find('{'), std::string::npos);
}

}  // namespace
}  // namespace quillmere
