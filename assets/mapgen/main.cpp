// quillmere-mapgen GRID_DIR COAST_FILE OUT_DIR [FONT_DIR]
//
// Draws the six cloud liquid water maps of the cloud-map viewer ("Fig2
// LiquidWater 0.1%.jpg" ... "Fig7 LiquidWater 20.0%.jpg") into OUT_DIR from
// the ITU-R P.840-4 grids in GRID_DIR and the coastlines in COAST_FILE.
// FONT_DIR holds LiberationSans-Regular.ttf and LiberationSans-Bold.ttf
// (default: the folder found when the tool was built). Each map is written
// under a temporary name and renamed when complete, so that a failed run
// never leaves a half-written map behind.

#include <chrono>
#include <exception>
#include <filesystem>
#include <iostream>
#include <string>

#include "cloud_map.h"
#include "coastlines.h"
#include "jpeg_file.h"
#include "p840_grid.h"
#include "text.h"

#ifndef QUILLMERE_MAPGEN_FONT_DIR
#define QUILLMERE_MAPGEN_FONT_DIR "/usr/share/fonts/truetype/liberation2"
#endif

namespace fs = std::filesystem;
using namespace quillmere::mapgen;

namespace {

// At quality 90 the ringing around the coastlines and the edge of the
// "4 or more" red moved the colours next to them by up to half a kg/m2 on
// the scale; 95 halves that for about a third more bytes (300 KB a map).
constexpr int kJpegQuality = 95;

void Run(const fs::path& grid_dir, const fs::path& coast_file, const fs::path& out_dir,
         const fs::path& font_dir) {
  const Typeface regular(font_dir / "LiberationSans-Regular.ttf");
  const Typeface bold(font_dir / "LiberationSans-Bold.ttf");
  const MapFonts fonts{regular, bold};
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
    const Image image = RenderCloudMap(grid, coastlines, fonts);
    const fs::path target = out_dir / map.map_file;
    fs::path partial = target;
    partial += ".part";
    try {
      WriteJpeg(image, partial, kJpegQuality);
      fs::rename(partial, target);
    } catch (...) {
      std::error_code ignored;
      fs::remove(partial, ignored);
      throw;
    }
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
  try {
    Run(argv[1], argv[2], argv[3], argc == 5 ? fs::path(argv[4]) : QUILLMERE_MAPGEN_FONT_DIR);
  } catch (const std::exception& e) {
    std::cerr << "quillmere-mapgen: " << e.what() << '\n';
    return 1;
  }
  return 0;
}
