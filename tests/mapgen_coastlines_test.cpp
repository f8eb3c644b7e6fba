// The GSHHG coastlines drawn over the cloud maps: the shipped file as its
// README describes it, and refusal of damaged copies.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <sstream>
#include <string>

#include "coastlines.h"

namespace quillmere::mapgen {
namespace {

TEST(CoastlineReader, ShippedFileHoldsEveryPolylineAndPoint) {
  const std::vector<Coastline> coastlines = ReadCoastlines(QUILLMERE_COASTLINES);
  struct Level {
    long polylines = 0, points = 0;
  } levels[3];
  long closed = 0, total_points = 0;
  Real min_lat = 90, max_lat = -90;
  for (const Coastline& coast : coastlines) {
    ASSERT_TRUE(coast.level == 1 || coast.level == 2);
    ++levels[coast.level].polylines;
    levels[coast.level].points += static_cast<long>(coast.points.size());
    total_points += static_cast<long>(coast.points.size());
    const LonLat& first = coast.points.front();
    const LonLat& last = coast.points.back();
    if (first.lon == last.lon && first.lat == last.lat) {
      ++closed;
    } else {
      // Open lines are the ones cut at the antimeridian.
      EXPECT_EQ(std::fabs(first.lon), 180) << "open polyline not cut at 180";
      EXPECT_EQ(std::fabs(last.lon), 180) << "open polyline not cut at 180";
    }
    for (const LonLat& p : coast.points) {
      min_lat = std::min(min_lat, p.lat);
      max_lat = std::max(max_lat, p.lat);
    }
  }
  EXPECT_EQ(coastlines.size(), 1525u);
  EXPECT_EQ(total_points, 23543);
  EXPECT_EQ(levels[1].polylines, 1437);
  EXPECT_EQ(levels[1].points, 20802);
  EXPECT_EQ(levels[2].polylines, 88);
  EXPECT_EQ(levels[2].points, 2741);
  EXPECT_EQ(closed, 1516);
  // Latitude range of the README, 3 decimals.
  EXPECT_NEAR(min_lat, -78.598L, 5e-4L);
  EXPECT_NEAR(max_lat, 83.627L, 5e-4L);
}

TEST(CoastlineReader, RefusesDamagedFilesNamingTheLine) {
  const std::string header =
      "COASTLINES 1\n# comment\npolylines 2\npoints 5\nclosed 1\nend_header\n";
  const std::string good = header + "L 1 3\n0 0\n1 1\n0 0\nL 2 2\n10.5 -3.25\n11 -3\n";
  {
    std::istringstream in(good);
    const std::vector<Coastline> c = ReadCoastlines(in, "good.txt");
    ASSERT_EQ(c.size(), 2u);
    EXPECT_EQ(c[1].level, 2);
    EXPECT_EQ(c[1].points[0].lon, 10.5L);
    EXPECT_EQ(c[1].points[0].lat, -3.25L);
  }
  struct Case {
    const char* what;
    std::string text;
    const char* message;
  };
  const Case cases[] = {
      {"other format", "COASTLINES 2\n" + good.substr(13), "bad.txt:1: not a COASTLINES version 1"},
      {"no end of header", "COASTLINES 1\npolylines 0\npoints 0\n", "no 'end_header'"},
      {"counts missing", "COASTLINES 1\nend_header\n", "lacks the 'polylines' or 'points'"},
      {"one polyline short", header + "L 1 3\n0 0\n1 1\n0 0\n",
       "announces 2 polylines and 5 points, file holds 1 and 3"},
      {"file ends inside a polyline", header + "L 1 3\n0 0\n1 1\n",
       "bad.txt:9: file ends inside a polyline"},
      {"unknown level", header + "L 3 3\n0 0\n1 1\n0 0\n", "bad.txt:7: expected a record"},
      {"single point", header + "L 1 1\n0 0\n", "bad.txt:7: expected a record"},
      {"latitude beyond the pole", header + "L 1 3\n0 0\n1 91\n0 0\n", "bad.txt:9: expected '<lon"},
      {"not a number", header + "L 1 3\n0 0\nx 1\n0 0\n", "bad.txt:9: expected '<lon"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::istringstream in(c.text);
    try {
      ReadCoastlines(in, "bad.txt");
      ADD_FAILURE() << "accepted";
    } catch (const std::runtime_error& e) {
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
    }
  }
}

}  // namespace
}  // namespace quillmere::mapgen
