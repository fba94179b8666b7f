#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "player/engine/bitmap_image.h"
#include "player/render/bitmap_sampler.h"
#include "player/render/sampling_tables.h"
#include "player/render/tests/raster_fixture.h"

namespace lmr::test {
namespace {

TEST(SamplingTables, BilinearWeightsAreEighthsThatSumToEight) {
  struct Case {
    int fx, fy;
    std::array<int32_t, 4> weights;
  };
  const Case cases[] = {
      {0, 0, {8, 0, 0, 0}},
      {1, 0, {7, 1, 0, 0}},
      {4, 4, {2, 2, 2, 2}},
      {2, 2, {3, 2, 2, 1}},  // rounded 5, 2, 2, 1 sum to 10: the largest gives up 2
      {0, 4, {4, 0, 4, 0}},
      {7, 7, {0, 1, 1, 6}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(BilinearWeights[static_cast<size_t>(c.fx * 8 + c.fy)], c.weights) << c.fx << ", " << c.fy;
  }
  for (const auto& w : BilinearWeights) {
    EXPECT_EQ(w[0] + w[1] + w[2] + w[3], 8);
    for (int32_t v : w) EXPECT_GE(v, 0);
  }
}

TEST(SamplingTables, SquaresSaturateAt65535) {
  const std::pair<int, int> cases[] = {{0, 0}, {1, 1}, {100, 10000}, {255, 65025}, {256, 65535}, {257, 65535}};
  for (const auto& c : cases) EXPECT_EQ(SquareTable[static_cast<size_t>(c.first)], c.second) << c.first;
}

// A bitmap whose pixels are set through the layout of its format, written
// out here independently of the reader.
struct TestBitmap {
  BitmapImage image;
  uint32_t palette[BitmapPaletteWords] = {};

  TestBitmap(int32_t format, int32_t width, int32_t height) {
    palette[0] = 256;
    for (uint32_t i = 0; i < 256; ++i) palette[1 + i] = i | (255 - i) << 8 | ((i * 37) & 255) << 16;
    EXPECT_TRUE(createImage(image, format, width, height, format <= BitmapPalette8 ? palette : nullptr));
  }
  ~TestBitmap() { releaseImage(image); }
  TestBitmap(const TestBitmap&) = delete;
  TestBitmap& operator=(const TestBitmap&) = delete;

  // The stored value v at (x, y): a palette index or a packed pixel.
  void set(int32_t x, int32_t y, uint32_t v) {
    uint8_t* row = image.pixels + y * image.rowBytes;
    const int32_t bits[] = {1, 2, 4, 8};
    if (image.format <= BitmapPalette8) {
      const int32_t b = bits[image.format];
      const int32_t bit = x * b;  // from the most significant bit of byte 0
      const int32_t shift = 8 - b - bit % 8;
      const uint32_t mask = ((1u << b) - 1) << shift;
      row[bit / 8] = static_cast<uint8_t>((row[bit / 8] & ~mask) | ((v << shift) & mask));
    } else if (image.format == Bitmap555) {
      const uint16_t p = static_cast<uint16_t>(v);
      std::memcpy(row + 2 * x, &p, 2);
    } else {
      std::memcpy(row + 4 * x, &v, 4);
    }
  }

  // The colour the stored value v stands for.
  Rgb colourOf(uint32_t v) const {
    if (image.format <= BitmapPalette8) {
      const uint32_t e = palette[1 + v];
      return Rgb{static_cast<int32_t>(e & 255), static_cast<int32_t>(e >> 8 & 255), static_cast<int32_t>(e >> 16 & 255)};
    }
    if (image.format == Bitmap555) return Rgb{Expand5[v >> 10 & 31], Expand5[v >> 5 & 31], Expand5[v & 31]};
    return Rgb{static_cast<int32_t>(v >> 16 & 255), static_cast<int32_t>(v >> 8 & 255), static_cast<int32_t>(v & 255)};
  }
};

TEST(BitmapPixels, EveryFormatReadsItsLayout) {
  // 13 pixels a row crosses byte and word boundaries in every format.
  const uint32_t valueMask[BitmapFormatCount] = {1, 3, 15, 255, 0x7FFF, 0xFFFFFF};
  for (int32_t format = 0; format < BitmapFormatCount; ++format) {
    SCOPED_TRACE(format);
    TestBitmap b(format, 13, 3);
    std::mt19937 random(static_cast<uint32_t>(format));
    uint32_t values[3][13];
    for (int32_t y = 0; y < 3; ++y) {
      for (int32_t x = 0; x < 13; ++x) {
        values[y][x] = random() & valueMask[format];
        b.set(x, y, values[y][x]);
      }
    }
    for (int32_t y = 0; y < 3; ++y) {
      for (int32_t x = 0; x < 13; ++x) {
        EXPECT_EQ(ReadBitmapPixel(b.image, b.image.pixels + y * b.image.rowBytes, x), b.colourOf(values[y][x]))
            << "pixel " << x << ", " << y;
      }
    }
  }
}

TEST(BitmapPixels, PaletteFormatsWithoutAPaletteReadBlack) {
  BitmapImage image;
  ASSERT_TRUE(createImage(image, BitmapPalette8, 4, 1, nullptr));
  image.pixels[2] = 200;
  EXPECT_EQ(ReadBitmapPixel(image, image.pixels, 2), (Rgb{0, 0, 0}));
  releaseImage(image);
}

// 2 x 2 pixels of 32-bit colour: top left, top right, bottom left, bottom
// right. Channels are multiples of 4 so that blends are exact.
constexpr Rgb kTL{0, 0, 0}, kTR{200, 100, 40}, kBL{40, 200, 100}, kBR{100, 40, 200};

void FillFour(TestBitmap& b) {
  auto packed = [](Rgb c) { return static_cast<uint32_t>(c.red << 16 | c.green << 8 | c.blue); };
  b.set(0, 0, packed(kTL));
  b.set(1, 0, packed(kTR));
  b.set(0, 1, packed(kBL));
  b.set(1, 1, packed(kBR));
}

Rgb Mean(Rgb p, Rgb q) { return Rgb{(p.red + q.red) / 2, (p.green + q.green) / 2, (p.blue + q.blue) / 2}; }

TEST(BitmapSampling, NearestClampsIntoTheImage) {
  TestBitmap b(Bitmap32, 2, 2);
  FillFour(b);
  struct Case {
    int32_t x, y;
    Rgb shown;
  };
  const Case cases[] = {
      {0, 0, kTL}, {1, 0, kTR}, {0, 1, kBL}, {1, 1, kBR}, {-5, -5, kTL}, {7, 0, kTR}, {-3, 9, kBL},
      {INT32_MAX, INT32_MIN, kTR},
  };
  for (const Case& c : cases) EXPECT_EQ(SampleNearest(b.image, c.x, c.y), c.shown) << c.x << ", " << c.y;
}

TEST(BitmapSampling, SmoothBlendsAndRepeatsTheBorders) {
  TestBitmap b(Bitmap32, 2, 2);
  FillFour(b);
  struct Case {
    const char* name;
    int32_t u, v;  // 16.16, from the pixels' centres
    Rgb shown;
  };
  const Case cases[] = {
      {"on a pixel centre", 0, 0, kTL},
      {"between all four", 0x8000, 0x8000, Mean(Mean(kTL, kTR), Mean(kBL, kBR))},
      {"on the last column", 0x10000, 0, kTR},
      {"far right", 0x90000, 0x10000, kBR},
      {"left of the image, between the rows", -0x50000, 0x8000, Mean(kTL, kBL)},
      {"below the image, between the columns", 0x8000, 0x70000, Mean(kBL, kBR)},
      {"above the image", 0x8000, -0x8000, Mean(kTL, kTR)},
      {"an eighth to the right", 0x2000, 0, Rgb{25, 12, 5}},
      {"far outside", INT32_MIN, INT32_MAX, kBL},
  };
  for (const Case& c : cases) EXPECT_EQ(SampleSmooth(b.image, c.u, c.v), c.shown) << c.name;
}

TEST(BitmapSampling, SmoothFallsBackToNearestForOnePixelLines) {
  // A column of three and a row of three: no pair to blend across the
  // line, and along it the pixel that nearest sampling would show.
  const Rgb a{10, 20, 30}, m{100, 110, 120}, z{200, 210, 220};
  auto packed = [](Rgb c) { return static_cast<uint32_t>(c.red << 16 | c.green << 8 | c.blue); };
  TestBitmap column(Bitmap32, 1, 3), row(Bitmap32, 3, 1);
  for (int32_t i = 0; i < 3; ++i) {
    const Rgb c = i == 0 ? a : i == 1 ? m : z;
    column.set(0, i, packed(c));
    row.set(i, 0, packed(c));
  }
  struct Case {
    int32_t along, across;
    Rgb shown;
  };
  const Case cases[] = {
      {0x14000, 0x4000, m},     // 1.25: pixel 1
      {0x18000, -0x90000, z},   // 1.5 rounds up, as the top left corner at 2.0 does
      {-0x20000, 0x70000, a},   // before the first pixel
      {0x50000, 0, z},          // beyond the last
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SampleSmooth(column.image, c.across, c.along), c.shown) << "column at " << c.along;
    EXPECT_EQ(SampleSmooth(row.image, c.along, c.across), c.shown) << "row at " << c.along;
  }
}

}  // namespace
}  // namespace lmr::test
