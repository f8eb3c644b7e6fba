#pragma once
// A small up/down arrow pair that steps a value: each arrow has its own
// signal, and holding an arrow down repeats it.
//
// From the keyboard, Up and Down work the arrows exactly as the mouse does
// (held down they repeat at the arrows' own pace, and the step lands when
// the key is let go or the repeat fires). Page Up and Page Down work the
// arrows of the stepper that steps ten times as far, where one is paired
// with this one (see setPageStepper).

#include <QPointer>
#include <QWidget>

class QToolButton;

namespace quillmere {

class SpinButton : public QWidget {
  Q_OBJECT

 public:
  explicit SpinButton(QWidget* parent = nullptr);

  QToolButton* upArrow() const { return up_; }
  QToolButton* downArrow() const { return down_; }

  // The stepper whose arrows Page Up and Page Down work: the coarser one of
  // its row, or this one itself where it is the coarsest. Without one, the
  // two keys do nothing here (and do not scroll the window either).
  void setPageStepper(SpinButton* coarser) { page_ = coarser; }
  SpinButton* pageStepper() const { return page_; }

 signals:
  void upClicked();
  void downClicked();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  // The arrow a key works, or nullptr for a key that is not ours.
  QToolButton* ArrowFor(int key) const;
  bool IsOurKey(int key) const;
  void LetGo();

  QToolButton* up_;
  QToolButton* down_;
  QPointer<SpinButton> page_;
  // The arrow held down by a key, until the key is let go.
  QPointer<QToolButton> held_;
  int held_key_ = 0;
};

}  // namespace quillmere
