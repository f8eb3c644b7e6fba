// Writes the generated seeds of the fuzz corpora:
//  - fuzz_data_file: the record vectors of tests/data/records, truncations
//    of them, and single-field mutations towards the edges the range check
//    and the record code must handle;
//  - fuzz_jpeg: small pictures in the JPEG variants libjpeg reads (baseline,
//    progressive, arithmetic, restart markers, grey, CMYK, odd sizes, chroma
//    subsamplings), and truncations of some of them.
// The hand-written seeds (INI files, sitemaps, the help file) are not made
// here. Usage: fuzz_make_seeds REPOSITORY_ROOT
//
// The output is deterministic: running it again gives the same files.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include <jpeglib.h>

#include "data_record.h"
#include "extended_real.h"

namespace {

namespace fs = std::filesystem;
using quillmere::FieldNamed;
using Bytes = std::vector<std::uint8_t>;
using quillmere::Real;

Bytes Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void Write(const fs::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  if (!out) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    std::exit(1);
  }
}

// --- Data file ----------------------------------------------------------------

void PutReal(Bytes& record, std::size_t at, Real value) {
  const quillmere::ExtendedBytes b = quillmere::EncodeExtended(value);
  std::copy(b.begin(), b.end(), record.begin() + static_cast<std::ptrdiff_t>(at));
}

void PutRaw(Bytes& record, std::size_t at, const quillmere::ExtendedBytes& b) {
  std::copy(b.begin(), b.end(), record.begin() + static_cast<std::ptrdiff_t>(at));
}

void PutInt32(Bytes& record, std::size_t at, std::int32_t value) {
  const auto u = static_cast<std::uint32_t>(value);
  for (std::size_t i = 0; i < 4; ++i) record[at + i] = static_cast<std::uint8_t>(u >> (8 * i));
}

void DataFileSeeds(const fs::path& root) {
  const fs::path records = root / "tests/data/records";
  const fs::path out = root / "fuzz/corpus/fuzz_data_file";
  fs::create_directories(out);
  for (const char* name :
       {"typical", "three-records", "trailing-partial", "empty", "reserved-carry", "damaged"}) {
    Write(out / (std::string(name) + ".dat"), Read(records / (std::string(name) + ".dat")));
  }

  const Bytes typical = Read(records / "typical.dat");
  // Cut short: inside the first real, inside the ints, one byte short.
  for (std::size_t n : {5u, 110u, 230u, 287u}) {
    Write(out / ("typical-cut-" + std::to_string(n) + ".dat"),
          Bytes(typical.begin(), typical.begin() + static_cast<std::ptrdiff_t>(n)));
  }

  struct Mutation {
    const char* name;
    void (*apply)(Bytes&);
  };
  const Mutation mutations[] = {
      {"humidity-101", [](Bytes& r) { PutReal(r, FieldNamed("Home.Humidity").offset, 101.0L); }},
      {"humidity-nan",
       [](Bytes& r) {
         PutReal(r, FieldNamed("DX.Humidity").offset, std::numeric_limits<Real>::quiet_NaN());
       }},
      {"temperature-inf",
       [](Bytes& r) {
         PutReal(r, FieldNamed("Home.Temperature").offset, std::numeric_limits<Real>::infinity());
       }},
      {"temperature-1e6", [](Bytes& r) { PutReal(r, FieldNamed("DX.Temperature").offset, -1e6L); }},
      {"path-length-max",
       [](Bytes& r) {
         PutReal(r, FieldNamed("TerrestrialPathLength").offset, std::numeric_limits<Real>::max());
       }},
      {"height-max",
       [](Bytes& r) {
         PutReal(r, FieldNamed("Home.HeightAsl").offset, std::numeric_limits<Real>::max());
       }},
      {"pressure-max",
       [](Bytes& r) {
         PutReal(r, FieldNamed("DX.Pressure").offset, std::numeric_limits<Real>::max());
       }},
      {"pressure-denormal",
       [](Bytes& r) {
         PutReal(r, FieldNamed("Home.Pressure").offset, std::numeric_limits<Real>::denorm_min());
       }},
      {"elevation-90", [](Bytes& r) { PutReal(r, FieldNamed("Home.EmeElevation").offset, 90.0L); }},
      {"elevation-0.1", [](Bytes& r) { PutReal(r, FieldNamed("DX.EmeElevation").offset, 0.1L); }},
      {"frequency-off-band", [](Bytes& r) { PutReal(r, FieldNamed("Frequency").offset, 10.0L); }},
      {"frequency-241",
       [](Bytes& r) {
         PutReal(r, FieldNamed("Frequency").offset, 241.0L);
         PutInt32(r, FieldNamed("FrequencyIndex").offset, 7);
       }},
      {"pseudo-denormal",
       [](Bytes& r) {
         PutRaw(r, FieldNamed("Home.Temperature").offset, {0, 0, 0, 0, 0, 0, 0, 0x80, 0, 0});
       }},
      {"unnormal",
       [](Bytes& r) {
         PutRaw(r, FieldNamed("Home.Humidity").offset, {0, 0, 0, 0, 0, 0, 0, 0x40, 0xff, 0x3f});
       }},
      {"signalling-nan",
       [](Bytes& r) {
         PutRaw(r, FieldNamed("ReservedValues[0]").offset, {1, 0, 0, 0, 0, 0, 0, 0x80, 0xff, 0x7f});
       }},
      {"text-length-15", [](Bytes& r) { r[FieldNamed("ReservedText1").offset] = 15; }},
      {"text-length-16", [](Bytes& r) { r[FieldNamed("ReservedText1").offset] = 16; }},
      {"text-length-255", [](Bytes& r) { r[FieldNamed("ReservedText2").offset] = 255; }},
      {"path-mode-2", [](Bytes& r) { r[FieldNamed("EmePathMode").offset] = 2; }},
      {"index-negative",
       [](Bytes& r) { PutInt32(r, FieldNamed("Home.RainRateIndex").offset, -1); }},
      {"index-int-min",
       [](Bytes& r) {
         PutInt32(r, FieldNamed("DisplayDecimals").offset,
                  std::numeric_limits<std::int32_t>::min());
       }},
      {"decimals-9", [](Bytes& r) { PutInt32(r, FieldNamed("DisplayDecimals").offset, 9); }},
      {"decimals-8", [](Bytes& r) { PutInt32(r, FieldNamed("DisplayDecimals").offset, 8); }},
      {"cloud-41", [](Bytes& r) { PutInt32(r, FieldNamed("DX.CloudPosition").offset, 41); }},
      {"moon-slider-100",
       [](Bytes& r) { PutInt32(r, FieldNamed("MoonSliderPosition").offset, 100); }},
      {"help-delay-3", [](Bytes& r) { PutInt32(r, FieldNamed("HelpDelayIndex").offset, 3); }},
      {"fog-7", [](Bytes& r) { PutInt32(r, FieldNamed("DX.FogIndex").offset, 7); }},
  };
  for (const Mutation& m : mutations) {
    Bytes r = typical;
    m.apply(r);
    Write(out / (std::string("typical-") + m.name + ".dat"), r);
  }

  // A good record after a damaged one, and the other way round.
  const Bytes damaged = Read(records / "damaged.dat");
  Bytes two = damaged;
  two.insert(two.end(), typical.begin(), typical.end());
  Write(out / "damaged-then-typical.dat", two);
  two = typical;
  two.insert(two.end(), damaged.begin(), damaged.end());
  Write(out / "typical-then-damaged.dat", two);
}

// --- JPEG ---------------------------------------------------------------------

struct JpegOptions {
  int width = 16, height = 16;
  J_COLOR_SPACE space = JCS_RGB;
  int components = 3;
  int quality = 75;
  bool progressive = false;
  bool arithmetic = false;
  bool optimize = false;
  int restart_rows = 0;
  int h_sampling = 2, v_sampling = 2;  // of the first component
  bool scan_per_component = false;     // sequential, one scan per colour
};

// A picture of gradients and a stripe, so that every block has detail.
Bytes Encode(const JpegOptions& o) {
  jpeg_compress_struct cinfo{};
  jpeg_error_mgr err{};
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = static_cast<JDIMENSION>(o.width);
  cinfo.image_height = static_cast<JDIMENSION>(o.height);
  cinfo.input_components = o.components;
  cinfo.in_color_space = o.space;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, o.quality, TRUE);
  if (o.progressive) jpeg_simple_progression(&cinfo);
  static const jpeg_scan_info kScanPerComponent[] = {
      {1, {0}, 0, 63, 0, 0}, {1, {1}, 0, 63, 0, 0}, {1, {2}, 0, 63, 0, 0}};
  if (o.scan_per_component) {
    cinfo.scan_info = kScanPerComponent;
    cinfo.num_scans = 3;
  }
  cinfo.arith_code = o.arithmetic ? TRUE : FALSE;
  cinfo.optimize_coding = o.optimize ? TRUE : FALSE;
  cinfo.restart_in_rows = o.restart_rows;
  if (o.components >= 3) {
    cinfo.comp_info[0].h_samp_factor = o.h_sampling;
    cinfo.comp_info[0].v_samp_factor = o.v_sampling;
  }
  jpeg_start_compress(&cinfo, TRUE);
  std::vector<JSAMPLE> row(static_cast<std::size_t>(o.width * o.components));
  while (cinfo.next_scanline < cinfo.image_height) {
    const int y = static_cast<int>(cinfo.next_scanline);
    for (int x = 0; x < o.width; ++x) {
      for (int c = 0; c < o.components; ++c) {
        const int v = (x * 255 / std::max(1, o.width - 1) + c * 80 + ((y / 3) % 2) * 60) % 256;
        row[static_cast<std::size_t>(x * o.components + c)] = static_cast<JSAMPLE>(v);
      }
    }
    JSAMPROW rows[] = {row.data()};
    jpeg_write_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  Bytes bytes(buffer, buffer + size);
  std::free(buffer);
  return bytes;
}

void JpegSeeds(const fs::path& root) {
  const fs::path out = root / "fuzz/corpus/fuzz_jpeg";
  fs::create_directories(out);
  struct Seed {
    const char* name;
    JpegOptions options;
  };
  JpegOptions baseline;
  JpegOptions progressive;
  progressive.width = 33, progressive.height = 17, progressive.progressive = true;
  JpegOptions arithmetic;
  arithmetic.arithmetic = true, arithmetic.width = 24;
  JpegOptions restarts;
  restarts.width = 40, restarts.height = 24, restarts.restart_rows = 1;
  JpegOptions grey;
  grey.space = JCS_GRAYSCALE, grey.components = 1, grey.width = 9, grey.height = 7;
  JpegOptions cmyk;
  cmyk.space = JCS_CMYK, cmyk.components = 4, cmyk.width = 8, cmyk.height = 8;
  JpegOptions one;
  one.width = 1, one.height = 1;
  JpegOptions full_chroma;
  full_chroma.h_sampling = 1, full_chroma.v_sampling = 1, full_chroma.optimize = true;
  full_chroma.width = 20, full_chroma.height = 12;
  JpegOptions wide_chroma;
  wide_chroma.h_sampling = 2, wide_chroma.v_sampling = 1, wide_chroma.width = 31;
  JpegOptions best;
  best.quality = 100, best.width = 12, best.height = 12;
  JpegOptions map_like;  // the maps' own settings: 4:4:4, quality 90
  map_like.width = 64, map_like.height = 48, map_like.h_sampling = 1, map_like.v_sampling = 1;
  map_like.quality = 90;

  const Seed seeds[] = {
      {"baseline-420", baseline},
      {"progressive", progressive},
      {"arithmetic", arithmetic},
      {"restart-markers", restarts},
      {"grey", grey},
      {"cmyk", cmyk},
      {"one-pixel", one},
      {"full-chroma-optimized", full_chroma},
      {"422", wide_chroma},
      {"quality-100", best},
      {"map-like", map_like},
  };
  for (const Seed& s : seeds) {
    const Bytes bytes = Encode(s.options);
    Write(out / (std::string(s.name) + ".jpg"), bytes);
  }
  // Cut short: without the end marker, and in the middle of the scan.
  for (const char* name : {"baseline-420", "progressive", "restart-markers"}) {
    const Bytes bytes = Read(out / (std::string(name) + ".jpg"));
    Write(out / (std::string(name) + "-no-eoi.jpg"), Bytes(bytes.begin(), bytes.end() - 2));
    Write(out / (std::string(name) + "-half.jpg"),
          Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(bytes.size() / 2)));
  }
  // A header that claims 65500 x 65500 pixels over a tiny body: in one scan,
  // and in one scan per colour (where libjpeg would hold every coefficient).
  JpegOptions scans;
  scans.width = 1, scans.height = 1, scans.scan_per_component = true;
  const std::pair<const char*, Bytes> small[] = {
      {"forged-size.jpg", Read(out / "one-pixel.jpg")},
      {"forged-size-scan-per-colour.jpg", Encode(scans)}};
  for (auto [name, forged] : small) {
    for (std::size_t i = 0; i + 8 < forged.size(); ++i) {
      if (forged[i] == 0xff && forged[i + 1] == 0xc0) {
        forged[i + 5] = 0xff, forged[i + 6] = 0xdc;  // height
        forged[i + 7] = 0xff, forged[i + 8] = 0xdc;  // width
        break;
      }
    }
    Write(out / name, forged);
  }

  // A progressive picture whose last scan is repeated past the decoder's
  // limit of 500 scans.
  JpegOptions small_grey;
  small_grey.space = JCS_GRAYSCALE, small_grey.components = 1, small_grey.progressive = true;
  small_grey.width = 8, small_grey.height = 8;
  const Bytes layered = Encode(small_grey);
  std::size_t last_scan = 0;
  for (std::size_t i = 0; i + 1 < layered.size(); ++i) {
    if (layered[i] == 0xff && layered[i + 1] == 0xda) last_scan = i;
  }
  Bytes many(layered.begin(), layered.end() - 2);
  const Bytes scan(layered.begin() + static_cast<std::ptrdiff_t>(last_scan), layered.end() - 2);
  for (int i = 0; i < 520; ++i) many.insert(many.end(), scan.begin(), scan.end());
  many.push_back(0xff);
  many.push_back(0xd9);
  Write(out / "many-scans.jpg", many);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s REPOSITORY_ROOT\n", argv[0]);
    return 2;
  }
  const fs::path root = argv[1];
  DataFileSeeds(root);
  JpegSeeds(root);
  return 0;
}
