#pragma once
// Maidenhead locators and "LAT,LON" text: where a station is, as users
// write it.

#include <optional>
#include <string>
#include <string_view>

namespace quillmere {

struct LatLon {
  double latitude_deg = 0.0;   // -90..90, north positive
  double longitude_deg = 0.0;  // -180..180, east positive
};

// The centre of the square a locator names.
//
// Given:
//   locator  4, 6 or 8 characters: field (two letters A..R), square (two
//            digits), subsquare (two letters A..X), extended square (two
//            digits); letters in either case; nothing else, not even spaces.
// Returned: the centre, or nothing for any other text.
std::optional<LatLon> LocatorToLatLon(std::string_view locator);

// The locator of `characters` (4, 6 or 8) characters whose square holds the
// point, letters of the field upper case and of the subsquare lower case
// ("JO01ab12"). Longitude 180 is taken as -180 (the same meridian); latitude
// 90 falls in the northernmost row. Returns nothing for another length or a
// point outside -90..90 / -180..180, or not finite.
std::optional<std::string> LatLonToLocator(LatLon point, int characters);

// "LAT,LON" in decimal degrees ("52.1,-0.25", spaces around either number
// allowed, '.' as the decimal point whatever the locale). Returns nothing
// unless both numbers are whole, finite and within -90..90 and -180..180.
std::optional<LatLon> ParseLatLon(std::string_view text);

// Text typed by the user or read from the stations file, without the blanks,
// tabs and carriage returns around it.
std::string_view TrimBlanks(std::string_view text);

// A decimal number as typed: ParseNumber of the text without the blanks
// around it.
std::optional<double> ParseDecimal(std::string_view text);

// A station's location as the user typed it: a locator or "LAT,LON".
// Surrounding spaces are ignored.
std::optional<LatLon> ParseLocation(std::string_view text);

}  // namespace quillmere
