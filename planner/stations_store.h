#pragma once
// The planner's two stations as QuillmereStations.ini keeps them beside the
// data file: read once when the planner opens, with what was refused said
// plainly, and saved only over a file that was read (what the user has
// never seen is never replaced).

#include <filesystem>
#include <optional>
#include <string>
#include <variant>

#include "safe_write.h"
#include "stations.h"

namespace quillmere {

// The stations of a first start: Home at JO01, DX at FN31.
Stations DefaultStations();

struct StationsFile {
  std::filesystem::path path;
  Stations stations;  // the file's, or the defaults where it gave none
  // What the user must be told of the file: the lines refused, or why it
  // was not read; empty when all is well.
  std::string message;
  // Why the file that exists was not read, when it was not: Save then
  // leaves it alone.
  std::optional<std::string> unread;
};

// Reads the stations file at `path` (at most 64 KiB, a regular file); a
// file that does not exist gives the defaults without a message.
StationsFile LoadStationsFile(const std::filesystem::path& path);

// Writes `stations` over the file through the one writer, unless it was not
// read at the start.
SaveOutcome SaveStationsFile(const StationsFile& file, const Stations& stations);

// One station as the planner's editor holds it, field by field.
struct StationFields {
  std::string name, location, mask;  // mask: "az:el, az:el, ..."
  double height_m = 0, min_elevation_deg = 0, dish_diameter_m = 0, dish_efficiency = 0,
         receiver_noise_k = 0;
};
StationFields FieldsOf(const Station& station);

// The stations of the editor's fields, judged by the stations file's own
// reader as it judges the file; or what is wrong, as "DX: HeightM out of
// range".
std::variant<Stations, std::string> StationsFromFields(const StationFields& home,
                                                       const StationFields& dx);

}  // namespace quillmere
