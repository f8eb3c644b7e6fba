#pragma once
// The "Now" strip: a view of a NowFeed, at the top of the Moon planner and
// alone in a compact window the operator can keep beside the main window.
// What it shows is the feed's lines (planner/now.h); what it takes is the
// sked frequency and the Doppler mode, which go back to the feed.

#include <QWidget>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;

namespace quillmere {

class NowFeed;

class NowStrip : public QWidget {
  Q_OBJECT

 public:
  enum class Kind {
    kInPlanner,  // with a button that opens the compact window
    kCompact,    // with "Keep on top"
  };
  NowStrip(NowFeed* feed, Kind kind, QWidget* parent = nullptr);

  // The texts as shown, for tests: time, home, dx, dial, path, window.
  QStringList Texts() const;

 signals:
  void compactWanted();

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void Show();
  void SkedEdited();

  NowFeed* feed_;
  QLabel* time_;
  QLabel* window_;
  QLabel* home_;
  QLabel* dx_;
  QDoubleSpinBox* sky_mhz_;
  QComboBox* mode_;
  QLabel* dial_;
  QLabel* path_;
};

// The compact window: the strip alone, optionally on top of every other
// window.
class NowWindow : public QWidget {
  Q_OBJECT

 public:
  explicit NowWindow(NowFeed* feed, QWidget* parent = nullptr);
  NowStrip* Strip() const { return strip_; }
  void SetOnTop(bool on);
  bool OnTop() const;

 private:
  NowStrip* strip_;
  QCheckBox* on_top_;
};

}  // namespace quillmere
