// QuillmereStations.ini: the planner's two stations as INI text.

#include "stations.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>

#include "ini_text.h"
#include "maidenhead.h"

namespace quillmere {
namespace {

constexpr std::size_t kMaxTextBytes = 64 * 1024;
constexpr std::size_t kMaxLineBytes = 8192;
constexpr std::size_t kMaxMaskPoints = 360;

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

// The next code point of UTF-8 text at `at`, moving `at` past it; nothing
// for a byte sequence that is not well-formed UTF-8 (overlong forms,
// surrogates and values past U+10FFFF included).
std::optional<char32_t> NextCodePoint(std::string_view s, std::size_t& at) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
  const unsigned char lead = byte(at);
  std::size_t length = 0;
  char32_t cp = 0, least = 0;
  if (lead < 0x80) {
    ++at;
    return lead;
  } else if ((lead & 0xE0) == 0xC0) {
    length = 2, cp = lead & 0x1F, least = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, cp = lead & 0x0F, least = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, cp = lead & 0x07, least = 0x10000;
  } else {
    return std::nullopt;
  }
  if (s.size() - at < length) return std::nullopt;
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) return std::nullopt;
    cp = (cp << 6) | (byte(at + i) & 0x3F);
  }
  if (cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return std::nullopt;
  at += length;
  return cp;
}

void FormatStation(std::string& out, const char* section, const Station& s) {
  out += '[';
  out += section;
  out += "]\nName=" + s.name + "\nLocation=";
  out += s.locator.empty() ? Number(s.latitude_deg) + "," + Number(s.longitude_deg) : s.locator;
  out += '\n';
  for (const StationLimit& key : kStationLimits) {
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
  const double mask_el = lo.elevation_deg + (hi.elevation_deg - lo.elevation_deg) * (offset / span);
  return std::max(station.min_elevation_deg, mask_el);
}

const StationLimit& LimitOf(double Station::*member) {
  for (const StationLimit& limit : kStationLimits) {
    if (limit.member == member) return limit;
  }
  return kStationLimits[0];
}

bool IsStationName(std::string_view name) {
  std::size_t characters = 0;
  for (std::size_t at = 0; at < name.size();) {
    const auto cp = NextCodePoint(name, at);
    if (!cp || *cp < 0x20 || (*cp >= 0x7F && *cp <= 0x9F)) return false;
    if (++characters > kMaxNameCharacters) return false;
  }
  return true;
}

StationsRead ReadStationsIni(std::string_view text, const Stations& defaults) {
  StationsRead read;
  read.stations = defaults;
  if (text.size() > kMaxTextBytes) {
    read.whole_text_refused = true;
    read.refused.push_back({0, "the file is larger than 64 KiB"});
    return read;
  }
  Stations& stations = read.stations;
  const auto refuse = [&](int line, std::string message) {
    read.refused.push_back({line, std::move(message)});
  };
  Station* current = nullptr;
  bool seen_home = false, seen_dx = false, home_located = false, dx_located = false;
  const IniText ini = SplitIniText(text);
  for (std::size_t i = 0; i < ini.lines.size(); ++i) {
    const int line_number = static_cast<int>(i) + 1;
    const IniLine& line = ini.lines[i];
    if (line.text.size() > kMaxLineBytes) {
      refuse(line_number, "line too long");
      continue;
    }
    if (line.kind == IniLine::Kind::kBlank || line.kind == IniLine::Kind::kComment) continue;
    if (line.kind == IniLine::Kind::kBrokenSection || line.kind == IniLine::Kind::kSection) {
      // Keys after a broken header belong to no section we know.
      current = nullptr;
      if (line.kind == IniLine::Kind::kBrokenSection) {
        refuse(line_number, "unclosed section name");
        continue;
      }
      if (line.name == "Home") current = &stations.home, seen_home = true;
      if (line.name == "DX") current = &stations.dx, seen_dx = true;
      continue;
    }
    if (line.kind != IniLine::Kind::kKey) {
      refuse(line_number, "expected Key=Value");
      continue;
    }
    if (current == nullptr) continue;
    const std::string_view key = line.name;
    const std::string_view value = line.value;
    if (key == "Name") {
      if (!IsStationName(value)) {
        refuse(line_number, "name too long or not printable");
        continue;
      }
      current->name = std::string(value);
    } else if (key == "Location") {
      const auto where = ParseLocation(value);
      if (!where) {
        refuse(line_number, "not a locator or LAT,LON");
        continue;
      }
      current->latitude_deg = where->latitude_deg;
      current->longitude_deg = where->longitude_deg;
      current->locator = value.find(',') == std::string_view::npos ? std::string(value) : "";
      (current == &stations.home ? home_located : dx_located) = true;
    } else if (key == "HorizonMask") {
      auto mask = ParseMask(value);
      if (!mask) {
        refuse(line_number, "bad horizon mask");
        continue;
      }
      current->horizon_mask = std::move(*mask);
    } else {
      for (const StationLimit& limit : kStationLimits) {
        if (key != limit.key) continue;
        const auto number = ParseDecimal(value);
        if (!number || *number < limit.min || *number > limit.max) {
          refuse(line_number, std::string(key) + " out of range");
          continue;
        }
        current->*limit.member = *number;
      }
    }
  }
  if (!seen_home || !seen_dx) refuse(0, "both [Home] and [DX] are needed");
  if (!home_located || !dx_located) refuse(0, "each station needs a Location");
  return read;
}

std::variant<Stations, StationsParseError> ParseStationsIni(std::string_view text) {
  StationsRead read = ReadStationsIni(text);
  if (!read.refused.empty()) return read.refused.front();
  return std::move(read.stations);
}

std::string FormatStationsIni(const Stations& stations) {
  std::string out;
  FormatStation(out, "Home", stations.home);
  FormatStation(out, "DX", stations.dx);
  return out;
}

}  // namespace quillmere
