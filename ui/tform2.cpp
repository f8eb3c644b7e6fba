#include "tform2.h"

#include <QFont>
#include <QImage>
#include <QPixmap>

#include "jpeg_file.h"

namespace quillmere {

TForm2::TForm2(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
  // No system close, minimise or maximise buttons: "Close" is the way back.
  setObjectName(QStringLiteral("Form2"));
  setWindowTitle(QStringLiteral("Cloud Water Density"));
  QFont font(QStringLiteral("Tahoma"));
  font.setPixelSize(11);
  setFont(font);

  image_ = new QLabel(this);
  image_->setObjectName(QStringLiteral("Image1"));
  image_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  image_->setGeometry(1, 1, 1024, 768);

  close_ = new QPushButton(QStringLiteral("Close"), this);
  close_->setObjectName(QStringLiteral("Button1"));
  close_->setGeometry(936, 8, 75, 25);
  close_->raise();
  connect(close_, &QPushButton::clicked, this, &TForm2::Button1Click);

  // Fits itself to its contents, at the top-left corner of the screen.
  setFixedSize(1026, 770);
  move(0, 0);
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
