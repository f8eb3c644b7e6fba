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

// Says nothing and answers every question No: for the window driven where
// nobody reads (benchmarks, tests).
class SilentMessages final : public Messages {
 public:
  void Information(std::string_view) override {}
  void Warning(std::string_view) override {}
  void Error(std::string_view) override {}
  bool Confirm(std::string_view) override { return false; }
};

}  // namespace quillmere
