#pragma once
// A strip of soft tabs used as a row of commands: a click selects a tab,
// reports it and clears the selection again, so that the same tab can be
// chosen twice in a row.
//
// From the keyboard the strip is one Tab stop: Left and Right move the
// focus frame from tab to tab, Space or Enter choose the framed tab as a
// click would.

#include <QColor>
#include <QStringList>
#include <QWidget>

namespace quillmere {

class TabSet : public QWidget {
  Q_OBJECT
  Q_PROPERTY(QStringList tabs READ tabs WRITE setTabs)
  Q_PROPERTY(QColor selectedColor READ selectedColor WRITE setSelectedColor)

 public:
  explicit TabSet(QWidget* parent = nullptr);

  QStringList tabs() const { return tabs_; }
  void setTabs(const QStringList& tabs);

  QColor selectedColor() const { return selected_color_; }
  void setSelectedColor(const QColor& color);

  // The selected tab: the one being chosen while tabClicked is delivered,
  // -1 at all other times.
  int currentIndex() const { return current_; }
  void setCurrentIndex(int index);

  // The tab under a point of the strip, -1 where there is none.
  int tabAt(const QPoint& point) const;
  QRect tabRect(int index) const;

  QSize sizeHint() const override;

  // The tab Space or Enter would choose (framed while the strip has focus).
  int focusTab() const { return focus_tab_; }
  void setFocusTab(int index);

  // Chooses a tab as a click on it does: selected while tabClicked is
  // delivered, cleared afterwards.
  void chooseTab(int index);

 signals:
  void tabClicked(int index);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  int TabWidth(int index) const;
  // A design length at the factor the form is drawn at.
  int Scaled(int design_px) const;

  QStringList tabs_;
  QColor selected_color_{166, 202, 240};
  int current_ = -1;
  int focus_tab_ = 0;
};

}  // namespace quillmere
