// Quillmere: atmospheric attenuation, sky noise and path loss for microwave
// EME and terrestrial paths, for a Home and a DX station at once.
#include <QApplication>
#include <QStyleFactory>

#include "font_substitutes.h"
#include "program_icon.h"
#include "tform1.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
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
