// quillmere-mapgen GRID_DIR COAST_FILE OUT_DIR [FONT_DIR]
//
// Draws the six cloud liquid water maps of the cloud-map viewer ("Fig2
// LiquidWater 0.1%.jpg" ... "Fig7 LiquidWater 20.0%.jpg") into OUT_DIR from
// the ITU-R P.840-4 grids in GRID_DIR and the coastlines in COAST_FILE.
// FONT_DIR holds LiberationSans-Regular.ttf and LiberationSans-Bold.ttf
// (default: the folder found when the tool was built). A map is written
// whole or not at all, so that a failed run never leaves a half-written map
// behind.

#include <QGuiApplication>
#include <chrono>
#include <exception>
#include <filesystem>
#include <iostream>
#include <string>

#include "cloud_map.h"
#include "coastlines.h"
#include "p840_grid.h"

#ifndef QUILLMERE_MAPGEN_FONT_DIR
#define QUILLMERE_MAPGEN_FONT_DIR "/usr/share/fonts/truetype/liberation2"
#endif

namespace fs = std::filesystem;
using namespace quillmere::mapgen;

namespace {

// Qt's JPEG writer stores the colour at half resolution (4:2:0), and the
// ringing of the dark coastlines and graticule in it reaches further into
// the colours around them: at quality 95 a place read back against the
// legend was up to 0.065 kg/m2 off. 98 keeps every place within 0.04, as
// full-resolution colour at 95 did, in fewer bytes (about 280 KB a map).
constexpr int kJpegQuality = 98;

void Run(const fs::path& grid_dir, const fs::path& coast_file, const fs::path& out_dir,
         const fs::path& font_dir) {
  const MapFonts fonts = LoadMapFonts(font_dir);
  const std::vector<Coastline> coastlines = ReadCoastlines(coast_file);
  fs::create_directories(out_dir);

  for (const CloudMapFile& map : kCloudMapFiles) {
    const auto start = std::chrono::steady_clock::now();
    const fs::path grid_path = grid_dir / map.grid_file;
    const P840Grid grid = ReadP840Grid(grid_path);
    // A grid renamed or copied over another would otherwise give a map whose
    // title and file name disagree with its data.
    if (PercentText(grid.percent_of_year) != PercentText(map.percent_of_year)) {
      throw std::runtime_error(grid_path.string() + ": holds the " +
                               PercentText(grid.percent_of_year) + " % grid, expected " +
                               PercentText(map.percent_of_year) + " %");
    }
    const fs::path target = out_dir / map.map_file;
    WriteMapJpeg(RenderCloudMap(grid, coastlines, fonts), target, kJpegQuality);
    const auto ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start);
    std::cout << "quillmere-mapgen: " << target.string() << " (" << static_cast<int>(ms.count())
              << " ms)\n";
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4 && argc != 5) {
    std::cerr << "usage: quillmere-mapgen GRID_DIR COAST_FILE OUT_DIR [FONT_DIR]\n";
    return 2;
  }
  // A build tool: the text needs Qt Gui's font machinery but never a display.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  int qt_argc = 1;
  QGuiApplication app(qt_argc, argv);
  try {
    Run(argv[1], argv[2], argv[3], argc == 5 ? fs::path(argv[4]) : QUILLMERE_MAPGEN_FONT_DIR);
  } catch (const std::exception& e) {
    std::cerr << "quillmere-mapgen: " << e.what() << '\n';
    return 1;
  }
  return 0;
}
