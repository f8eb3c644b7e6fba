#pragma once
// quillmere-report's options, read one argument at a time the way every one
// of its modes takes them: "--name VALUE" and "--name=VALUE" alike (GNU's
// two ways), a flag only without "=".

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace quillmere {

class OptionReader {
 public:
  // args: the arguments after the program's name; they must outlive the reader.
  explicit OptionReader(std::span<const std::string_view> args) : args_(args) {}

  // Moves to the next argument; false when none is left.
  bool Next() {
    if (next_ >= args_.size()) return false;
    given_ = args_[next_++];
    name_ = given_;
    inline_value_.reset();
    if (const auto eq = given_.find('=');
        given_.starts_with("--") && eq != std::string_view::npos) {
      inline_value_ = given_.substr(eq + 1);
      name_ = given_.substr(0, eq);
    }
    return true;
  }

  // The argument as given, and its name without any "=VALUE".
  std::string_view Given() const { return given_; }
  std::string_view Name() const { return name_; }

  // Whether the argument is the flag `name`: the name, with no "=VALUE".
  bool IsFlag(std::string_view name) const { return name_ == name && !inline_value_; }

  // Whether the argument is the flag `name`, which then sets `on`.
  bool Sets(std::string_view name, bool& on) const {
    if (!IsFlag(name)) return false;
    on = true;
    return true;
  }

  // Whether the argument asks for the mode's help, in either spelling.
  bool IsHelp() const { return IsFlag("--help") || IsFlag("-h"); }

  // The value of an option that must be one of `known`: Value, or nothing
  // with `error` saying "unknown argument: ..." for any other name.
  std::optional<std::string_view> ValueOf(std::span<const std::string_view> known,
                                          std::string& error) {
    for (const std::string_view k : known)
      if (k == name_) return Value(error);
    error = "unknown argument: " + std::string(given_);
    return std::nullopt;
  }

  // The option's value: the text after its "=", or else the next argument,
  // which is then taken. Nothing, and `error` says "NAME needs a value",
  // when the option is the last argument.
  std::optional<std::string_view> Value(std::string& error) {
    if (inline_value_) return inline_value_;
    if (next_ < args_.size()) return args_[next_++];
    error = std::string(name_) + " needs a value";
    return std::nullopt;
  }

 private:
  std::span<const std::string_view> args_;
  std::size_t next_ = 0;
  std::string_view given_, name_;
  std::optional<std::string_view> inline_value_;
};

}  // namespace quillmere
