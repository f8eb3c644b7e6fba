#pragma once
// The two EME stations of the Moon planner, Home and DX, and their text form
// in QuillmereStations.ini.

#include <cstddef>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace quillmere {

// One point of a horizon mask: from this azimuth on, the Moon is usable only
// above this elevation (linear between points, wrapping at 360 degrees).
struct MaskPoint {
  double azimuth_deg = 0.0;    // 0..360, from north, clockwise
  double elevation_deg = 0.0;  // -90..90

  friend bool operator==(const MaskPoint&, const MaskPoint&) = default;
};

struct Station {
  std::string name;            // name or callsign (IsStationName)
  std::string locator;         // as given (4, 6 or 8 characters), or empty when
                               // the location was given as latitude/longitude
  double latitude_deg = 0.0;   // geodetic (WGS84), north positive
  double longitude_deg = 0.0;  // east positive
  double height_m = 0.0;       // above sea level
  double min_elevation_deg = 0.0;
  std::vector<MaskPoint> horizon_mask;  // sorted by azimuth; may be empty
  double dish_diameter_m = 3.0;
  double dish_efficiency = 0.6;    // aperture efficiency, 0..1
  double receiver_noise_k = 50.0;  // receiver noise temperature, K

  friend bool operator==(const Station&, const Station&) = default;
};

struct Stations {
  Station home;
  Station dx;

  friend bool operator==(const Stations&, const Stations&) = default;
};

// The limits of a station's numbers: the one table that the stations file,
// the planner's editor boxes and the command line all take, so that a value
// one of them accepts is never cut by another.
struct StationLimit {
  const char* key;  // in QuillmereStations.ini
  double Station::*member;
  double min, max;
  int decimals;  // shown by the planner's editor
};
inline constexpr StationLimit kStationLimits[] = {
    {"HeightM", &Station::height_m, -500.0, 9000.0, 0},
    {"MinElevationDeg", &Station::min_elevation_deg, -5.0, 90.0, 1},
    {"DishDiameterM", &Station::dish_diameter_m, 0.1, 100.0, 2},
    {"DishEfficiency", &Station::dish_efficiency, 0.01, 1.0, 2},
    {"ReceiverNoiseK", &Station::receiver_noise_k, 1.0, 100000.0, 0},
};
// The row of kStationLimits for a member.
const StationLimit& LimitOf(double Station::*member);

// A station's name: at most this many characters (Unicode code points).
inline constexpr std::size_t kMaxNameCharacters = 64;
// Whether `name` (UTF-8) is a name a station may have, in the file and in
// the editor alike: well-formed UTF-8 of at most kMaxNameCharacters
// characters, none of them a control character (C0, DEL or C1).
bool IsStationName(std::string_view name);

// The lowest usable elevation toward `azimuth_deg`: the station's minimum or
// its mask there, whichever is higher.
double MinimumElevationDeg(const Station& station, double azimuth_deg);

// Reads the text of QuillmereStations.ini: sections [Home] and [DX], each
// with the keys Name, Location (a locator or "LAT,LON"), HeightM,
// MinElevationDeg, HorizonMask ("az:el" pairs separated by ';'),
// DishDiameterM, DishEfficiency, ReceiverNoiseK. A UTF-8 byte-order mark
// (as some editors write) is skipped. Unknown sections and keys are
// skipped, for files written by later versions.
//
// Hostile input is refused, not trusted: a text over 64 KiB is refused
// whole; a line over 8192 characters, a number that is not finite or outside
// its limits (kStationLimits), more than 360 mask points, a name that is not
// IsStationName, a line that is not "[section]" or "Key=Value", each refuses
// its own line alone: what it would set keeps its value in `defaults`.
// A station without a section or a Location keeps its location in
// `defaults`, said at line 0.
struct StationsParseError {
  int line = 0;  // 1-based; 0 for the text as a whole
  std::string message;
};
struct StationsRead {
  Stations stations;
  std::vector<StationsParseError> refused;  // in the order of the text
  bool whole_text_refused = false;          // nothing of it was read
};
StationsRead ReadStationsIni(std::string_view text, const Stations& defaults = {});

// The same, taking the text only when nothing of it is refused: the first
// refusal otherwise. For the planner's editor, whose fields must all hold.
std::variant<Stations, StationsParseError> ParseStationsIni(std::string_view text);

// The text of QuillmereStations.ini for `stations`; ParseStationsIni reads
// it back to the same values (numbers are written in their shortest exact
// form, '.' as the decimal point).
std::string FormatStationsIni(const Stations& stations);

}  // namespace quillmere
