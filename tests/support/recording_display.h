#pragma once
// A Display without a window: it records every write in order and emulates
// the sliders and radio groups the calculation reads, so that a test can
// drive the calculator exactly as the window does.

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "display.h"
#include "sunmoon.h"

namespace quillmere::testing {

class RecordingDisplay : public Display {
 public:
  struct Slider {
    int position, min, max;
  };

  RecordingDisplay() {
    // The sliders as the window creates them.
    sliders_["ScrollBar1"] = {0, 0, 100};
    sliders_["CloudSelectA"] = {2, 0, 40};
    sliders_["CloudSelectB"] = {2, 0, 40};
  }

  void SetText(std::string_view component, std::string_view text) override {
    if (record_) writes.emplace_back(std::string(component), std::string(text));
    texts[std::string(component)] = std::string(text);
  }
  void SetVisible(std::string_view component, bool visible) override {
    visible_[std::string(component)] = visible;
  }
  void SetColor(std::string_view component, Rgb colour) override {
    colours_[std::string(component)] = colour;
  }
  void SetSliderPosition(std::string_view component, int position) override {
    Slider& s = sliders_.at(std::string(component));
    position = std::clamp(position, s.min, s.max);
    if (position == s.position) return;
    s.position = position;
    if (on_slider_change) on_slider_change(component);
  }
  int SliderPosition(std::string_view component) const override {
    return sliders_.at(std::string(component)).position;
  }
  void SetSelectedItem(std::string_view component, ItemIndex item) override {
    ItemIndex& selected = groups.try_emplace(std::string(component), -1).first->second;
    if (item == selected) return;
    selected = item;
    if (on_group_change) on_group_change(component, item);
  }
  ItemIndex SelectedItem(std::string_view component) const override {
    const auto it = groups.find(std::string(component));
    return it == groups.end() ? -1 : it->second;
  }

  // Moves a slider without running its handler (the window's design state).
  void PlaceSlider(const std::string& name, int position) { sliders_.at(name).position = position; }

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
  std::map<std::string, ItemIndex> groups;
  std::function<void(std::string_view)> on_slider_change;
  std::function<void(std::string_view, ItemIndex)> on_group_change;

 private:
  bool record_ = true;
  std::map<std::string, Slider> sliders_;
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
