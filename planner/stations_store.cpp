#include "stations_store.h"

#include <cstdint>
#include <cstdio>

#include "maidenhead.h"
#include "text_file.h"

namespace quillmere {
namespace {

// QuillmereStations.ini is small; anything larger is not ours.
constexpr std::uint64_t kMaxStationsFileBytes = 64 * 1024;

// The lines of the stations file that were refused, for the user:
// "QuillmereStations.ini, line 4: HeightM out of range; line 9: ...".
std::string Refusals(const StationsRead& read) {
  std::string list;
  for (const StationsParseError& e : read.refused) {
    if (!list.empty()) list += "; ";
    list += e.line > 0 ? "line " + std::to_string(e.line) + ": " + e.message : e.message;
  }
  if (list.empty()) return {};
  const std::string file =
      read.refused.front().line > 0 ? "QuillmereStations.ini, " : "QuillmereStations.ini: ";
  if (read.whole_text_refused) return file + list;
  return file + list + ". Those lines were not taken: what they set shows its default.";
}

// A number as the file writes it: shortest exact form, '.' as the point.
std::string Number(double v) {
  char text[40];
  std::snprintf(text, sizeof text, "%.17g", v);
  return text;
}

std::string Trimmed(const std::string& s) {
  const auto first = s.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

// One station's section of the file from the editor's fields.
std::string Section(const char* section, const StationFields& f) {
  std::string mask;
  for (const char c : Trimmed(f.mask)) {
    if (c == ' ') continue;
    mask += c == ',' ? ';' : c;
  }
  std::string out = std::string("[") + section + "]\n";
  out += "Name=" + Trimmed(f.name) + "\n";
  out += "Location=" + Trimmed(f.location) + "\n";
  out += "HeightM=" + Number(f.height_m) + "\n";
  out += "MinElevationDeg=" + Number(f.min_elevation_deg) + "\n";
  out += "HorizonMask=" + mask + "\n";
  out += "DishDiameterM=" + Number(f.dish_diameter_m) + "\n";
  out += "DishEfficiency=" + Number(f.dish_efficiency) + "\n";
  out += "ReceiverNoiseK=" + Number(f.receiver_noise_k) + "\n\n";
  return out;
}

// "az:el, az:el" for the editor.
std::string MaskText(const std::vector<MaskPoint>& mask) {
  std::string out;
  char text[64];
  for (const MaskPoint& p : mask) {
    std::snprintf(text, sizeof text, "%s%.6g:%.6g", out.empty() ? "" : ", ", p.azimuth_deg,
                  p.elevation_deg);
    out += text;
  }
  return out;
}

}  // namespace

Stations DefaultStations() {
  Stations stations;
  stations.home.name = "Home";
  stations.home.locator = "JO01";
  stations.dx.name = "DX";
  stations.dx.locator = "FN31";
  for (Station* s : {&stations.home, &stations.dx}) {
    if (const auto p = LocatorToLatLon(s->locator)) {
      s->latitude_deg = p->latitude_deg;
      s->longitude_deg = p->longitude_deg;
    }
  }
  return stations;
}

StationsFile LoadStationsFile(const std::filesystem::path& path) {
  StationsFile file;
  file.path = path;
  file.stations = DefaultStations();
  std::string text;
  bool cut_at_nul = false;
  const FileReadResult read = ReadTextFile(path, kMaxStationsFileBytes, text, &cut_at_nul);
  // What follows a NUL byte was never read; a save would lose it.
  if (cut_at_nul) file.unread = "it holds a NUL byte, which a text file does not";
  if (read.ok()) {
    const StationsRead parsed = ReadStationsIni(text, file.stations);
    if (parsed.whole_text_refused) {
      file.unread = parsed.refused.front().message;
    } else {
      file.stations = parsed.stations;
    }
    file.message = Refusals(parsed);
    if (cut_at_nul && file.message.empty()) file.message = "QuillmereStations.ini: " + *file.unread;
  } else if (read.status != FileReadResult::Status::kNotFound) {
    file.unread = read.reason;
    file.message = "QuillmereStations.ini: " + read.reason;
  }
  if (file.unread) {
    file.message +=
        ". It was not read: the stations shown are the defaults, and Save "
        "stations leaves the file as it is.";
  }
  return file;
}

SaveOutcome SaveStationsFile(const StationsFile& file, const Stations& stations) {
  // What was never read is never replaced: the user has not seen it.
  if (file.unread) return NotReadAtStart(file.path, *file.unread);
  return ReplaceFileContents(file.path, FormatStationsIni(stations));
}

StationFields FieldsOf(const Station& s) {
  StationFields f;
  f.name = s.name;
  if (s.locator.empty()) {
    char text[64];
    std::snprintf(text, sizeof text, "%.10g,%.10g", s.latitude_deg, s.longitude_deg);
    f.location = text;
  } else {
    f.location = s.locator;
  }
  f.mask = MaskText(s.horizon_mask);
  f.height_m = s.height_m;
  f.min_elevation_deg = s.min_elevation_deg;
  f.dish_diameter_m = s.dish_diameter_m;
  f.dish_efficiency = s.dish_efficiency;
  f.receiver_noise_k = s.receiver_noise_k;
  return f;
}

std::variant<Stations, std::string> StationsFromFields(const StationFields& home,
                                                       const StationFields& dx) {
  const std::string home_text = Section("Home", home);
  const auto parsed = ParseStationsIni(home_text + Section("DX", dx));
  if (const auto* error = std::get_if<StationsParseError>(&parsed)) {
    // The line of the fault tells the station: Home's section comes first.
    int home_lines = 0;
    for (const char c : home_text) home_lines += c == '\n';
    return std::string(error->line > home_lines ? "DX" : "Home") + ": " + error->message;
  }
  return std::get<Stations>(parsed);
}

}  // namespace quillmere
