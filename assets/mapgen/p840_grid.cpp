#include "p840_grid.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <stdexcept>

namespace quillmere::mapgen {
namespace {

[[noreturn]] void Fail(const std::string& name, const std::string& what) {
  throw std::runtime_error(name + ": " + what);
}

using Header = std::map<std::string, std::string, std::less<>>;

const std::string& Required(const Header& header, const std::string& key, const std::string& name) {
  auto it = header.find(key);
  if (it == header.end()) Fail(name, "header has no '" + key + "' line");
  return it->second;
}

long ParseInteger(const Header& header, const std::string& key, const std::string& name) {
  const std::string& text = Required(header, key, name);
  size_t used = 0;
  long value = 0;
  try {
    value = std::stol(text, &used);
  } catch (const std::exception&) {
    used = 0;
  }
  if (used == 0 || used != text.size()) Fail(name, "'" + key + "' is not an integer: " + text);
  return value;
}

Real ParseReal(const Header& header, const std::string& key, const std::string& name) {
  const std::string& text = Required(header, key, name);
  size_t used = 0;
  Real value = 0;
  try {
    value = std::stold(text, &used);
  } catch (const std::exception&) {
    used = 0;
  }
  if (used == 0 || used != text.size() || !std::isfinite(value)) {
    Fail(name, "'" + key + "' is not a number: " + text);
  }
  return value;
}

bool Near(Real a, Real b) {
  return std::fabs(a - b) < 1e-9L;
}

float LittleEndianFloat(const char* p) {
  std::uint32_t bits = 0;
  for (int i = 3; i >= 0; --i) bits = (bits << 8) | static_cast<unsigned char>(p[i]);
  return std::bit_cast<float>(bits);
}

}  // namespace

P840Grid ParseP840Grid(std::string_view bytes, const std::string& name) {
  // The header is text lines "key value" up to the line "end_header"; the
  // data start at header_bytes, which may lie past the end of that line.
  Header header;
  size_t pos = 0;
  bool first = true;
  bool ended = false;
  while (pos < bytes.size()) {
    const size_t eol = bytes.find('\n', pos);
    if (eol == std::string_view::npos) break;
    const std::string_view line = bytes.substr(pos, eol - pos);
    pos = eol + 1;
    if (first) {
      if (line != "P840GRID 1") {
        Fail(name, "not a P840GRID version 1 file (first line '" + std::string(line.substr(0, 40)) +
                       "')");
      }
      first = false;
      continue;
    }
    if (line == "end_header") {
      ended = true;
      break;
    }
    if (line.empty() || line.front() == '#') continue;
    const size_t space = line.find(' ');
    const std::string key(line.substr(0, space));
    header[key] = space == std::string_view::npos ? "" : std::string(line.substr(space + 1));
  }
  if (first) Fail(name, "not a P840GRID version 1 file (no header line)");
  if (!ended) Fail(name, "header has no 'end_header' line");

  if (Required(header, "type", name) != "float32") {
    Fail(name, "values are '" + header["type"] + "', expected float32");
  }
  if (Required(header, "byte_order", name) != "little-endian") {
    Fail(name, "byte order is '" + header["byte_order"] + "', expected little-endian");
  }

  P840Grid grid;
  const long header_bytes = ParseInteger(header, "header_bytes", name);
  const long rows = ParseInteger(header, "rows", name);
  const long cols = ParseInteger(header, "cols", name);
  if (header_bytes < static_cast<long>(pos)) {
    Fail(name, "header_bytes " + std::to_string(header_bytes) + " ends inside the header");
  }
  if (rows < 2 || cols < 2 || rows > 100000 || cols > 100000) {
    Fail(name, "implausible grid size " + std::to_string(rows) + " x " + std::to_string(cols));
  }
  grid.rows = static_cast<int>(rows);
  grid.cols = static_cast<int>(cols);
  grid.percent_of_year = ParseReal(header, "percent_of_year", name);
  grid.lat_first = ParseReal(header, "lat_first", name);
  grid.lat_step = ParseReal(header, "lat_step", name);
  grid.lon_first = ParseReal(header, "lon_first", name);
  grid.lon_step = ParseReal(header, "lon_step", name);

  // The interpolation relies on a grid from pole to pole whose last column
  // repeats the first one meridian round the world.
  if (!Near(grid.lat_first, 90) || !Near(grid.lat_first + grid.lat_step * (rows - 1), -90)) {
    Fail(name, "rows do not run from 90 N to 90 S");
  }
  if (!(grid.lon_step > 0) || !Near(grid.lon_step * (cols - 1), 360)) {
    Fail(name, "columns do not run once round the world");
  }

  const size_t expected = static_cast<size_t>(header_bytes) + static_cast<size_t>(rows * cols) * 4;
  if (bytes.size() != expected) {
    Fail(name, "file has " + std::to_string(bytes.size()) + " bytes, expected " +
                   std::to_string(expected) + " (header " + std::to_string(header_bytes) + " + " +
                   std::to_string(rows) + " x " + std::to_string(cols) + " float32)");
  }

  grid.values.resize(static_cast<size_t>(rows * cols));
  const char* data = bytes.data() + header_bytes;
  for (size_t i = 0; i < grid.values.size(); ++i) {
    const float v = LittleEndianFloat(data + 4 * i);
    if (!std::isfinite(v) || v < 0) {
      std::ostringstream msg;
      msg << "value at row " << i / cols << ", column " << i % cols << " is " << v
          << " (expected a finite amount >= 0)";
      Fail(name, msg.str());
    }
    grid.values[i] = v;
  }
  for (int r = 0; r < grid.rows; ++r) {
    if (grid.At(r, 0) != grid.At(r, grid.cols - 1)) {
      Fail(name, "row " + std::to_string(r) + ": last column does not repeat the first");
    }
  }
  return grid;
}

P840Grid ReadP840Grid(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) Fail(file.string(), std::string("cannot open: ") + std::strerror(errno));
  const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (in.bad()) Fail(file.string(), "read error");
  return ParseP840Grid(bytes, file.string());
}

Real LiquidWaterAt(const P840Grid& grid, Real lat, Real lon) {
  // Fractional row and column. Longitude is taken modulo 360 from the first
  // column; the last column repeats the first, so c0 + 1 stays in the grid.
  Real y = (lat - grid.lat_first) / grid.lat_step;
  y = std::clamp(y, 0.0L, static_cast<Real>(grid.rows - 1));
  Real x = std::fmod(lon - grid.lon_first, 360.0L);
  if (x < 0) x += 360.0L;
  x /= grid.lon_step;

  int r0 = static_cast<int>(std::floor(y));
  int c0 = static_cast<int>(std::floor(x));
  r0 = std::min(r0, grid.rows - 2);
  c0 = std::min(c0, grid.cols - 2);
  const Real fy = y - r0;
  const Real fx = x - c0;

  const Real v00 = grid.At(r0, c0);
  const Real v01 = grid.At(r0, c0 + 1);
  const Real v10 = grid.At(r0 + 1, c0);
  const Real v11 = grid.At(r0 + 1, c0 + 1);
  return (1 - fy) * ((1 - fx) * v00 + fx * v01) + fy * ((1 - fx) * v10 + fx * v11);
}

}  // namespace quillmere::mapgen
