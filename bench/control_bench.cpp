// One cycle of station control: the Moon and the Doppler at the second,
// compared with what the rotator and the rig were told, and what changed
// sent, to daemons that answer at once (a null transport), so that the
// figure is the program's own work and not the network's.
#include <benchmark/benchmark.h>

#include <deque>

#include "station_control.h"

namespace quillmere {
namespace {

// Answers every command as the dummy daemons do, at once.
class NullTransport final : public LineTransport {
 public:
  bool Connect(const std::string&, int, std::string&) override { return open_ = true; }
  void Close() override { open_ = false; }
  Status Pump(std::string&) override { return open_ ? Status::kOpen : Status::kClosed; }
  void Write(std::string_view line) override {
    if (line == "+\\dump_state") {
      for (const char* l : {"dump_state:", "Minimum Azimuth: -180.000000",
                            "Maximum Azimuth: 450.000000", "Minimum Elevation: 0.000000",
                            "Maximum Elevation: 90.000000"})
        lines_.emplace_back(l);
    } else if (line == "+p") {
      lines_.insert(lines_.end(), {"get_pos:", "Azimuth: 100.00", "Elevation: 20.00"});
    } else {
      lines_.emplace_back(line.substr(1));
    }
    lines_.emplace_back("RPRT 0");
  }
  std::optional<std::string> TakeLine() override {
    if (lines_.empty()) return std::nullopt;
    std::string l = std::move(lines_.front());
    lines_.pop_front();
    return l;
  }

 private:
  bool open_ = false;
  std::deque<std::string> lines_;
};

void BM_ControlCycle(benchmark::State& state) {
  ControlSettings s;
  s.stations.home.latitude_deg = 51.5;
  s.stations.home.longitude_deg = 1.0;
  s.stations.dx.latitude_deg = 41.5;
  s.stations.dx.longitude_deg = -71.0;
  s.rotator = Endpoint{"null", 1};
  s.rig = Endpoint{"null", 2};
  s.doppler = true;
  s.mode = DopplerMode::kOnDxEcho;
  s.lo_hz = 10224e6;
  s.step_hz = 1;
  StationControl control(s, std::make_unique<NullTransport>(), std::make_unique<NullTransport>());
  control.Start(0.0);
  double utc = 1796688000.0 + 13 * 3600;  // the Moon up at both
  control.Step(0.0, utc);
  control.Step(0.1, utc);
  for (auto _ : state) {
    utc += 1.0;
    control.Cycle(utc);
    control.Rotator().Step(0.2);
    control.Rig().Step(0.2);
    control.Rotator().Step(0.2);
    control.Rig().Step(0.2);
    benchmark::DoNotOptimize(control.TakeEvents());
  }
}
BENCHMARK(BM_ControlCycle)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace quillmere
