#pragma once
// World grids of cloud liquid water after ITU-R P.840-4: the reduced cloud
// columnar liquid water content (kg/m2) exceeded for a given percentage of an
// average year, on a regular latitude/longitude grid, as stored in the
// program's ".grid" files (a 1024-byte text header, then float32 values).

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "real.h"

namespace quillmere::mapgen {

struct P840Grid {
  Real percent_of_year = 0;   // % of an average year the values are exceeded
  int rows = 0;               // latitudes, north first
  int cols = 0;               // longitudes, eastward; the last repeats the first
  Real lat_first = 0;         // latitude of row 0, deg (90)
  Real lat_step = 0;          // deg per row (negative: southward)
  Real lon_first = 0;         // longitude of column 0, deg east (0)
  Real lon_step = 0;          // deg per column (positive: eastward)
  std::vector<float> values;  // rows*cols, row-major, kg/m2

  float At(int row, int col) const { return values[static_cast<size_t>(row) * cols + col]; }
};

// Reads a grid file. Checks the format line "P840GRID 1", the header keys
// it needs, float32 little-endian data, a file size of exactly header_bytes +
// rows*cols*4, a grid that runs pole to pole and once round the world (last
// column on the meridian of the first), and finite non-negative values.
// Throws std::runtime_error naming the file and the fault.
P840Grid ReadP840Grid(const std::filesystem::path& file);

// The same from the file's bytes; `name` is only used in messages.
P840Grid ParseP840Grid(std::string_view bytes, const std::string& name);

// Liquid water at (lat, lon), kg/m2: bilinear interpolation between the four
// surrounding nodes, the method of ITU-R P.1144 for these grids.
// lat: deg north, -90..90 (clamped); lon: deg east, any value (wraps, so
// -74.25 and 285.75 are the same place).
Real LiquidWaterAt(const P840Grid& grid, Real lat, Real lon);

}  // namespace quillmere::mapgen
