// The ITU-R P.840-4 liquid water grids: reading the shipped files, refusing
// damaged ones, and bilinear interpolation between the nodes.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "p840_grid.h"

namespace quillmere::mapgen {
namespace {

const std::string kGridDir = QUILLMERE_P840_DIR;

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The check values of the data's README: exact float32 values at five
// nodes, given to 6 decimals (tolerance half a unit of the 6th).
struct NodeCheck {
  const char* place;
  int row, col;
  Real lat, lon;
  Real values[6];  // 0.1, 0.5, 1, 5, 10, 20 %
};
constexpr NodeCheck kNodeChecks[] = {
    {"equator at Greenwich",
     80,
     0,
     0.0L,
     0.0L,
     {3.844550L, 3.356420L, 3.024900L, 1.691650L, 1.192630L, 0.577084L}},
    {"London",
     34,
     0,
     51.75L,
     0.0L,
     {1.876760L, 1.478140L, 1.250150L, 0.673944L, 0.393269L, 0.151369L}},
    {"New York",
     44,
     254,
     40.5L,
     285.75L,
     {2.974330L, 2.385130L, 1.999640L, 1.062930L, 0.580519L, 0.174808L}},
    {"Sydney",
     110,
     135,
     -33.75L,
     151.875L,
     {3.068430L, 2.234820L, 1.716430L, 0.693658L, 0.294878L, 0.081251L}},
    {"Bay of Bengal",
     72,
     80,
     9.0L,
     90.0L,
     {4.146350L, 3.934930L, 3.793450L, 3.188230L, 2.432080L, 1.307540L}},
};
constexpr const char* kGridFiles[6] = {"lwc_0.1pct.grid", "lwc_0.5pct.grid",  "lwc_1.0pct.grid",
                                       "lwc_5.0pct.grid", "lwc_10.0pct.grid", "lwc_20.0pct.grid"};
constexpr Real kPercents[6] = {0.1L, 0.5L, 1.0L, 5.0L, 10.0L, 20.0L};
constexpr Real kSixDecimals = 5e-7L;

TEST(P840GridReader, ShippedGridsHoldTheCheckValuesAtTheirNodes) {
  for (int g = 0; g < 6; ++g) {
    SCOPED_TRACE(kGridFiles[g]);
    const P840Grid grid = ReadP840Grid(kGridDir + "/" + kGridFiles[g]);
    EXPECT_EQ(grid.rows, 161);
    EXPECT_EQ(grid.cols, 321);
    EXPECT_NEAR(grid.percent_of_year, kPercents[g], 1e-12L);
    for (const NodeCheck& check : kNodeChecks) {
      SCOPED_TRACE(check.place);
      EXPECT_NEAR(grid.At(check.row, check.col), check.values[g], kSixDecimals);
      // The node's place, in its own coordinates, lands on the same value.
      EXPECT_NEAR(LiquidWaterAt(grid, check.lat, check.lon), check.values[g], kSixDecimals);
    }
  }
}

TEST(P840GridReader, ShippedGridsHaveTheReadmeRangeAndFilledRow) {
  // 0.1 %: max 5.019 (3 decimals); the 90 S row is 0 in every grid.
  const P840Grid grid = ReadP840Grid(kGridDir + "/lwc_0.1pct.grid");
  float max = 0;
  for (float v : grid.values) max = std::max(max, v);
  EXPECT_NEAR(max, 5.019L, 5e-4L);
  for (int c = 0; c < grid.cols; ++c) EXPECT_EQ(grid.At(160, c), 0.0f) << "column " << c;
  // Row 1 was filled with the mean of rows 0 and 2 where the source had no
  // value (columns 33..319).
  for (int c = 33; c <= 319; ++c) {
    EXPECT_NEAR(grid.At(1, c), (Real{grid.At(0, c)} + grid.At(2, c)) / 2, 1e-6L) << "column " << c;
  }
}

// Damaged copies of a good file, each refused with a message naming the
// fault.
struct Damage {
  const char* what;
  std::string (*apply)(std::string bytes);
  const char* message;
};

std::string ReplaceInHeader(std::string bytes, const std::string& from, const std::string& to) {
  // Same length, so that the data still start at byte 1024.
  EXPECT_EQ(from.size(), to.size());
  const size_t at = bytes.find(from);
  EXPECT_LT(at, 1024u);
  bytes.replace(at, from.size(), to);
  return bytes;
}

void PutFloat(std::string& bytes, size_t index, float v) {
  unsigned char le[4];
  std::uint32_t bits;
  std::memcpy(&bits, &v, 4);
  for (int i = 0; i < 4; ++i) le[i] = static_cast<unsigned char>(bits >> (8 * i));
  std::memcpy(bytes.data() + 1024 + 4 * index, le, 4);
}

const Damage kDamages[] = {
    {"truncated by one byte", [](std::string b) { return b.substr(0, b.size() - 1); },
     "207747 bytes, expected 207748"},
    {"cut inside the header", [](std::string b) { return b.substr(0, 300); }, "end_header"},
    {"empty file", [](std::string) { return std::string(); }, "not a P840GRID version 1 file"},
    {"one value too many", [](std::string b) { return b + std::string(4, '\0'); },
     "207752 bytes, expected 207748"},
    {"other format line",
     [](std::string b) { return ReplaceInHeader(b, "P840GRID 1", "P840GRID 2"); },
     "not a P840GRID version 1 file"},
    {"not a grid at all", [](std::string b) { return "GIF89a" + b.substr(6); },
     "not a P840GRID version 1 file"},
    {"big-endian data",
     [](std::string b) {
       return ReplaceInHeader(b, "byte_order little-endian", "byte_order big-endian   ");
     },
     "byte order is 'big-endian   '"},
    {"double values",
     [](std::string b) { return ReplaceInHeader(b, "type float32", "type float64"); },
     "expected float32"},
    {"no row count", [](std::string b) { return ReplaceInHeader(b, "rows 161", "#ows 161"); },
     "no 'rows' line"},
    {"rows that do not reach the south pole",
     [](std::string b) { return ReplaceInHeader(b, "lat_step -1.125", "lat_step -1.000"); },
     "rows do not run from 90 N to 90 S"},
    {"columns that do not go round the world",
     [](std::string b) { return ReplaceInHeader(b, "lon_step 1.125", "lon_step 1.000"); },
     "columns do not run once round the world"},
    {"a negative value",
     [](std::string b) {
       PutFloat(b, 5000, -0.5f);
       return b;
     },
     "row 15, column 185 is -0.5"},
    {"a missing value",
     [](std::string b) {
       PutFloat(b, 40000, std::nanf(""));
       return b;
     },
     "row 124, column 196 is nan"},
    {"a seam that does not close",
     [](std::string b) {
       PutFloat(b, 321 * 10, 9.0f);
       return b;
     },
     "row 10: last column does not repeat the first"},
};

TEST(P840GridReader, RefusesDamagedFilesWithAClearMessage) {
  const std::string good = ReadBytes(kGridDir + "/lwc_5.0pct.grid");
  ASSERT_EQ(good.size(), 207748u);
  ASSERT_NO_THROW(ParseP840Grid(good, "good"));
  for (const Damage& damage : kDamages) {
    SCOPED_TRACE(damage.what);
    try {
      ParseP840Grid(damage.apply(good), "damaged.grid");
      ADD_FAILURE() << "accepted";
    } catch (const std::runtime_error& e) {
      const std::string message = e.what();
      EXPECT_EQ(message.rfind("damaged.grid: ", 0), 0u) << message;
      EXPECT_NE(message.find(damage.message), std::string::npos) << message;
    }
  }
}

TEST(P840GridReader, MissingFileNamesThePathAndReason) {
  try {
    ReadP840Grid(kGridDir + "/no-such.grid");
    ADD_FAILURE() << "accepted";
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find("no-such.grid: cannot open: No such file"),
              std::string::npos)
        << e.what();
  }
}

class Interpolation : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    grid_ = new P840Grid(ReadP840Grid(kGridDir + "/lwc_1.0pct.grid"));
  }
  static void TearDownTestSuite() { delete grid_; }
  static Real Node(int r, int c) { return grid_->At(r, c); }
  static P840Grid* grid_;
};
P840Grid* Interpolation::grid_ = nullptr;

TEST_F(Interpolation, BetweenNodesWeighsTheFourNeighbours) {
  struct Case {
    const char* what;
    Real lat, lon;
    Real expected;
  };
  // Nodes around New York: rows 44 (40.5 N) and 45 (39.375 N), columns 254
  // (285.75 E) and 255 (286.875 E).
  const Real n00 = Node(44, 254), n01 = Node(44, 255), n10 = Node(45, 254), n11 = Node(45, 255);
  // Four different values, so that any wrong weight shows.
  ASSERT_TRUE(n00 != n01 && n00 != n10 && n00 != n11 && n01 != n10 && n01 != n11 && n10 != n11);
  const Case cases[] = {
      {"cell centre is the mean of the four", 39.9375L, 286.3125L, (n00 + n01 + n10 + n11) / 4},
      {"half way along a parallel", 40.5L, 286.3125L, (n00 + n01) / 2},
      {"half way along a meridian", 39.9375L, 285.75L, (n00 + n10) / 2},
      {"a quarter east and three quarters south", 40.5L - 0.84375L, 285.75L + 0.28125L,
       0.25L * (0.75L * n00 + 0.25L * n01) + 0.75L * (0.75L * n10 + 0.25L * n11)},
      {"western longitude as negative", 40.5L - 0.84375L, -74.25L + 0.28125L,
       0.25L * (0.75L * n00 + 0.25L * n01) + 0.75L * (0.75L * n10 + 0.25L * n11)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    // Node values are float32; the weights are exact in binary.
    EXPECT_NEAR(LiquidWaterAt(*grid_, c.lat, c.lon), c.expected, 1e-12L);
  }
}

TEST_F(Interpolation, WrapsAcrossTheGreenwichSeam) {
  // Column 319 is 358.875 E, column 320 (360 E) repeats column 0.
  const int r = 34;  // 51.75 N
  const Real west = Node(r, 319), east = Node(r, 0);
  ASSERT_NE(west, east);
  struct Case {
    const char* what;
    Real lon;
    Real expected;
  };
  const Case cases[] = {
      {"half way from 358.875 to 360 E", 359.4375L, (west + east) / 2},
      {"the same place as 0.5625 W", -0.5625L, (west + east) / 2},
      {"a quarter of a step west of Greenwich", -0.28125L, 0.25L * west + 0.75L * east},
      {"Greenwich itself", 0.0L, east},
      {"360 E is Greenwich", 360.0L, east},
      {"one turn further east", 720.0L + 0.28125L, 0.75L * east + 0.25L * Node(r, 1)},
      {"180 W is 180 E", -180.0L, Node(r, 160)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_NEAR(LiquidWaterAt(*grid_, 51.75L, c.lon), c.expected, 1e-12L);
  }
}

TEST_F(Interpolation, PolesTakeTheOuterRows) {
  EXPECT_NEAR(LiquidWaterAt(*grid_, 90, 10.125L), Node(0, 9), 1e-12L);
  EXPECT_NEAR(LiquidWaterAt(*grid_, -90, 10.125L), 0, 1e-12L);
  EXPECT_NEAR(LiquidWaterAt(*grid_, 95, 10.125L), Node(0, 9), 1e-12L);
}

}  // namespace
}  // namespace quillmere::mapgen
