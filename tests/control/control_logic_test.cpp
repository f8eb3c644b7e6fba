// The control logic without a daemon: the rig's commands, the pointing
// decisions and the azimuth plan, against values worked out by hand or
// from the Moon directly.
#include <gtest/gtest.h>

#include <cmath>
#include <deque>
#include <map>

#include "hamlib_session.h"
#include "pointing.h"
#include "rig.h"
#include "rotator.h"

namespace quillmere {
namespace {

TEST(RigCommandsTest, Rows) {
  struct Row {
    const char* name;
    RigSent sent;
    long long rx, tx;
    std::vector<std::string> expected;
  };
  const Row rows[] = {
      // The transmit frequency set before split is on is lost: split first.
      {"split on before the transmit frequency",
       {},
       144100010,
       144099990,
       {"S 1 VFOB", "F 144100010", "I 144099990"}},
      {"nothing sent when nothing changed", {true, 144100010, 144099990}, 144100010, 144099990, {}},
      {"only the receive frequency moved",
       {true, 144100010, 144099990},
       144100020,
       144099990,
       {"F 144100020"}},
      {"only the transmit frequency moved",
       {true, 144100010, 144099990},
       144100010,
       144099980,
       {"I 144099980"}},
      // Split refused earlier: turned on again, and the TX set after it.
      {"split again, TX after it",
       {false, 144100010, 144099990},
       144100010,
       144099990,
       {"S 1 VFOB", "I 144099990"}},
  };
  for (const Row& r : rows) EXPECT_EQ(RigCommands(r.sent, r.rx, r.tx), r.expected) << r.name;
}

TEST(RoundToStepTest, Rows) {
  struct Row {
    double hz;
    int step;
    long long expected;
  };
  const Row rows[] = {
      {144115017.4, 1, 144115017},
      {144115017.5, 1, 144115018},
      {144115014.9, 10, 144115010},
      {144115015.0, 10, 144115020},
      {144115029.9, 20, 144115020},
      {144115030.0, 20, 144115040},
      {144115049.9, 100, 144115000},
      {144115050.0, 100, 144115100},
      // At 24 GHz without a transverter the dial is the sky: 2.4e10 fits.
      {24048123456.4, 10, 24048123460},
  };
  for (const Row& r : rows)
    EXPECT_EQ(RoundToStep(r.hz, r.step), r.expected) << r.hz << " step " << r.step;
}

TEST(ParseEndpointTest, Rows) {
  EXPECT_EQ(ParseEndpoint("127.0.0.1:4533")->port, 4533);
  EXPECT_EQ(ParseEndpoint("[::1]:4532")->host, "::1");
  EXPECT_EQ(ParseEndpoint("dish.local:4533")->host, "dish.local");
  for (const char* bad : {"4533", ":4533", "host:", "host:0", "host:65536", "::1:4533", "h:45x"})
    EXPECT_FALSE(ParseEndpoint(bad)) << bad;
}

TEST(BeamwidthTest, SeventyLambdaOverD) {
  // 3 m at 10.368 GHz: lambda 28.915 mm, 70 * 0.028915 / 3 = 0.6747 degrees.
  EXPECT_NEAR(BeamwidthDeg(10.368e9, 3.0), 0.6747, 0.00005);
  EXPECT_NEAR(ToleranceDeg(24.048e9, 1.2), 70.0 * 0.0124665 / 1.2 / 10.0, 0.000005);
}

TEST(PointingErrorTest, AzimuthShrinksWithCosEl) {
  // One degree of azimuth is half a degree at 60 degrees elevation.
  EXPECT_NEAR(PointingErrorDeg(100.0, 60.0, 101.0, 60.0), 0.5, 1e-9);
  // Across north, and in the rotator's terms beyond 360.
  EXPECT_NEAR(PointingErrorDeg(359.5, 0.0, 0.5, 0.0), 1.0, 1e-9);
  EXPECT_NEAR(PointingErrorDeg(361.0, 0.0, 1.0, 0.0), 0.0, 1e-9);
  EXPECT_NEAR(PointingErrorDeg(10.0, 30.0, 10.0, 33.0), 3.0, 1e-9);
}

TEST(PlanAzimuthTest, Rows) {
  struct Row {
    const char* name;
    std::vector<double> az;
    RotatorLimits limits;
    double current;
    double first, last;  // the plan's azimuths at the pass's ends
    bool fits;
  };
  const Row rows[] = {
      {"a southern pass as it is", {120, 180, 240}, {-180, 450, 0, 90}, 0.0, 120, 240, true},
      // Through north: 300 -> 60 continues to 420 within -180..450, or
      // starts at -60; the start nearer the dish wins.
      {"through north, dish near 300",
       {300, 350, 20, 60},
       {-180, 450, 0, 90},
       290.0,
       300,
       420,
       true},
      {"through north, dish near 0", {300, 350, 20, 60}, {-180, 450, 0, 90}, 0.0, -60, 60, true},
      // A 0..360 rotator cannot follow through north: the pass is cut.
      {"0..360 through north", {300, 350, 20, 60}, {0, 360, 0, 90}, 300.0, 300, 420, false},
      // A -180..180 rotator takes a northern pass whole.
      {"-180..180, northern pass", {300, 350, 20, 60}, {-180, 180, 0, 90}, 0.0, -60, 60, true},
  };
  for (const Row& r : rows) {
    std::vector<double> t(r.az.size());
    for (std::size_t i = 0; i < t.size(); ++i) t[i] = 120.0 * i;
    const AzimuthPlan plan = PlanAzimuth(t, r.az, r.limits, r.current);
    EXPECT_NEAR(plan.az_deg.front(), r.first, 1e-9) << r.name;
    EXPECT_NEAR(plan.az_deg.back(), r.last, 1e-9) << r.name;
    EXPECT_EQ(plan.fits, r.fits) << r.name;
    // Each moment maps to the plan's turn.
    EXPECT_NEAR(plan.Map(t.back(), r.az.back()), r.last, 1e-9) << r.name;
  }
}

// The Moon below the station's minimum: the dish waits where the Moon will
// rise above it, and never lower than the minimum. The rise is found here
// by stepping the Moon itself, second by second near the crossing.
TEST(PointerTest, WaitsAtTheRisingPointAboveTheMinimum) {
  Station home;
  home.latitude_deg = 51.5;  // JO01
  home.longitude_deg = 1.0;
  home.min_elevation_deg = 5.0;
  const double utc = 1796688000.0 + 6 * 3600;  // 2026-12-08T06:00:00Z: the Moon below
  MoonTracker tracker;
  double rise = utc;
  MoonSighting m;
  for (;; rise += 60.0) {
    tracker.SetMoment(rise);
    m = tracker.See(home.latitude_deg, home.longitude_deg, home.height_m);
    if (m.elevation_refracted_deg >= home.min_elevation_deg) break;
    ASSERT_LT(rise, utc + 86400.0);
  }
  Pointer pointer(home, ToleranceDeg(10.368e9, 3.0));
  tracker.SetMoment(utc);
  const PointingDecision d = pointer.Decide(tracker, utc, AzEl{0.0, 0.0}, RotatorLimits{});
  EXPECT_TRUE(d.waiting_for_rise);
  EXPECT_TRUE(d.move);
  // Within a minute's motion of the Moon (about 0.25 degrees).
  EXPECT_NEAR(d.target.az_deg, m.azimuth_deg, 0.3);
  EXPECT_GE(d.target.el_deg, home.min_elevation_deg);
  EXPECT_NEAR(d.target.el_deg, home.min_elevation_deg, 0.3);
  // At the rising point it stays.
  tracker.SetMoment(utc + 1.0);
  const PointingDecision again = pointer.Decide(tracker, utc + 1.0, d.target, RotatorLimits{});
  EXPECT_FALSE(again.move);
}

// With the Moon up, the dish moves only beyond the tolerance and then leads
// the Moon by half of it along its path.
TEST(PointerTest, LeadsByHalfTheTolerance) {
  Station home;
  home.latitude_deg = 51.5;
  home.longitude_deg = 1.0;
  const double utc = 1796688000.0 + 11 * 3600;  // the Moon at about 11 degrees in the south
  const double tol = ToleranceDeg(10.368e9, 3.0);
  MoonTracker tracker;
  tracker.SetMoment(utc);
  const MoonSighting now = tracker.See(home.latitude_deg, home.longitude_deg, home.height_m);
  Pointer pointer(home, tol);
  const AzEl on{now.azimuth_deg, now.elevation_refracted_deg};
  EXPECT_FALSE(pointer.Decide(tracker, utc, on, RotatorLimits{}).move);
  const AzEl off{now.azimuth_deg + 2.0 * tol / std::cos(now.elevation_refracted_deg * M_PI / 180),
                 now.elevation_refracted_deg};
  const PointingDecision d = pointer.Decide(tracker, utc, off, RotatorLimits{});
  ASSERT_TRUE(d.move);
  EXPECT_NEAR(PointingErrorDeg(d.target.az_deg, d.target.el_deg, on.az_deg, on.el_deg), tol / 2,
              tol / 100);
  // Ahead on the Moon's own path: some seconds on, the Moon passes
  // through the target.
  double closest = 180.0, when = 0.0;
  for (double dt = -60.0; dt <= 60.0; dt += 0.5) {
    tracker.SetMoment(utc + dt);
    const MoonSighting m = tracker.See(home.latitude_deg, home.longitude_deg, home.height_m);
    const double e = PointingErrorDeg(d.target.az_deg, d.target.el_deg, m.azimuth_deg,
                                      m.elevation_refracted_deg);
    if (e < closest) closest = e, when = dt;
  }
  EXPECT_LT(closest, tol / 20);
  EXPECT_GT(when, 0.0);
}

// A daemon that answers each command with the lines it is given for it.
class ScriptedTransport final : public LineTransport {
 public:
  explicit ScriptedTransport(std::map<std::string, std::vector<std::string>> replies)
      : replies_(std::move(replies)) {}
  bool Connect(const std::string&, int, std::string&) override { return open_ = true; }
  void Close() override { open_ = false; }
  Status Pump(std::string&) override { return open_ ? Status::kOpen : Status::kClosed; }
  void Write(std::string_view line) override {
    for (const std::string& l : replies_[std::string(line)]) lines_.push_back(l);
  }
  std::optional<std::string> TakeLine() override {
    if (lines_.empty()) return std::nullopt;
    std::string l = lines_.front();
    lines_.pop_front();
    return l;
  }

 private:
  bool open_ = false;
  std::map<std::string, std::vector<std::string>> replies_;
  std::deque<std::string> lines_;
};

// What a daemon says is not trusted beyond what a rotator can be.
TEST(RotatorClientTest, HostileReplies) {
  struct Row {
    const char* name;
    std::vector<std::string> dump_state;
    RotatorLimits expected;
    bool connected;
  };
  const std::vector<std::string> flood(100, "Minimum Azimuth: 0");
  const Row rows[] = {
      {"the dummy's limits",
       {"dump_state:", "Minimum Azimuth: -180.000000", "Maximum Azimuth: 450.000000",
        "Minimum Elevation: 0.000000", "Maximum Elevation: 90.000000", "RPRT 0"},
       {-180, 450, 0, 90},
       true},
      // A far-off minimum would turn the azimuth plan for ever.
      {"limits beyond two turns",
       {"Minimum Azimuth: -1e300", "Maximum Azimuth: -1e299", "RPRT 0"},
       {0, 360, 0, 90},
       true},
      {"inverted elevations",
       {"Minimum Elevation: 90", "Maximum Elevation: 0", "RPRT 0"},
       {0, 360, 0, 90},
       true},
      {"a reply without end", flood, {}, false},
  };
  for (const Row& r : rows) {
    RotatorClient rotator(std::make_unique<ScriptedTransport>(
        std::map<std::string, std::vector<std::string>>{{"+\\dump_state", r.dump_state}}));
    rotator.Start({"127.0.0.1", 4533}, 0.0);
    for (int i = 0; i < 4; ++i) rotator.Step(0.1 * i);
    EXPECT_EQ(rotator.Session().GetState() == HamlibSession::State::kReady, r.connected) << r.name;
    if (!r.connected) continue;
    ASSERT_TRUE(rotator.Limits()) << r.name;
    EXPECT_EQ(rotator.Limits()->min_az_deg, r.expected.min_az_deg) << r.name;
    EXPECT_EQ(rotator.Limits()->max_az_deg, r.expected.max_az_deg) << r.name;
    EXPECT_EQ(rotator.Limits()->min_el_deg, r.expected.min_el_deg) << r.name;
    EXPECT_EQ(rotator.Limits()->max_el_deg, r.expected.max_el_deg) << r.name;
  }
}

}  // namespace
}  // namespace quillmere
