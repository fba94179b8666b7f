// Pictures become the two JPEG tags: the tables in TagJpegSetup, the image
// without them in a long-form TagJpegImage, and libjpeg decodes the image
// after reading the tables, as the player does.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

#include "tools/lmrc/lib/jpeg_split.h"
#include "tools/lmrc/tests/test_support.h"

namespace lmr::lmrc {
namespace {

enc::RgbPicture gradient(int w, int h) {
  enc::RgbPicture p;
  p.width = w;
  p.height = h;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      p.rgb.push_back(static_cast<uint8_t>(x * 255 / (w - 1)));
      p.rgb.push_back(static_cast<uint8_t>(y * 255 / (h - 1)));
      p.rgb.push_back(96);
    }
  }
  return p;
}

std::vector<uint8_t> ppmOf(const enc::RgbPicture& p) {
  std::string header = "P6\n" + std::to_string(p.width) + " " + std::to_string(p.height) + "\n255\n";
  std::vector<uint8_t> out(header.begin(), header.end());
  out.insert(out.end(), p.rgb.begin(), p.rgb.end());
  return out;
}

// Reads the tables, then one image, with one decompressor; returns RGB rows.
enc::RgbPicture decodeWithTables(const std::vector<uint8_t>& tables, const std::vector<uint8_t>& image) {
  jpeg_decompress_struct info;
  jpeg_error_mgr errors;
  info.err = jpeg_std_error(&errors);
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, const_cast<unsigned char*>(tables.data()), static_cast<unsigned long>(tables.size()));
  EXPECT_EQ(jpeg_read_header(&info, FALSE), JPEG_HEADER_TABLES_ONLY);
  jpeg_mem_src(&info, const_cast<unsigned char*>(image.data()), static_cast<unsigned long>(image.size()));
  EXPECT_EQ(jpeg_read_header(&info, TRUE), JPEG_HEADER_OK);
  info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&info);
  enc::RgbPicture out;
  out.width = static_cast<int>(info.output_width);
  out.height = static_cast<int>(info.output_height);
  out.rgb.resize(static_cast<size_t>(out.width) * out.height * 3);
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = out.rgb.data() + static_cast<size_t>(info.output_scanline) * out.width * 3;
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  EXPECT_EQ(errors.num_warnings, 0);
  jpeg_destroy_decompress(&info);
  return out;
}

bool hasMarker(const std::vector<uint8_t>& data, uint8_t marker) {
  for (size_t i = 0; i + 1 < data.size(); ++i) {
    if (data[i] == 0xFF && data[i + 1] == marker) return true;
  }
  return false;
}

TEST(JpegImport, PicturesBecomeTablesAndAnAbbreviatedImageThatLibjpegDecodes) {
  enc::RgbPicture picture = gradient(40, 24);
  std::string dir = ::testing::TempDir();
  testing::writeBytes(dir + "/lmrc_grad.jpg", enc::compressJpeg(picture, 90));
  testing::writeBytes(dir + "/lmrc_grad.ppm", ppmOf(picture));
  testing::writeBytes(dir + "/lmrc_grad_low.jpg", enc::compressJpeg(picture, 20));
  // The second and third images: same tables (stripped), other tables (kept).
  std::vector<uint8_t> movie = testing::compileText(
      "jpeg 1 \"lmrc_grad.jpg\"\njpeg 2 \"lmrc_grad.ppm\" quality 90\njpeg 3 \"lmrc_grad_low.jpg\"\n", dir);
  StoredMovie m = readStoredMovie(movie);
  int setups = 0;
  std::vector<uint8_t> tables;
  std::vector<const StoredTag*> images;
  for (const StoredTag& t : m.tags) {
    if (t.code == enc::TagJpegSetup) {
      ++setups;
      tables = t.body;
    }
    if (t.code == enc::TagJpegImage) images.push_back(&t);
  }
  EXPECT_EQ(setups, 1);
  ASSERT_EQ(images.size(), 3u);
  EXPECT_TRUE(hasMarker(tables, 0xDB) && hasMarker(tables, 0xC4));
  EXPECT_FALSE(hasMarker(tables, 0xDA));
  for (size_t i = 0; i < images.size(); ++i) {
    SCOPED_TRACE(i + 1);
    const StoredTag& t = *images[i];
    EXPECT_TRUE(t.longForm);
    ASSERT_GT(t.body.size(), 2u);
    EXPECT_EQ(t.body[0] | t.body[1] << 8, static_cast<int>(i + 1));
    std::vector<uint8_t> image(t.body.begin() + 2, t.body.end());
    EXPECT_EQ(hasMarker(image, 0xDB), i == 2) << "only the image with other tables carries them";
    enc::RgbPicture got = decodeWithTables(tables, image);
    ASSERT_EQ(got.width, 40);
    ASSERT_EQ(got.height, 24);
    int worst = 0;
    for (size_t k = 0; k < got.rgb.size(); ++k) worst = std::max(worst, std::abs(got.rgb[k] - picture.rgb[k]));
    EXPECT_LT(worst, i == 2 ? 60 : 24);
  }
}

TEST(JpegImport, SplitRefusesWhatIsNotAJpegStream) {
  std::vector<uint8_t> good = enc::compressJpeg(gradient(8, 8), 75);
  std::vector<uint8_t> cut(good.begin(), good.begin() + 30);
  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
  } cases[] = {{"no start of image", {0x00, 0x01, 0x02, 0x03}}, {"cut inside the tables", cut}, {"empty", {}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_THROW(enc::splitJpeg(c.bytes), enc::JpegError);
  }
}

}  // namespace
}  // namespace lmr::lmrc
