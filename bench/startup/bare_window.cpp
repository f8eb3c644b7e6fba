// The floor for Quillmere's start-up: a bare Qt Widgets window, a QLabel
// with the main window's title at the main window's size, shown. bench/startup/run times it beside
// the program, run for run, so that the program's start-up is read against what Qt itself costs on
// the same machine at the same moment.
#include <QApplication>
#include <QLabel>
#include <QSettings>
#include <QString>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  // The title the main window has once it starts loading its data file,
  // which is what the observer waits for.
  const QString title =
      QStringLiteral("Quillmere Absorbtion Attenuation Ver " QUILLMERE_BARE_VERSION);
  QLabel label(title);
  label.setWindowTitle(title);
  // As large as the main window is made from the placement file in the
  // working folder (the whole window, there being no window manager to
  // frame it), so that both windows need a backing store of one size.
  const QSettings placement(QStringLiteral("QuillmereS.ini"), QSettings::IniFormat);
  label.resize(placement.value(QStringLiteral("Position/Width"), 1064).toInt(),
               placement.value(QStringLiteral("Position/Height"), 886).toInt());
  label.show();
  return app.exec();
}
