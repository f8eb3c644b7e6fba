#include "tform2.h"

#include <QCloseEvent>
#include <QFont>
#include <QImage>
#include <QKeyEvent>
#include <QPixmap>
#include <QScreen>
#include <QShowEvent>
#include <QVBoxLayout>
#include <QWindow>

#include "placement.h"

#include "jpeg_file.h"

namespace quillmere {

TForm2::TForm2(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint) {
  // A close box, which does what "Close" does; no minimise or maximise: the
  // viewer stands in for the main window, which is hidden meanwhile.
  setObjectName(QStringLiteral("Form2"));
  setWindowTitle(QStringLiteral("Cloud Water Density"));
  QFont font(QStringLiteral("Tahoma"));
  font.setPixelSize(11);
  setFont(font);

  // The picture and its button scroll together where the screen is smaller
  // than the picture.
  scroll_ = new QScrollArea(this);
  scroll_->setFrameShape(QFrame::NoFrame);
  scroll_->setWidgetResizable(false);
  auto* canvas = new QWidget;
  canvas->setFixedSize(kContentSize);
  scroll_->setWidget(canvas);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(scroll_);

  image_ = new QLabel(canvas);
  image_->setObjectName(QStringLiteral("Image1"));
  image_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  image_->setGeometry(1, 1, 1024, 768);

  close_ = new QPushButton(QStringLiteral("Close"), canvas);
  close_->setObjectName(QStringLiteral("Button1"));
  close_->setGeometry(936, 8, 75, 25);
  close_->raise();
  connect(close_, &QPushButton::clicked, this, &TForm2::Button1Click);

  // Fits itself to its contents, at the top-left corner of the screen.
  setMaximumSize(kContentSize);
  resize(kContentSize);
  move(0, 0);
}

void TForm2::FitToScreen() {
  const QScreen* where = screen();
  if (where == nullptr) return;
  const QRect area = where->availableGeometry();
  // The frame is known once the window manager has framed the window; before
  // that it counts as nothing and the first exposure fits the window again.
  const QMargins frame = KnownFrame(windowHandle()).value_or(QMargins());
  const QSize client = kContentSize.boundedTo(area.size().shrunkBy(frame));
  setFixedSize(client);
  setGeometry(QRect(area.topLeft() + QPoint(frame.left(), frame.top()), client));
}

void TForm2::showEvent(QShowEvent* event) {
  FitToScreen();
  if (QWindow* window = windowHandle()) window->installEventFilter(this);
  QWidget::showEvent(event);
}

bool TForm2::eventFilter(QObject* watched, QEvent* event) {
  if (watched == windowHandle() && event->type() == QEvent::Expose && windowHandle()->isExposed()) {
    // Fitted again at every exposure until the window manager has framed it.
    if (KnownFrame(windowHandle())) windowHandle()->removeEventFilter(this);
    FitToScreen();
  }
  return QWidget::eventFilter(watched, event);
}

void TForm2::closeEvent(QCloseEvent* event) {
  // The close box and Alt+F4 must not close the last visible window, which
  // would end the program with its inputs unsaved: hand back as "Close".
  event->ignore();
  Button1Click();
}

void TForm2::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    Button1Click();
    return;
  }
  QWidget::keyPressEvent(event);
}

std::string TForm2::LoadPicture(const std::string& path) {
  image_->setGeometry(1, 1, 1024, 768);
  image_->clear();
  const DecodedJpeg map = ReadJpegFile(path);
  if (!map.ok) return map.error;
  // Drawn at its natural size: a larger map is cut at the right and bottom.
  const QImage picture(map.rgb.data(), map.width, map.height, map.width * 3, QImage::Format_RGB888);
  image_->setPixmap(QPixmap::fromImage(picture.copy()));
  return {};
}

void TForm2::Button1Click() {
  hide();
  if (on_close_) on_close_();
}

}  // namespace quillmere
