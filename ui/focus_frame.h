#pragma once
// The keyboard focus, made visible: a frame drawn inside the edge of the
// control that has it. Controls that paint themselves call
// PaintFocusFrame at the end of their paintEvent; controls made of other
// controls (a stepper's two arrows, a slider, a radio item) get a
// FocusFrame laid over them.

#include <QWidget>

class QPainter;

namespace quillmere {

// Draws the focus frame along the inside of `rect` of `widget`, in the
// palette's highlight colour, two pixels wide, so that it reads on cream,
// green, silver and white alike.
void PaintFocusFrame(QPainter& painter, const QWidget& widget, const QRect& rect);

// A frame over `target` that shows while `target` has the keyboard focus.
// It takes no clicks and is not a component of the form (it has no name).
class FocusFrame : public QWidget {
  Q_OBJECT

 public:
  // Owned by `target`.
  static FocusFrame* Attach(QWidget* target);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  explicit FocusFrame(QWidget* target);
  QWidget* target_;
};

}  // namespace quillmere
