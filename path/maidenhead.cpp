// Maidenhead locators (the IARU's grid of fields, squares, subsquares and
// extended squares) and decimal-degree text.

#include "maidenhead.h"

#include <cmath>
#include <cstdint>

#include "parse_text.h"

namespace quillmere {
namespace {

// The finest square of an 8-character locator: 2/240 degree of longitude by
// 1/240 degree of latitude. Both axes have 18 * 10 * 24 * 10 = 43200 of them.
constexpr int kCellsPerAxis = 43200;
constexpr double kLonCellsPerDegree = kCellsPerAxis / 360.0;
constexpr double kLatCellsPerDegree = kCellsPerAxis / 180.0;

// Cells per character pair: field, square, subsquare, extended square.
constexpr int kPairCells[4] = {2400, 240, 10, 1};
// Symbols per character pair.
constexpr int kPairBase[4] = {18, 10, 24, 10};

char Upper(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// Value of one locator character in pair `pair`, or -1.
int SymbolValue(char c, int pair) {
  if (pair % 2 == 1) return (c >= '0' && c <= '9') ? c - '0' : -1;
  const int v = Upper(c) - 'A';
  return (v >= 0 && v < kPairBase[pair]) ? v : -1;
}

}  // namespace

std::optional<LatLon> LocatorToLatLon(std::string_view locator) {
  const std::size_t n = locator.size();
  if (n != 4 && n != 6 && n != 8) return std::nullopt;
  const int pairs = static_cast<int>(n / 2);
  int lon_cell = 0, lat_cell = 0;
  for (int pair = 0; pair < pairs; ++pair) {
    const int lon = SymbolValue(locator[2 * pair], pair);
    const int lat = SymbolValue(locator[2 * pair + 1], pair);
    if (lon < 0 || lat < 0) return std::nullopt;
    lon_cell += lon * kPairCells[pair];
    lat_cell += lat * kPairCells[pair];
  }
  // The centre: half of the last pair's square past its south-west corner.
  const double half = kPairCells[pairs - 1] / 2.0;
  return LatLon{(lat_cell + half) / kLatCellsPerDegree - 90.0,
                (lon_cell + half) / kLonCellsPerDegree - 180.0};
}

std::optional<std::string> LatLonToLocator(LatLon point, int characters) {
  if (characters != 4 && characters != 6 && characters != 8) return std::nullopt;
  const double lat = point.latitude_deg, lon = point.longitude_deg;
  if (!(lat >= -90.0 && lat <= 90.0 && lon >= -180.0 && lon <= 180.0)) return std::nullopt;
  // Longitude 180 is the grid's west edge again; latitude 90 belongs to the
  // last row, as there is no row beyond it.
  int lon_cell = static_cast<int>(std::floor((lon + 180.0) * kLonCellsPerDegree)) % kCellsPerAxis;
  int lat_cell = static_cast<int>(std::floor((lat + 90.0) * kLatCellsPerDegree));
  if (lat_cell >= kCellsPerAxis) lat_cell = kCellsPerAxis - 1;
  std::string text;
  for (int pair = 0; pair < characters / 2; ++pair) {
    const int lon_v = lon_cell / kPairCells[pair] % kPairBase[pair];
    const int lat_v = lat_cell / kPairCells[pair] % kPairBase[pair];
    if (pair % 2 == 1) {
      text += static_cast<char>('0' + lon_v);
      text += static_cast<char>('0' + lat_v);
    } else {
      const char first = pair == 0 ? 'A' : 'a';
      text += static_cast<char>(first + lon_v);
      text += static_cast<char>(first + lat_v);
    }
  }
  return text;
}

std::optional<LatLon> ParseLatLon(std::string_view text) {
  const std::size_t comma = text.find(',');
  if (comma == std::string_view::npos) return std::nullopt;
  const auto lat = ParseDecimal(text.substr(0, comma));
  const auto lon = ParseDecimal(text.substr(comma + 1));
  if (!lat || !lon || !(*lat >= -90.0 && *lat <= 90.0) || !(*lon >= -180.0 && *lon <= 180.0))
    return std::nullopt;
  return LatLon{*lat, *lon};
}

std::optional<LatLon> ParseLocation(std::string_view text) {
  text = TrimBlanks(text);
  if (text.find(',') != std::string_view::npos) return ParseLatLon(text);
  return LocatorToLatLon(text);
}

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r'))
    s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
    s.remove_suffix(1);
  return s;
}

std::optional<double> ParseDecimal(std::string_view s) {
  return ParseNumber(TrimBlanks(s));
}

}  // namespace quillmere
