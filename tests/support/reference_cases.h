#pragma once
// The recalculation reference cases: random default data files, each with
// every text the window shows after loading it, worked out by an independent
// implementation at 40 significant digits (tests/data/reference).

#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "real.h"

namespace quillmere::testing {

struct ReferenceCase {
  int number = 0;
  std::array<std::uint8_t, 288> record{};
  bool eme = false;
  std::map<std::string, std::string> texts;  // component -> exact text
  std::set<std::string> left_out;            // texts too near a rounding boundary

  // The record's fields, read straight from the bytes (little-endian; reals
  // in the 10-byte x87 form, which is long double on x86-64).
  Real RealAt(std::size_t offset) const {
    long double v = 0;
    std::memcpy(&v, record.data() + offset, 10);
    return v;
  }
  std::int32_t IntAt(std::size_t offset) const {
    return static_cast<std::int32_t>(record[offset] | record[offset + 1] << 8 |
                                     record[offset + 2] << 16 |
                                     static_cast<std::uint32_t>(record[offset + 3]) << 24);
  }
  // The text of a component, or nullptr when the case leaves it out.
  const std::string* Text(const std::string& component) const {
    const auto it = texts.find(component);
    return it == texts.end() || left_out.count(component) ? nullptr : &it->second;
  }
};

inline std::vector<ReferenceCase> LoadReferenceCases(const std::string& path) {
  std::ifstream in(path);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::vector<ReferenceCase> cases;
  for (std::string line; std::getline(in, line);) {
    if (line.empty()) continue;
    const nlohmann::json j = nlohmann::json::parse(line);
    ReferenceCase c;
    c.number = j.at("case").get<int>();
    const std::string hex = j.at("record_hex").get<std::string>();
    if (hex.size() != 2 * c.record.size()) throw std::runtime_error("bad record in " + path);
    for (std::size_t i = 0; i < c.record.size(); ++i) {
      c.record[i] = static_cast<std::uint8_t>(std::stoi(hex.substr(2 * i, 2), nullptr, 16));
    }
    c.eme = j.at("eme").get<bool>();
    c.texts = j.at("texts").get<std::map<std::string, std::string>>();
    for (const auto& name : j.at("left_out")) c.left_out.insert(name.get<std::string>());
    cases.push_back(std::move(c));
  }
  return cases;
}

inline const std::vector<ReferenceCase>& ReferenceCases() {
  static const std::vector<ReferenceCase> cases =
      LoadReferenceCases(std::string(QUILLMERE_TEST_DATA) + "/reference/recalc-cases.jsonl");
  return cases;
}

}  // namespace quillmere::testing
