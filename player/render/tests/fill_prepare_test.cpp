#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <set>
#include <utility>
#include <vector>

#include "player/engine/bitmap_image.h"
#include "player/render/fill_samplers.h"
#include "player/render/paint_solid.h"
#include "player/render/tests/raster_fixture.h"

namespace lmr::test {
namespace {

Rgb RampAt(const uint8_t* ramp, int32_t j) { return Rgb{ramp[4 * j], ramp[4 * j + 1], ramp[4 * j + 2]}; }

FillStyle Gradient(std::initializer_list<std::pair<uint8_t, Rgb>> stops) {
  FillStyle f;
  InitFill(f, nullptr);
  f.type = FillGradient;
  for (const auto& s : stops) {
    f.stopRatios[f.stopCount] = s.first;
    f.stopColours[f.stopCount] = packColor(s.second.red, s.second.green, s.second.blue);
    ++f.stopCount;
  }
  return f;
}

TEST(GradientRamp, InterpolatesBetweenStops) {
  struct Probe {
    int32_t index;
    Rgb colour;
  };
  struct Case {
    const char* name;
    FillStyle fill;
    std::vector<Probe> probes;
  };
  const Rgb black{0, 0, 0}, white{255, 255, 255}, red{255, 0, 0}, blue{0, 0, 255};
  const Case cases[] = {
      {"black to white", Gradient({{0, black}, {255, white}}),
       {{0, black}, {1, {1, 1, 1}}, {128, {128, 128, 128}}, {255, white}, {256, white}}},
      {"first stop at 100", Gradient({{100, red}, {200, blue}}),
       {{0, red}, {100, red}, {150, {127, 0, 127}}, {200, blue}, {256, blue}}},
      {"one stop", Gradient({{40, blue}}), {{0, blue}, {40, blue}, {256, blue}}},
      {"no stops: black", Gradient({}), {{0, black}, {256, black}}},
      {"ratios out of order stay in range", Gradient({{100, white}, {20, black}, {60, white}}),
       {{0, white}, {100, white}, {256, white}}},
  };
  uint8_t ramp[RampBytes];
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    BuildRamp(c.fill, ramp);
    for (const Probe& p : c.probes) EXPECT_EQ(RampAt(ramp, p.index), p.colour) << p.index;
  }
}

TEST(GradientRamp, ComesFromTheContextPoolAndGoesBack) {
  TestTarget target(Format32, 4, 4);
  Scene scene;
  FillStyle& fill = scene.solid(0, 0, 0, 1);
  fill.type = FillGradient;
  fill.stopCount = 1;
  fill.stopColours[0] = packColor(9, 8, 7);
  scene.begin(target, false);
  ASSERT_NE(fill.ramp, nullptr);
  EXPECT_EQ(fill.painter, &PaintGradient);
  EXPECT_EQ(RampAt(fill.ramp, 256), (Rgb{9, 8, 7}));
  uint8_t* ramp = fill.ramp;
  ReleaseFill(fill);
  EXPECT_EQ(fill.ramp, nullptr);
  EXPECT_FALSE(fill.prepared);
  // The freed block is the next one the pool hands out.
  void* again = scene.context.rampPool.allocBlock();
  EXPECT_EQ(again, ramp);
  scene.context.rampPool.freeBlock(again);
}

// The 4 x 4 pattern a solid fill shows, as a 16-bit value like
// LevelPatterns: bit 15 row 0 pixel 0; set where the pixel is `first`.
uint16_t ShownPattern(const TestTarget& t, uint32_t first) {
  uint16_t p = 0;
  for (int32_t y = 0; y < 4; ++y) {
    for (int32_t x = 0; x < 4; ++x) {
      if (t.raw(x, y) == first) p |= static_cast<uint16_t>(1 << (15 - 4 * y - x));
    }
  }
  return p;
}

TEST(SolidFill, OneBitLevels) {
  struct Case {
    Rgb colour;
    uint16_t pattern;  // set bits are black
  };
  const Case cases[] = {
      {{128, 128, 128}, 0x5A5A},  // level 8: a checkerboard
      {{255, 255, 255}, 0x0000},
      {{0, 0, 0}, 0xFFFF},
      {{64, 64, 64}, LevelPatterns[4]},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.colour.red);
    TestTarget target(Format1Bit, 40, 8);
    Scene scene;
    scene.rect(scene.solid(c.colour.red, c.colour.green, c.colour.blue, 1), 0, 0, 40, 8);
    scene.render(target, false);
    EXPECT_EQ(ShownPattern(target, 0), c.pattern);
    // The pattern is fixed to the device grid: pixel (x, y) shows (x & 3, y & 3).
    for (int32_t y = 0; y < 8; ++y) {
      for (int32_t x = 0; x < 40; ++x) ASSERT_EQ(target.raw(x, y), target.raw(x & 3, y & 3)) << x << "," << y;
    }
  }
}

TEST(SolidFill, PaletteColoursMixTwoNeighbours) {
  // The 216-colour cube: an exact colour is one index everywhere; a colour
  // between two cube levels mixes the two nearest by their distances.
  TestTarget target(Format8Bit, 8, 4);
  const ColorTable& table = *target.offscreen.colorTable;
  Scene scene;
  FillStyle& exact = scene.solid(0x33, 0x66, 0x99, 1);
  FillStyle& between = scene.solid(0x33, 0x66, 0x80, 1);
  scene.begin(target, false);
  auto indexOf = [&table](int32_t r, int32_t g, int32_t b) { return table.inverseMap[InverseCell(r, g, b)]; };
  const uint8_t a = indexOf(0x33, 0x66, 0x99);
  // 8-bit pattern rows are one word: 4 pixels.
  std::set<uint8_t> exactShown, shown;
  int32_t nearerCount = 0;
  const uint8_t nearer = indexOf(0x33, 0x66, 0x80);
  for (int32_t row = 0; row < 4; ++row) {
    for (int32_t k = 0; k < 4; ++k) {
      exactShown.insert(exact.pattern[16 * row + k]);
      shown.insert(between.pattern[16 * row + k]);
      nearerCount += between.pattern[16 * row + k] == nearer;
    }
  }
  EXPECT_EQ(exactShown, std::set<uint8_t>{a});
  // 0x80 lies between 0x66 and 0x99: d1 = |0x99 - 0x80| = 25 to the
  // nearer, d2 = 26 to the other: level 16 * 25 / 51 = 7.
  const uint8_t other = nearer == a ? indexOf(0x33, 0x66, 0x66) : a;
  EXPECT_EQ(shown, (std::set<uint8_t>{nearer, other}));
  EXPECT_EQ(nearerCount, 16 - 7);
}

TEST(SolidFill, PatternLayoutPerFormat) {
  // P = 0x8421 is a diagonal: row r has pixel r set.
  struct Case {
    int32_t format;
    uint32_t a, b;
    uint8_t row1[16];  // bytes of pattern row 1 (pixel 1 is a)
  };
  const Case cases[] = {
      // 1 bit: 0100 repeated: 0x44 in every byte.
      {Format1Bit, 1, 0, {0x44, 0x44, 0x44, 0x44}},
      // 2 bits: b a b b = 00 11 00 00.
      {Format2Bit, 3, 0, {0x30, 0x30, 0x30, 0x30}},
      // 4 bits: b a b b, two bytes, repeated.
      {Format4Bit, 0xA, 0x1, {0x1A, 0x11, 0x1A, 0x11}},
      {Format8Bit, 7, 2, {2, 7, 2, 2}},
      {Format565, 0xF800, 0x001F, {0x1F, 0, 0x00, 0xF8, 0x1F, 0, 0x1F, 0}},
      {Format24, 0x112233, 0x445566, {0x66, 0x55, 0x44, 0x33, 0x22, 0x11, 0x66, 0x55, 0x44, 0x66, 0x55, 0x44}},
      {Format32, 0x112233, 0, {0, 0, 0, 0, 0x33, 0x22, 0x11, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.format);
    FillStyle f;
    InitFill(f, nullptr);
    BuildPattern(f, c.format, 0x8421, c.a, c.b);
    EXPECT_EQ(std::memcmp(f.pattern + 16, c.row1, 16), 0);
  }
}

TEST(SolidFill, DirectFormatsStoreTheColour) {
  struct Case {
    int32_t format;
    uint32_t raw;
  };
  // (0xFF, 0x80, 0x08)
  const Case cases[] = {
      {Format555, 0x7C00 | 0x10 << 5 | 0x01},
      {Format565, 0xF800 | 0x20 << 5 | 0x01},
      {Format24, 0xFF8008},
      {Format32, 0xFF8008},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.format);
    TestTarget target(c.format, 9, 2);
    Scene scene;
    scene.rect(scene.solid(0xFF, 0x80, 0x08, 1), 1, 0, 8, 1);
    scene.render(target, false);
    for (int32_t x = 0; x < 9; ++x) EXPECT_EQ(target.raw(x, 0), x >= 1 && x < 8 ? c.raw : 0u) << x;
    EXPECT_EQ(target.raw(3, 1), 0u);
  }
}

TEST(BitmapFill, PreparesARowTableOrFallsBackToSolid) {
  TestTarget target(Format32, 4, 4);
  BitmapImage image;
  ASSERT_TRUE(createImage(image, Bitmap555, 3, 5, nullptr));
  BitmapImage empty;
  Scene scene;
  FillStyle& good = scene.solid(255, 0, 0, 1);
  good.type = FillBitmap;
  good.bitmap = &image;
  FillStyle& undecoded = scene.solid(255, 0, 0, 2);
  undecoded.type = FillBitmap;
  undecoded.bitmap = &empty;
  scene.begin(target, false);
  EXPECT_EQ(good.painter, &PaintBitmap);
  ASSERT_NE(good.rowTable, nullptr);
  for (int32_t i = 0; i < 5; ++i) EXPECT_EQ(good.rowTable[i], image.pixels + i * image.rowBytes);
  EXPECT_EQ(undecoded.type, FillSolid);
  EXPECT_EQ(undecoded.painter, &PaintSolid32);
  ReleaseFill(good);
  EXPECT_EQ(good.rowTable, nullptr);
  releaseImage(image);
}

TEST(SolidFill, PrepareRunsOnce) {
  TestTarget target(Format32, 4, 4);
  Scene scene;
  FillStyle& fill = scene.solid(1, 2, 3, 1);
  scene.begin(target, false);
  ASSERT_TRUE(fill.prepared);
  fill.red = 200;
  PrepareFill(fill);
  uint32_t first;
  std::memcpy(&first, fill.pattern, 4);
  EXPECT_EQ(first, 0x010203u);
}

}  // namespace
}  // namespace lmr::test
