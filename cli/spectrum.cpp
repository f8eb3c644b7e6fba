#include "spectrum.h"

#include <cstdio>
#include <sstream>

#include "data_file.h"
#include "headless.h"
#include "input_limits.h"
#include "option_reader.h"
#include "parse_text.h"
#include "stations_store.h"
#include "utc_clock.h"

namespace quillmere {
namespace {

// The line tables hold from 1 GHz to 1 THz; no more rows than a chart or a
// file could use.
constexpr double kLowestGhz = 1, kHighestGhz = 1000;
constexpr std::size_t kMaxRows = 100000;
// The lowest pressure the window takes: in a vacuum the line shapes divide
// by nothing.
constexpr double kLowestPressureHpa = static_cast<double>(input_limits::kPressure.low);

std::optional<std::vector<double>> Numbers(std::string_view text) {
  std::vector<double> out;
  for (;;) {
    const auto comma = text.find(',');
    const auto n = ParseNumber(text.substr(0, comma));
    if (!n) return std::nullopt;
    out.push_back(*n);
    if (comma == std::string_view::npos) return out;
    text.remove_prefix(comma + 1);
  }
}

std::string Quoted(std::string_view s) {
  return "\"" + std::string(s) + "\"";
}

}  // namespace

bool IsExactPathCommand(std::span<const std::string_view> args) {
  for (std::string_view a : args)
    if (a == "--spectrum" || a == "--slant") return true;
  return false;
}

std::optional<ExactPathRequest> ParseExactPathCommand(std::span<const std::string_view> args,
                                                      std::string& error) {
  ExactPathRequest r;
  bool spectrum = false, slant = false, station = false, from = false, to = false, step = false,
       ghz = false, elevations = false;
  OptionReader options(args);
  while (options.Next()) {
    const std::string_view arg = options.Name();
    const auto value = [&] { return options.Value(error); };
    // A number option within [lo, hi].
    const auto number = [&](double lo, double hi, double& out) {
      const auto text = value();
      if (!text) return false;
      const auto n = ParseNumber(*text);
      if (!n || *n < lo || *n > hi) {
        std::ostringstream s;
        s << arg << " wants a number from " << lo << " to " << hi << ", not " << Quoted(*text);
        error = s.str();
        return false;
      }
      out = *n;
      return true;
    };
    // An option of two words: whether it is the second, or nothing.
    const auto either = [&](std::string_view first,
                            std::string_view second) -> std::optional<bool> {
      const auto v = value();
      if (!v) return std::nullopt;
      if (*v != first && *v != second) {
        error = std::string(arg) + " wants " + std::string(first) + " or " + std::string(second) +
                ", not " + Quoted(*v);
        return std::nullopt;
      }
      return *v == second;
    };
    if (options.IsFlag("--spectrum")) {
      spectrum = true;
      r.kind = ExactPathRequest::Kind::kSpectrum;
    } else if (options.IsFlag("--slant")) {
      slant = true;
      r.kind = ExactPathRequest::Kind::kSlant;
    } else if (options.IsFlag("--json")) {
      r.json = true;
    } else if (options.IsHelp()) {
      r.help = true;
    } else if (arg == "--station") {
      const auto dx = either("home", "dx");
      if (!dx) return std::nullopt;
      r.dx = *dx;
      station = true;
    } else if (arg == "--profile") {
      const auto global = either("station", "global");
      if (!global) return std::nullopt;
      r.global_profile = *global;
    } else if (arg == "--data") {
      const auto v = value();
      if (!v) return std::nullopt;
      if (v->empty()) {
        error = "--data needs a file name";
        return std::nullopt;
      }
      r.data = std::filesystem::path(*v);
    } else if (arg == "--from-ghz") {
      if (!number(kLowestGhz, kHighestGhz, r.from_ghz)) return std::nullopt;
      from = true;
    } else if (arg == "--to-ghz") {
      if (!number(kLowestGhz, kHighestGhz, r.to_ghz)) return std::nullopt;
      to = true;
    } else if (arg == "--step-ghz") {
      if (!number(1e-6, kHighestGhz, r.step_ghz)) return std::nullopt;
      step = true;
    } else if (arg == "--ghz") {
      if (!number(kLowestGhz, kHighestGhz, r.ghz)) return std::nullopt;
      ghz = true;
    } else if (arg == "--weather" || arg == "--weather-total") {
      const bool total = arg == "--weather-total";
      if (r.weather) {
        error = "give --weather (dry-air pressure) or --weather-total (total pressure), not both";
        return std::nullopt;
      }
      const auto v = value();
      if (!v) return std::nullopt;
      const auto n = Numbers(*v);
      // Pressure, temperature and vapour density of air on Earth, generously
      // bounded: the line shapes are meaningless outside. The pressure keeps
      // to the window's 1 hPa floor: in a vacuum the line shapes divide by
      // nothing.
      if (!n || n->size() != 3 || (*n)[0] < kLowestPressureHpa || (*n)[0] > 1100 || (*n)[1] < 100 ||
          (*n)[1] > 400 || (*n)[2] < 0 || (*n)[2] > 100) {
        error = std::string(arg) + " wants P,T,RHO: " + (total ? "total" : "dry-air") +
                " pressure 1..1100 hPa, temperature 100..400 K, vapour density 0..100 g/m3; "
                "not " +
                Quoted(*v);
        return std::nullopt;
      }
      double p = (*n)[0];
      if (total) {
        // The total pressure less the vapour's, e = rho T / 216.7, as the
        // output reports them apart.
        const double e = (*n)[2] * (*n)[1] / 216.7;
        p -= e;
        if (p < kLowestPressureHpa) {
          std::ostringstream s;
          s.precision(4);
          s << "--weather-total: the vapour pressure (" << e << " hPa) leaves less than 1 hPa of "
            << "dry air in " << (*n)[0] << " hPa; such air cannot be";
          error = s.str();
          return std::nullopt;
        }
      }
      r.weather = ExactPathRequest::Weather{p, (*n)[1], (*n)[2]};
    } else if (arg == "--stations") {
      const auto v = value();
      if (!v) return std::nullopt;
      if (v->empty()) {
        error = "--stations needs a file name";
        return std::nullopt;
      }
      r.stations = std::filesystem::path(*v);
    } else if (arg == "--elevations") {
      const auto v = value();
      if (!v) return std::nullopt;
      const auto n = Numbers(*v);
      bool ok = n && !n->empty() && n->size() <= 1000;
      if (ok)
        for (double e : *n) ok = ok && e >= -90 && e <= 90;
      if (!ok) {
        error =
            "--elevations wants up to 1000 angles from -90 to 90 degrees, separated by "
            "commas; not " +
            Quoted(*v);
        return std::nullopt;
      }
      r.elevations = *n;
      elevations = true;
    } else {
      error = "unknown option " + Quoted(options.Given());
      return std::nullopt;
    }
  }

  if (r.help) return r;
  if (spectrum == slant) {
    error = "give one of --spectrum and --slant";
    return std::nullopt;
  }
  if (!station) {
    error = "--station home or --station dx is needed";
    return std::nullopt;
  }
  if (spectrum) {
    if (!from || !to || !step) {
      error = "--spectrum needs --from-ghz, --to-ghz and --step-ghz";
      return std::nullopt;
    }
    if (r.to_ghz < r.from_ghz) {
      error = "--to-ghz is below --from-ghz";
      return std::nullopt;
    }
    if ((r.to_ghz - r.from_ghz) / r.step_ghz >= kMaxRows) {
      error = "--step-ghz is too fine: more than 100000 frequencies";
      return std::nullopt;
    }
    if (ghz || elevations) {
      error = "--ghz and --elevations belong to --slant";
      return std::nullopt;
    }
  } else {
    if (!ghz || !elevations) {
      error = "--slant needs --ghz and --elevations";
      return std::nullopt;
    }
    if (from || to || step || r.weather) {
      error =
          "--from-ghz, --to-ghz, --step-ghz, --weather and --weather-total belong to --spectrum";
      return std::nullopt;
    }
  }
  return r;
}

const char* const kExactPathForms =
    "       quillmere-report --spectrum --station home|dx [--data FILE] --from-ghz A\n"
    "                        --to-ghz B --step-ghz S [--profile station|global]\n"
    "                        [--weather P,T,RHO | --weather-total P,T,RHO]\n"
    "                        [--stations FILE] [--json]\n"
    "       quillmere-report --slant --station home|dx [--data FILE] --ghz F\n"
    "                        --elevations E1,E2,... [--profile station|global]\n"
    "                        [--stations FILE] [--json]\n"
    "  --spectrum    line-by-line gases (P.676-13 Annex 1) from A to B GHz in steps of S:\n"
    "                ghz, gamma_o_db_km, gamma_w_db_km at the station, zenith_db\n"
    "  --slant       ray-traced path at F GHz for each geometric elevation (below 0\n"
    "                from a station above the sea, down to its refracted horizon):\n"
    "                geometric_elevation, ray_db, cosecant_db (the window's figure),\n"
    "                apparent_elevation, sky_k (2.7 K cosmic background included)\n"
    "  --station     the station whose weather, height, zone and season are used;\n"
    "                the data file keeps no DX height: without --stations DX is\n"
    "                taken at 0 m, and the output says so\n"
    "  --stations    the planner's stations file (QuillmereStations.ini): the DX\n"
    "                height from there\n"
    "  --profile     station (default): the zone and season's profile scaled to the\n"
    "                station's weather; global: the mean annual global reference\n"
    "                atmosphere, ignoring the data file's weather\n"
    "  --weather     dry-air pressure P hPa, temperature T K, vapour density RHO g/m3\n"
    "  --weather-total\n"
    "                the same with the total pressure P hPa (a barometer's), as\n"
    "                --slant reports it; the vapour's part is taken out\n"
    "  Both commands give the integrated water vapour above the station (kg/m2).\n";

std::string ExactPathUsage() {
  // The forms stand under the whole usage's first line; alone, the first
  // of them opens the usage.
  return "usage:" + std::string(kExactPathForms).substr(6) +
         "Exit status: 0 printed; 1 the data file could not be read (the figures are\n"
         "those of the start state) or gives no finite figures, or the output could not\n"
         "be written; 2 bad options.\n";
}

int RunExactPathMode(char* program, std::span<const std::string_view> args,
                     const std::string& usage) {
  std::string error;
  const auto request = ParseExactPathCommand(args, error);
  if (!request) {
    std::fprintf(stderr, "%s: %s\n%s", kReportProgram, error.c_str(), usage.c_str());
    return kBadOptions;
  }
  if (request->help) {
    if (WriteAll(ExactPathUsage())) return kPrinted;
    SayNotWritten("usage");
    return kFailed;
  }
  ExactPathRequest run = *request;
  if (run.stations) {
    // The planner's own file, read as the planner reads it.
    std::error_code ec;
    if (!std::filesystem::exists(*run.stations, ec)) {
      std::fprintf(stderr, "%s: no stations file %s\n", kReportProgram,
                   run.stations->string().c_str());
      return kFailed;
    }
    const StationsFile file = LoadStationsFile(*run.stations);
    if (file.unread || !file.message.empty()) {
      std::fprintf(stderr, "%s: %s\n", kReportProgram,
                   (file.unread ? *file.unread : file.message).c_str());
      return kFailed;
    }
    run.dx_height_m = file.stations.dx.height_m;
  }
  const std::filesystem::path data = DataFileOrDefault(request->data);
  DataRecord probe{};
  const ReadResult read = ReadDataFile(data, probe);
  HeadlessApplication app(program);
  StandardErrorMessages messages;
  HeadlessWindow window{UtcClock(UtcNow)};
  window.Startup(data, messages);
  // No figure is printed that could not be finite.
  if (const auto fault = ExactPathWeatherFault(run, window.State())) {
    if (!read.ok()) std::fprintf(stderr, "%s: %s\n", kReportProgram, read.message.c_str());
    std::fprintf(stderr, "%s: %s\n", kReportProgram, fault->c_str());
    return kFailed;
  }
  // Nor any from weather that cannot be air: the request is at fault.
  if (const auto fault = ExactPathImpossibleWeather(run, window.State())) {
    std::fprintf(stderr, "%s: %s\n", kReportProgram, fault->c_str());
    return kBadOptions;
  }
  return PrintedStatus(WriteAll(RunExactPathCommand(run, window.State())), read,
                       request->data.has_value(), "the figures are those of the start state");
}

}  // namespace quillmere
