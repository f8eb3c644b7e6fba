// The floor for Quillmere's start-up: a bare Qt Widgets window, a QLabel
// with the main window's title at the main window's design client size,
// shown. bench/startup/run times it beside the program, run for run, so
// that the program's start-up is read against what Qt itself costs on the
// same machine at the same moment.
#include <QApplication>
#include <QLabel>
#include <QString>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  // The title the main window has once it starts loading its data file,
  // which is what the observer waits for.
  const QString title =
      QStringLiteral("Quillmere Absorbtion Attenuation Ver " QUILLMERE_BARE_VERSION);
  QLabel label(title);
  label.setWindowTitle(title);
  // As large as the main window's client area, so that both windows need a
  // backing store of one size.
  label.resize(1064, 886);
  label.show();
  return app.exec();
}
