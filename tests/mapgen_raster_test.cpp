// The line work over the cloud maps: anti-aliased one-pixel lines whose
// coverage is shared between the two pixels they pass between, and joins
// and crossings that are not darkened twice.

#include <gtest/gtest.h>

#include "image.h"

namespace quillmere::mapgen {
namespace {

TEST(LineCoverage, SplitsBetweenThePixelsALinePassesBetween) {
  struct Case {
    const char* what;
    Real x0, y0, x1, y1;
    int x, y;  // pixel looked at
    Real expected;
  };
  const Case cases[] = {
      {"horizontal on a pixel row", 2, 5, 8, 5, 4, 5, 1},
      {"... not on the row above", 2, 5, 8, 5, 4, 4, 0},
      {"... nor below", 2, 5, 8, 5, 4, 6, 0},
      {"a quarter below a row: three quarters on it", 2, 5.25L, 8, 5.25L, 4, 5, 0.75L},
      {"... a quarter on the next", 2, 5.25L, 8, 5.25L, 4, 6, 0.25L},
      {"vertical between two columns", 3.5L, 0, 3.5L, 10, 3, 4, 0.5L},
      {"... shared with the next column", 3.5L, 0, 3.5L, 10, 4, 4, 0.5L},
      {"diagonal through pixel centres", 0, 0, 10, 10, 6, 6, 1},
      {"... not beside them", 0, 0, 10, 10, 6, 7, 0},
      {"drawn backwards", 8, 5, 2, 5, 2, 5, 1},
      {"ends at its end point", 2, 5, 8, 5, 9, 5, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Coverage layer({0, 0, 16, 16});
    DrawLine(layer, c.x0, c.y0, c.x1, c.y1);
    EXPECT_NEAR(layer.At(c.x, c.y), c.expected, 1e-6L);
  }
}

TEST(LineCoverage, JoinsAndCrossingsAreNotDarkenedTwice) {
  Coverage layer({0, 0, 16, 16});
  // A polyline's two segments share (8, 5); a second line crosses the first
  // half-covered.
  DrawLine(layer, 2, 5, 8, 5);
  DrawLine(layer, 8, 5, 8, 12);
  DrawLine(layer, 2, 9.5L, 12, 9.5L);
  DrawLine(layer, 2, 9.5L, 12, 9.5L);
  EXPECT_NEAR(layer.At(8, 5), 1, 1e-6L);
  EXPECT_NEAR(layer.At(4, 9), 0.5L, 1e-6L);

  Image image(16, 16, Rgb{255, 255, 255});
  layer.PaintOnto(image, Rgb{0, 0, 0});
  EXPECT_EQ(image.Get(8, 5), (Rgb{0, 0, 0}));
  // Half covered, once: mid grey, not the three-quarter grey of two coats.
  EXPECT_EQ(image.Get(4, 9), (Rgb{128, 128, 128}));
  EXPECT_EQ(image.Get(0, 0), (Rgb{255, 255, 255}));
}

TEST(LineCoverage, StaysInsideItsClipRectangle) {
  Coverage layer({4, 4, 8, 8});
  DrawLine(layer, 0, 6, 15, 6);
  EXPECT_EQ(layer.At(3, 6), 0);
  EXPECT_NEAR(layer.At(4, 6), 1, 1e-6L);
  EXPECT_NEAR(layer.At(11, 6), 1, 1e-6L);
  EXPECT_EQ(layer.At(12, 6), 0);
  Image image(16, 16, Rgb{255, 255, 255});
  layer.PaintOnto(image, Rgb{0, 0, 0});
  EXPECT_EQ(image.Get(2, 6), (Rgb{255, 255, 255}));
  EXPECT_EQ(image.Get(13, 6), (Rgb{255, 255, 255}));
}

}  // namespace
}  // namespace quillmere::mapgen
