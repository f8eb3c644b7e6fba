#pragma once
// The on-screen help: hints over the controls, with the delay before one
// pops up, the time it stays, and its colours and font, driven through Qt's
// tooltip machinery.

#include <QColor>
#include <QObject>
#include <optional>

namespace quillmere {

class OnScreenHelp : public QObject {
  Q_OBJECT

 public:
  // Takes over the application's tooltips (the wake-up delay through the
  // style, the stay time through an event filter).
  explicit OnScreenHelp(QObject* parent = nullptr);
  ~OnScreenHelp() override;

  // Nothing in a field leaves that setting as it was.
  void SetTimings(std::optional<int> delay_ms, std::optional<int> display_ms);
  // Hint background, text colour; the font is always bold 10 point Arial.
  void SetColours(const QColor& background, const QColor& text);

  int DelayMs() const { return delay_ms_; }
  int DisplayMs() const { return display_ms_; }
  QColor Background() const { return background_; }
  QColor TextColour() const { return text_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  int delay_ms_ = 700;  // Qt's own until the user chooses
  int display_ms_ = 10000;
  QColor background_;
  QColor text_;
};

}  // namespace quillmere
