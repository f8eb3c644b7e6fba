#pragma once
// The cloud-map viewer: one of the six world maps of cloud liquid water,
// shown full size, unscaled, from its top-left corner, with a "Close" button
// over its top right that hands back to the main window.

#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QSize>
#include <QWidget>
#include <functional>
#include <string>

namespace quillmere {

class TForm2 : public QWidget {
  Q_OBJECT

 public:
  // The viewer's contents: the 1024 x 768 picture box with a pixel around it.
  static constexpr QSize kContentSize{1026, 770};

  explicit TForm2(QWidget* parent = nullptr);

  // Loads the picture at `path` into Image1. On failure the picture stays
  // empty and the reason is returned (empty on success).
  std::string LoadPicture(const std::string& path);

  QLabel* Image1() const { return image_; }
  QPushButton* Button1() const { return close_; }

  // What "Close" does besides hiding this window (set by the main window).
  void SetOnClose(std::function<void()> on_close) { on_close_ = std::move(on_close); }
  // "Close", and every other way of closing the viewer (the close box,
  // Alt+F4, Escape): back to the main window, never the end of the program.
  void Button1Click();

  // Sizes the window to its contents, or to the available area of its
  // screen where that is smaller (the map then scrolls), at its top-left.
  void FitToScreen();

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QScrollArea* scroll_;
  QLabel* image_;
  QPushButton* close_;
  std::function<void()> on_close_;
};

}  // namespace quillmere
