// The sun/moon component on ERFA: what the calculator reads from it after
// each moment it sets.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "sunmoon.h"
#include "sunmoon_test_support.h"

namespace quillmere {
namespace {

using test::kDistanceAccuracyKm;
using test::SetMoment;
using test::ToMoment;
using test::UtcMoment;

constexpr double kSpeedOfLight = 299792458.0;  // m/s
constexpr double kDopplerFrequencyHz = 10368.0e6;

// Moments from 1950 to 2100, one every 7 days and 5 hours, so that the
// sample walks through every time of day and every part of the anomalistic
// (27.55 d) and synodic (29.53 d) months.
std::vector<UtcMoment> SweepMoments() {
  using namespace std::chrono;
  std::vector<UtcMoment> moments;
  const sys_seconds first = sys_days{1950y / January / 1};
  const sys_seconds last = sys_days{2100y / December / 31};
  for (sys_seconds t = first; t <= last; t += days{7} + hours{5}) moments.push_back(ToMoment(t));
  return moments;
}

struct Reading {
  double distance, diameter, loss, phase, doppler;
};

Reading Read(SunMoonLibrary& library, const UtcMoment& moment) {
  SetMoment(library, moment);
  return {library.GetDistance(), library.GetAngularDiam(), library.GetDB(), library.GetMoonPhase(),
          library.GetDoppler()};
}

// Distance between two phases on the circle of the cycle, 0..0.5.
double PhaseGap(double a, double b) {
  const double gap = std::fabs(a - b);
  return std::min(gap, 1.0 - gap);
}

class SunMoonTest : public ::testing::Test {
 protected:
  std::unique_ptr<SunMoonLibrary> library_ = MakeErfaSunMoon();
};

// --- Every reading over 150 years -------------------------------------------

TEST_F(SunMoonTest, ReadingsStayInTheirPhysicalRangesFrom1950To2100) {
  double min_distance = 1e9, max_distance = 0, max_doppler = 0;
  for (const UtcMoment& m : SweepMoments()) {
    const Reading r = Read(*library_, m);
    ASSERT_TRUE(std::isfinite(r.distance)) << m.year << "-" << m.month << "-" << m.day;
    min_distance = std::min(min_distance, r.distance);
    max_distance = std::max(max_distance, r.distance);
    max_doppler = std::max(max_doppler, std::fabs(r.doppler));
    // The Moon's distance keeps the calculator's distance slider (356000 to
    // 407000 km) off its stops.
    ASSERT_GT(r.distance, 356000.0);
    ASSERT_LT(r.distance, 407000.0);
    ASSERT_GE(r.phase, 0.0);
    ASSERT_LT(r.phase, 1.0);
  }
  // The true extremes of the span are 356421.5 km (2052-12-06) and
  // 406711.6 km (1984-03-02); a weekly sample comes within a few hundred km.
  EXPECT_GT(min_distance, 356421.5 - kDistanceAccuracyKm);
  EXPECT_LT(min_distance, 357000.0);
  EXPECT_LT(max_distance, 406711.6 + kDistanceAccuracyKm);
  EXPECT_GT(max_distance, 406300.0);
  // The geocentric range rate peaks at 0.074 km/s: 5.12 kHz at 10368 MHz.
  EXPECT_LT(max_doppler, 5200.0);
  EXPECT_GT(max_doppler, 4500.0);
}

// --- Distance, diameter and loss at the 2016 "supermoon" ---------------------

// Perigee of 2016-11-14 near 11:21 UTC, the closest since 1948: 356509 km
// between the centres (published to the km; tolerance: half a unit plus the
// ephemeris' accuracy).
TEST_F(SunMoonTest, DistanceAtThe2016PerigeeMatchesThePublishedValue) {
  SetMoment(*library_, {2016, 11, 14, 11, 21, 0});
  EXPECT_NEAR(library_->GetDistance(), 356509.0, 0.5 + kDistanceAccuracyKm);
}

TEST_F(SunMoonTest, AngularDiameterFollowsTheDistance) {
  const UtcMoment moments[] = {
      {2016, 11, 14, 11, 21, 0},  // perigee
      {2016, 10, 31, 19, 59, 0},  // apogee
      {2024, 4, 8, 18, 21, 0},    // new moon
  };
  for (const UtcMoment& m : moments) {
    const Reading r = Read(*library_, m);
    EXPECT_NEAR(r.diameter, 2.0 * std::asin(1737.4 / r.distance) * 180.0 / std::numbers::pi, 1e-12)
        << m.year << "-" << m.month << "-" << m.day;
  }
  // 2 asin(1737.4 / 356509) = 0.55845 deg at the perigee, 0.48958 deg at
  // the apogee (406662 km); the distance error moves them by < 2e-5 deg.
  EXPECT_NEAR(Read(*library_, moments[0]).diameter, 0.55845, 0.00003);
  EXPECT_NEAR(Read(*library_, moments[1]).diameter, 0.48958, 0.00003);
}

// EME path loss at 144 MHz: 250.80 dB at 356509 km, 253.08 dB at 406662 km;
// the Moon's distance error (10 km) moves it by less than 0.0005 dB.
TEST_F(SunMoonTest, PathLossAt144MHzAtPerigeeAndApogee) {
  EXPECT_NEAR(Read(*library_, {2016, 11, 14, 11, 21, 0}).loss, 250.80, 0.005);
  EXPECT_NEAR(Read(*library_, {2016, 10, 31, 19, 59, 0}).loss, 253.08, 0.005);
}

// The loss grows with the fourth power of the distance (free-space loss out
// and back over a reflector whose gain falls with d^2): 40 log10 of the
// distance ratio, at whatever frequency.
TEST_F(SunMoonTest, PathLossGrowsWithTheFourthPowerOfTheDistance) {
  const Reading perigee = Read(*library_, {2016, 11, 14, 11, 21, 0});
  const Reading apogee = Read(*library_, {2016, 10, 31, 19, 59, 0});
  EXPECT_NEAR(apogee.loss - perigee.loss, 40.0 * std::log10(apogee.distance / perigee.distance),
              1e-9);
  // And its level: A + B - 10 log10(0.065) at 144 MHz.
  const double d = perigee.distance;
  const double expected = 32.45 + 20.0 * std::log10(144.0) + 20.0 * std::log10(d) +
                          10.0 * std::log10(4.0 * d * d / (1737.0 * 1737.0)) -
                          10.0 * std::log10(0.065);
  EXPECT_NEAR(perigee.loss, expected, 1e-9);
}

// --- Phase ---------------------------------------------------------------------

struct PhaseCase {
  const char* event;
  UtcMoment moment;  // published instant, to the minute
  double phase;
};

// New and full moons whose instants are published to the minute. Tolerance:
// the Moon gains 0.0085 deg a minute on the Sun (2.4e-5 of the cycle), plus
// the geometric-versus-apparent difference (< 2e-5) and the series' error in
// direction (< 1.5e-5): 1e-4.
const PhaseCase kPhaseCases[] = {
    {"new moon 2000-01-06 18:14", {2000, 1, 6, 18, 14, 0}, 0.0},
    {"new moon of the eclipse 2017-08-21 18:30", {2017, 8, 21, 18, 30, 0}, 0.0},
    {"new moon of the eclipse 2024-04-08 18:21", {2024, 4, 8, 18, 21, 0}, 0.0},
    {"full moon 2016-11-14 13:52", {2016, 11, 14, 13, 52, 0}, 0.5},
    {"full moon of the eclipse 2018-01-31 13:27", {2018, 1, 31, 13, 27, 0}, 0.5},
    {"full moon of the eclipse 2022-11-08 11:02", {2022, 11, 8, 11, 2, 0}, 0.5},
};

TEST_F(SunMoonTest, PhaseAtPublishedNewAndFullMoons) {
  for (const PhaseCase& c : kPhaseCases) {
    SetMoment(*library_, c.moment);
    EXPECT_LT(PhaseGap(library_->GetMoonPhase(), c.phase), 1e-4) << c.event;
  }
}

// Just before the new moon the phase is just below 1, never 1 itself; just
// after it, just above 0.
TEST_F(SunMoonTest, PhaseWrapsFromJustBelowOneToJustAboveZeroAtNewMoon) {
  SetMoment(*library_, {2017, 8, 21, 18, 0, 0});
  const double before = library_->GetMoonPhase();
  SetMoment(*library_, {2017, 8, 21, 19, 0, 0});
  const double after = library_->GetMoonPhase();
  EXPECT_GT(before, 0.999);
  EXPECT_LT(before, 1.0);
  EXPECT_GT(after, 0.0);
  EXPECT_LT(after, 0.001);
}

// Over one lunation the phase climbs by 1/29.53 a day (the Moon's speed
// varies by +-20 %, hence the band) and wraps once.
TEST_F(SunMoonTest, PhaseAdvancesDailyAndWrapsOncePerLunation) {
  int wraps = 0;
  SetMoment(*library_, {2024, 4, 9, 0, 0, 0});
  double previous = library_->GetMoonPhase();
  for (std::uint16_t day = 10; day <= 30; ++day) {
    SetMoment(*library_, {2024, 4, day, 0, 0, 0});
    const double phase = library_->GetMoonPhase();
    double step = phase - previous;
    if (step < 0) {
      ++wraps;
      step += 1.0;
    }
    EXPECT_GT(step, 0.8 / 29.53) << "April " << day;
    EXPECT_LT(step, 1.25 / 29.53) << "April " << day;
    previous = phase;
  }
  for (std::uint16_t day = 1; day <= 9; ++day) {
    SetMoment(*library_, {2024, 5, day, 0, 0, 0});
    const double phase = library_->GetMoonPhase();
    if (phase < previous) ++wraps;
    previous = phase;
  }
  EXPECT_EQ(wraps, 1);  // the new moon of 2024-05-08 03:22
}

// --- Motion: Doppler and consecutive queries --------------------------------------

// Two days before the 2016-11-14 perigee the Moon approaches (the echo comes
// back higher), two days after it recedes.
TEST_F(SunMoonTest, DopplerIsPositiveWhileTheMoonApproaches) {
  SetMoment(*library_, {2016, 11, 12, 11, 0, 0});
  EXPECT_GT(library_->GetDoppler(), 1000.0);
  SetMoment(*library_, {2016, 11, 16, 11, 0, 0});
  EXPECT_LT(library_->GetDoppler(), -1000.0);
}

// Two queries a second apart differ only by the Moon's motion in that second
// (at most 0.075 km), and that motion is the range rate the Doppler shift
// reports: d(t + 1 s) - d(t - 1 s) = 2 s * rdot, rdot = -Doppler c / (2 f).
TEST_F(SunMoonTest, QueriesASecondApartDifferByTheRangeRateOfTheDoppler) {
  const UtcMoment moments[] = {
      {2016, 11, 12, 11, 0, 30}, {2016, 11, 16, 11, 0, 30}, {1969, 7, 20, 20, 17, 40},
      {2024, 6, 30, 23, 59, 30}, {2099, 3, 1, 12, 0, 30},
  };
  for (const UtcMoment& m : moments) {
    UtcMoment before = m, after = m;
    --before.second;
    ++after.second;
    const double d_before = Read(*library_, before).distance;
    const double d_after = Read(*library_, after).distance;
    const double doppler = Read(*library_, m).doppler;
    const double range_rate_km_s = -doppler * kSpeedOfLight / (2.0 * kDopplerFrequencyHz) / 1000.0;
    EXPECT_LT(std::fabs(d_after - d_before), 2.0 * 0.075) << m.year;
    // 1 mm/s of range rate is 0.07 Hz; the difference is exact to ~1e-7 km.
    EXPECT_NEAR((d_after - d_before) / 2.0, range_rate_km_s, 1e-6) << m.year;
  }
}

// The last minute of 2016 had 61 seconds: from 23:59:59 to 00:00:00 two SI
// seconds pass, and 23:59:60 lies between them.
TEST_F(SunMoonTest, ALeapSecondIsCountedAsASecondOfMotion) {
  const double d59 = Read(*library_, {2016, 12, 31, 23, 59, 59}).distance;
  const double d60 = Read(*library_, {2016, 12, 31, 23, 59, 60}).distance;
  const double d00 = Read(*library_, {2017, 1, 1, 0, 0, 0}).distance;
  const double d58 = Read(*library_, {2016, 12, 31, 23, 59, 58}).distance;
  const double per_second = d59 - d58;
  ASSERT_GT(std::fabs(per_second), 0.01);  // the Moon is moving at > 10 m/s
  EXPECT_NEAR(d60 - d59, per_second, 1e-6);
  EXPECT_NEAR(d00 - d59, 2.0 * per_second, 2e-6);
}

// --- Answers and the moments asked before ----------------------------------------

// The component keeps the Earth's position from the last moment it computed
// in full and steps it along the Earth's velocity to moments up to an hour
// from there. An answer may so depend on the moments asked before, but only
// in phase and by less than 1e-9 of a cycle: the rest comes from the Moon
// alone and is exactly what a fresh component answers.
void ExpectSameAsFresh(const Reading& r, const UtcMoment& m, const char* history) {
  const auto fresh = MakeErfaSunMoon();
  const Reading expected = Read(*fresh, m);
  const std::string where = std::to_string(m.year) + "-" + std::to_string(m.month) + "-" +
                            std::to_string(m.day) + " " + std::to_string(m.hour) + ":" +
                            std::to_string(m.minute) + ", " + history;
  EXPECT_EQ(r.distance, expected.distance) << where;
  EXPECT_EQ(r.diameter, expected.diameter) << where;
  EXPECT_EQ(r.loss, expected.loss) << where;
  EXPECT_EQ(r.doppler, expected.doppler) << where;
  EXPECT_LT(PhaseGap(r.phase, expected.phase), 1e-9) << where;
}

UtcMoment Shifted(const UtcMoment& m, int seconds) {
  using namespace std::chrono;
  const sys_seconds t = sys_days{year{m.year} / m.month / m.day} + hours{m.hour} +
                        minutes{m.minute} + std::chrono::seconds{m.second + seconds};
  return ToMoment(t);
}

struct HistoryCase {
  const char* history;
  int seconds_before;  // when the moment asked just before lies, s
};

// The longest steps in either direction (exactly an hour), a second past
// them (a full computation again), short steps, and moments far off in
// either direction (where a step would miss the Sun by degrees).
const HistoryCase kHistories[] = {
    {"an hour before", 3600},
    {"an hour after", -3600},
    {"an hour and a second before", 3601},
    {"an hour and a second after", -3601},
    {"a second before", 1},
    {"half an hour after", -1800},
    {"a day before", 86400},
    {"thirty days after", -30 * 86400},
};

// One moment every 151 days or so over 1950-2100, through every season and
// every relative position of Earth, Moon and Sun.
TEST_F(SunMoonTest, AnswersAreThoseOfAFreshComponentWhateverWasAskedBefore) {
  const std::vector<UtcMoment> sweep = SweepMoments();
  for (std::size_t i = 0; i < sweep.size(); i += 21) {
    for (const HistoryCase& h : kHistories) {
      const auto library = MakeErfaSunMoon();
      SetMoment(*library, Shifted(sweep[i], -h.seconds_before));
      ExpectSameAsFresh(Read(*library, sweep[i]), sweep[i], h.history);
    }
  }
}

// The calculator's clock moving on a minute at a time for three hours: the
// steps are measured from the last full computation, not chained from query
// to query, so nothing accumulates.
TEST_F(SunMoonTest, AClockMovingOnMinuteByMinuteGivesTheAnswersOfAFreshComponent) {
  const UtcMoment start = {2024, 6, 21, 22, 30, 17};
  for (int minute = 0; minute <= 180; ++minute) {
    const UtcMoment m = Shifted(start, 60 * minute);
    ExpectSameAsFresh(Read(*library_, m), m, "clock moving on");
  }
}

// --- Moments outside the leap-second table, and moments that do not exist -------

// Beyond ERFA's leap-second table (and before 1960, when there was no UTC)
// the library warns "dubious year"; the readings are produced all the same.
TEST_F(SunMoonTest, DubiousYearsStillAnswer) {
  const UtcMoment moments[] = {
      {2100, 6, 15, 12, 0, 0}, {2100, 12, 31, 23, 59, 59}, {2050, 1, 1, 0, 0, 0},
      {1950, 1, 1, 0, 0, 0},   {1955, 7, 1, 6, 30, 0},
  };
  for (const UtcMoment& m : moments) {
    const Reading r = Read(*library_, m);
    EXPECT_GT(r.distance, 356000.0) << m.year;
    EXPECT_LT(r.distance, 407000.0) << m.year;
    EXPECT_TRUE(std::isfinite(r.diameter) && std::isfinite(r.loss) && std::isfinite(r.phase) &&
                std::isfinite(r.doppler))
        << m.year;
  }
}

struct InvalidCase {
  const char* what;
  UtcMoment moment;
};

const InvalidCase kInvalidMoments[] = {
    {"month 0", {2024, 0, 10, 12, 0, 0}},
    {"month 13", {2024, 13, 10, 12, 0, 0}},
    {"day 0", {2024, 1, 0, 12, 0, 0}},
    {"29 February of a common year", {2023, 2, 29, 12, 0, 0}},
    {"29 February of a century year", {1900, 2, 29, 12, 0, 0}},
    {"31 April", {2024, 4, 31, 12, 0, 0}},
    {"hour 24", {2024, 1, 10, 24, 0, 0}},
    {"minute 60", {2024, 1, 10, 12, 60, 0}},
};

TEST_F(SunMoonTest, AMomentThatDoesNotExistGivesNaNUntilTheNextValidOne) {
  for (const InvalidCase& c : kInvalidMoments) {
    SetMoment(*library_, {2024, 1, 10, 12, 0, 0});
    ASSERT_TRUE(std::isfinite(library_->GetDistance()));
    const Reading r = Read(*library_, c.moment);
    EXPECT_TRUE(std::isnan(r.distance) && std::isnan(r.diameter) && std::isnan(r.loss) &&
                std::isnan(r.phase) && std::isnan(r.doppler))
        << c.what;
  }
  SetMoment(*library_, {2024, 2, 29, 12, 0, 0});  // a leap year's
  EXPECT_TRUE(std::isfinite(library_->GetDistance()));
}

TEST_F(SunMoonTest, ReadingBeforeAnyMomentGivesNaN) {
  EXPECT_TRUE(std::isnan(library_->GetDistance()));
  EXPECT_TRUE(std::isnan(library_->GetMoonPhase()));
}

// --- The calling pattern of the calculator ------------------------------------------

// The calculator reads GetDistance and GetMoonPhase twice after one moment
// and passes zeros in arguments 7 to 12; repeated readings answer alike and
// the reserved arguments change nothing.
TEST_F(SunMoonTest, ReadingsRepeatAndIgnoreTheReservedArguments) {
  library_->DataToDLL(2024, 4, 8, 18, 21, 0, 0.0, 0.0, 0.0, 0, 0, 0.0);
  const Reading first = {library_->GetDistance(), library_->GetAngularDiam(), library_->GetDB(),
                         library_->GetMoonPhase(), library_->GetDoppler()};
  EXPECT_EQ(library_->GetDistance(), first.distance);
  EXPECT_EQ(library_->GetMoonPhase(), first.phase);

  library_->DataToDLL(2024, 4, 8, 18, 21, 0, 51.5, -0.1, 1296.0, 7, 255, 10368.0);
  EXPECT_EQ(library_->GetDistance(), first.distance);
  EXPECT_EQ(library_->GetAngularDiam(), first.diameter);
  EXPECT_EQ(library_->GetDB(), first.loss);
  EXPECT_EQ(library_->GetMoonPhase(), first.phase);
  EXPECT_EQ(library_->GetDoppler(), first.doppler);
}

}  // namespace
}  // namespace quillmere
