#pragma once
// World shorelines for drawing over the cloud maps: GSHHG polylines in the
// program's "COASTLINES 1" text format (longitude -180..180 east positive,
// latitude north positive, degrees; no segment crosses the antimeridian).

#include <filesystem>
#include <istream>
#include <string>
#include <vector>

#include "real.h"

namespace quillmere::mapgen {

struct LonLat {
  Real lon = 0;  // deg east
  Real lat = 0;  // deg north
};

struct Coastline {
  int level = 0;               // 1 shoreline (land/ocean), 2 lake shore
  std::vector<LonLat> points;  // >= 2; a closed ring repeats its first point
};

// Reads every polyline. Checks the format line "COASTLINES 1", that the
// counts in the header ("polylines", "points") match the records, and that
// each coordinate is in range. Throws std::runtime_error naming the file and
// the line of the fault.
std::vector<Coastline> ReadCoastlines(const std::filesystem::path& file);
std::vector<Coastline> ReadCoastlines(std::istream& in, const std::string& name);

}  // namespace quillmere::mapgen
