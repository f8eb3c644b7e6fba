#include "headless.h"

#include <QLocale>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "calculator.h"
#include "default_data.h"
#include "startup.h"
#include "sunmoon.h"

namespace quillmere {

bool StandardErrorMessages::Confirm(std::string_view text) {
  Print("question", std::string(text) + " [answered No]");
  return false;
}

// Later lines of a message are indented under its first.
void StandardErrorMessages::Print(const char* kind, std::string_view text) {
  std::string out = std::string(kind) + ": ";
  for (const char c : text) {
    out += c;
    if (c == '\n') out += "  ";
  }
  out += '\n';
  std::fputs(out.c_str(), stderr);
}

HeadlessApplication::HeadlessApplication(char* program) : argv_{program, nullptr} {
  app_.emplace(argc_, argv_);
  QCoreApplication::setApplicationName(QStringLiteral("Quillmere"));
}

struct HeadlessWindow::Parts {
  explicit Parts(UtcClock clock)
      : moon(MakeErfaSunMoon()), calc(state, view, *moon, std::move(clock)) {}
  QuillmereState state;
  FormView view;
  std::unique_ptr<SunMoonLibrary> moon;
  Calculator calc;
};

HeadlessWindow::HeadlessWindow(UtcClock clock) : parts_(std::make_unique<Parts>(std::move(clock))) {
  // Both stations start over water, as the window's captions say.
  parts_->state.Home.VapourOverWater = 1;
  parts_->state.DX.VapourOverWater = 1;
  const QLocale locale;
  parts_->calc.SetNumberFormat(
      {locale.decimalPoint().toStdString(), locale.groupSeparator().toStdString()});
}

HeadlessWindow::~HeadlessWindow() = default;

void HeadlessWindow::Startup(const std::filesystem::path& data, Messages& messages) {
  RunStartup(parts_->calc, parts_->view, data, messages);
}

const QuillmereState& HeadlessWindow::State() const {
  return parts_->state;
}

const FormView& HeadlessWindow::View() const {
  return parts_->view;
}

std::filesystem::path DataFileOrDefault(const std::optional<std::filesystem::path>& given) {
  return given.value_or(DefaultDataPath());
}

bool WriteAll(std::string_view bytes) {
  return std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size() &&
         std::fflush(stdout) == 0;
}

void SayNotWritten(const char* what) {
  std::fprintf(stderr, "%s: could not write the %s: %s\n", kReportProgram, what,
               std::strerror(errno));
}

int PrintedStatus(bool written, const ReadResult& read, bool data_given, const char* shown) {
  if (!written) {
    SayNotWritten("report");
    return kFailed;
  }
  if (!read.ok()) {
    std::fprintf(stderr, "%s: %s%s; %s\n", kReportProgram, read.message.c_str(),
                 data_given ? "" : " (give the data file with --data FILE)", shown);
    return kFailed;
  }
  return kPrinted;
}

}  // namespace quillmere
