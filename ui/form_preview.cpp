// Shows the main window's bare form at its design size: placeholder
// captions, no calculation behind it.
//
//   quillmere-form-preview [--terrestrial] [--overlays] [--scale F]
//                          [--screenshot FILE.png]
//
// --terrestrial  shows the form as the terrestrial path mode leaves it
// --overlays     opens every option panel
// --scale F      sizes the client area to F times the design size
// --screenshot   writes the window to a PNG file and exits

#include <QApplication>
#include <QCommandLineParser>
#include <QStyleFactory>
#include <QTimer>
#include <QWidget>
#include <cstdio>

#include "font_substitutes.h"
#include "form_components.h"
#include "tform1.h"

namespace {

void ShowTerrestrialMode(quillmere::TForm1& form) {
  for (const char* name :
       {quillmere::component::Panel23.data(), quillmere::component::Panel2.data(),
        quillmere::component::Panel121.data()}) {
    form.Component(QString::fromLatin1(name))->hide();
  }
  form.Component(QString::fromLatin1(quillmere::component::Panel126.data()))->show();
}

void OpenOverlays(quillmere::TForm1& form) {
  for (const char* name :
       {quillmere::component::DisplayAccuracy.data(),
        quillmere::component::ScreenDelaySelect.data(), quillmere::component::Panel45.data(),
        quillmere::component::Panel117.data(), quillmere::component::Panel42.data()}) {
    QWidget* w = form.Component(QString::fromLatin1(name));
    w->show();
    w->raise();
  }
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  quillmere::InstallFontSubstitutes();

  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral("Quillmere main window form preview"));
  parser.addHelpOption();
  const QCommandLineOption terrestrial(QStringLiteral("terrestrial"),
                                       QStringLiteral("Show the terrestrial path mode."));
  const QCommandLineOption overlays(QStringLiteral("overlays"),
                                    QStringLiteral("Open every option panel."));
  const QCommandLineOption scale(QStringLiteral("scale"),
                                 QStringLiteral("Client area as a multiple of the design size."),
                                 QStringLiteral("factor"), QStringLiteral("1"));
  const QCommandLineOption screenshot(QStringLiteral("screenshot"),
                                      QStringLiteral("Write the window to a PNG file and exit."),
                                      QStringLiteral("file"));
  parser.addOptions({terrestrial, overlays, scale, screenshot});
  parser.process(app);

  quillmere::TForm1 form;
  if (parser.isSet(terrestrial)) ShowTerrestrialMode(form);
  if (parser.isSet(overlays)) OpenOverlays(form);
  const double factor = parser.value(scale).toDouble();
  if (factor > 0 && factor != 1.0) {
    form.ResizeClientArea(QSize(int(quillmere::TForm1::kDesignClientSize.width() * factor),
                                int(quillmere::TForm1::kDesignClientSize.height() * factor)));
  }
  form.show();

  if (parser.isSet(screenshot)) {
    const QString file = parser.value(screenshot);
    // Grabbed once the window has been laid out and painted.
    QTimer::singleShot(0, &form, [&form, file] {
      const bool ok = form.grab().save(file, "PNG");
      if (!ok) std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
      QApplication::exit(ok ? 0 : 1);
    });
  }
  return QApplication::exec();
}
