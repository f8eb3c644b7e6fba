#pragma once
// The one table of the planner's output columns: what a minute of the track
// shows, in the planner window's table, in its CSV export, in the JSON and
// in the readable table of quillmere-report --track. Each figure is named,
// rounded and read from the row once, here; each output takes the columns
// it shows.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <variant>

#include "planner_model.h"
#include "safe_write.h"

namespace quillmere {

// A cell: nothing (the Moon below a station's horizon), a figure, yes/no,
// or a text (the UTC).
using TrackCell = std::variant<std::monostate, double, bool, std::string>;

struct TrackColumn {
  // In the window's table and the CSV (nullptr: JSON only).
  const char* header;  // the window's column header, UTF-8
  const char* csv;     // the CSV's column name
  int decimals;        // in the window; the CSV carries two more
  // In the JSON: where in a row ("home/az"), and the unit it is rounded to,
  // the figure's accuracy (0: not rounded). nullptr: not in the JSON.
  const char* json;
  double json_unit;
  // In the readable table: the header's part and the cell's printf format,
  // each with the spaces before it (nullptr: not in that table).
  const char* text_header;
  const char* text_format;
  // The cell of a row at the band frequency_hz.
  TrackCell (*cell)(const TrackRow& row, double frequency_hz);
};

// Every column, the window's and the CSV's first, in their order.
std::span<const TrackColumn> TrackColumns();
// The window's and the CSV's columns: the first ones of TrackColumns().
std::size_t TableColumnCount();

// UTC as the outputs write it: "2026-12-08T13:16:00Z".
std::string FormatUtc(double utc_s);

// A cell as the window shows it: the figure to the column's decimals,
// "yes"/"no", the UTC; empty where there is no figure.
std::string CellText(const TrackColumn& column, const TrackRow& row, double frequency_hz);

// The CSV of a planned span: comment lines ('#') with the band, the two
// locators and the atmosphere, the column names, then a line a row with
// "best" (yes/no) and the atmosphere's name at its end.
std::string TrackCsv(const PlannedTrack& planned);
// And written to `file` through the one writer of the program's files.
SaveOutcome ExportTrackCsv(const std::filesystem::path& file, const PlannedTrack& planned);

// The JSON document: `home` and `dx` (lat, lon, height_m), `frequency_hz`,
// `atmosphere` (its name), `rows` and `windows`.
std::string TrackJson(const PlannedTrack& planned);

// The readable table; home_text and dx_text name the stations as the user
// gave them.
std::string TrackTable(const PlannedTrack& planned, const std::string& home_text,
                       const std::string& dx_text);

}  // namespace quillmere
