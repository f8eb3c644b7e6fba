// QuillmereStations.ini: the planner's two stations as INI text.

#include "stations.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>

#include "maidenhead.h"

namespace quillmere {
namespace {

constexpr std::size_t kMaxTextBytes = 64 * 1024;
constexpr std::size_t kMaxLineBytes = 8192;
constexpr std::size_t kMaxNameBytes = 64;
constexpr std::size_t kMaxMaskPoints = 360;

// The numeric keys with their limits: the one table the parser and the
// formatter both walk.
struct NumberKey {
  const char* key;
  double Station::*member;
  double min, max;
};
constexpr NumberKey kNumberKeys[] = {
    {"HeightM", &Station::height_m, -500.0, 9000.0},
    {"MinElevationDeg", &Station::min_elevation_deg, -5.0, 90.0},
    {"DishDiameterM", &Station::dish_diameter_m, 0.1, 100.0},
    {"DishEfficiency", &Station::dish_efficiency, 0.01, 1.0},
    {"ReceiverNoiseK", &Station::receiver_noise_k, 1.0, 100000.0},
};

std::string Number(double value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

std::optional<std::vector<MaskPoint>> ParseMask(std::string_view text) {
  std::vector<MaskPoint> mask;
  text = TrimBlanks(text);
  while (!text.empty()) {
    const std::size_t semicolon = text.find(';');
    const std::string_view item = text.substr(0, semicolon);
    text = semicolon == std::string_view::npos ? std::string_view{} : text.substr(semicolon + 1);
    const std::size_t colon = item.find(':');
    if (colon == std::string_view::npos) return std::nullopt;
    const auto az = ParseDecimal(item.substr(0, colon));
    const auto el = ParseDecimal(item.substr(colon + 1));
    if (!az || !el || *az < 0.0 || *az > 360.0 || *el < -90.0 || *el > 90.0) return std::nullopt;
    if (mask.size() == kMaxMaskPoints) return std::nullopt;
    mask.push_back({*az == 360.0 ? 0.0 : *az, *el});
  }
  std::stable_sort(mask.begin(), mask.end(), [](const MaskPoint& a, const MaskPoint& b) {
    return a.azimuth_deg < b.azimuth_deg;
  });
  return mask;
}

bool PrintableName(std::string_view name) {
  return name.size() <= kMaxNameBytes && std::none_of(name.begin(), name.end(), [](char c) {
           return static_cast<unsigned char>(c) < 0x20 || c == 0x7f;
         });
}

void FormatStation(std::string& out, const char* section, const Station& s) {
  out += '[';
  out += section;
  out += "]\nName=" + s.name + "\nLocation=";
  out += s.locator.empty() ? Number(s.latitude_deg) + "," + Number(s.longitude_deg) : s.locator;
  out += '\n';
  for (const NumberKey& key : kNumberKeys) {
    out += key.key;
    out += '=' + Number(s.*key.member) + '\n';
  }
  out += "HorizonMask=";
  for (std::size_t i = 0; i < s.horizon_mask.size(); ++i) {
    if (i) out += ';';
    out += Number(s.horizon_mask[i].azimuth_deg) + ':' + Number(s.horizon_mask[i].elevation_deg);
  }
  out += "\n\n";
}

}  // namespace

double MinimumElevationDeg(const Station& station, double azimuth_deg) {
  const std::vector<MaskPoint>& mask = station.horizon_mask;
  if (mask.empty()) return station.min_elevation_deg;
  double az = std::fmod(azimuth_deg, 360.0);
  if (az < 0.0) az += 360.0;
  // The neighbours of az, the list read as a circle: the last point before
  // it and the first after it, wrapping through 360 degrees.
  const auto after = std::upper_bound(
      mask.begin(), mask.end(), az, [](double a, const MaskPoint& p) { return a < p.azimuth_deg; });
  const MaskPoint& hi = after == mask.end() ? mask.front() : *after;
  const MaskPoint& lo = after == mask.begin() ? mask.back() : *(after - 1);
  double span = hi.azimuth_deg - lo.azimuth_deg;
  double offset = az - lo.azimuth_deg;
  if (span <= 0.0) span += 360.0;
  if (offset < 0.0) offset += 360.0;
  // A single point is its own neighbour on both sides: a flat mask.
  const double mask_el =
      lo.elevation_deg + (hi.elevation_deg - lo.elevation_deg) * (offset / span);
  return std::max(station.min_elevation_deg, mask_el);
}

std::variant<Stations, StationsParseError> ParseStationsIni(std::string_view text) {
  if (text.size() > kMaxTextBytes) return StationsParseError{0, "the file is larger than 64 KiB"};
  Stations stations;
  Station* current = nullptr;
  bool seen_home = false, seen_dx = false, home_located = false, dx_located = false;
  int line_number = 0;
  while (!text.empty()) {
    ++line_number;
    const std::size_t newline = text.find('\n');
    std::string_view line = text.substr(0, newline);
    text = newline == std::string_view::npos ? std::string_view{} : text.substr(newline + 1);
    if (line.size() > kMaxLineBytes) return StationsParseError{line_number, "line too long"};
    line = TrimBlanks(line);
    if (line.empty() || line.front() == ';' || line.front() == '#') continue;
    if (line.front() == '[') {
      if (line.back() != ']') return StationsParseError{line_number, "unclosed section name"};
      const std::string_view section = TrimBlanks(line.substr(1, line.size() - 2));
      current = nullptr;
      if (section == "Home") current = &stations.home, seen_home = true;
      if (section == "DX") current = &stations.dx, seen_dx = true;
      continue;
    }
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos)
      return StationsParseError{line_number, "expected Key=Value"};
    if (current == nullptr) continue;
    const std::string_view key = TrimBlanks(line.substr(0, equals));
    const std::string_view value = TrimBlanks(line.substr(equals + 1));
    if (key == "Name") {
      if (!PrintableName(value))
        return StationsParseError{line_number, "name too long or not printable"};
      current->name = std::string(value);
    } else if (key == "Location") {
      const auto where = ParseLocation(value);
      if (!where) return StationsParseError{line_number, "not a locator or LAT,LON"};
      current->latitude_deg = where->latitude_deg;
      current->longitude_deg = where->longitude_deg;
      current->locator = value.find(',') == std::string_view::npos ? std::string(value) : "";
      (current == &stations.home ? home_located : dx_located) = true;
    } else if (key == "HorizonMask") {
      auto mask = ParseMask(value);
      if (!mask) return StationsParseError{line_number, "bad horizon mask"};
      current->horizon_mask = std::move(*mask);
    } else {
      for (const NumberKey& number_key : kNumberKeys) {
        if (key != number_key.key) continue;
        const auto number = ParseDecimal(value);
        if (!number || *number < number_key.min || *number > number_key.max)
          return StationsParseError{line_number, std::string(key) + " out of range"};
        current->*number_key.member = *number;
      }
    }
  }
  if (!seen_home || !seen_dx) return StationsParseError{0, "both [Home] and [DX] are needed"};
  if (!home_located || !dx_located) return StationsParseError{0, "each station needs a Location"};
  return stations;
}

std::string FormatStationsIni(const Stations& stations) {
  std::string out;
  FormatStation(out, "Home", stations.home);
  FormatStation(out, "DX", stations.dx);
  return out;
}

}  // namespace quillmere
