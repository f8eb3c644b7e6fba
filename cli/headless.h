#pragma once
// What every mode of quillmere-report shares: Qt Core without a window, the
// window's start-up on a data file, its messages on standard error, and the
// exit statuses.

#include <QCoreApplication>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "data_file.h"
#include "form_view.h"
#include "messages.h"
#include "state.h"
#include "utc_clock.h"

namespace quillmere {

inline constexpr const char* kReportProgram = "quillmere-report";

// 0 printed; 1 the data file could not be read (or gives no figures) or the
// output could not be written; 2 bad options.
enum ReportStatus { kPrinted = 0, kFailed = 1, kBadOptions = 2 };

// Start-up's messages, which the window would show in message boxes.
class StandardErrorMessages final : public Messages {
 public:
  void Information(std::string_view text) override { Print("information", text); }
  void Warning(std::string_view text) override { Print("warning", text); }
  void Error(std::string_view text) override { Print("error", text); }
  // Nobody is there to answer: No, the answer that changes nothing.
  bool Confirm(std::string_view text) override;

 private:
  static void Print(const char* kind, std::string_view text);
};

// Starts Qt Core only: no window is made. Qt is given no arguments: a file
// name such as "-reverse" after --data must not be taken for one of Qt's own
// options.
class HeadlessApplication {
 public:
  explicit HeadlessApplication(char* program);

 private:
  int argc_ = 1;
  char* argv_[2];
  std::optional<QCoreApplication> app_;
};

// The main window's start-up without the window: the state of both
// stations, the calculation writing to the form as data, and the load of the
// default data file, exactly as the window's first activation runs them.
// The calculation stays out of this header: its Station enum and the
// track's Station struct share a name.
class HeadlessWindow {
 public:
  explicit HeadlessWindow(UtcClock clock);
  ~HeadlessWindow();

  // The program's start-up sequence on `data`. Nothing is placed, and
  // neither placement nor data is written back.
  void Startup(const std::filesystem::path& data, Messages& messages);

  const QuillmereState& State() const;
  const FormView& View() const;

 private:
  struct Parts;
  std::unique_ptr<Parts> parts_;
};

// The data file named on the command line, or when none is, Quillmere.dat
// in the start folder.
std::filesystem::path DataFileOrDefault(const std::optional<std::filesystem::path>& given);

// Writes all of `bytes` to standard output and flushes it.
bool WriteAll(std::string_view bytes);

// Says on standard error that the output could not be written.
void SayNotWritten(const char* what);

// The status of a mode that printed its figures after start-up read the
// data file with `read`: output not all written, or a data file start-up
// could not read, is kFailed, said on standard error (`shown` tells what
// the output then holds); else kPrinted.
int PrintedStatus(bool written, const ReadResult& read, bool data_given, const char* shown);

}  // namespace quillmere
