#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "player/engine/geometry.h"
#include "player/render/coverage_runs.h"
#include "player/render/fill_samplers.h"
#include "player/render/shape_walk.h"
#include "player/render/tests/raster_fixture.h"

namespace lmr::test {
namespace {

// A gradient fill whose ramp entry j is the colour (j & 255, j >> 8, 7),
// so every painted pixel tells which entry it shows. Painted straight into
// the rows of a 32-bit target.
struct GradientScene {
  Scene scene;
  FillStyle fill;
  uint8_t ramp[RampBytes] = {};

  GradientScene(TestTarget& target, int32_t kind, const Matrix& styleMatrix, const Matrix& device) {
    for (int32_t j = 0; j < RampEntries; ++j) {
      ramp[4 * j] = static_cast<uint8_t>(j & 255);
      ramp[4 * j + 1] = static_cast<uint8_t>(j >> 8);
      ramp[4 * j + 2] = 7;
    }
    const Offscreen& o = target.offscreen;
    BeginFrame(scene.context, target.offscreen, Rect{0, o.width, 0, o.height}, false, false, DitherOrdered);
    InitFill(fill, &scene.context);
    fill.type = FillGradient;
    fill.gradientKind = kind;
    fill.styleMatrix = styleMatrix;
    ComputeStyleInverse(fill, device, false);
    fill.ramp = ramp;  // the test's own, never returned to the pool
  }

  void paintRow(int32_t y, int32_t x0, int32_t x1) {
    SetRow(scene.context, y);
    PaintGradient(scene.context, x0, x1, fill);
  }
};

// The ramp entry a pixel shows; -1 for a colour no entry has.
int32_t EntryOf(Rgb c) { return c.blue == 7 && c.green <= 1 ? c.green << 8 | c.red : -1; }

TEST(PaintGradient, LinearMapsTheStandardSquareOntoTheRamp) {
  // Identity style matrix, device scale 1/20: gradient x of +-16384 units
  // lies at device x +-819.2.
  const Matrix device = matrixScale(FixedOne / 20, FixedOne / 20);
  TestTarget target(Format32, 821, 1);
  GradientScene g(target, FillTypeLinear, Matrix{}, device);
  g.paintRow(0, 0, 821);
  struct Case {
    int32_t x, entry;
  };
  const Case cases[] = {{0, 128}, {410, 192}, {820, 256}, {-410, 63}, {-820, 0}, {-5000, 0}, {5000, 256}};
  for (const Case& c : cases) {
    EXPECT_EQ(EntryOf(GradientSample(g.fill, c.x, 0)), c.entry) << "sample at " << c.x;
    if (c.x >= 0 && c.x < 821) {
      EXPECT_EQ(EntryOf(target.pixel(c.x, 0)), c.entry) << "painted at " << c.x;
    }
  }
  // Any other gradient kind without the radial value is linear too.
  g.fill.gradientKind = 0x13;
  EXPECT_EQ(EntryOf(GradientSample(g.fill, 820, 0)), 256);
}

// The largest r with r * r <= q, bit by bit.
int64_t IntegerSquareRoot(int64_t q) {
  int64_t r = 0;
  for (int64_t bit = int64_t{1} << 31; bit > 0; bit >>= 1) {
    if ((r + bit) * (r + bit) <= q) r += bit;
  }
  return r;
}

TEST(PaintGradient, RadialIndexIsTheDistanceFromTheCentre) {
  // The standard square scaled to radius 50 pixels around (60, 60): the
  // style matrix scales by 50 / 16384.
  Matrix style = matrixScale(200, 200);
  style.tx = 60;
  style.ty = 60;
  TestTarget target(Format32, 120, 120);
  GradientScene g(target, FillTypeRadial, style, Matrix{});
  // Spans of several lengths and starts, so the search starts afresh at
  // different places.
  for (int32_t y = 0; y < 120; ++y) {
    const int32_t cut = (y * 37) % 120;
    g.paintRow(y, 0, cut);
    g.paintRow(y, cut, 120);
  }
  EXPECT_EQ(EntryOf(target.pixel(60, 60)), 0);
  EXPECT_EQ(EntryOf(GradientSample(g.fill, 60, 60)), 0);
  for (int32_t y = 0; y < 120; ++y) {
    for (int32_t x = 0; x < 120; ++x) {
      const int32_t painted = EntryOf(target.pixel(x, y));
      ASSERT_GE(painted, 0) << x << ", " << y;
      // Interior spans: the square-root search on the distance in whole
      // ramp steps (64 gradient units, 50 / 256 pixels), at the position
      // stepped from the span's start.
      const int32_t start = x < (y * 37) % 120 ? 0 : (y * 37) % 120;
      const Point origin = transformPoint(g.fill.inverse, Point{start << 8, y << 8});
      const int64_t sx = (origin.x + int64_t{x - start} * (g.fill.inverse.a >> 8)) >> 14;
      const int64_t sy = (origin.y + int64_t{x - start} * (g.fill.inverse.b >> 8)) >> 14;
      const Point p = transformPoint(g.fill.inverse, Point{x << 8, y << 8});
      const int64_t stepped = std::min<int64_t>(IntegerSquareRoot(sx * sx + sy * sy), 256);
      EXPECT_LE(std::abs(painted - stepped), 1) << x << ", " << y;
      // Edge pixels: the table-based length of the unrounded position.
      const int32_t sampled = EntryOf(GradientSample(g.fill, x, y));
      const int64_t exact = std::min<int64_t>(IntegerSquareRoot(int64_t{p.x} * p.x + int64_t{p.y} * p.y) >> 14, 256);
      EXPECT_LE(std::abs(sampled - exact), 1) << x << ", " << y;
      // Rounding the position first costs at most one more step.
      EXPECT_LE(std::abs(painted - sampled), 2) << x << ", " << y;
      const int32_t dx = x - 60, dy = y - 60;
      if (dx * dx + dy * dy >= 51 * 51) {
        EXPECT_EQ(painted, 256) << x << ", " << y;  // the rim and beyond
      }
    }
  }
}

TEST(PaintGradient, FarTranslationsKeepTheGradientInPlace) {
  // The style's translation, moved into 8 fraction bits in 32, wrapped
  // from 2^23 movie units on (the bitmap form of this fault wrapped from
  // 32768): a gradient far out in movie units, brought back into view by
  // the device matrix, keeps ramp entry 128 at its centre.
  for (const int32_t units : {1 << 16, 1 << 23, -(1 << 24), 1 << 30}) {
    SCOPED_TRACE(units);
    Matrix style;
    style.tx = units;
    Matrix device = matrixScale(FixedOne / 16, FixedOne / 16);
    device.tx = 100 - units / 16;
    TestTarget target(Format32, 201, 1);
    GradientScene g(target, FillTypeLinear, style, device);
    g.paintRow(0, 0, 201);
    EXPECT_EQ(EntryOf(target.pixel(100, 0)), 128);
    EXPECT_EQ(EntryOf(target.pixel(0, 0)), 115);  // 100 pixels, 1600 units: 12.5 entries left
    EXPECT_EQ(EntryOf(GradientSample(g.fill, 200, 0)), 140);
  }
}

TEST(PaintGradient, WithoutARampNothingIsPainted) {
  TestTarget target(Format32, 10, 1);
  target.clear32(Rgb{9, 8, 7});
  GradientScene g(target, FillTypeLinear, Matrix{}, Matrix{});
  g.fill.ramp = nullptr;
  g.paintRow(0, 0, 10);
  for (int32_t x = 0; x < 10; ++x) EXPECT_EQ(target.pixel(x, 0), (Rgb{9, 8, 7}));
  EXPECT_EQ(GradientSample(g.fill, 3, 0), (Rgb{0, 0, 0}));
}

// Fault "a gradient without a ramp": it painted nothing inside but black
// anti-aliased edge pixels. Its share of an edge pixel now counts as
// uncovered, as its spans do: alone it leaves every pixel as it was, and
// where it covers part of a pixel of another fill that pixel mixes the
// other fill with white (the uncovered colour of a first paint), never
// with black.
TEST(PaintGradient, WithoutARampTheEdgesPaintNothingEither) {
  const Rgb marker{9, 8, 7};
  for (const bool overRed : {false, true}) {
    SCOPED_TRACE(overRed ? "over a red fill" : "alone");
    TestTarget target(Format32, 12, 12);
    target.clear32(marker);
    Scene scene;
    if (overRed) scene.rect(scene.solid(255, 0, 0, 1), 0, 0, 48, 48);
    FillStyle& gradient = scene.custom(PaintGradient, 2);
    gradient.type = FillGradient;
    gradient.ramp = nullptr;
    // Quarter-pixel edges: every side cuts through a column or row of
    // pixels.
    scene.rect(gradient, 9, 10, 35, 39);
    scene.render(target, true);
    for (int32_t y = 0; y < 12; ++y) {
      for (int32_t x = 0; x < 12; ++x) {
        const Rgb p = target.pixel(x, y);
        const bool inside = x >= 3 && x < 8 && y >= 3 && y < 9;  // wholly in the gradient
        if (!overRed || inside) {
          EXPECT_EQ(p, marker) << x << ", " << y;
        } else {
          EXPECT_EQ(p.red, 255) << x << ", " << y;
          EXPECT_EQ(p.green, p.blue) << x << ", " << y;
        }
      }
    }
  }
}

}  // namespace
}  // namespace lmr::test
