#pragma once
// The cloud-map viewer: one of the six world maps of cloud liquid water,
// shown full size, unscaled, from its top-left corner, with a "Close" button
// over its top right that hands back to the main window.

#include <QLabel>
#include <QPushButton>
#include <QWidget>
#include <functional>
#include <string>

namespace quillmere {

class TForm2 : public QWidget {
  Q_OBJECT

 public:
  explicit TForm2(QWidget* parent = nullptr);

  // Loads the picture at `path` into Image1. On failure the picture stays
  // empty and the reason is returned (empty on success).
  std::string LoadPicture(const std::string& path);

  QLabel* Image1() const { return image_; }
  QPushButton* Button1() const { return close_; }

  // What "Close" does besides hiding this window (set by the main window).
  void SetOnClose(std::function<void()> on_close) { on_close_ = std::move(on_close); }
  void Button1Click();

 private:
  QLabel* image_;
  QPushButton* close_;
  std::function<void()> on_close_;
};

}  // namespace quillmere
