#pragma once
// A small up/down arrow pair that steps a value: each arrow has its own
// signal, and holding an arrow down repeats it.

#include <QWidget>

class QToolButton;

namespace quillmere {

class SpinButton : public QWidget {
  Q_OBJECT

 public:
  explicit SpinButton(QWidget* parent = nullptr);

  QToolButton* upArrow() const { return up_; }
  QToolButton* downArrow() const { return down_; }

 signals:
  void upClicked();
  void downClicked();

 private:
  QToolButton* up_;
  QToolButton* down_;
};

}  // namespace quillmere
