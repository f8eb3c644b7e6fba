// Start-up and shutdown of the main window: its placement, kept in
// QuillmereS.ini in the current folder, and the start-up sequence that loads
// the default data file.
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDateTime>
#include <QLocale>
#include <QShowEvent>
#include <QStringList>
#include <QTimer>
#include <QWindow>
#include <filesystem>

#include "default_data.h"
#include "form_components.h"
#include "placement.h"
#include "placement_file.h"
#include "startup.h"
#include "tform1.h"
#include "ui_tform1.h"
#include "widget_display.h"

namespace quillmere {
namespace {

// The placement file in the start folder, named by the system's bytes.
std::filesystem::path PlacementPath() {
  return StartFolder() / kPlacementFileName;
}

}  // namespace

bool TForm1::event(QEvent* event) {
  if (event->type() == QEvent::WindowActivate && startup_enabled_) Startup();
  return QMainWindow::event(event);
}

void TForm1::showEvent(QShowEvent* event) {
  if (startup_enabled_) {
    FormShow();
    // Without a window manager (or with one that does not activate new
    // windows) no activation may ever come: start up once the window is
    // on screen all the same.
    QTimer::singleShot(0, this, &TForm1::Startup);
  }
  QMainWindow::showEvent(event);
}

void TForm1::closeEvent(QCloseEvent* event) {
  if (startup_enabled_) FormClose();
  QMainWindow::closeEvent(event);
}

void TForm1::FormShow() {
  if (placement_restored_) return;
  placement_restored_ = true;
  state_.CurrentDirectory = StartFolder().string();
  TidyInterruptedSaves();
  const QRect stored = ReadPlacement(PlacementPath());
  // Always reachable: the whole window, title bar included, on one screen.
  const QRect outer = FitInto(stored, AvailableAreaFor(stored));
  ApplyOuterGeometry(outer);
  // The window manager adds its frame only when it maps the window; until
  // then the frame counts as nothing, and the outer size would be given to
  // the client area. The placement is applied again at the first exposure,
  // with the frame known (see eventFilter).
  pending_placement_ = outer;
  if (QWindow* window = windowHandle()) window->installEventFilter(this);
}

void TForm1::ApplyOuterGeometry(const QRect& outer) {
  const QMargins frame = windowHandle() ? windowHandle()->frameMargins() : QMargins();
  // Placed by its client area: that is what Qt and the window manager
  // agree on once the frame is known (a frame position is taken as the
  // client's by some window managers once the window is mapped).
  setGeometry(outer.marginsRemoved(frame));
}

void TForm1::Startup() {
  if (started_) return;
  started_ = true;
  StartupRoutine();
}

void TForm1::StartupRoutine() {
  version_ = RunStartup(*calc_, *display_, DataPath(), *messages_);
}

std::filesystem::path TForm1::DataPath() const {
  return data_path_.empty() ? DefaultDataPath() : data_path_;
}

void TForm1::TabSet2Click(int tab) {
  state_.CurrentDirectory = StartFolder().string();
  switch (tab) {
    case 0:
      OpenHelp();
      break;
    case 1:
      version_ = ReadVersionInfo();
      messages_->Information(AboutText().toStdString());
      break;
    case 2:
      ConfirmExit();
      break;
    case 3:
      OpenPlanner();
      break;
    case 4:
      OpenSpectrum();
      break;
    default:
      break;
  }
}

void TForm1::OpenSpectrum() {
  if (!spectrum_.window) {
    ViewFactory* views = Views(QStringLiteral("The Spectrum view"));
    if (!views) return;
    spectrum_ = views->MakeSpectrum(state_);
    GiveWindowKeys(spectrum_.window.get(), QStringLiteral("spectrum.html#reading"));
  }
  FollowRecalculations();
  spectrum_.window->show();
  spectrum_.window->raise();
  spectrum_.window->activateWindow();
}

QString TForm1::AboutText() const {
  QString date;
  if (state_.BuildFileAge >= 0) {
    date = QLocale().toString(QDateTime::fromSecsSinceEpoch(state_.BuildFileAge).date(),
                              QLocale::ShortFormat);
  } else {
    date = QStringLiteral("unknown (the program file was not found)");
  }
  const QStringList lines = {
      QStringLiteral("Quillmere Absorbtion Attenuation, written by the Quillmere developers"),
      // The licence stands in the About text, as free software asks.
      QStringLiteral("     Free software under the GNU GPL, version 3 or later; no warranty"),
      QStringLiteral("     Questions and reports: the Quillmere project's issue tracker"),
      // The data shipped with the program, with their terms.
      QStringLiteral("     Data: ITU-R P.840-4 cloud maps and ITU-R P.676-13 line tables (c) ITU,"),
      QStringLiteral("     under ITU's terms of use; GSHHG 2.3.7 coastlines (LGPL 3 or later)"),
      // Fetched only when asked for; the import shows the time of its figures.
      QStringLiteral("     Current weather on request: Weather data by Open-Meteo.com, CC BY 4.0,"),
      QStringLiteral("     shown with the time of the observation"),
      QString(),
      QStringLiteral("Build .. ") + QString::fromStdString(FileVersion(version_)),
      QStringLiteral("Date ..  ") + date,
      QString(),
      QStringLiteral("The Quillmere developers"),
  };
  return lines.join(u'\n');
}

void TForm1::ConfirmExit() {
  if (messages_->Confirm("Do You wish to exit now ?")) QCoreApplication::quit();
}

void TForm1::NoteFramedPlacement() {
  const QWindow* window = windowHandle();
  // Only while mapped and framed: on the way out the window manager takes
  // the frame away first, and the rectangle Qt then reports is the client
  // area, which read back as the outer one would shrink the window at every
  // start.
  if (window && window->isVisible() && window->isExposed() && KnownFrame(window)) {
    framed_placement_ = window->frameGeometry();
  }
}

void TForm1::FormClose() {
  // The window's placement is written on close and again on destruction,
  // with the same values; a failure to write it is not reported.
  NoteFramedPlacement();
  FormDestroy();
}

void TForm1::FormDestroy() {
  state_.CurrentDirectory = StartFolder().string();
  // Before the window manager has framed the window, its frame is unknown
  // and the placement still the one read: write that back unchanged.
  // The window's own frame, not QWidget's copy of it, which is refreshed
  // only later and so may still hold the frame of before the mapping.
  // Without a window manager there is no frame, and the window's own
  // rectangle is the outer one.
  const QRect outer = pending_placement_  ? *pending_placement_
                      : framed_placement_ ? *framed_placement_
                      : windowHandle()    ? windowHandle()->frameGeometry()
                                          : frameGeometry();
  // Through the one writer: the rest of the user's file is kept, a link is
  // followed to a regular file only, and a file that cannot be read is left
  // alone. The outcome is not reported, as the program has always done.
  (void)WritePlacementFile(PlacementPath(), outer.left(), outer.top(), outer.width(),
                           outer.height());
}

}  // namespace quillmere
