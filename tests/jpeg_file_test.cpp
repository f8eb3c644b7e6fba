// Decoding the cloud maps: a good picture, and every way a file can fail.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <csetjmp>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

#include <jpeglib.h>

#include "jpeg_file.h"

namespace quillmere {
namespace {

namespace fs = std::filesystem;

// How a test picture's scans are laid out.
enum class Scans {
  kOne,           // sequential, all colours in one scan
  kOnePerColour,  // sequential, one scan per colour
  kProgressive,   // libjpeg's simple progression, about ten scans
};

// A w x h picture: red rising to the right, green downwards.
std::vector<std::uint8_t> EncodeTestPicture(int w, int h, Scans scans = Scans::kOne) {
  jpeg_compress_struct cinfo{};
  jpeg_error_mgr err{};
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_compress(&cinfo);
  unsigned char* out = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &out, &size);
  cinfo.image_width = w;
  cinfo.image_height = h;
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, 95, TRUE);
  static const jpeg_scan_info kScanPerColour[] = {
      {1, {0}, 0, 63, 0, 0}, {1, {1}, 0, 63, 0, 0}, {1, {2}, 0, 63, 0, 0}};
  if (scans == Scans::kOnePerColour) {
    cinfo.scan_info = kScanPerColour;
    cinfo.num_scans = 3;
  } else if (scans == Scans::kProgressive) {
    jpeg_simple_progression(&cinfo);
  }
  jpeg_start_compress(&cinfo, TRUE);
  std::vector<std::uint8_t> row(w * 3);
  while (cinfo.next_scanline < cinfo.image_height) {
    for (int x = 0; x < w; ++x) {
      row[x * 3] = static_cast<std::uint8_t>(w > 1 ? 255 * x / (w - 1) : 0);
      row[x * 3 + 1] = static_cast<std::uint8_t>(h > 1 ? 255 * cinfo.next_scanline / (h - 1) : 0);
      row[x * 3 + 2] = 64;
    }
    JSAMPROW p = row.data();
    jpeg_write_scanlines(&cinfo, &p, 1);
  }
  jpeg_finish_compress(&cinfo);
  std::vector<std::uint8_t> bytes(out, out + size);
  jpeg_destroy_compress(&cinfo);
  free(out);
  return bytes;
}

class JpegFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("quillmere-jpeg-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    good = EncodeTestPicture(64, 48);
  }
  void TearDown() override { fs::remove_all(dir); }
  std::string Write(const char* name, const std::vector<std::uint8_t>& bytes) {
    const fs::path p = dir / name;
    std::ofstream(p, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return p.string();
  }
  fs::path dir;
  std::vector<std::uint8_t> good;
};

TEST_F(JpegFileTest, AGoodPictureDecodesToRgb) {
  const DecodedJpeg map = ReadJpegFile(Write("Fig2 LiquidWater 0.1%.jpg", good));
  ASSERT_TRUE(map.ok) << map.error;
  EXPECT_EQ(map.width, 64);
  EXPECT_EQ(map.height, 48);
  ASSERT_EQ(map.rgb.size(), 64u * 48u * 3u);
  const std::uint8_t* bottom_right = &map.rgb[(47 * 64 + 63) * 3];
  EXPECT_NEAR(bottom_right[0], 255, 12);
  EXPECT_NEAR(bottom_right[1], 255, 12);
  EXPECT_NEAR(map.rgb[0], 0, 12);
}

TEST_F(JpegFileTest, AMissingFileCannotBeOpened) {
  const std::string path = (dir / "Fig3 LiquidWater 0.5%.jpg").string();
  const DecodedJpeg map = ReadJpegFile(path);
  EXPECT_FALSE(map.ok);
  EXPECT_EQ(map.error, "Cannot open file \"" + path + "\". No such file or directory");
}

// Files named like a map that are not one to read: refused before a byte
// is read, in the viewer's message shape.
TEST_F(JpegFileTest, AFifoOrAHugeFileIsRefusedUnread) {
  const std::string fifo = (dir / "Fig2 LiquidWater 0.1%.jpg").string();
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  DecodedJpeg map = ReadJpegFile(fifo);
  EXPECT_FALSE(map.ok);
  EXPECT_EQ(map.error, "Cannot open file \"" + fifo + "\". It is a FIFO (named pipe), not a file.");

  const std::string huge = (dir / "Fig3 LiquidWater 0.5%.jpg").string();
  fs::resize_file(Write("Fig3 LiquidWater 0.5%.jpg", good), 1ull << 30);  // sparse
  map = ReadJpegFile(huge);
  EXPECT_FALSE(map.ok);
  EXPECT_EQ(map.error, "Cannot open file \"" + huge +
                           "\". It is 1073741824 bytes, more than the 33554432 such a file may "
                           "have.");
}

TEST_F(JpegFileTest, APictureCutShortIsRefused) {
  // Cut inside the picture data: libjpeg itself would only warn and fill
  // the rest grey.
  std::vector<std::uint8_t> cut(good.begin(), good.end() - good.size() / 4);
  const DecodedJpeg map = ReadJpegFile(Write("cut.jpg", cut));
  EXPECT_FALSE(map.ok);
  EXPECT_TRUE(map.rgb.empty());
  EXPECT_NE(map.error.find("damaged or cut short"), std::string::npos) << map.error;
  EXPECT_NE(map.error.find("cut.jpg"), std::string::npos) << map.error;
}

TEST_F(JpegFileTest, ACorruptFileIsRefusedWithAMessage) {
  std::vector<std::uint8_t> text = {'n', 'o', 't', ' ', 'a', ' ', 'j', 'p', 'e', 'g'};
  DecodedJpeg map = ReadJpegFile(Write("text.jpg", text));
  EXPECT_FALSE(map.ok);
  EXPECT_NE(map.error.find("cannot be read"), std::string::npos) << map.error;

  std::vector<std::uint8_t> scrambled = good;
  for (std::size_t i = good.size() / 3; i < good.size() - 2; i += 7) scrambled[i] ^= 0x5a;
  map = ReadJpegFile(Write("scrambled.jpg", scrambled));
  EXPECT_FALSE(map.ok);
  EXPECT_FALSE(map.error.empty());

  map = ReadJpegFile(Write("empty.jpg", {}));
  EXPECT_FALSE(map.ok);
  EXPECT_FALSE(map.error.empty());
}

// A 1 x 1 picture in one scan per colour, its frame header then made to
// claim 65500 x 65500 pixels.
std::vector<std::uint8_t> ForgedMultiScanPicture() {
  std::vector<std::uint8_t> bytes = EncodeTestPicture(1, 1, Scans::kOnePerColour);
  for (std::size_t i = 0; i + 8 < bytes.size(); ++i) {
    if (bytes[i] == 0xff && bytes[i + 1] == 0xc0) {  // SOF0: height, then width
      bytes[i + 5] = 0xff, bytes[i + 6] = 0xdc, bytes[i + 7] = 0xff, bytes[i + 8] = 0xdc;
      break;
    }
  }
  return bytes;
}

// Found by fuzz_jpeg: the size was judged only after jpeg_start_decompress,
// which for a picture in several scans had already allocated the
// coefficients of all 65500 x 65500 pixels (some 13 GB) and read every scan
// into them.
TEST_F(JpegFileTest, AForgedSizeIsRefusedBeforeDecodingStarts) {
  const std::vector<std::uint8_t> forged = ForgedMultiScanPicture();
  const DecodedJpeg map = DecodeJpeg(forged.data(), forged.size(), "forged.jpg");
  EXPECT_FALSE(map.ok);
  EXPECT_TRUE(map.rgb.empty());
  EXPECT_EQ(map.error,
            "The map \"forged.jpg\" is not a picture this viewer can show (65500 x 65500).");
}

// Found by fuzz_jpeg (on a crafted 0.9 MB map that ran past its 10 s limit):
// every scan passes over the whole picture, and a file may hold tens of
// thousands of them.
TEST_F(JpegFileTest, APictureOfTooManyScansIsRefused) {
  const std::vector<std::uint8_t> plain = EncodeTestPicture(16, 16, Scans::kProgressive);
  DecodedJpeg map = DecodeJpeg(plain.data(), plain.size(), "progressive.jpg");
  ASSERT_TRUE(map.ok) << map.error;

  // Its last scan (from its start of scan marker to the end of image marker)
  // repeated 600 times.
  std::size_t last_scan = 0;
  for (std::size_t i = 0; i + 1 < plain.size(); ++i) {
    if (plain[i] == 0xff && plain[i + 1] == 0xda) last_scan = i;
  }
  ASSERT_GT(last_scan, 0u);
  const std::vector<std::uint8_t> scan(plain.begin() + static_cast<std::ptrdiff_t>(last_scan),
                                       plain.end() - 2);
  std::vector<std::uint8_t> many(plain.begin(), plain.end() - 2);
  for (int i = 0; i < 600; ++i) many.insert(many.end(), scan.begin(), scan.end());
  many.push_back(0xff);
  many.push_back(0xd9);
  map = DecodeJpeg(many.data(), many.size(), "scans.jpg");
  EXPECT_FALSE(map.ok);
  EXPECT_TRUE(map.rgb.empty());
  EXPECT_EQ(map.error, "The map \"scans.jpg\" cannot be read: it has more than 500 scans.");
}

}  // namespace
}  // namespace quillmere
