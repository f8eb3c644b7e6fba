// Follow the Moon's minutes: what the user is told of a Moon below a
// station's horizon, and the rise the follower keeps from minute to minute.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "moon_follow.h"

namespace quillmere {
namespace {

constexpr double kEvening = 1796662800.0;  // 2026-12-07T17:00:00Z

TEST(BelowHorizonNote, SaysWhichStationAndWhenTheMoonRises) {
  const std::optional<double> up = 20.0, down;
  struct Case {
    const char* what;
    FollowedStation home, dx;
    const char* note;
  } cases[] = {
      {"both up", {up, {}}, {up, {}}, ""},
      {"DX down, rising the same day",
       {up, {}},
       {down, kEvening + 3840},
       "Moon below DX horizon, rises 18:04 UTC"},
      {"Home down, rising after midnight",
       {down, kEvening + 7 * 3600 + 59},
       {up, {}},
       "Moon below Home horizon, rises 2026-12-08 00:00 UTC"},
      {"both down, DX without a rise",
       {down, kEvening + 60},
       {down, {}},
       "Moon below Home horizon, rises 17:01 UTC; below DX horizon, no rise in the next 14 days"},
  };
  for (const Case& c : cases) {
    FollowStep step;
    step.home = c.home;
    step.dx = c.dx;
    EXPECT_EQ(BelowHorizonNote(step, kEvening), c.note) << c.what;
  }
}

// The follower's rise is the one a fresh search finds, minute after minute
// and after the stations change.
TEST(MoonFollower, KeepsEachStationsRiseUntilTheStationsChange) {
  Stations stations;
  stations.home.latitude_deg = 51.5;  // JO01: the Moon is down at 17:00
  stations.home.longitude_deg = 1.0;
  stations.dx.latitude_deg = -33.4;  // the southern Andes: up at 17:00
  stations.dx.longitude_deg = -70.6;
  MoonFollower follower;
  MoonTracker tracker;
  for (int minute = 0; minute < 3; ++minute) {
    const double now = kEvening + 60.0 * minute;
    const FollowStep step = follower.Step(stations, now);
    EXPECT_FALSE(step.home.elevation_deg);
    EXPECT_EQ(step.home.rises_utc_s, NextMoonRise(tracker, stations.home, now));
    ASSERT_TRUE(step.dx.elevation_deg);
    tracker.SetMoment(now);
    const MoonSighting dx = tracker.See(-33.4, -70.6, 0.0);
    EXPECT_EQ(*step.dx.elevation_deg, dx.elevation_refracted_deg);
  }
  // A minimum elevation of 20 degrees puts the rise later.
  stations.home.min_elevation_deg = 20.0;
  const double now = kEvening + 180.0;
  const FollowStep step = follower.Step(stations, now);
  EXPECT_EQ(step.home.rises_utc_s, NextMoonRise(tracker, stations.home, now));
  EXPECT_NE(step.home.rises_utc_s, NextMoonRise(tracker, Station{}, now));
}

}  // namespace
}  // namespace quillmere
