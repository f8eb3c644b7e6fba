#pragma once
// The cloud liquid water maps that the viewer shows: one 1024 x 768 picture
// per percentage of the year, shown unscaled from its top-left corner. Each
// holds a title, a world map in equirectangular projection centred on the
// Greenwich meridian (180 W .. 180 E, 90 N .. 90 S) coloured by the ITU-R
// P.840-4 grid with coastlines and a labelled 30-degree graticule, the
// colour scale with its "4 or more" box, and the data credit.

#include <QImage>
#include <QRect>
#include <QString>
#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "coastlines.h"
#include "p840_grid.h"

namespace quillmere::mapgen {

// The six maps: the grid each is drawn from and the file name the viewer
// opens in the program's folder.
struct CloudMapFile {
  Real percent_of_year;
  const char* grid_file;
  const char* map_file;
};
inline constexpr std::array<CloudMapFile, 6> kCloudMapFiles{{
    {0.1L, "lwc_0.1pct.grid", "Fig2 LiquidWater 0.1%.jpg"},
    {0.5L, "lwc_0.5pct.grid", "Fig3 LiquidWater 0.5%.jpg"},
    {1.0L, "lwc_1.0pct.grid", "Fig4 LiquidWater 1.0%.jpg"},
    {5.0L, "lwc_5.0pct.grid", "Fig5 LiquidWater 5.0%.jpg"},
    {10.0L, "lwc_10.0pct.grid", "Fig6 LiquidWater 10.0%.jpg"},
    {20.0L, "lwc_20.0pct.grid", "Fig7 LiquidWater 20.0%.jpg"},
}};

// Where things are on the picture, in pixels from its top-left corner.
namespace layout {
inline constexpr int kWidth = 1024;
inline constexpr int kHeight = 768;

// The map: pixel column kMapLeft + i has its centre on longitude
// -180 + i * kDegreesPerPixel, pixel row kMapTop + j on latitude
// 90 - j * kDegreesPerPixel; the outer rows and columns lie on the poles and
// on 180 W / 180 E. 3/8 degree per pixel puts every 30-degree line of the
// graticule on a whole pixel (80 pixels apart).
inline constexpr Real kDegreesPerPixel = 0.375L;
inline constexpr int kMapLeft = 31;
inline constexpr int kMapTop = 50;
inline constexpr int kMapWidth = 961;   // 360 degrees + 1 pixel
inline constexpr int kMapHeight = 481;  // 180 degrees + 1 pixel
inline constexpr int kGraticuleDegrees = 30;
inline constexpr QRect kMap{kMapLeft, kMapTop, kMapWidth, kMapHeight};

// The colour bar: 0 at its left edge to kScaleTop at its right edge, then
// the "4 or more" box beside it.
inline constexpr QRect kScaleBar{192, 588, 640, 26};
inline constexpr QRect kFourOrMoreBox{848, 588, 64, 26};
}  // namespace layout

// Centre of a map pixel, degrees (lon east, lat north).
LonLat PixelLonLat(int x, int y);
// Position of a place on the picture, pixels (integer values are pixel
// centres); lon -180..180.
Real LonToX(Real lon);
Real LatToY(Real lat);

// The maps' text face, Liberation Sans, loaded from its two files
// (LiberationSans-Regular.ttf and LiberationSans-Bold.ttf in `font_dir`)
// rather than looked up among the system's fonts, so that every build draws
// the same glyphs. Needs a QGuiApplication; throws std::runtime_error when a
// file is missing or not a font.
struct MapFonts {
  QString family;
};
MapFonts LoadMapFonts(const std::filesystem::path& font_dir);

// Draws the map of `grid` (its percent_of_year names it in the title), as
// 1024 x 768 opaque RGB. Needs a QGuiApplication for the text.
QImage RenderCloudMap(const P840Grid& grid, const std::vector<Coastline>& coastlines,
                      const MapFonts& fonts);

// Writes a map as baseline JPEG at `quality` (1..100), with optimised
// Huffman tables. Throws std::runtime_error naming the file and Qt's reason
// when it cannot be written.
void WriteMapJpeg(const QImage& image, const std::filesystem::path& file, int quality);

// "0.1", "10.0": the percentage as the map's title and file name write it.
std::string PercentText(Real percent_of_year);

}  // namespace quillmere::mapgen
