// The six cloud maps as the build wrote them, decoded with Qt's JPEG
// reader: the colour of the map at a place read back through the colour scale
// must give the grid's value there, as a user reading the map against its
// legend would, within what JPEG compression costs; and the line work and
// texts over it must be there.

#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "cloud_map.h"
#include "coastlines.h"
#include "colour_scale.h"
#include "p840_grid.h"

namespace quillmere::mapgen {
namespace {

namespace fs = std::filesystem;
using namespace layout;

const fs::path kMapDir = QUILLMERE_MAP_DIR;
const fs::path kGridDir = QUILLMERE_P840_DIR;

// What a map pixel stands for, worked out here from the layout's scale and
// origin alone: pixel centres on whole multiples of 3/8 degree from 180 W
// and 90 N.
Real PixelLon(int x) {
  return -180 + (x - kMapLeft) * kDegreesPerPixel;
}
Real PixelLat(int y) {
  return 90 - (y - kMapTop) * kDegreesPerPixel;
}

// How far each map pixel lies from the nearest line drawn over the colours
// (coastline, graticule line or frame), in pixels (Chebyshev distance,
// counted up to kFar): a pixel's colour is the grid's alone only clear of
// the lines' anti-aliasing and of the JPEG ringing that their sharp edges
// cause.
class LineDistance {
 public:
  static constexpr int kFar = 10;

  explicit LineDistance(const std::vector<Coastline>& coastlines)
      : distance_(static_cast<size_t>(kMapWidth) * kMapHeight, kFar) {
    for (const Coastline& coast : coastlines) {
      for (size_t k = 1; k < coast.points.size(); ++k) {
        const LonLat a = coast.points[k - 1], b = coast.points[k];
        const Real ax = kMapLeft + (a.lon + 180) / kDegreesPerPixel;
        const Real ay = kMapTop + (90 - a.lat) / kDegreesPerPixel;
        const Real bx = kMapLeft + (b.lon + 180) / kDegreesPerPixel;
        const Real by = kMapTop + (90 - b.lat) / kDegreesPerPixel;
        const int steps = 1 + static_cast<int>(4 * std::hypot(bx - ax, by - ay));
        for (int s = 0; s <= steps; ++s) {
          const Real t = static_cast<Real>(s) / steps;
          MarkAround(static_cast<int>(std::lround(ax + t * (bx - ax))),
                     static_cast<int>(std::lround(ay + t * (by - ay))));
        }
      }
    }
    for (int deg = 0; deg <= 360; deg += kGraticuleDegrees) {
      const int x = kMapLeft + static_cast<int>(std::lround(deg / kDegreesPerPixel));
      for (int y = kMapTop; y < kMapTop + kMapHeight; ++y) MarkAround(x, y);
    }
    for (int deg = 0; deg <= 180; deg += kGraticuleDegrees) {
      const int y = kMapTop + static_cast<int>(std::lround(deg / kDegreesPerPixel));
      for (int x = kMapLeft; x < kMapLeft + kMapWidth; ++x) MarkAround(x, y);
    }
  }

  // 0 on a line, kFar for far away and outside the map.
  int At(int x, int y) const {
    if (!kMap.contains(x, y)) return 0;
    return distance_[static_cast<size_t>(y - kMapTop) * kMapWidth + (x - kMapLeft)];
  }

 private:
  void MarkAround(int cx, int cy) {
    for (int y = std::max(cy - kFar, kMapTop); y <= std::min(cy + kFar, kMapTop + kMapHeight - 1);
         ++y) {
      for (int x = std::max(cx - kFar, kMapLeft);
           x <= std::min(cx + kFar, kMapLeft + kMapWidth - 1); ++x) {
        int& d = distance_[static_cast<size_t>(y - kMapTop) * kMapWidth + (x - kMapLeft)];
        d = std::min(d, std::max(std::abs(x - cx), std::abs(y - cy)));
      }
    }
  }
  std::vector<int> distance_;
};

// Reading a decoded map. JPEG at quality 98 moves a colour by a few levels
// per channel; where the ramp changes slowest (about 0.02 kg/m2 a level)
// that is up to about 0.1 kg/m2 for one pixel. Next to the lines drawn over
// the map and to the edge of the "4 or more" red, the ringing of those sharp
// edges moves colours further, fading within a few pixels.
constexpr int kPixelMargin = 3;          // pixels from any line for the pixel check
constexpr Real kPixelTolerance = 0.1L;   // kg/m2, for most pixels ...
constexpr Real kPixelShare = 0.98L;      // ... this share of them
constexpr Real kPixelWorst = 0.5L;       // kg/m2, every pixel
constexpr int kPlaceMargin = 6;          // pixels from any line for a place
constexpr Real kPlaceTolerance = 0.04L;  // kg/m2, a 3 x 3 patch read as one colour

// Whether the pixels within kPlaceMargin of (x, y) lie all on one side of
// the "4 or more" edge.
bool ClearOfFourOrMoreEdge(const P840Grid& grid, int x, int y) {
  const bool over = LiquidWaterAt(grid, PixelLat(y), PixelLon(x)) >= kScaleTop;
  for (int dy = -kPlaceMargin; dy <= kPlaceMargin; ++dy) {
    for (int dx = -kPlaceMargin; dx <= kPlaceMargin; ++dx) {
      if ((LiquidWaterAt(grid, PixelLat(y + dy), PixelLon(x + dx)) >= kScaleTop) != over) {
        return false;
      }
    }
  }
  return true;
}

struct MapUnderTest {
  CloudMapFile file;
  P840Grid grid;
  QImage image;

  Rgb Get(int x, int y) const {
    const QRgb c = image.pixel(x, y);
    return {static_cast<std::uint8_t>(qRed(c)), static_cast<std::uint8_t>(qGreen(c)),
            static_cast<std::uint8_t>(qBlue(c))};
  }
};

QImage ReadMap(const fs::path& file) {
  QImage image(QString::fromStdString(file.string()), "JPEG");
  return image.convertToFormat(QImage::Format_RGB32);
}

class CloudMaps : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    lines_ = new LineDistance(ReadCoastlines(QUILLMERE_COASTLINES));
    maps_ = new std::vector<MapUnderTest>;
    for (const CloudMapFile& file : kCloudMapFiles) {
      maps_->push_back(
          {file, ReadP840Grid(kGridDir / file.grid_file), ReadMap(kMapDir / file.map_file)});
    }
  }
  static void TearDownTestSuite() {
    delete lines_;
    delete maps_;
  }
  static const LineDistance* lines_;
  static std::vector<MapUnderTest>* maps_;
};
const LineDistance* CloudMaps::lines_ = nullptr;
std::vector<MapUnderTest>* CloudMaps::maps_ = nullptr;

TEST_F(CloudMaps, AreTheSixFilesOfTheViewerAt1024By768) {
  ASSERT_EQ(maps_->size(), 6u);
  const char* names[] = {"Fig2 LiquidWater 0.1%.jpg",  "Fig3 LiquidWater 0.5%.jpg",
                         "Fig4 LiquidWater 1.0%.jpg",  "Fig5 LiquidWater 5.0%.jpg",
                         "Fig6 LiquidWater 10.0%.jpg", "Fig7 LiquidWater 20.0%.jpg"};
  for (size_t i = 0; i < maps_->size(); ++i) {
    const MapUnderTest& map = (*maps_)[i];
    EXPECT_EQ(std::string(map.file.map_file), names[i]);
    EXPECT_TRUE(fs::is_regular_file(kMapDir / names[i])) << names[i];
    EXPECT_EQ(map.image.width(), 1024) << names[i];
    EXPECT_EQ(map.image.height(), 768) << names[i];
  }
}

TEST_F(CloudMaps, GiveTheGridValueAtTheReadmePlacesAndMore) {
  struct Place {
    const char* name;
    Real lat, lon;  // deg north, deg east (-180..180)
  };
  // The README's five check nodes, and places across the range of the maps:
  // dry, wet, "4 or more" in the wetter maps, both hemispheres and both
  // sides of the antimeridian.
  const Place places[] = {
      {"equator at Greenwich", 0, 0},
      {"London", 51.75L, 0},
      {"New York", 40.5L, -74.25L},
      {"Sydney", -33.75L, 151.875L},
      {"Bay of Bengal", 9, 90},
      {"Sahara", 23, 10},
      {"South Pacific off Peru", -20, -85},
      {"Western Pacific warm pool", 5, 150},
      {"Fiji, east of the antimeridian", -17, -179},
      {"Fiji, west of it", -17, 178},
      {"Antarctic plateau", -80, 60},
      {"Greenland ice sheet", 75, -40},
      {"North Atlantic storm track", 50, -30},
      {"Tokyo", 35.7L, 139.7L},
  };
  for (const MapUnderTest& map : *maps_) {
    SCOPED_TRACE(map.file.map_file);
    for (const Place& place : places) {
      SCOPED_TRACE(place.name);
      // The patch of 3 x 3 pixels nearest the place that lies clear of the
      // lines and of the edge of the "4 or more" red (whose colour the JPEG
      // shares with its neighbours at half resolution), read as one colour,
      // as the eye does.
      const int px = static_cast<int>(std::lround(LonToX(place.lon)));
      const int py = static_cast<int>(std::lround(LatToY(place.lat)));
      int best_x = -1, best_y = -1, best_d2 = 1 << 30;
      for (int y = py - 12; y <= py + 12; ++y) {
        for (int x = px - 12; x <= px + 12; ++x) {
          const int d2 = (x - px) * (x - px) + (y - py) * (y - py);
          bool clear = true;
          for (int dy = -1; dy <= 1; ++dy) {
            for (int dx = -1; dx <= 1; ++dx) {
              clear = clear && lines_->At(x + dx, y + dy) >= kPlaceMargin;
            }
          }
          if (clear && d2 < best_d2 && ClearOfFourOrMoreEdge(map.grid, x, y)) {
            best_x = x, best_y = y, best_d2 = d2;
          }
        }
      }
      ASSERT_GE(best_x, 0) << "no clear patch within 12 pixels";
      Real r = 0, g = 0, b = 0, expected = 0;
      for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
          const Rgb c = map.Get(best_x + dx, best_y + dy);
          r += c.r, g += c.g, b += c.b;
          expected += LiquidWaterAt(map.grid, PixelLat(best_y + dy), PixelLon(best_x + dx));
        }
      }
      expected /= 9;
      const Rgb mean{static_cast<std::uint8_t>(std::lround(r / 9)),
                     static_cast<std::uint8_t>(std::lround(g / 9)),
                     static_cast<std::uint8_t>(std::lround(b / 9))};
      const ScaleReading reading = ReadScale(mean);
      EXPECT_LT(reading.distance, 10) << "colour off the scale";
      if (expected >= kScaleTop + kPlaceTolerance) {
        EXPECT_TRUE(reading.four_or_more) << "grid " << expected;
      } else if (expected < kScaleTop - kPlaceTolerance) {
        EXPECT_FALSE(reading.four_or_more) << "grid " << expected;
        EXPECT_NEAR(reading.kg_m2, expected, kPlaceTolerance);
      }
    }
  }
}

TEST_F(CloudMaps, EveryClearPixelReadsBackItsGridValue) {
  // The whole map, pixel by pixel: catches a shifted, mirrored or
  // wrongly-wrapped map anywhere, not only at chosen places.
  for (const MapUnderTest& map : *maps_) {
    SCOPED_TRACE(map.file.map_file);
    long checked = 0, within = 0, wrong_side = 0, over_expected = 0, over_found = 0;
    Real worst = 0;
    for (int y = kMapTop; y < kMapTop + kMapHeight; ++y) {
      for (int x = kMapLeft; x < kMapLeft + kMapWidth; ++x) {
        if (lines_->At(x, y) < kPixelMargin) continue;
        const Real expected = LiquidWaterAt(map.grid, PixelLat(y), PixelLon(x));
        const ScaleReading reading = ReadScale(map.Get(x, y));
        ++checked;
        over_expected += expected >= kScaleTop;
        over_found += reading.four_or_more;
        if (reading.four_or_more && expected >= kScaleTop) {
          ++within;
          continue;
        }
        // Read as "4 or more" counts as 4 kg/m2: a pixel at 3.95 read so is
        // only 0.05 off.
        const Real error = std::fabs(reading.kg_m2 - std::min(expected, kScaleTop));
        if (reading.four_or_more != (expected >= kScaleTop) && error > kPixelTolerance) {
          ++wrong_side;
        }
        worst = std::max(worst, error);
        within += error <= kPixelTolerance;
      }
    }
    EXPECT_GT(checked, 300000);  // of 462241 map pixels
    EXPECT_GE(static_cast<Real>(within) / checked, kPixelShare) << within << " of " << checked;
    EXPECT_LE(worst, kPixelWorst);
    // "4 or more" where the grid reaches 4, and nowhere else (but for
    // pixels within the tolerance of 4).
    EXPECT_EQ(wrong_side, 0);
    EXPECT_EQ(over_found > 0, over_expected > 0) << over_found << " read, " << over_expected;
  }
}

TEST_F(CloudMaps, LegendTopIsTheFourOrMoreColourAndTicksReadTheirValues) {
  for (const MapUnderTest& map : *maps_) {
    SCOPED_TRACE(map.file.map_file);
    // The box beside the bar's top end, sampled away from its outline.
    for (int dy = 4; dy < kFourOrMoreBox.height() - 4; dy += 4) {
      for (int dx = 4; dx < kFourOrMoreBox.width() - 4; dx += 8) {
        const ScaleReading r = ReadScale(map.Get(kFourOrMoreBox.x() + dx, kFourOrMoreBox.y() + dy));
        EXPECT_TRUE(r.four_or_more);
        EXPECT_LT(r.distance, 8);
      }
    }
    // The bar: column i shows the amount at its centre; sampled at every
    // half kg/m2 tick, clear of the ends' outline.
    const int y = kScaleBar.y() + kScaleBar.height() / 2;
    for (int k = 0; k <= 8; ++k) {
      const int x = std::clamp(kScaleBar.x() + k * kScaleBar.width() / 8, kScaleBar.x() + 3,
                               kScaleBar.x() + kScaleBar.width() - 4);
      const Real v = kScaleTop * (x - kScaleBar.x() + 0.5L) / kScaleBar.width();
      const ScaleReading r = ReadScale(map.Get(x, y));
      EXPECT_FALSE(r.four_or_more) << "tick " << 0.5L * k;
      EXPECT_NEAR(r.kg_m2, v, kPixelTolerance) << "tick " << 0.5L * k;
    }
  }
}

TEST_F(CloudMaps, CarryTheTitleCreditGraticuleAndCoastlines) {
  // Ink: the near-black of text, frame and coastlines (20, 20, 20) and
  // its anti-aliased edges, darker than any colour of the scale.
  const auto ink_in = [](const MapUnderTest& map, const QRect& area, int below) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
      for (int x = area.left(); x <= area.right(); ++x) {
        const Rgb c = map.Get(x, y);
        count += c.r + c.g + c.b < below;
      }
    }
    return count;
  };
  // Mean of r + g + b along a line of pixels.
  const auto line_mean = [](const MapUnderTest& map, int x, int y, int dx, int dy, int n) {
    Real sum = 0;
    for (int k = 0; k < n; ++k) {
      const Rgb c = map.Get(x + k * dx, y + k * dy);
      sum += c.r + c.g + c.b;
    }
    return sum / n;
  };
  const std::vector<Coastline> coastlines = ReadCoastlines(QUILLMERE_COASTLINES);
  for (const MapUnderTest& map : *maps_) {
    SCOPED_TRACE(map.file.map_file);
    // The title across the top, clear of the viewer's "Close" button.
    EXPECT_GT(ink_in(map, QRect(150, 10, 724, 30), 200), 1500);
    EXPECT_EQ(ink_in(map, QRect(936, 8, 75, 25), 600), 0);
    // The credit line in soft grey at the foot.
    EXPECT_GT(ink_in(map, QRect(250, 740, 524, 16), 500), 400);
    EXPECT_EQ(ink_in(map, QRect(250, 740, 524, 16), 150), 0);
    // Each graticule line inside the frame a faint tint: darker than the
    // map two pixels either side of it, but not ink.
    for (int deg = kGraticuleDegrees; deg < 360; deg += kGraticuleDegrees) {
      const int x = kMapLeft + static_cast<int>(std::lround(deg / kDegreesPerPixel));
      const Real on = line_mean(map, x, kMapTop + 2, 0, 1, kMapHeight - 4);
      const Real beside = (line_mean(map, x - 2, kMapTop + 2, 0, 1, kMapHeight - 4) +
                           line_mean(map, x + 2, kMapTop + 2, 0, 1, kMapHeight - 4)) /
                          2;
      EXPECT_NEAR(on / beside, 0.75L, 0.15L) << "meridian " << deg - 180;
    }
    for (int deg = kGraticuleDegrees; deg < 180; deg += kGraticuleDegrees) {
      const int y = kMapTop + static_cast<int>(std::lround(deg / kDegreesPerPixel));
      const Real on = line_mean(map, kMapLeft + 2, y, 1, 0, kMapWidth - 4);
      const Real beside = (line_mean(map, kMapLeft + 2, y - 2, 1, 0, kMapWidth - 4) +
                           line_mean(map, kMapLeft + 2, y + 2, 1, 0, kMapWidth - 4)) /
                          2;
      EXPECT_NEAR(on / beside, 0.75L, 0.15L) << "parallel " << 90 - deg;
    }
    // Ink at (nearly) every coastline point inside the frame.
    long points = 0, inked = 0;
    for (const Coastline& coast : coastlines) {
      for (const LonLat& p : coast.points) {
        const int x = static_cast<int>(std::lround(LonToX(p.lon)));
        const int y = static_cast<int>(std::lround(LatToY(p.lat)));
        if (!kMap.adjusted(2, 2, -2, -2).contains(x, y)) continue;
        ++points;
        inked += ink_in(map, QRect(x - 1, y - 1, 3, 3), 200) > 0;
      }
    }
    EXPECT_GT(points, 10000);
    EXPECT_GE(static_cast<Real>(inked) / points, 0.99L) << inked << " of " << points;
  }
}

TEST(MapJpeg, AFailedWriteIsReportedAndLeavesNoFile) {
  const fs::path dir = fs::temp_directory_path() / "quillmere_mapgen_test" / "no-such-dir";
  fs::remove_all(dir.parent_path());
  const fs::path file = dir / "map.jpg";
  try {
    WriteMapJpeg(QImage(8, 8, QImage::Format_RGB32), file, 95);
    ADD_FAILURE() << "accepted";
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find("map.jpg"), std::string::npos) << e.what();
  }
  EXPECT_FALSE(fs::exists(dir));
}

}  // namespace
}  // namespace quillmere::mapgen
