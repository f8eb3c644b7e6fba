#include "control.h"

#include <chrono>
#include <cmath>
#include <iostream>

#include "maidenhead.h"
#include "option_reader.h"
#include "parse_text.h"
#include "stations_store.h"
#include "stop_signals.h"
#include "system_clock.h"
#include "tcp_socket.h"

namespace quillmere {

const char* const kControlUsage =
    "usage: quillmere-report --control --station home|dx\n"
    "                        [--stations FILE | --home LOC [--home-height M] --dx LOC [--dx-height "
    "M]]\n"
    "                        [--rotator HOST:PORT] [--rig HOST:PORT]\n"
    "                        [--doppler MODE --sky-mhz F [--lo-mhz L] [--rig-step-hz S]]\n"
    "                        --for SECONDS [--json]\n"
    "Points the station's dish at the Moon through Hamlib's rotctld and, with\n"
    "--doppler, keeps its rig on the Doppler-corrected frequencies through rigctld.\n"
    "  --station     whose dish and rig: home or dx (the Doppler seen from there)\n"
    "  --stations    the planner's stations file (QuillmereStations.ini); or the\n"
    "                locators (4, 6 or 8 characters, or \"LAT,LON\") of both\n"
    "  --rotator     rotctld's address, e.g. 127.0.0.1:4533\n"
    "  --rig         rigctld's address, e.g. 127.0.0.1:4532; the rig's frequency is\n"
    "                set only with --doppler: only one program may own it\n"
    "  --doppler     none, own-echo, cfom, full-dx or on-dx-echo\n"
    "  --sky-mhz     the sked frequency at the sky (also the band of the dish's\n"
    "                pointing tolerance, default 10368.1); --lo-mhz the transverter offset\n"
    "                (rig dial = sky - offset, default 0); --rig-step-hz the rig's\n"
    "                tuning step, 1, 10, 20 or 100 Hz (default 10)\n"
    "  --for         how long to run, seconds; 0 until SIGINT or SIGTERM\n"
    "  --json        one JSON object a line: utc, daemon, target, command, answer\n"
    "The rotator is stopped at the end. Exit status: 0 done; 1 a daemon could not\n"
    "be reached or the stations file read; 2 bad arguments.\n";

std::variant<ControlOptions, std::string> ParseControlArguments(
    std::span<const std::string_view> args, bool* unreadable) {
  OptionReader reader(args);
  ControlOptions o;
  ControlSettings& s = o.settings;
  s.stations = DefaultStations();
  bool control = false, have_station = false, have_for = false, have_sky = false;
  bool have_home = false, have_dx = false;
  std::optional<std::string> stations_file;
  std::string error;
  while (reader.Next()) {
    if (reader.Sets("--control", control) || reader.Sets("--json", o.json) ||
        reader.Sets("--help", o.help) || reader.Sets("-h", o.help)) {
      continue;
    }
    const std::string a(reader.Name());
    constexpr std::string_view kWithValue[] = {
        "--station",   "--stations",    "--home", "--dx",      "--home-height",
        "--dx-height", "--rotator",     "--rig",  "--doppler", "--sky-mhz",
        "--lo-mhz",    "--rig-step-hz", "--for"};
    const std::optional<std::string_view> value = reader.ValueOf(kWithValue, error);
    if (!value) return error;
    const std::string v(*value);
    if (a == "--station") {
      if (v != "home" && v != "dx") return "bad --station: " + v + " (home or dx)";
      s.at_dx = v == "dx";
      have_station = true;
    } else if (a == "--stations") {
      if (v.empty()) return "--stations needs a file name";
      stations_file = v;
    } else if (a == "--home" || a == "--dx") {
      const auto where = ParseLocation(v);
      if (!where) return "bad locator for " + a + ": " + v;
      Station& st = a == "--home" ? s.stations.home : s.stations.dx;
      st.latitude_deg = where->latitude_deg;
      st.longitude_deg = where->longitude_deg;
      st.locator = v.find(',') == std::string::npos ? v : "";
      (a == "--home" ? have_home : have_dx) = true;
    } else if (a == "--home-height" || a == "--dx-height") {
      const StationLimit& limit = LimitOf(&Station::height_m);
      const auto m = ParseNumber(v);
      if (!m || *m < limit.min || *m > limit.max) return "bad height for " + a + ": " + v;
      (a == "--home-height" ? s.stations.home : s.stations.dx).height_m = *m;
    } else if (a == "--rotator" || a == "--rig") {
      const auto where = ParseEndpoint(v);
      if (!where) return "bad " + a + ": " + v + " (HOST:PORT)";
      (a == "--rotator" ? s.rotator : s.rig) = *where;
    } else if (a == "--doppler") {
      const auto mode = DopplerModeFromName(v);
      if (!mode) return "bad --doppler: " + v + " (none, own-echo, cfom, full-dx, on-dx-echo)";
      s.mode = *mode;
      s.doppler = true;
    } else if (a == "--sky-mhz" || a == "--lo-mhz") {
      // Up to the highest band with room; the offset below the sky frequency.
      const auto mhz = ParseNumber(v);
      if (!mhz || !std::isfinite(*mhz) || *mhz < 0.0 || *mhz > 1.0e6) return "bad " + a + ": " + v;
      (a == "--sky-mhz" ? s.sky_hz : s.lo_hz) = *mhz * 1.0e6;
      if (a == "--sky-mhz") have_sky = true;
    } else if (a == "--rig-step-hz") {
      const auto step = ParseWholeNumber(v);
      if (!step || !IsRigStep(*step)) return "bad --rig-step-hz: " + v + " (1, 10, 20 or 100)";
      s.step_hz = *step;
    } else {  // --for
      const auto seconds = ParseNumber(v);
      if (!seconds || !std::isfinite(*seconds) || *seconds < 0.0 || *seconds > 1.0e8)
        return "bad --for: " + v + " (seconds, 0 until a signal)";
      o.for_s = *seconds;
      have_for = true;
    }
  }
  if (o.help) return o;
  if (!control) return "--control is required";
  if (!have_station) return "--station home|dx is required";
  if (!have_for) return "--for SECONDS is required";
  if (!s.rotator && !s.rig) return "give --rotator HOST:PORT, --rig HOST:PORT or both";
  if (stations_file && (have_home || have_dx))
    return "--stations and --home/--dx exclude each other";
  if (!stations_file && !(have_home && have_dx))
    return "give the stations: --stations FILE, or --home LOC and --dx LOC";
  if (s.doppler && !s.rig) return "--doppler needs --rig";
  if (s.rig && !s.doppler)
    return "--rig needs --doppler MODE: only one program may own the rig's frequency";
  if (s.doppler && !have_sky) return "--doppler needs --sky-mhz";
  if (s.sky_hz <= 0.0) return "--sky-mhz must be above 0";
  if (s.doppler && s.sky_hz - s.lo_hz <= 0.0) return "--lo-mhz must be below --sky-mhz";
  if (stations_file) {
    const StationsFile file = LoadStationsFile(*stations_file);
    if (file.unread || !file.message.empty()) {
      if (unreadable) *unreadable = true;
      return file.unread ? *file.unread : file.message;
    }
    s.stations = file.stations;
  }
  return o;
}

namespace {

double MonotonicS() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

double UtcS() {
  const UnixTime t = ReadSystemClock();
  return static_cast<double>(t.seconds) + t.nanoseconds * 1e-9;
}

// The headless loop gives up after four tries in a row, some four seconds:
// a daemon not there by then is not coming without the operator.
constexpr BackOff kHeadlessBackOff{0.25, 2.0, 5, 5.0};

}  // namespace

int RunControlMode(std::span<const std::string_view> args) {
  bool unreadable = false;
  auto parsed = ParseControlArguments(args, &unreadable);
  if (auto* message = std::get_if<std::string>(&parsed)) {
    std::cerr << "quillmere-report: " << *message << "\n";
    return unreadable ? 1 : 2;
  }
  ControlOptions& o = std::get<ControlOptions>(parsed);
  if (o.help) {
    std::cout << kControlUsage;
    return 0;
  }
  o.settings.back_off = kHeadlessBackOff;
  CatchStopSignals();
  StationControl control(o.settings, MakeTcpTransport(), MakeTcpTransport());
  const auto print = [&] {
    for (const ControlEvent& e : control.TakeEvents())
      std::cout << (o.json ? EventJson(e, o.settings.mode) : EventText(e)) << '\n';
    std::cout.flush();
  };
  LineTransport* transports[] = {&control.Rotator().Session().Transport(),
                                 &control.Rig().Session().Transport()};
  const double start = MonotonicS();
  control.Start(start);
  int status = 0;
  while (!StopRequested() && (o.for_s == 0.0 || MonotonicS() - start < o.for_s)) {
    control.Step(MonotonicS(), UtcS());
    print();
    if (control.GaveUp()) {
      for (auto* session : {&control.Rotator().Session(), &control.Rig().Session()}) {
        if (session->GetState() != HamlibSession::State::kGaveUp) continue;
        std::cerr << "quillmere-report: cannot reach " << session->Where().host << ":"
                  << session->Where().port << ": " << session->LastError() << "\n";
      }
      status = 1;
      break;
    }
    WaitForTransports(transports, 2, 50);
  }
  // The rotator stops where it is; a daemon that does not answer within a
  // few seconds is left.
  control.Halt(UtcS());
  const double halt_deadline = MonotonicS() + 3.0;
  while (!control.Settled() && MonotonicS() < halt_deadline) {
    control.Step(MonotonicS(), UtcS());
    print();
    WaitForTransports(transports, 2, 50);
  }
  print();
  control.Stop();
  return status;
}

}  // namespace quillmere
