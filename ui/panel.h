#pragma once
// A bevelled panel: a coloured area that draws one line of caption text and
// may hold other controls. Value fields of the window are panels whose
// caption is the value.

#include <QColor>
#include <QFrame>
#include <QString>

namespace quillmere {

class Panel : public QFrame {
  Q_OBJECT
  Q_PROPERTY(QString caption READ caption WRITE setCaption)
  Q_PROPERTY(QColor color READ color WRITE setColor)
  Q_PROPERTY(Qt::Alignment captionAlignment READ captionAlignment WRITE setCaptionAlignment)

 public:
  explicit Panel(QWidget* parent = nullptr);

  const QString& caption() const { return caption_; }
  // Repaints only when the text differs: the recalculation rewrites every
  // value field on each click, most of them with the text they already show.
  void setCaption(const QString& caption);

  // Background colour; an invalid colour lets the parent's background show.
  QColor color() const { return color_; }
  void setColor(const QColor& color);

  Qt::Alignment captionAlignment() const { return alignment_; }
  void setCaptionAlignment(Qt::Alignment alignment);

 signals:
  // A click on the panel's own background (not on a control inside it), or
  // Space or Enter while the panel has the keyboard focus (only panels that
  // act as buttons are given a focus policy that lets them take it).
  void clicked();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QString caption_;
  QColor color_;
  Qt::Alignment alignment_ = Qt::AlignCenter;
  bool pressed_on_background_ = false;
};

}  // namespace quillmere
