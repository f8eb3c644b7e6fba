// The "Now" strip's model: the Doppler of each mode operators coordinate
// with, the window's state in words, and the strip's row as the planner's.
#include "now.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "planner_model.h"

namespace quillmere {
namespace {

constexpr double k2026Dec8 = 1796688000.0;  // 2026-12-08T00:00:00Z
constexpr double kHour = 3600.0, kMinute = 60.0;

// Each mode's dial from its definition, for shifts of +1000 Hz on Home's
// own echo, +700 Hz Home to DX and +400 Hz on the DX's own echo.
TEST(Doppler, EachModeDialsAsDefined) {
  struct Case {
    DopplerMode mode;
    const char* name;
    double rx_correction, tx_correction;
  };
  const Case cases[] = {
      {DopplerMode::kNone, "none", 0, 0},
      {DopplerMode::kOwnEcho, "own-echo", 1000, 0},
      {DopplerMode::kConstantOnMoon, "cfom", 500, -500},
      {DopplerMode::kFullDx, "full-dx", 700, -700},
      {DopplerMode::kOnDxEcho, "on-dx-echo", 700, -300},
  };
  const double sky = 10368.1e6;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_STREQ(DopplerModeName(c.mode), c.name);
    EXPECT_EQ(DopplerModeFromName(c.name), c.mode);
    const DialFrequencies dial = DopplerDial(c.mode, sky, {1000.0, 700.0, 400.0});
    EXPECT_DOUBLE_EQ(dial.rx_correction_hz, c.rx_correction);
    EXPECT_DOUBLE_EQ(dial.tx_correction_hz, c.tx_correction);
    EXPECT_DOUBLE_EQ(dial.rx_hz, sky + c.rx_correction);
    EXPECT_DOUBLE_EQ(dial.tx_hz, sky + c.tx_correction);
  }
  EXPECT_FALSE(DopplerModeFromName("own echo"));
  // The shifts at the sky frequency from the range rates: Home approaches
  // at 0.1 km/s, the DX recedes at 0.05 km/s.
  TrackRow row;
  row.home.range_rate_km_s = -0.1;
  row.dx.range_rate_km_s = 0.05;
  const DopplerShifts d = DopplerAt(row, 10368.1e6);
  EXPECT_NEAR(d.self_home_hz, 6916.8518, 1e-3);
  EXPECT_NEAR(d.home_dx_hz, 1729.2129, 1e-3);
  EXPECT_NEAR(d.self_dx_hz, -3458.4259, 1e-3);
}

TEST(WindowState, InWordsForNowOpenNextAndNone) {
  MutualWindow today;  // 13:00:00 to 14:42:30, best 13:16 at 16.74 dB
  today.start_utc_s = k2026Dec8 + 13 * kHour;
  today.end_utc_s = k2026Dec8 + 14 * kHour + 42 * kMinute + 30;
  today.best_utc_s = k2026Dec8 + 13 * kHour + 16 * kMinute;
  today.best_total_db = 16.74;
  MutualWindow evening = today;  // 18:04 to 20:42
  evening.start_utc_s = k2026Dec8 + 18 * kHour + 4 * kMinute;
  evening.end_utc_s = k2026Dec8 + 20 * kHour + 42 * kMinute;
  MutualWindow later = evening;  // two days on
  later.start_utc_s += 2 * 86400.0;
  later.end_utc_s += 2 * 86400.0;
  struct Case {
    const char* what;
    std::vector<MutualWindow> windows;
    double now;
    int offset_s;
    const char* want;
  };
  const Case cases[] = {
      {"open",
       {today, evening},
       k2026Dec8 + 13.5 * kHour,
       0,
       "Window open until 14:42 \u2014 best 13:16 (16.7 dB)"},
      {"open, in local time an hour ahead",
       {today},
       k2026Dec8 + 13.5 * kHour,
       3600,
       "Window open until 15:42 \u2014 best 14:16 (16.7 dB)"},
      {"the next, the same day",
       {today, evening},
       k2026Dec8 + 15 * kHour,
       0,
       "Next window 18:04\u201320:42, in 3 h 4 min"},
      {"the next, part of a minute away",
       {evening},
       evening.start_utc_s - 20,
       0,
       "Next window 18:04\u201320:42, in 1 min"},
      {"the next, days away",
       {later},
       k2026Dec8 + 15 * kHour,
       0,
       "Next window 10 Dec 18:04\u201320:42, in 2 d 3 h"},
      {"none", {}, k2026Dec8, 0, "No window in the next 14 days"},
      {"all past", {today}, k2026Dec8 + 15 * kHour, 0, "No window in the next 14 days"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(WindowStateText(c.windows, c.now, c.now + 14 * 86400.0, c.offset_s), c.want);
  }
}

// The strip's second is the planner's row at that second, and its JSON
// carries the same figures.
TEST(Now, IsThePlannersRowAtThatSecond) {
  PlannerRequest request;
  request.stations.home.latitude_deg = 51.5;
  request.stations.home.longitude_deg = 1.0;
  request.stations.dx.latitude_deg = 41.5;
  request.stations.dx.longitude_deg = -73.0;
  request.start_utc_s = k2026Dec8 + 13 * kHour;
  request.span_minutes = 60;
  const PlannedTrack planned = PlanTrack(request, TrackEnvironment{});
  TrackRequest track;
  track.stations = request.stations;
  track.frequency_hz = planned.frequency_hz;
  MoonTracker tracker;
  const TrackRow& minute = planned.track.rows[16];  // 13:16
  const NowState now = ComputeNow(tracker, track, minute.utc_s, 10368.1e6, DopplerMode::kFullDx,
                                  planned.track.windows, request.start_utc_s + 3600.0);
  EXPECT_DOUBLE_EQ(now.row.home.azimuth_deg, minute.home.azimuth_deg);
  EXPECT_DOUBLE_EQ(now.row.dx_sun_separation_deg, minute.dx_sun_separation_deg);
  // The Moon's phase is kept for ten minutes along a track: its brightness
  // may differ by a fraction of a kelvin.
  EXPECT_NEAR(now.row.home_dx.total_db, minute.home_dx.total_db, 1e-3);
  EXPECT_NEAR(now.doppler.home_dx_hz, minute.doppler_home_dx_hz * 10368.1e6 / planned.frequency_hz,
              1e-6);
  const auto json = nlohmann::json::parse(NowJson(now, track.stations, 0));
  EXPECT_EQ(json["utc"], "2026-12-08T13:16:00Z");
  EXPECT_EQ(json["local"], "2026-12-08T13:16:00+00:00");
  EXPECT_EQ(json["doppler"]["mode"], "full-dx");
  EXPECT_NEAR(json["home"]["sun_moon_sep_deg"].get<double>(), minute.home_sun_separation_deg, 5e-4);
  EXPECT_NEAR(json["dgrd_db"]["home_dx"]["sun_noise"].get<double>(), minute.home_dx.sun_noise_db,
              5e-4);
  EXPECT_EQ(json["window"], now.window_text);
  // The strip's lines: the time in both clocks, the dial with its signs.
  const NowLines lines = LinesOf(now, -5 * 3600);
  EXPECT_EQ(lines.time, "13:16:00 UTC   08:16:00 local");
  char dial[128];
  std::snprintf(dial, sizeof dial, "RX %.6f MHz (%s%.0f Hz)", now.dial.rx_hz / 1e6,
                now.doppler.home_dx_hz < 0 ? "\u2212" : "+", std::fabs(now.doppler.home_dx_hz));
  EXPECT_TRUE(lines.dial.starts_with(dial)) << lines.dial;
  EXPECT_TRUE(lines.home.starts_with("Moon az ")) << lines.home;
  EXPECT_NE(lines.path.find("degradation"), std::string::npos) << lines.path;
}

}  // namespace
}  // namespace quillmere
