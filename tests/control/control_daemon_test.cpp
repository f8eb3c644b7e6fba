// The station-control clients against Hamlib's own dummy daemons on
// 127.0.0.1: the dish converging on the Moon, targets beyond the limits,
// a daemon killed and started again, and the rig's frequencies for each
// Doppler mode read back from the daemon. Waits poll with deadlines.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cmath>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>

#include "station_control.h"
#include "tcp_socket.h"

extern char** environ;

namespace quillmere {
namespace {

double Now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// The fixture's daemons: name -> port.
int PortOf(const std::string& name) {
  std::ifstream in(QUILLMERE_DAEMONS_STATE);
  std::string daemon;
  int port = 0, pid = 0;
  while (in >> daemon >> port >> pid)
    if (daemon == name) return port;
  ADD_FAILURE() << "no " << name << " in " << QUILLMERE_DAEMONS_STATE;
  return 0;
}

// Steps `step` until `done` or the deadline; whether `done` came.
bool Until(const std::function<void()>& step, const std::function<bool()>& done, double seconds,
           std::initializer_list<LineTransport*> watch) {
  const double deadline = Now() + seconds;
  std::vector<LineTransport*> transports(watch);
  while (Now() < deadline) {
    step();
    if (done()) return true;
    WaitForTransports(transports.data(), static_cast<int>(transports.size()), 20);
  }
  return false;
}

// The test's own reading of a daemon, apart from the clients: plain
// commands and their reply lines on one connection of its own.
class Reader {
 public:
  explicit Reader(int port) : t_(MakeTcpTransport()) {
    std::string error;
    EXPECT_TRUE(t_->Connect("127.0.0.1", port, error)) << error;
  }
  std::vector<std::string> Ask(const std::string& command, int lines) {
    t_->Write(command);
    std::vector<std::string> got;
    std::string error;
    LineTransport* w[] = {t_.get()};
    const double deadline = Now() + 5.0;
    while (static_cast<int>(got.size()) < lines && Now() < deadline) {
      if (t_->Pump(error) == LineTransport::Status::kBroken) {
        ADD_FAILURE() << command << ": " << error;
        break;
      }
      while (auto line = t_->TakeLine()) got.push_back(*line);
      WaitForTransports(w, 1, 20);
    }
    EXPECT_EQ(static_cast<int>(got.size()), lines) << command;
    got.resize(lines);  // a missing line reads as empty, failing what follows
    return got;
  }

 private:
  std::unique_ptr<LineTransport> t_;
};

Station At(double lat, double lon) {
  Station s;
  s.latitude_deg = lat;
  s.longitude_deg = lon;
  return s;
}

constexpr double kDay = 1796688000.0;  // 2026-12-08T00:00:00Z

TEST(RotatorDaemonTest, DishConvergesOnTheMoon) {
  ControlSettings s;
  // At 12:00 the Moon stands at azimuth 79, elevation 37 from 60 S 70 W:
  // some 13 s of the dummy's slew from where it was left.
  s.stations = {At(-60.0, -70.0), At(41.5, -71.0)};
  s.rotator = Endpoint{"127.0.0.1", PortOf("rotctld")};
  StationControl control(s, MakeTcpTransport(), MakeTcpTransport());
  const double start = Now();
  control.Start(start);
  const double utc0 = kDay + 12 * 3600;
  const auto utc = [&] { return utc0 + (Now() - start); };
  // The dummy starts where the previous test left it: park it first.
  control.Rotator().poll_s = 0.2;
  MoonTracker tracker;
  const double tol = ToleranceDeg(s.sky_hz, s.stations.home.dish_diameter_m);
  double error = 180.0;
  const bool converged = Until([&] { control.Step(Now(), utc()); },
                               [&] {
                                 const auto& r = control.Rotator().Reported();
                                 if (!r || control.Rotator().Commanding()) return false;
                                 tracker.SetMoment(utc());
                                 const MoonSighting m = tracker.See(-60.0, -70.0, 0.0);
                                 error = PointingErrorDeg(r->az_deg, r->el_deg, m.azimuth_deg,
                                                          m.elevation_refracted_deg);
                                 return error <= tol;
                               },
                               60.0, {&control.Rotator().Session().Transport()});
  EXPECT_TRUE(converged) << "last error " << error << " degrees, tolerance " << tol;
  const auto events = control.TakeEvents();
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events.front().command.substr(0, 2), "P ");
  EXPECT_EQ(events.front().code, 0);
}

TEST(RotatorDaemonTest, TargetsBeyondTheLimitsAreRefused) {
  RotatorClient rotator(MakeTcpTransport());
  rotator.Start({"127.0.0.1", PortOf("rotctld")}, Now());
  ASSERT_TRUE(Until([&] { rotator.Step(Now()); }, [&] { return rotator.Limits().has_value(); },
                    10.0, {&rotator.Session().Transport()}));
  // The dummy's limits as it gives them.
  EXPECT_EQ(rotator.Limits()->min_az_deg, -180.0);
  EXPECT_EQ(rotator.Limits()->max_az_deg, 450.0);
  EXPECT_EQ(rotator.Limits()->max_el_deg, 90.0);
  struct Row {
    AzEl target;
    bool sent;
  };
  const Row rows[] = {
      {{500, 10}, false}, {{100, 95}, false}, {{100, -5}, false}, {{440, 10}, true}};
  for (const Row& r : rows)
    EXPECT_EQ(rotator.Point(r.target, 1), r.sent) << r.target.az_deg << " " << r.target.el_deg;
  // The daemon refuses the same itself, and the connection stays.
  rotator.Session().Send("P 500 10", 2);
  std::map<int, int> codes;
  ASSERT_TRUE(Until([&] { rotator.Step(Now()); },
                    [&] {
                      while (auto a = rotator.TakeAnswer()) codes[a->tag] = a->code;
                      return codes.size() == 2;
                    },
                    10.0, {&rotator.Session().Transport()}));
  EXPECT_EQ(codes[1], 0);
  EXPECT_LT(codes[2], 0);
  EXPECT_EQ(rotator.Session().GetState(), HamlibSession::State::kReady);
  rotator.Halt(3);
}

// A daemon of the test's own, on a port the fixture's do not use.
pid_t StartRotctld(int port) {
  const std::string p = std::to_string(port);
  const char* argv[] = {QUILLMERE_ROTCTLD, "-m", "1", "-T", "127.0.0.1", "-t", p.c_str(), nullptr};
  pid_t pid = -1;
  EXPECT_EQ(
      posix_spawn(&pid, QUILLMERE_ROTCTLD, nullptr, nullptr, const_cast<char**>(argv), environ), 0);
  return pid;
}
void StopProcess(pid_t pid) {
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
}

TEST(RotatorDaemonTest, ReconnectsAfterTheDaemonIsKilledAndRestarted) {
  // A free port: the fixture's rotator's plus one hundred, tried until one takes.
  const int port = PortOf("rotctld") + 100;
  pid_t pid = StartRotctld(port);
  BackOff quick{0.05, 0.2, 0, 2.0};
  RotatorClient rotator(MakeTcpTransport(), quick);
  rotator.Start({"127.0.0.1", port}, Now());
  const auto step = [&] { rotator.Step(Now()); };
  LineTransport* t = &rotator.Session().Transport();
  ASSERT_TRUE(Until(step, [&] { return rotator.Limits().has_value(); }, 10.0, {t}));
  EXPECT_EQ(rotator.Session().Connections(), 1);
  StopProcess(pid);
  ASSERT_TRUE(Until(step,
                    [&] {
                      return !rotator.Limits().has_value() ||
                             rotator.Session().GetState() != HamlibSession::State::kReady;
                    },
                    10.0, {t}));
  pid = StartRotctld(port);
  EXPECT_TRUE(Until(
      step, [&] { return rotator.Limits().has_value() && rotator.Session().Connections() == 2; },
      20.0, {t}));
  StopProcess(pid);
}

// The rig's frequencies for each mode, from the range rates of both
// stations worked out here: D = -(rdot_a + rdot_b) f / c for a path.
TEST(RigDaemonTest, FrequenciesOfEachMode) {
  const double c = 299792.458;  // km/s
  const double f = 10368.1e6, lo = 10224.0e6;
  const Stations stations{At(51.5, 1.0), At(41.5, -71.0)};
  const double utc = kDay + 13 * 3600;  // the Moon up at both
  MoonTracker tracker;
  tracker.SetMoment(utc);
  const double rh = tracker.See(51.5, 1.0, 0.0).range_rate_km_s;
  const double rd = tracker.See(41.5, -71.0, 0.0).range_rate_km_s;
  const double self = -2 * rh * f / c, hd = -(rh + rd) * f / c, dx = -2 * rd * f / c;
  struct Row {
    DopplerMode mode;
    int step;
    double rx, tx;  // the corrections at the sky
  };
  const Row rows[] = {
      {DopplerMode::kNone, 10, 0.0, 0.0},
      {DopplerMode::kOwnEcho, 1, self, 0.0},
      {DopplerMode::kConstantOnMoon, 20, self / 2, -self / 2},
      {DopplerMode::kFullDx, 100, hd, -hd},
      {DopplerMode::kOnDxEcho, 10, hd, dx - hd},
  };
  const int port = PortOf("rigctld");
  Reader rig(port);
  for (const Row& r : rows) {
    // Another program left split off and the VFOs elsewhere.
    rig.Ask("S 0 VFOA", 1);
    rig.Ask("F 145000000", 1);
    ControlSettings s;
    s.stations = stations;
    s.rig = Endpoint{"127.0.0.1", port};
    s.doppler = true;
    s.mode = r.mode;
    s.sky_hz = f;
    s.lo_hz = lo;
    s.step_hz = r.step;
    StationControl control(s, MakeTcpTransport(), MakeTcpTransport());
    control.Start(Now());
    std::vector<ControlEvent> events;
    ASSERT_TRUE(Until([&] { control.Step(Now(), utc); },
                      [&] {
                        for (auto& e : control.TakeEvents()) events.push_back(e);
                        return events.size() >= 3;
                      },
                      10.0, {&control.Rig().Session().Transport()}))
        << DopplerModeName(r.mode);
    // Split on first, then receive and transmit.
    EXPECT_EQ(events[0].command, "S 1 VFOB");
    EXPECT_EQ(events[1].command.substr(0, 2), "F ");
    EXPECT_EQ(events[2].command.substr(0, 2), "I ");
    const double rx = std::stod(rig.Ask("f", 1)[0]), tx = std::stod(rig.Ask("i", 1)[0]);
    EXPECT_NEAR(rx, f + r.rx - lo, r.step / 2.0 + 1e-6) << DopplerModeName(r.mode);
    EXPECT_NEAR(tx, f + r.tx - lo, r.step / 2.0 + 1e-6) << DopplerModeName(r.mode);
    EXPECT_EQ(std::fmod(rx, r.step), 0.0);
    EXPECT_EQ(rig.Ask("s", 2)[0], "1");
    // The same second again: nothing changes, nothing is sent.
    control.Cycle(utc);
    EXPECT_TRUE(control.Rig().Session().Idle());
  }
}

}  // namespace
}  // namespace quillmere
