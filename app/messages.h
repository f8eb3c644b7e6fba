#pragma once
// How the calculation tells the user something: the window shows modal
// message boxes, the headless report writes to standard error.

#include <string_view>

namespace quillmere {

class Messages {
 public:
  virtual ~Messages() = default;
  virtual void Information(std::string_view text) = 0;  // with OK
  virtual void Warning(std::string_view text) = 0;      // with OK
  virtual void Error(std::string_view text) = 0;        // an operation failed
  virtual bool Confirm(std::string_view text) = 0;      // Yes (true) or No
};

}  // namespace quillmere
