// quillmere-report: the window's figures, the Moon track and the
// line-by-line figures without a window. This file only picks the mode:
// --track, --spectrum or --slant anywhere among the arguments, else the
// window report. Each mode reads its own options and prints its own usage
// with --help; the window report's --help prints the whole.
#include <algorithm>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "control.h"
#include "current_weather.h"
#include "headless.h"
#include "process_signals.h"
#include "report.h"
#include "spectrum.h"
#include "track.h"

namespace {

// The usage of every mode, the window report's first.
const std::string& WholeUsage() {
  static const std::string usage = std::string(quillmere::kWindowReportUsage) + "\n" +
                                   quillmere::kExactPathForms + "\n" +
                                   quillmere::kWindowReportNotes + "\n" + quillmere::kTrackUsage +
                                   "\n" + quillmere::kCurrentWeatherUsage;
  return usage;
}

}  // namespace

int main(int argc, char** argv) {
  // Writing the report past the file-size limit is a failure to report.
  quillmere::IgnoreFileSizeSignal();
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  const auto given = [&](std::string_view mode) {
    return std::find(args.begin(), args.end(), mode) != args.end();
  };
  if (given("--current-weather")) return quillmere::RunCurrentWeatherMode(argv[0], args);
  if (given("--track")) return quillmere::RunTrackMode(argv[0], args);
  if (given("--control")) return quillmere::RunControlMode(args);
  if (quillmere::IsExactPathCommand(args))
    return quillmere::RunExactPathMode(argv[0], args, WholeUsage());
  return quillmere::RunWindowReportMode(argv[0], args, WholeUsage());
}
