// The Moon planner's model without a window: the stations file as the
// planner reads and saves it, the editor's stations, the request's limits,
// and the one table of output columns behind the window's table, the CSV and
// the JSON.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>

#include "planner_model.h"
#include "stations_store.h"
#include "track_columns.h"

namespace quillmere {
namespace {

constexpr double kNoon = 1796644800.0;  // 2026-12-07T12:00:00Z

class StationsFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ =
        std::filesystem::temp_directory_path() /
        ("quillmere-planner-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
         "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }
  std::filesystem::path File() const { return folder_ / "QuillmereStations.ini"; }
  void Write(const std::string& text) const { std::ofstream(File(), std::ios::binary) << text; }
  std::string Read() const {
    std::ostringstream text;
    text << std::ifstream(File(), std::ios::binary).rdbuf();
    return text.str();
  }
  std::filesystem::path folder_;
};

// What the planner says of a file, and whether Save may replace it.
TEST_F(StationsFileTest, RefusalsAreSaidAndAFileNotReadIsNeverSavedOver) {
  struct Case {
    const char* what;
    std::string text;  // empty: no file
    const char* message_start;
    bool saved_over;
  } cases[] = {
      {"no file: the defaults, silently", "", "", true},
      {"one bad line: refused alone", "[Home]\nLocation=JO01\n[DX]\nLocation=nowhere\n",
       "QuillmereStations.ini, line 4", true},
      {"too large: not read", "[Home]\nName=G4ABC\n" + std::string(70000, ';'),
       "QuillmereStations.ini: is 70018 bytes, more than the 65536", false},
      {"a NUL byte: not read whole",
       std::string("[Home]\nLocation=JO01\n[DX]\nLocation=FN31\n\0kept", 45),
       "QuillmereStations.ini: it holds a NUL byte", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove(File());
    if (!c.text.empty()) Write(c.text);
    const StationsFile file = LoadStationsFile(File());
    EXPECT_EQ(file.message.substr(0, std::string(c.message_start).size()), c.message_start)
        << file.message;
    EXPECT_EQ(SaveStationsFile(file, file.stations).ok(), c.saved_over);
    if (!c.saved_over) {
      EXPECT_EQ(Read(), c.text);
    }
  }
}

TEST(StationsFromFields, NamesTheStationWhoseFieldIsWrong) {
  const StationFields good = FieldsOf(DefaultStations().home);
  struct Case {
    bool dx;
    const char* location;
    const char* complaint;  // empty: taken
  } cases[] = {
      {false, "JO01ab", ""},   {true, "41.7,-72.7", ""}, {false, "ZZ99", "Home: "},
      {true, "95,10", "DX: "}, {true, "", "DX: "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.location);
    StationFields edited = good;
    edited.location = c.location;
    const auto read = c.dx ? StationsFromFields(good, edited) : StationsFromFields(edited, good);
    const std::string* error = std::get_if<std::string>(&read);
    if (*c.complaint == '\0') {
      EXPECT_EQ(error, nullptr) << *error;
    } else {
      ASSERT_NE(error, nullptr);
      EXPECT_EQ(error->rfind(c.complaint, 0), 0u) << *error;
    }
  }
}

TEST(PlannerRequest, RefusesWhatCannotBePlanned) {
  struct Case {
    double start;
    int span, step;
    const char* fault;  // a part of the message; empty: none
  } cases[] = {
      {kNoon, 1440, 1, ""},
      {kNoon, kMaxSpanMinutes, 60, ""},
      {9223372036.0, 1440, 1, "outside 1950-2100"},  // a clock in 2262
      {kNoon, kMaxSpanMinutes + 1, 1, "14 days"},
      {kNoon, 0, 1, "14 days"},
      {kNoon, 60, 0, "step"},
  };
  for (const Case& c : cases) {
    PlannerRequest request;
    request.start_utc_s = c.start;
    request.span_minutes = c.span;
    request.step_minutes = c.step;
    const auto fault = RequestFault(request);
    if (*c.fault == '\0') {
      EXPECT_FALSE(fault) << *fault;
    } else {
      ASSERT_TRUE(fault) << c.span;
      EXPECT_NE(fault->find(c.fault), std::string::npos) << *fault;
    }
  }
}

// An hour of JO01 to FN31 at noon, with a flat 1 dB of air: one mutual
// window, whose best minute is marked in the CSV and is the JSON's.
TEST(TrackColumns, TheCsvAndTheJsonShowTheSameMinutes) {
  PlannerRequest request;
  request.stations = DefaultStations();
  request.stations.dx.locator.clear();
  request.stations.dx.latitude_deg = 41.7;
  request.stations.dx.longitude_deg = -72.7;
  request.start_utc_s = kNoon;
  request.span_minutes = 60;
  TrackEnvironment air;
  air.attenuation_db = [](bool, double) { return 1.0; };
  const PlannedTrack planned = PlanTrack(request, air);
  ASSERT_EQ(planned.track.rows.size(), 61u);
  ASSERT_EQ(planned.best_rows.size(), 1u);
  const MutualWindow& window = planned.track.windows.at(0);
  const std::size_t best = planned.best_rows[0];
  const TrackColumn& total = *std::find_if(
      TrackColumns().begin(), TrackColumns().end(),
      [](const TrackColumn& c) { return c.csv != nullptr && std::string(c.csv) == "total_db"; });

  std::istringstream csv(TrackCsv(planned));
  std::vector<std::string> head, lines;
  for (std::string line; std::getline(csv, line);) (line[0] == '#' ? head : lines).push_back(line);
  EXPECT_EQ(head, (std::vector<std::string>{
                      "# Quillmere Moon planner, minutes of the Home\u2192DX path",
                      "# band: 10.368 GHz", "# home locator: JO01",
                      "# dx locator: FN31pq (41.7,-72.7)", "# atmosphere: window's cosecant model",
                      "# mutual window: 2026-12-07T12:00:00Z to "
                      "2026-12-07T13:00:00Z, best " +
                          FormatUtc(window.best_utc_s) + " at " + [&] {
                            char text[32];
                            std::snprintf(text, sizeof text, "%.4f dB", window.best_total_db);
                            return std::string(text);
                          }()}));
  ASSERT_EQ(lines.size(), 62u);
  EXPECT_EQ(lines[0],
            "utc,home_az,home_el,dx_az,dx_el,mutual,doppler_self_hz,doppler_home_dx_hz,delay_s,"
            "libration_hz,distance_db,attenuation_home_db,attenuation_dx_db,sky_noise_db,"
            "moon_noise_db,sun_noise_db,total_db,sun_moon_home_deg,sun_moon_dx_deg,best,"
            "atmosphere");
  for (std::size_t i = 0; i < 61; ++i) {
    const std::string& line = lines[i + 1];
    EXPECT_EQ(std::count(line.begin(), line.end(), ','), 20) << line;
    EXPECT_TRUE(line.ends_with(i == best ? ",yes,cosecant" : ",no,cosecant")) << line;
  }
  EXPECT_EQ(lines[1].substr(0, 21), "2026-12-07T12:00:00Z,");

  const auto json = nlohmann::json::parse(TrackJson(planned));
  ASSERT_EQ(json["rows"].size(), 61u);
  EXPECT_EQ(json["windows"][0]["best"], json["rows"][best]["utc"]);
  // The window's total, rounded for the eye, is the JSON's.
  EXPECT_EQ(CellText(total, planned.track.rows[best], planned.frequency_hz), [&] {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f",
                  json["rows"][best]["dgrd_db"]["home_dx"]["total"].get<double>());
    return std::string(text);
  }());
}

// Each station's Moon is refracted by the refractivity of its weather, or
// without weather by the P.835 reference atmosphere's at its height.
TEST(PlanTrack, RefractsEachStationsMoonByItsAir) {
  // The mean annual global reference: 1013.25 hPa, 288.15 K, 7.5 g/m3 at
  // sea level give 272.9 + 44.8 N-units; 701.1 hPa, 268.65 K, 1.67 g/m3 at
  // 3000 m give 202.5 + 10.7.
  EXPECT_NEAR(ReferenceRefractivity(0.0), 317.7, 0.2);
  EXPECT_NEAR(ReferenceRefractivity(3000.0), 213.2, 0.3);
  EXPECT_NEAR(ReferenceRefractivity(-200.0), ReferenceRefractivity(0.0), 1e-9);
  PlannerRequest request;
  request.stations = DefaultStations();
  request.stations.dx.height_m = 3000.0;
  request.start_utc_s = kNoon;
  request.span_minutes = 120;
  request.step_minutes = 10;
  TrackEnvironment env;
  env.home_refractivity = 340.0;
  const PlannedTrack planned = PlanTrack(request, env);
  for (const TrackRow& r : planned.track.rows) {
    EXPECT_EQ(r.home.elevation_refracted_deg, RefractedElevationDeg(r.home.elevation_deg, 340.0));
    EXPECT_EQ(r.dx.elevation_refracted_deg,
              RefractedElevationDeg(r.dx.elevation_deg, ReferenceRefractivity(3000.0)));
  }
}

// At a step over a minute the best minute may fall between rows: the row
// marked best is the one nearest it.
TEST(PlanTrack, TheBestRowIsTheRowNearestTheBestMinute) {
  PlannerRequest request;
  request.stations = DefaultStations();
  request.start_utc_s = kNoon;
  request.span_minutes = 3 * 24 * 60;
  request.step_minutes = 47;
  TrackEnvironment env;
  env.attenuation_db = [](bool dx, double el) {
    return (dx ? 0.3 : 0.2) / std::sin((el + 2) * M_PI / 180);
  };
  const PlannedTrack planned = PlanTrack(request, env);
  const auto& rows = planned.track.rows;
  ASSERT_FALSE(planned.track.windows.empty());
  ASSERT_EQ(planned.best_rows.size(), planned.track.windows.size());
  int between_rows = 0;
  for (std::size_t i = 0; i < planned.best_rows.size(); ++i) {
    const double best = planned.track.windows[i].best_utc_s;
    between_rows += std::fmod(best - kNoon, 47 * 60.0) != 0;
    for (const TrackRow& r : rows)
      EXPECT_LE(std::abs(rows[planned.best_rows[i]].utc_s - best), std::abs(r.utc_s - best));
  }
  EXPECT_GT(between_rows, 0);
}

// The JSON's figures are the decimals of their unit, with no binary noise
// after them (2.535845, not 2.5358449999999997), and never a negative zero.
TEST(TrackColumns, JsonFiguresAreTheirUnitsDecimals) {
  PlannerRequest request;
  request.stations = DefaultStations();
  request.start_utc_s = kNoon;
  request.span_minutes = 240;
  TrackEnvironment env;
  env.attenuation_db = [](bool, double el) { return 0.17 / std::sin((el + 1) * M_PI / 180); };
  const std::string text = TrackJson(PlanTrack(request, env));
  const std::string rows = text.substr(text.find("\"rows\""));
  int numbers = 0;
  for (std::size_t at = 0; (at = rows.find_first_of("-0123456789", at)) != std::string::npos;) {
    // Inside a string (a UTC) digits are no figure.
    if (std::count(rows.begin(), rows.begin() + static_cast<long>(at), '"') % 2 != 0) {
      at = rows.find('"', at);
      continue;
    }
    const std::size_t end = rows.find_first_of(",]}", at);
    const std::string number = rows.substr(at, end - at);
    const std::size_t point = number.find('.');
    ++numbers;
    EXPECT_TRUE(point == std::string::npos || number.size() - point - 1 <= 6) << number;
    EXPECT_EQ(number.find('e'), std::string::npos) << number;
    EXPECT_NE(number, "-0") << number;
    at = end;
  }
  EXPECT_GT(numbers, 241 * 20);
  // A figure rounded to its unit reads back as the decimal it was rounded to.
  const auto json = nlohmann::json::parse(text);
  for (const auto& row : json["rows"]) {
    const double az = row["home"]["az"].get<double>();
    char decimal[32];
    std::snprintf(decimal, sizeof decimal, "%.3f", az);
    EXPECT_EQ(az, std::stod(decimal));
  }
}

}  // namespace
}  // namespace quillmere
