#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <sstream>
#include <string>

#include "player/engine/bitmap_image.h"
#include "player/engine/geometry.h"
#include "player/render/bitmap_sampler.h"
#include "player/render/coverage_runs.h"
#include "player/render/fill_samplers.h"
#include "player/render/shape_walk.h"
#include "player/render/tests/raster_fixture.h"

namespace lmr::test {
namespace {

uint32_t Packed(Rgb c) { return static_cast<uint32_t>(c.red << 16 | c.green << 8 | c.blue); }

// A bitmap fill over a decoded image, drawn into a 32-bit target (no
// dither: the painted colours are stored as they are) as the fill of the
// rectangle [x0, x1) x [0, height). Device coordinates are pixels.
struct BitmapScene {
  BitmapImage image;
  FillStyle fill;

  BitmapScene(int32_t format, int32_t width, int32_t height) {
    uint32_t palette[BitmapPaletteWords] = {256};
    for (uint32_t i = 0; i < 256; ++i) palette[1 + i] = ((i * 77) & 255) | i << 8 | (255 - i) << 16;
    EXPECT_TRUE(createImage(image, format, width, height, palette));
  }
  ~BitmapScene() { releaseImage(image); }
  BitmapScene(const BitmapScene&) = delete;
  BitmapScene& operator=(const BitmapScene&) = delete;

  void paint(TestTarget& target, const Matrix& styleMatrix, bool smooth, int32_t x0, int32_t x1,
             const Matrix& device = Matrix{}) {
    Scene scene;
    InitFill(fill, &scene.context);
    fill.type = FillBitmap;
    fill.bitmap = &image;
    fill.styleMatrix = styleMatrix;
    fill.priority = 1;
    ComputeStyleInverse(fill, device, false);
    const Offscreen& o = target.offscreen;
    BeginFrame(scene.context, target.offscreen, Rect{0, o.width, 0, o.height}, false, smooth, DitherOrdered);
    PrepareFill(fill);
    ASSERT_EQ(fill.painter, PaintBitmap);
    scene.rect(fill, x0, 0, x1, o.height);
    scene.paint();
    ReleaseFill(fill);
    fill.context = nullptr;
  }
};

Matrix ScaleAt(Fixed scale, int32_t tx, int32_t ty) {
  Matrix m = matrixScale(scale, scale);
  m.tx = tx;
  m.ty = ty;
  return m;
}

constexpr Rgb kTL{240, 0, 0}, kTR{0, 240, 0}, kBL{0, 0, 240}, kBR{240, 240, 240};

Rgb Mean(Rgb p, Rgb q) { return Rgb{(p.red + q.red) / 2, (p.green + q.green) / 2, (p.blue + q.blue) / 2}; }

// c is w / 8 of p and the rest of q, for some w from 1 to 7.
bool IsBlendOf(Rgb c, Rgb p, Rgb q) {
  for (int32_t w = 1; w < 8; ++w) {
    auto mix = [w](int32_t a, int32_t b) { return (w * a + (8 - w) * b) / 8; };
    if (c == Rgb{mix(p.red, q.red), mix(p.green, q.green), mix(p.blue, q.blue)}) return true;
  }
  return false;
}

void SetFourColours(BitmapScene& b) {
  const uint32_t four[2][2] = {{Packed(kTL), Packed(kTR)}, {Packed(kBL), Packed(kBR)}};
  for (int32_t y = 0; y < 2; ++y) std::memcpy(b.image.pixels + y * b.image.rowBytes, four[y], 8);
}

// The four colours as blocks of 10 x 10 from device pixel (5, 5), and
// outside the image the nearest border pixel: quadrants split at 15.
::testing::AssertionResult ShowsFourQuadrants(const TestTarget& target) {
  for (int32_t y = 0; y < 30; ++y) {
    for (int32_t x = 0; x < 30; ++x) {
      const Rgb want = y < 15 ? (x < 15 ? kTL : kTR) : (x < 15 ? kBL : kBR);
      if (!(target.pixel(x, y) == want)) {
        return ::testing::AssertionFailure() << "pixel " << x << ", " << y << " is "
                                             << ::testing::PrintToString(target.pixel(x, y));
      }
    }
  }
  return ::testing::AssertionSuccess();
}

TEST(PaintBitmap, TwoByTwoScaledByTen) {
  // The 2 x 2 bitmap covers device pixels 5 to 24; the fill covers the
  // whole 30 x 30 target, so every span starts left of the image and ends
  // right of it.
  BitmapScene b(Bitmap32, 2, 2);
  SetFourColours(b);
  const Matrix place = ScaleAt(10 * FixedOne, 5, 5);

  {
    SCOPED_TRACE("nearest");
    TestTarget target(Format32, 30, 30);
    b.paint(target, place, false, 0, 30);
    EXPECT_TRUE(ShowsFourQuadrants(target));
  }
  {
    SCOPED_TRACE("smooth");
    TestTarget target(Format32, 30, 30);
    b.paint(target, place, true, 0, 30);
    struct Probe {
      int32_t x, y;
      Rgb shown;
    };
    const Probe probes[] = {
        {2, 2, kTL},    {10, 10, kTL},  // up to the first pixel centre: the corner colour repeats
        {27, 2, kTR},   {2, 27, kBL},   {27, 27, kBR}, {20, 20, kBR},
        {15, 15, Mean(Mean(kTL, kTR), Mean(kBL, kBR))},  // the centre blends all four
    };
    for (const Probe& p : probes) EXPECT_EQ(target.pixel(p.x, p.y), p.shown) << p.x << ", " << p.y;
    // Beyond an edge only the two border pixels along it blend.
    struct Edge {
      int32_t x, y;
      Rgb p, q;
    };
    const Edge edges[] = {
        {15, 0, kTL, kTR}, {0, 15, kTL, kBL}, {29, 15, kTR, kBR}, {15, 29, kBL, kBR}, {13, 3, kTL, kTR},
    };
    for (const Edge& e : edges) EXPECT_TRUE(IsBlendOf(target.pixel(e.x, e.y), e.p, e.q)) << e.x << ", " << e.y;
    // Between the centres the colour moves in steps, one way only.
    for (int32_t x = 11; x < 20; ++x) EXPECT_LE(target.pixel(x, 2).red, target.pixel(x - 1, 2).red) << x;
  }
}

// Every painted pixel must equal the clamped sample of its own position:
// the inside run (row table, no clamping, 256-pixel chunks) against the
// per-pixel reference, over seeded random bitmaps, matrices and spans.
TEST(PaintBitmap, InsideRunsMatchPerPixelSamples) {
  std::mt19937 random(1234);
  auto between = [&random](int32_t low, int32_t high) {
    return std::uniform_int_distribution<int32_t>(low, high)(random);
  };
  for (int32_t trial = 0; trial < 300; ++trial) {
    const int32_t format = between(0, BitmapFormatCount - 1);
    const int32_t width = between(1, 7), height = between(1, 7);
    const bool smooth = between(0, 1) == 1;
    // Wide targets make spans of more than one chunk.
    const int32_t targetWidth = trial % 10 == 0 ? 700 : 48, targetHeight = 6;
    Matrix m;
    m.a = between(-8 * FixedOne, 8 * FixedOne);
    m.b = between(-2 * FixedOne, 2 * FixedOne);
    m.c = between(-2 * FixedOne, 2 * FixedOne);
    m.d = between(-8 * FixedOne, 8 * FixedOne);
    m.tx = between(-20, targetWidth + 20);
    m.ty = between(-10, 16);
    const int32_t x0 = between(0, targetWidth - 1), x1 = between(x0 + 1, targetWidth);
    std::ostringstream name;
    name << "trial " << trial << ": format " << format << ", " << width << " x " << height
         << (smooth ? " smooth" : " nearest") << ", matrix [" << m.a << " " << m.b << " " << m.c << " " << m.d
         << " " << m.tx << " " << m.ty << "], span " << x0 << " to " << x1;
    SCOPED_TRACE(name.str());

    BitmapScene b(format, width, height);
    for (int32_t i = 0; i < b.image.rowBytes * height; ++i) b.image.pixels[i] = static_cast<uint8_t>(random());
    if (format == Bitmap555) {
      for (int32_t i = 1; i < b.image.rowBytes * height; i += 2) b.image.pixels[i] &= 0x7F;
    }
    TestTarget target(Format32, targetWidth, targetHeight);
    b.paint(target, m, smooth, x0, x1);
    if (::testing::Test::HasFatalFailure()) return;

    int mismatches = 0;
    for (int32_t y = 0; y < targetHeight && mismatches < 3; ++y) {
      for (int32_t x = x0; x < x1 && mismatches < 3; ++x) {
        const Point p = transformPoint(b.fill.inverse, Point{x << 16, y << 16});
        const Rgb want = smooth ? BitmapSample(b.fill, x, y) : SampleNearest(b.image, p.x >> 16, p.y >> 16);
        if (!(target.pixel(x, y) == want)) {
          ++mismatches;
          ADD_FAILURE() << "pixel " << x << ", " << y;
        }
      }
    }
  }
}

// Fault "bitmap fills jump at large translations": the inverse matrix
// moved the style's translation into 16 fraction bits in 32 bits, so from
// 32768 movie units on it wrapped and the span showed the bitmap's clamped
// edge instead of the picture. Here a bitmap translated far away in movie
// units is brought back into view by the device matrix, as a view scrolled
// to it would: the picture must stay where it is.
TEST(PaintBitmap, FarTranslationsShowThePicture) {
  BitmapScene b(Bitmap32, 2, 2);
  SetFourColours(b);
  // Device pixels are 16 movie units; a bitmap pixel is 160 movie units,
  // 10 device pixels.
  const int32_t unitsPerPixel = 16;
  // Multiples of 32, so that the device translations are whole pixels.
  for (const int32_t units : {1600, 32736, 32768, 40000, -40000, 1 << 20, -(1 << 30), (1 << 30) + 64}) {
    SCOPED_TRACE(units);
    Matrix device = matrixScale(FixedOne / unitsPerPixel, FixedOne / unitsPerPixel);
    device.tx = 5 - units / unitsPerPixel;
    device.ty = 5 - units / 2 / unitsPerPixel;
    const Matrix place = ScaleAt(10 * unitsPerPixel * FixedOne, units, units / 2);
    for (const bool smooth : {false, true}) {
      SCOPED_TRACE(smooth ? "smooth" : "nearest");
      TestTarget target(Format32, 30, 30);
      b.paint(target, place, smooth, 0, 30, device);
      const Point origin = transformPoint(b.fill.inverse, Point{5 << 16, 5 << 16});
      // Pixel (5, 5) is the image's top left corner.
      EXPECT_EQ(origin.x, 0);
      EXPECT_EQ(origin.y, 0);
      if (smooth) {
        EXPECT_EQ(target.pixel(2, 2), kTL);
        EXPECT_EQ(target.pixel(27, 27), kBR);
      } else {
        EXPECT_TRUE(ShowsFourQuadrants(target));
      }
    }
  }
}

TEST(PaintBitmap, DegenerateAndHugeMatricesStayInTheImage) {
  // Zero scales invert to saturated ones, huge coefficients overflow 32
  // bits within a span: every pixel must still show a pixel of the bitmap
  // (nearest) and nothing may be read outside it (AddressSanitizer).
  const Rgb colours[3] = {{10, 0, 0}, {0, 20, 0}, {0, 0, 30}};
  struct Case {
    const char* name;
    Matrix m;
  };
  const Case cases[] = {
      {"zero scale", Matrix{0, 0, 0, 0, 5, 5}},
      {"zero width", Matrix{0, 0, 0, FixedOne, 5, 5}},
      {"tiny scale", Matrix{1, 0, 0, 1, 0, 0}},
      {"huge scale", Matrix{INT32_MAX, 0, 0, INT32_MAX, 0, 0}},
      {"huge shear", Matrix{1, INT32_MAX, INT32_MIN, 1, 0, 0}},
      {"far translation", Matrix{FixedOne, 0, 0, FixedOne, INT32_MAX / 2, INT32_MIN / 2}},
  };
  for (const Case& c : cases) {
    for (bool smooth : {false, true}) {
      SCOPED_TRACE(std::string(c.name) + (smooth ? " smooth" : " nearest"));
      BitmapScene b(Bitmap32, 3, 1);
      for (int32_t x = 0; x < 3; ++x) {
        const uint32_t v = Packed(colours[x]);
        std::memcpy(b.image.pixels + 4 * x, &v, 4);
      }
      TestTarget target(Format32, 600, 3);
      b.paint(target, c.m, smooth, 0, 600);
      if (smooth) continue;  // blends are not single colours
      for (int32_t y = 0; y < 3; ++y) {
        for (int32_t x = 0; x < 600; ++x) {
          const Rgb p = target.pixel(x, y);
          ASSERT_TRUE(p == colours[0] || p == colours[1] || p == colours[2]) << x << ", " << y;
        }
      }
    }
  }
}

TEST(PaintBitmap, AFillWithoutPixelsPaintsNothing) {
  // Painters may meet a fill whose image was released under them; the
  // span is left as it is.
  TestTarget target(Format32, 8, 1);
  target.clear32(Rgb{1, 2, 3});
  Scene scene;
  BeginFrame(scene.context, target.offscreen, Rect{0, 8, 0, 1}, false, false, DitherOrdered);
  FillStyle fill;
  InitFill(fill, &scene.context);
  fill.type = FillBitmap;
  BitmapImage empty;
  fill.bitmap = &empty;
  SetRow(scene.context, 0);
  PaintBitmap(scene.context, 0, 8, fill);
  for (int32_t x = 0; x < 8; ++x) EXPECT_EQ(target.pixel(x, 0), (Rgb{1, 2, 3}));
}

}  // namespace
}  // namespace lmr::test
