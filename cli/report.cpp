// quillmere-report's window report: runs the Quillmere window's start-up
// without a window (Qt Core only) on a default data file at a chosen UTC
// moment, and prints every text of the window as the user would see it, as
// a sheet or as JSON. What start-up would show in message boxes goes to
// standard error.
//
// Exit status: 0 printed; 1 the data file could not be read (the report then
// shows the start state) or the report could not be written; 2 bad options.
#include "report.h"

#include <QByteArray>
#include <QString>
#include <cstdio>

#include "data_file.h"
#include "form_components.h"
#include "form_view.h"
#include "headless.h"
#include "option_reader.h"
#include "parse_text.h"
#include "report_components.h"
#include "version_info.h"

namespace quillmere {

const char* const kWindowReportUsage =
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
    "  --version     the program's version\n";

const char* const kWindowReportNotes =
    "Messages of the start-up go to standard error.\n"
    "Exit status: 0 printed; 1 the data file could not be read (the start state is\n"
    "printed) or the report not written; 2 bad options.\n";

std::optional<WindowReportOptions> ParseWindowReportOptions(std::span<const std::string_view> args,
                                                            std::string& error) {
  WindowReportOptions options;
  OptionReader reader(args);
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
      options.utc = ParseUtc(*moment);
      if (!options.utc) {
        error =
            "--utc wants a UTC moment YYYY-MM-DDTHH:MM:SS, not \"" + std::string(*moment) + "\"";
        return std::nullopt;
      }
    } else if (reader.IsFlag("--json")) {
      options.json = true;
    } else if (reader.IsHelp()) {
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

namespace {

// A component's name as Qt text.
QString Name(std::string_view component) {
  return QString::fromUtf8(component.data(), qsizetype(component.size()));
}

// Every text of the window after start-up, and of the cloud-map viewer as
// it is made.
ComponentReport ReportOf(const FormView& view) {
  ComponentReport report;
  WindowRegions regions;
  regions.holder = Name(component::Panel1);
  regions.headings = {
      {Name(component::Panel1), QStringLiteral("Command row and option lists")},
      {Name(component::Panel49), QStringLiteral("Frequency")},
      {Name(component::Panel15), QStringLiteral("Path results")},
      {Name(component::Panel90), QStringLiteral("Home inputs")},
      {Name(component::Panel46), QStringLiteral("DX inputs")},
      {Name(component::Panel23), QStringLiteral("Home slant and EME results")},
      {Name(component::Panel2), QStringLiteral("DX slant and EME results")},
      {Name(component::Panel126), QStringLiteral("EME not selected")},
      {Name(component::Panel45), QStringLiteral("Home reference latitude and season")},
      {Name(component::Panel42), QStringLiteral("Cloud liquid-water notes")},
      {Name(component::Panel121), QStringLiteral("Combined losses")},
  };
  report.AddWindow(Name(component::Form1), QString::fromStdString(view.Of(component::Form1).text),
                   MainWindowComponents(view), regions);
  // The cloud-map viewer, as it is made (its picture, no text yet, and its
  // "Close"), unchanged by start-up.
  ReportComponent image;
  image.name = QStringLiteral("Image1");
  image.text = QString();
  ReportComponent close;
  close.name = QStringLiteral("Button1");
  close.text = QStringLiteral("Close");
  report.AddWindow(QStringLiteral("Form2"), QStringLiteral("Cloud Water Density"), {image, close});
  return report;
}

}  // namespace

int RunWindowReportMode(char* program, std::span<const std::string_view> args,
                        const std::string& usage) {
  std::string error;
  const std::optional<WindowReportOptions> options = ParseWindowReportOptions(args, error);
  if (!options) {
    std::fprintf(stderr, "%s: %s\n%s", kReportProgram, error.c_str(), usage.c_str());
    return kBadOptions;
  }
  if (options->help) {
    std::fputs(usage.c_str(), stdout);
    return kPrinted;
  }
  if (options->version) {
    std::printf("%s %s\n", kReportProgram, FileVersion(ReadVersionInfo()).c_str());
    return kPrinted;
  }

  // A file start-up cannot read leaves the window with the figures of the
  // start state, which are printed all the same; the exit status says that
  // they are not the file's.
  const std::filesystem::path data = DataFileOrDefault(options->data);
  DataRecord probe{};
  const ReadResult read = ReadDataFile(data, probe);

  HeadlessApplication app(program);
  StandardErrorMessages messages;
  HeadlessWindow window{options->utc ? FixedUtcClock(*options->utc) : UtcClock(UtcNow)};
  // Start-up as at the window's first activation. Nothing is placed, and
  // neither placement nor data is written back (no QuillmereS.ini appears).
  window.Startup(data, messages);

  const ComponentReport report = ReportOf(window.View());
  const QByteArray out = options->json ? report.Json() : report.Sheet();
  return PrintedStatus(WriteAll({out.constData(), static_cast<std::size_t>(out.size())}), read,
                       options->data.has_value(), "the report shows the start state");
}

}  // namespace quillmere
