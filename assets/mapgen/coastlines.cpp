#include "coastlines.h"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace quillmere::mapgen {
namespace {

[[noreturn]] void Fail(const std::string& name, long line, const std::string& what) {
  throw std::runtime_error(name + ":" + std::to_string(line) + ": " + what);
}

}  // namespace

std::vector<Coastline> ReadCoastlines(std::istream& in, const std::string& name) {
  std::string line;
  long number = 0;
  auto next = [&]() -> bool {
    if (!std::getline(in, line)) return false;
    ++number;
    return true;
  };

  if (!next() || line != "COASTLINES 1") Fail(name, 1, "not a COASTLINES version 1 file");
  long declared_polylines = -1;
  long declared_points = -1;
  bool ended = false;
  while (next()) {
    if (line == "end_header") {
      ended = true;
      break;
    }
    if (line.empty() || line.front() == '#') continue;
    std::istringstream fields(line);
    std::string key;
    long value = 0;
    fields >> key >> value;
    if (key == "polylines") declared_polylines = value;
    if (key == "points") declared_points = value;
  }
  if (!ended) Fail(name, number, "header has no 'end_header' line");
  if (declared_polylines < 0 || declared_points < 0) {
    Fail(name, number, "header lacks the 'polylines' or 'points' count");
  }

  std::vector<Coastline> coastlines;
  coastlines.reserve(static_cast<size_t>(declared_polylines));
  long total_points = 0;
  while (next()) {
    if (line.empty()) continue;
    std::istringstream record(line);
    std::string tag;
    long n = 0;
    Coastline coast;
    if (!(record >> tag >> coast.level >> n) || tag != "L" || n < 2 ||
        (coast.level != 1 && coast.level != 2)) {
      Fail(name, number, "expected a record 'L <level 1|2> <points >= 2>', found '" + line + "'");
    }
    coast.points.reserve(static_cast<size_t>(n));
    for (long i = 0; i < n; ++i) {
      if (!next()) Fail(name, number, "file ends inside a polyline");
      std::istringstream pair(line);
      LonLat p;
      if (!(pair >> p.lon >> p.lat) || std::fabs(p.lon) > 180 || std::fabs(p.lat) > 90) {
        Fail(name, number, "expected '<lon -180..180> <lat -90..90>', found '" + line + "'");
      }
      coast.points.push_back(p);
    }
    total_points += n;
    coastlines.push_back(std::move(coast));
  }
  if (static_cast<long>(coastlines.size()) != declared_polylines ||
      total_points != declared_points) {
    Fail(name, number,
         "header announces " + std::to_string(declared_polylines) + " polylines and " +
             std::to_string(declared_points) + " points, file holds " +
             std::to_string(coastlines.size()) + " and " + std::to_string(total_points));
  }
  return coastlines;
}

std::vector<Coastline> ReadCoastlines(const std::filesystem::path& file) {
  std::ifstream in(file);
  if (!in) {
    throw std::runtime_error(file.string() + ": cannot open: " + std::strerror(errno));
  }
  return ReadCoastlines(in, file.string());
}

}  // namespace quillmere::mapgen
