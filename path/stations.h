#pragma once
// The two EME stations of the Moon planner, Home and DX, and their text form
// in QuillmereStations.ini.

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
  std::string name;            // name or callsign, at most 64 printable characters
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

// The lowest usable elevation toward `azimuth_deg`: the station's minimum or
// its mask there, whichever is higher.
double MinimumElevationDeg(const Station& station, double azimuth_deg);

// Parses the text of QuillmereStations.ini: sections [Home] and [DX], each
// with the keys Name, Location (a locator or "LAT,LON"), HeightM,
// MinElevationDeg, HorizonMask ("az:el" pairs separated by ';'),
// DishDiameterM, DishEfficiency, ReceiverNoiseK. Both sections and their
// Location are required; other keys keep their defaults when absent.
// Unknown sections and keys are skipped, for files written by later
// versions.
//
// Hostile input is refused, not trusted: a text over 64 KiB, a line over
// 8192 characters, a number that is not finite or outside its range, more
// than 360 mask points, a control character in a name. The error names the
// line.
struct StationsParseError {
  int line = 0;  // 1-based; 0 for the text as a whole
  std::string message;
};
std::variant<Stations, StationsParseError> ParseStationsIni(std::string_view text);

// The text of QuillmereStations.ini for `stations`; ParseStationsIni reads
// it back to the same values (numbers are written in their shortest exact
// form, '.' as the decimal point).
std::string FormatStationsIni(const Stations& stations);

}  // namespace quillmere
