#include "cloud_map.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "colour_scale.h"

namespace quillmere::mapgen {
namespace {

constexpr Rgb kBackground{255, 255, 255};
constexpr Rgb kInk{20, 20, 20};        // text, frame, coastlines
constexpr Rgb kSoftInk{90, 90, 90};    // credit line
constexpr Rgb kGraticule{40, 40, 40};  // over the colours, faint
constexpr Real kGraticuleOpacity = 0.3L;

constexpr int kTitleSize = 19;
constexpr int kLabelSize = 12;
constexpr int kTextSize = 13;

std::string DegreesLabel(int degrees, char positive, char negative) {
  if (degrees == 0 || std::abs(degrees) == 180) return std::to_string(std::abs(degrees));
  return std::to_string(std::abs(degrees)) + (degrees > 0 ? positive : negative);
}

void DrawColours(Image& image, const P840Grid& grid) {
  using namespace layout;
  for (int j = 0; j < kMapHeight; ++j) {
    for (int i = 0; i < kMapWidth; ++i) {
      const LonLat p = PixelLonLat(kMapLeft + i, kMapTop + j);
      image.Set(kMapLeft + i, kMapTop + j, LiquidWaterColour(LiquidWaterAt(grid, p.lat, p.lon)));
    }
  }
}

void DrawGraticule(Image& image, const Typeface& font) {
  using namespace layout;
  const int step_px = static_cast<int>(std::lround(kGraticuleDegrees / kDegreesPerPixel));
  // Meridians, labelled under the map.
  for (int lon = -180; lon <= 180; lon += kGraticuleDegrees) {
    const int x = static_cast<int>(std::lround(LonToX(lon)));
    if (lon != -180 && lon != 180) {
      for (int y = kMapTop + 1; y < kMapTop + kMapHeight - 1; ++y) {
        if ((y - kMapTop) % step_px == 0) continue;  // crossing drawn once, by the parallel
        image.Blend(x, y, kGraticule, kGraticuleOpacity);
      }
    }
    font.Draw(image, x, kMapTop + kMapHeight + 15, DegreesLabel(lon, 'E', 'W'), kLabelSize, kInk,
              Align::kCentre);
  }
  // Parallels, labelled on both sides.
  for (int lat = -60; lat <= 60; lat += kGraticuleDegrees) {
    const int y = static_cast<int>(std::lround(LatToY(lat)));
    for (int x = kMapLeft + 1; x < kMapLeft + kMapWidth - 1; ++x) {
      image.Blend(x, y, kGraticule, kGraticuleOpacity);
    }
    const std::string label = DegreesLabel(lat, 'N', 'S');
    font.Draw(image, kMapLeft - 4, y + 4, label, kLabelSize, kInk, Align::kRight);
    font.Draw(image, kMapLeft + kMapWidth + 4, y + 4, label, kLabelSize, kInk, Align::kLeft);
  }
}

void DrawCoastlines(Image& image, const std::vector<Coastline>& coastlines) {
  Coverage layer(layout::kMap);
  for (const Coastline& coast : coastlines) {
    for (size_t k = 1; k < coast.points.size(); ++k) {
      const LonLat& a = coast.points[k - 1];
      const LonLat& b = coast.points[k];
      DrawLine(layer, LonToX(a.lon), LatToY(a.lat), LonToX(b.lon), LatToY(b.lat));
    }
  }
  layer.PaintOnto(image, kInk);
}

void DrawLegend(Image& image, const MapFonts& fonts) {
  using namespace layout;
  const Rect& bar = kScaleBar;
  // Each column shows the amount at its centre.
  for (int i = 0; i < bar.width; ++i) {
    const Real v = kScaleTop * (i + 0.5L) / bar.width;
    image.FillRect({bar.x + i, bar.y, 1, bar.height}, LiquidWaterColour(v));
  }
  image.FillRect(kFourOrMoreBox, kFourOrMoreColour);
  image.StrokeRect({bar.x - 1, bar.y - 1, bar.width + 2, bar.height + 2}, kInk);
  image.StrokeRect({kFourOrMoreBox.x - 1, kFourOrMoreBox.y - 1, kFourOrMoreBox.width + 2,
                    kFourOrMoreBox.height + 2},
                   kInk);

  const int tick_top = bar.y + bar.height + 1;
  const int label_baseline = tick_top + 19;
  for (int k = 0; k <= 8; ++k) {
    const Real v = 0.5L * k;
    const int x = bar.x + static_cast<int>(std::lround(v / kScaleTop * bar.width));
    const int tick_x = std::min(x, bar.x + bar.width - 1);
    image.FillRect({tick_x, tick_top, 1, 5}, kInk);
    char label[8];
    std::snprintf(label, sizeof label, "%.1Lf", v);
    fonts.regular.Draw(image, tick_x, label_baseline, label, kLabelSize, kInk, Align::kCentre);
  }
  const int box_centre = kFourOrMoreBox.x + kFourOrMoreBox.width / 2;
  fonts.regular.Draw(image, box_centre, label_baseline, "4 or more", kLabelSize, kInk,
                     Align::kCentre);
  fonts.regular.Draw(image, bar.x - 10, bar.y + 18, "kg/m²", kTextSize, kInk, Align::kRight);
}

}  // namespace

LonLat PixelLonLat(int x, int y) {
  using namespace layout;
  return {-180 + (x - kMapLeft) * kDegreesPerPixel, 90 - (y - kMapTop) * kDegreesPerPixel};
}

Real LonToX(Real lon) {
  return layout::kMapLeft + (lon + 180) / layout::kDegreesPerPixel;
}
Real LatToY(Real lat) {
  return layout::kMapTop + (90 - lat) / layout::kDegreesPerPixel;
}

std::string PercentText(Real percent_of_year) {
  char text[16];
  std::snprintf(text, sizeof text, "%.1Lf", percent_of_year);
  return text;
}

Image RenderCloudMap(const P840Grid& grid, const std::vector<Coastline>& coastlines,
                     const MapFonts& fonts) {
  using namespace layout;
  Image image(kWidth, kHeight, kBackground);

  // The viewer's "Close" button covers the top right corner (x 936..1010,
  // y 8..32): the title stays centred and well left of it.
  const std::string title = "Cloud liquid water exceeded for " + PercentText(grid.percent_of_year) +
                            " % of an average year (kg/m²)";
  fonts.bold.Draw(image, kWidth / 2, 32, title, kTitleSize, kInk, Align::kCentre);

  DrawColours(image, grid);
  DrawGraticule(image, fonts.regular);
  DrawCoastlines(image, coastlines);
  image.StrokeRect(kMap, kInk);
  DrawLegend(image, fonts);

  fonts.regular.Draw(image, kWidth / 2, 676,
                     "Find your location, match its colour on the scale, and set that value "
                     "on the Cloud columnar content slider.",
                     kTextSize, kInk, Align::kCentre);
  fonts.regular.Draw(image, kWidth / 2, 698,
                     "Reduced cloud liquid water content of ITU-R P.840-4 on its 1.125° "
                     "grid, interpolated bilinearly between grid points (ITU-R P.1144).",
                     kTextSize, kInk, Align::kCentre);
  fonts.regular.Draw(image, kWidth / 2, 752,
                     "Data: ITU-R P.840-4 via ITU-Rpy (MIT); coastlines: GSHHG 2.3.7 (LGPL-3)",
                     kLabelSize, kSoftInk, Align::kCentre);
  return image;
}

}  // namespace quillmere::mapgen
