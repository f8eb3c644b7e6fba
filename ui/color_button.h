#pragma once
// A push button with a background colour of its own that changes to a second
// colour while the pointer is over it.

#include <QColor>
#include <QPushButton>

namespace quillmere {

class ColorButton : public QPushButton {
  Q_OBJECT
  Q_PROPERTY(QColor color READ color WRITE setColor)
  Q_PROPERTY(QColor hoverColor READ hoverColor WRITE setHoverColor)

 public:
  explicit ColorButton(QWidget* parent = nullptr);

  // An invalid colour stands for the system's button face.
  QColor color() const { return color_; }
  void setColor(const QColor& color);
  QColor hoverColor() const { return hover_color_; }
  void setHoverColor(const QColor& color);

  // The colour the button shows now.
  QColor shownColor() const;

 protected:
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void ApplyColor();

  QColor color_;
  QColor hover_color_;
  bool hovered_ = false;
};

}  // namespace quillmere
