// Quillmere: atmospheric attenuation, sky noise and path loss for microwave
// EME and terrestrial paths, for a Home and a DX station at once.
//
// Exit status: 0 normal end; 2 an unknown option or argument.
#include <QApplication>
#include <QStyleFactory>
#include <cstdio>
#include <string_view>

#include "font_substitutes.h"
#include "process_signals.h"
#include "program_icon.h"
#include "tform1.h"
#include "version_info.h"

namespace {

constexpr const char* kUsage =
    "usage: quillmere [--help] [--version] [Qt options]\n"
    "Atmospheric attenuation, sky noise and path loss for microwave EME and\n"
    "terrestrial paths, for a Home and a DX station at once.\n"
    "The window reads Quillmere.dat (the default data) and QuillmereS.ini (its\n"
    "placement) from the current folder; the installed launcher starts it in\n"
    "${XDG_DATA_HOME:-~/.local/share}/quillmere.\n"
    "  --help      this text\n"
    "  --version   the program's version\n"
    "Qt's own options (-platform NAME, -style NAME, ...) are taken as Qt takes them.\n"
    "Exit status: 0 normal end; 2 an unknown option or argument.\n";

enum ExitStatus { kNormal = 0, kBadOptions = 2 };

int BadOption(std::string_view arg) {
  std::fprintf(stderr, "quillmere: unknown option or argument \"%.*s\"\n%s",
               static_cast<int>(arg.size()), arg.data(), kUsage);
  return kBadOptions;
}

}  // namespace

int main(int argc, char** argv) {
  // The program's own options are all long ones, answered before any window
  // system is asked for, so that --help works without a display. A single
  // dash belongs to Qt.
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return kNormal;
    }
    if (arg == "--version") {
      std::printf("quillmere %s\n", quillmere::FileVersion(quillmere::ReadVersionInfo()).c_str());
      return kNormal;
    }
    if (arg.starts_with("--")) return BadOption(arg);
  }

  // A save past the file-size limit becomes a message, not the end.
  quillmere::IgnoreFileSizeSignal();

  QApplication app(argc, argv);
  // Whatever Qt did not take is nobody's.
  if (argc > 1) return BadOption(argv[1]);
  QApplication::setApplicationName(QStringLiteral("Quillmere"));
  // Lets the desktop match the window with its menu entry and icon.
  QGuiApplication::setDesktopFileName(QStringLiteral("quillmere"));
  QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  quillmere::InstallFontSubstitutes();
  // Every window, message boxes included, shows the program's icon.
  QApplication::setWindowIcon(quillmere::ProgramIcon());

  quillmere::TForm1 form;
  form.EnableStartup(true);
  form.show();
  return app.exec();
}
