#pragma once
// Messages kept for the test to read instead of shown in message boxes.

#include <string>
#include <string_view>
#include <vector>

#include "messages.h"

namespace quillmere::testing {

// Each message as "<kind>: <text>"; every question is answered No.
struct MessageLog : Messages {
  std::vector<std::string> lines;
  void Information(std::string_view t) override { lines.push_back("info: " + std::string(t)); }
  void Warning(std::string_view t) override { lines.push_back("warning: " + std::string(t)); }
  void Error(std::string_view t) override { lines.push_back("error: " + std::string(t)); }
  bool Confirm(std::string_view t) override {
    lines.push_back("confirm: " + std::string(t));
    return false;
  }
};

}  // namespace quillmere::testing
