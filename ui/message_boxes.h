#pragma once
// Messages to the user as modal message boxes over the main window.

#include "messages.h"

class QWidget;

namespace quillmere {

class MessageBoxes : public Messages {
 public:
  explicit MessageBoxes(QWidget* parent) : parent_(parent) {}
  void Information(std::string_view text) override;
  void Warning(std::string_view text) override;
  void Error(std::string_view text) override;
  bool Confirm(std::string_view text) override;

 private:
  QWidget* parent_;
};

}  // namespace quillmere
