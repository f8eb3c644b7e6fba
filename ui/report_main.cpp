// quillmere-report: runs the Quillmere window's start-up without a window (Qt
// Core only) on a default data file at a chosen UTC moment, and prints every
// text of the window as the user would see it, as a sheet or as JSON. What
// start-up would show in message boxes goes to standard error.
//
// Exit status: 0 printed; 1 the data file could not be read (the report then
// shows the start state) or the report could not be written; 2 bad options.
#include <QByteArray>
#include <QCoreApplication>
#include <QFileInfo>
#include <QLocale>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "calculator.h"
#include "data_file.h"
#include "default_data.h"
#include "form_components.h"
#include "form_view.h"
#include "messages.h"
#include "option_reader.h"
#include "process_signals.h"
#include "report_components.h"
#include "report_track.h"
#include "spectrum_command.h"
#include "sunmoon.h"
#include "utc_clock.h"
#include "version_info.h"

namespace {

constexpr const char* kProgram = "quillmere-report";

constexpr const char* kUsage =
    "usage: quillmere-report [--data FILE] [--utc YYYY-MM-DDTHH:MM:SS] [--json]\n"
    "Starts the Quillmere window without showing it and prints every text it shows.\n"
    "  --data FILE   default data file to start from (default: Quillmere.dat in the\n"
    "                current folder)\n"
    "  --utc MOMENT  UTC moment of the moon data, e.g. 2026-12-07T08:00:00 (default: now)\n"
    "  --json        one JSON object {component: {\"text\", \"visible\"}} instead of the\n"
    "                sheet, for every named component; radio groups also give\n"
    "                \"selected\", the selected item's index (-1 for none); sliders\n"
    "                \"position\", \"minimum\", \"maximum\"; the tab strip \"tabs\"\n"
    "  --help        this text\n"
    "  --version     the program's version\n"
    "\n"
    "       quillmere-report --spectrum --station home|dx [--data FILE] --from-ghz A\n"
    "                        --to-ghz B --step-ghz S [--profile station|global]\n"
    "                        [--weather P,T,RHO] [--json]\n"
    "       quillmere-report --slant --station home|dx [--data FILE] --ghz F\n"
    "                        --elevations E1,E2,... [--profile station|global] [--json]\n"
    "  --spectrum    line-by-line gases (P.676-13 Annex 1) from A to B GHz in steps of S:\n"
    "                ghz, gamma_o_db_km, gamma_w_db_km at the station, zenith_db\n"
    "  --slant       ray-traced path at F GHz for each geometric elevation: elevation,\n"
    "                ray_db, cosecant_db (the window's figure), apparent_elevation, sky_k\n"
    "  --station     the station whose weather, height, zone and season are used\n"
    "  --profile     station (default): the zone and season's profile scaled to the\n"
    "                station's weather; global: the mean annual global reference\n"
    "                atmosphere, ignoring the data file's weather\n"
    "  --weather     dry-air pressure P hPa, temperature T K, vapour density RHO g/m3\n"
    "\n"
    "Messages of the start-up go to standard error.\n"
    "Exit status: 0 printed; 1 the data file could not be read (the start state is\n"
    "printed) or the report not written; 2 bad options.\n"
    "\n";

// The whole usage, the track's part from the command itself.
const std::string& Usage() {
  static const std::string usage = std::string(kUsage) + quillmere::TrackUsage();
  return usage;
}

enum ExitStatus { kPrinted = 0, kFailed = 1, kBadOptions = 2 };

struct Options {
  std::optional<std::filesystem::path> data;
  std::optional<quillmere::UtcDateTime> utc;
  bool json = false;
  bool help = false;
  bool version = false;
};

// Reads the options; on a bad one returns nothing and says why in `error`.
// "--name VALUE" and "--name=VALUE" both work; a later option overrides an
// earlier one.
std::optional<Options> ParseOptions(std::span<const std::string_view> args, std::string& error) {
  Options options;
  quillmere::OptionReader reader(args);
  while (reader.Next()) {
    const std::string_view arg = reader.Name();
    const auto value = [&] { return reader.Value(error); };
    if (arg == "--data") {
      const auto file = value();
      if (!file) return std::nullopt;
      if (file->empty()) {
        error = "--data needs a file name";
        return std::nullopt;
      }
      options.data = std::filesystem::path(*file);
    } else if (arg == "--utc") {
      const auto moment = value();
      if (!moment) return std::nullopt;
      options.utc = quillmere::ParseUtc(*moment);
      if (!options.utc) {
        error =
            "--utc wants a UTC moment YYYY-MM-DDTHH:MM:SS, not \"" + std::string(*moment) + "\"";
        return std::nullopt;
      }
    } else if (reader.IsFlag("--json")) {
      options.json = true;
    } else if (reader.IsFlag("--help") || reader.IsFlag("-h")) {
      options.help = true;
    } else if (reader.IsFlag("--version")) {
      options.version = true;
    } else if (!arg.starts_with('-')) {
      error = "unexpected argument \"" + std::string(reader.Given()) + "\"";
      return std::nullopt;
    } else {
      error = "unknown option \"" + std::string(reader.Given()) + "\"";
      return std::nullopt;
    }
  }
  return options;
}

// Start-up's messages, which the window would show in message boxes.
class StandardErrorMessages final : public quillmere::Messages {
 public:
  void Information(std::string_view text) override { Print("information", text); }
  void Warning(std::string_view text) override { Print("warning", text); }
  void Error(std::string_view text) override { Print("error", text); }
  // Nobody is there to answer: No, the answer that changes nothing.
  bool Confirm(std::string_view text) override {
    Print("question", std::string(text) + " [answered No]");
    return false;
  }

 private:
  // Later lines of a message are indented under its first.
  static void Print(const char* kind, std::string_view text) {
    std::string out = std::string(kind) + ": ";
    for (const char c : text) {
      out += c;
      if (c == '\n') out += "  ";
    }
    out += '\n';
    std::fputs(out.c_str(), stderr);
  }
};

// Starts Qt Core only: no window is made. Qt is given no arguments: a file
// name such as "-reverse" after --data must not be taken for one of Qt's own
// options.
class HeadlessApplication {
 public:
  explicit HeadlessApplication(char* program) : argv_{program, nullptr} {
    app_.emplace(argc_, argv_);
    QCoreApplication::setApplicationName(QStringLiteral("Quillmere"));
  }

 private:
  int argc_ = 1;
  char* argv_[2];
  std::optional<QCoreApplication> app_;
};

// The main window's start-up without the window: the state of both
// stations, the calculation writing to the form as data, and the load of the
// default data file, exactly as the window's first activation runs them.
class HeadlessWindow {
 public:
  explicit HeadlessWindow(quillmere::UtcClock clock)
      : moon_(quillmere::MakeErfaSunMoon()), calc_(state_, view_, *moon_, std::move(clock)) {
    // Both stations start over water, as the window's captions say.
    state_.Home.VapourOverWater = 1;
    state_.DX.VapourOverWater = 1;
    const QLocale locale;
    calc_.SetNumberFormat(
        {locale.decimalPoint().toStdString(), locale.groupSeparator().toStdString()});
  }

  void Startup(const std::filesystem::path& data, quillmere::Messages& messages) {
    const quillmere::VersionInfo version = quillmere::ReadVersionInfo();
    // The window's title, as its start-up writes it.
    view_.SetText(quillmere::component::Form1,
                  "Quillmere Absorbtion Attenuation Ver " +
                      quillmere::ProgramVersion(quillmere::FileVersion(version)));
    const QFileInfo program(QCoreApplication::applicationFilePath());
    state_.BuildFileAge = program.exists() ? program.lastModified().toSecsSinceEpoch() : -1;
    state_.Home.VapourOverWater = 1;
    state_.DX.VapourOverWater = 1;
    state_.CurrentDirectory = quillmere::StartFolder().string();
    quillmere::LoadDefaults(calc_, view_, quillmere::ProcessRecordBuffer(), data, messages);
  }

  const quillmere::QuillmereState& State() const { return state_; }
  const quillmere::FormView& View() const { return view_; }

 private:
  quillmere::QuillmereState state_;
  quillmere::FormView view_;
  std::unique_ptr<quillmere::SunMoonLibrary> moon_;
  quillmere::Calculator calc_;
};

// --track: the window's start-up on the data file gives each station's
// weather, exactly as the report's own start-up does.
int RunTrack(int argc, char** argv) {
  HeadlessApplication app(argv[0]);
  StandardErrorMessages messages;
  const auto load =
      [&](const std::filesystem::path& data) -> std::optional<quillmere::QuillmereState> {
    quillmere::DataRecord probe{};
    const quillmere::ReadResult read = quillmere::ReadDataFile(data, probe);
    if (!read.ok()) {
      std::fprintf(stderr, "%s: %s\n", kProgram, read.message.c_str());
      return std::nullopt;
    }
    HeadlessWindow window{quillmere::UtcClock(quillmere::UtcNow)};
    window.Startup(data, messages);
    return window.State();
  };
  const std::vector<std::string> args(argv + 1, argv + argc);
  // The program's seconds-based clock: a count of nanoseconds would wrap
  // in 2262.
  const auto now_s = static_cast<double>(quillmere::UnixSecondsOf(quillmere::UtcNow()));
  const int status = quillmere::RunTrackReport(args, now_s, quillmere::DefaultDataPath(), load,
                                               std::cout, std::cerr);
  std::cout.flush();
  if (status == 0 && !std::cout) {
    std::fprintf(stderr, "%s: could not write the track: %s\n", kProgram, std::strerror(errno));
    return kFailed;
  }
  return status;
}

// A component's name as Qt text.
QString Name(std::string_view component) {
  return QString::fromUtf8(component.data(), qsizetype(component.size()));
}

bool WriteAll(const QByteArray& bytes) {
  const auto size = static_cast<std::size_t>(bytes.size());
  return std::fwrite(bytes.constData(), 1, size, stdout) == size && std::fflush(stdout) == 0;
}

// --spectrum and --slant: start-up as for the report, on the request's data
// file, then the exact method for the chosen station's loaded state.
int RunExactPath(char* program, std::span<const std::string_view> args) {
  std::string error;
  const auto request = quillmere::ParseExactPathCommand(args, error);
  if (!request) {
    std::fprintf(stderr, "%s: %s\n%s", kProgram, error.c_str(), Usage().c_str());
    return kBadOptions;
  }
  const std::filesystem::path data = request->data.value_or(quillmere::DefaultDataPath());
  quillmere::DataRecord probe{};
  const quillmere::ReadResult read = quillmere::ReadDataFile(data, probe);
  HeadlessApplication app(program);
  StandardErrorMessages messages;
  HeadlessWindow window{quillmere::UtcClock(quillmere::UtcNow)};
  window.Startup(data, messages);
  // No figure is printed that could not be finite.
  if (const auto fault = quillmere::ExactPathWeatherFault(*request, window.State())) {
    if (!read.ok()) std::fprintf(stderr, "%s: %s\n", kProgram, read.message.c_str());
    std::fprintf(stderr, "%s: %s\n", kProgram, fault->c_str());
    return kFailed;
  }
  const std::string out = quillmere::RunExactPathCommand(*request, window.State());
  if (!WriteAll(QByteArray::fromStdString(out))) {
    std::fprintf(stderr, "%s: could not write the report: %s\n", kProgram, std::strerror(errno));
    return kFailed;
  }
  if (!read.ok()) {
    std::fprintf(stderr, "%s: %s%s; the figures are those of the start state\n", kProgram,
                 read.message.c_str(),
                 request->data ? "" : " (give the data file with --data FILE)");
    return kFailed;
  }
  return kPrinted;
}

}  // namespace

int main(int argc, char** argv) {
  // Writing the report past the file-size limit is a failure to report.
  quillmere::IgnoreFileSizeSignal();
  if (std::any_of(argv + 1, argv + argc,
                  [](const char* arg) { return std::string_view(arg) == "--track"; })) {
    return RunTrack(argc, argv);
  }
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  if (quillmere::IsExactPathCommand(args)) return RunExactPath(argv[0], args);
  std::string error;
  const std::optional<Options> options = ParseOptions(args, error);
  if (!options) {
    std::fprintf(stderr, "%s: %s\n%s", kProgram, error.c_str(), Usage().c_str());
    return kBadOptions;
  }
  if (options->help) {
    std::fputs(Usage().c_str(), stdout);
    return kPrinted;
  }
  if (options->version) {
    std::printf("%s %s\n", kProgram, quillmere::FileVersion(quillmere::ReadVersionInfo()).c_str());
    return kPrinted;
  }

  // A file start-up cannot read leaves the window with the figures of the
  // start state, which are printed all the same; the exit status says that
  // they are not the file's.
  const std::filesystem::path data = options->data.value_or(quillmere::DefaultDataPath());
  quillmere::DataRecord probe{};
  const quillmere::ReadResult read = quillmere::ReadDataFile(data, probe);

  HeadlessApplication app(argv[0]);

  StandardErrorMessages messages;
  HeadlessWindow window{options->utc ? quillmere::FixedUtcClock(*options->utc)
                                     : quillmere::UtcClock(quillmere::UtcNow)};
  // Start-up as at the window's first activation. Nothing is placed, and
  // neither placement nor data is written back (no QuillmereS.ini appears).
  window.Startup(data, messages);

  quillmere::ComponentReport report;
  quillmere::WindowRegions regions;
  regions.holder = Name(quillmere::component::Panel1);
  regions.headings = {
      {Name(quillmere::component::Panel1), QStringLiteral("Command row and option lists")},
      {Name(quillmere::component::Panel49), QStringLiteral("Frequency")},
      {Name(quillmere::component::Panel15), QStringLiteral("Path results")},
      {Name(quillmere::component::Panel90), QStringLiteral("Home inputs")},
      {Name(quillmere::component::Panel46), QStringLiteral("DX inputs")},
      {Name(quillmere::component::Panel23), QStringLiteral("Home slant and EME results")},
      {Name(quillmere::component::Panel2), QStringLiteral("DX slant and EME results")},
      {Name(quillmere::component::Panel126), QStringLiteral("EME not selected")},
      {Name(quillmere::component::Panel45), QStringLiteral("Home reference latitude and season")},
      {Name(quillmere::component::Panel42), QStringLiteral("Cloud liquid-water notes")},
      {Name(quillmere::component::Panel121), QStringLiteral("Combined losses")},
  };
  const quillmere::FormView& view = window.View();
  report.AddWindow(Name(quillmere::component::Form1),
                   QString::fromStdString(view.Of(quillmere::component::Form1).text),
                   quillmere::MainWindowComponents(view), regions);
  // The cloud-map viewer, as it is made (its picture, no text yet, and its
  // "Close"), unchanged by start-up.
  quillmere::ReportComponent image;
  image.name = QStringLiteral("Image1");
  image.text = QString();
  quillmere::ReportComponent close;
  close.name = QStringLiteral("Button1");
  close.text = QStringLiteral("Close");
  report.AddWindow(QStringLiteral("Form2"), QStringLiteral("Cloud Water Density"), {image, close});

  if (!WriteAll(options->json ? report.Json() : report.Sheet())) {
    std::fprintf(stderr, "%s: could not write the report: %s\n", kProgram, std::strerror(errno));
    return kFailed;
  }
  if (!read.ok()) {
    std::fprintf(stderr, "%s: %s%s; the report shows the start state\n", kProgram,
                 read.message.c_str(),
                 options->data ? "" : " (give the data file with --data FILE)");
    return kFailed;
  }
  return kPrinted;
}
