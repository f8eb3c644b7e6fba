#pragma once
// A Display without a window: it records every write, in order, and
// refuses a name that is not a component of the form, or one of the wrong
// kind (std::invalid_argument), so that a misspelt or misplaced name fails
// the test that reaches it.

#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "display.h"
#include "form_component.h"
#include "sunmoon.h"

namespace quillmere::testing {

class RecordingDisplay : public Display {
 public:
  void SetText(std::string_view component, std::string_view text) override {
    const form::Kind kind = Check(component);
    if (kind == form::Kind::kScrollBar || kind == form::Kind::kSpinButton) {
      throw std::invalid_argument(std::string(component) + " shows no text");
    }
    if (record_) writes.emplace_back(std::string(component), std::string(text));
    texts[std::string(component)] = std::string(text);
  }
  void SetVisible(std::string_view component, bool visible) override {
    Check(component);
    visible_[std::string(component)] = visible;
  }
  void SetColor(std::string_view component, Rgb colour) override {
    Check(component);
    colours_[std::string(component)] = colour;
  }
  void SetSliderPosition(std::string_view component, int position) override {
    if (Check(component) != form::Kind::kScrollBar) {
      throw std::invalid_argument(std::string(component) + " is not a slider");
    }
    positions[std::string(component)] = position;
  }
  void SetSelectedItem(std::string_view component, ItemIndex item) override {
    if (Check(component) != form::Kind::kRadioGroup) {
      throw std::invalid_argument(std::string(component) + " is not a selection group");
    }
    groups[std::string(component)] = item;
  }

  bool Visible(const std::string& name) const {
    const auto it = visible_.find(name);
    return it == visible_.end() ? true : it->second;
  }
  // Every component whose visibility was set, with the last value set.
  const std::map<std::string, bool>& VisibilitySet() const { return visible_; }
  Rgb Colour(const std::string& name) const { return colours_.at(name); }
  const std::string& Text(const std::string& name) const { return texts.at(name); }

  // Record (name, text) of every write; off, only the last texts are kept.
  void Record(bool on) { record_ = on; }

  std::vector<std::pair<std::string, std::string>> writes;
  std::map<std::string, std::string> texts;
  // The last selection and position shown of each group and slider.
  std::map<std::string, ItemIndex> groups;
  std::map<std::string, int> positions;

 private:
  static form::Kind Check(std::string_view component) {
    const form::FormComponent* c = form::Find(component);
    if (c == nullptr) throw std::invalid_argument("no component " + std::string(component));
    return c->kind;
  }

  bool record_ = true;
  std::map<std::string, bool> visible_;
  std::map<std::string, Rgb> colours_;
};

// A sun/moon component with fixed answers.
class FakeSunMoon : public SunMoonLibrary {
 public:
  double distance = 384400, db = 252, diameter = 0.524, phase = 0.25, doppler = 0;
  int queries = 0;
  std::uint16_t second = 0;

  void DataToDLL(std::uint16_t, std::uint16_t, std::uint16_t, std::uint16_t, std::uint16_t,
                 std::uint16_t s, double, double, double, std::uint8_t, std::uint8_t,
                 double) override {
    ++queries;
    second = s;
  }
  double GetDoppler() override { return doppler; }
  double GetDistance() override { return distance; }
  double GetDB() override { return db; }
  double GetAngularDiam() override { return diameter; }
  double GetMoonPhase() override { return phase; }
};

}  // namespace quillmere::testing
