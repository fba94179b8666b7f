#include <gtest/gtest.h>

#include <vector>

#include "player/render/coverage_runs.h"
#include "player/render/row_writer.h"
#include "player/render/tests/raster_fixture.h"

namespace lmr::test {
namespace {

// A context bound to the target with row v current, as painters see it.
struct RowScene {
  Scene scene;
  explicit RowScene(TestTarget& target, int32_t ditherLevel = DitherOrdered) {
    scene.begin(target, false, ditherLevel);
  }
  RasterContext& context() { return scene.context; }
  void write(int32_t v, int32_t start, const std::vector<Rgb>& colours) {
    SetRow(scene.context, v);
    WriteRow(scene.context, start, start + static_cast<int32_t>(colours.size()), colours.data());
  }
};

TEST(RowWriter, SixteenBitTargetsAreAlwaysDithered) {
  struct Case {
    const char* name;
    int32_t format;
    Rgb colour;
    int32_t x, v;  // pixel; Dither16[v & 3][x & 3] is d
    uint32_t raw;
  };
  const Case cases[] = {
      {"565 white saturates", Format565, {255, 255, 255}, 0, 0, 0xFFFF},
      {"565 white, d = 0", Format565, {255, 255, 255}, 1, 0, 0xFFFF},
      {"565 black, d = 7", Format565, {0, 0, 0}, 0, 0, 0x0000},
      // d = 7: 250 + 7 >= 255 saturates; green 250 + 3 = 253 >> 2 = 63.
      {"565 near white", Format565, {250, 250, 250}, 0, 0, 0xFFFF},
      // d = 0 at (1, 0): no rounding up.
      {"565 near white, d = 0", Format565, {250, 250, 250}, 1, 0, 31u << 11 | 62 << 5 | 31},
      {"555 mid grey, d = 6", Format555, {100, 100, 100}, 1, 1, 13u << 10 | 13 << 5 | 13},
      {"555 white", Format555, {255, 255, 255}, 2, 3, 0x7FFF},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestTarget target(c.format, 8, 4);
    RowScene row(target, DitherDiffusion);  // the palette dither level does not matter here
    row.write(c.v, c.x, {c.colour});
    EXPECT_EQ(target.raw(c.x, c.v), c.raw);
  }
}

TEST(RowWriter, DirectColourByteOrder) {
  for (int32_t format : {Format24, Format32}) {
    TestTarget target(format, 4, 1);
    RowScene row(target);
    row.write(0, 1, {{0x11, 0x22, 0x33}, {0x44, 0x55, 0x66}});
    EXPECT_EQ(target.raw(0, 0), 0u);
    EXPECT_EQ(target.raw(1, 0), 0x112233u);
    EXPECT_EQ(target.raw(2, 0), 0x445566u);
    EXPECT_EQ(target.raw(3, 0), 0u);
    if (format == Format24) {
      EXPECT_EQ(target.row(0)[3], 0x33);  // blue first
    }
  }
}

TEST(RowWriter, OrderedDitherPicksTheDitheredCell) {
  // On the 16-grey target cell level L maps to grey index L, so the index
  // shows the dithered level: (c + OrderedMatrix[v & 7][x & 7]) >> 4, less
  // one, within 0 to 15. The positions tell rows from columns apart.
  struct Case {
    int32_t grey, x, v;
    uint32_t index;
  };
  const Case cases[] = {
      {0, 7, 6, 0},      // t = 0: 0 stays black
      {0, 6, 0, 0},      // t = 15: (15 >> 4) - 1 is clamped to 0
      {255, 0, 0, 14},   // t = 0: 255 >> 4 = 15, less one
      {255, 1, 0, 15},   // t = 8: 263 >> 4 = 16, less one
      {100, 1, 2, 6},    // t = OrderedMatrix[2][1] = 14: 114 >> 4 = 7
      {100, 2, 1, 5},    // t = OrderedMatrix[1][2] = 2: 102 >> 4 = 6
      {100, 9, 10, 6},   // the matrix repeats every 8 pixels: t = 14 again
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.grey << " at " << c.x << "," << c.v);
    TestTarget target(Format4Bit, 16, 16);
    RowScene row(target);
    row.write(c.v, c.x, {{c.grey, c.grey, c.grey}});
    EXPECT_EQ(target.raw(c.x, c.v), c.index);
  }
}

TEST(RowWriter, PackedIndicesKeepTheirNeighbours) {
  // Writing white into pixel 1 only of a black 2- and 4-bit row.
  for (int32_t format : {Format1Bit, Format2Bit, Format4Bit}) {
    SCOPED_TRACE(format);
    TestTarget target(format, 8, 1);
    RowScene row(target);
    row.write(0, 1, {{255, 255, 255}});
    for (int32_t x = 0; x < 8; ++x) EXPECT_EQ(target.pixel(x, 0), (x == 1 ? Rgb{255, 255, 255} : Rgb{})) << x;
  }
}

TEST(RowWriter, ErrorDiffusionKeepsTheAverage) {
  // Mid grey on black and white: about half the pixels turn white, in every
  // row, and spans of one row continue each other's error.
  const int32_t w = 64, h = 16;
  TestTarget whole(Format1Bit, w, h), split(Format1Bit, w, h);
  RowScene a(whole, DitherDiffusion), b(split, DitherDiffusion);
  const std::vector<Rgb> grey(w, Rgb{128, 128, 128});
  const std::vector<Rgb> half(w / 2, Rgb{128, 128, 128});
  int32_t white = 0;
  for (int32_t v = 0; v < h; ++v) {
    a.write(v, 0, grey);
    SetRow(b.context(), v);
    WriteRow(b.context(), 0, w / 2, half.data());
    WriteRow(b.context(), w / 2, w, half.data());
    int32_t rowWhite = 0;
    for (int32_t x = 0; x < w; ++x) {
      rowWhite += whole.raw(x, v);
      ASSERT_EQ(split.raw(x, v), whole.raw(x, v)) << x << "," << v;
    }
    EXPECT_NEAR(rowWhite, w / 2, 6) << v;
    white += rowWhite;
  }
  EXPECT_NEAR(white, w * h / 2, 16);
}

TEST(RowWriter, ErrorRowsLiveOneFrame) {
  TestTarget target(Format8Bit, 8, 4);
  RowScene row(target, DitherDiffusion);
  row.write(0, 0, {{1, 2, 3}});
  EXPECT_NE(row.context().errorRows, nullptr);
  PaintFrame(row.context());
  EXPECT_EQ(row.context().errorRows, nullptr);
}

TEST(RowWriter, SkipsPixelsOutsideTheTarget) {
  TestTarget target(Format32, 4, 1);
  RowScene row(target);
  row.write(0, -2, {{1, 1, 1}, {2, 2, 2}, {3, 3, 3}, {4, 4, 4}, {5, 5, 5}, {6, 6, 6}, {7, 7, 7}});
  EXPECT_EQ(target.pixel(0, 0), (Rgb{3, 3, 3}));
  EXPECT_EQ(target.pixel(3, 0), (Rgb{6, 6, 6}));
}

TEST(BlendPixel, ReadsAndStoresEveryFormat) {
  // Half black over a red target pixel with content: (255 * 8 + 0) >> 4 =
  // 127 red, stored in the target's format and read back.
  struct Case {
    int32_t format;
    Rgb shown;
  };
  const Case cases[] = {
      {Format1Bit, {0, 0, 0}},        // red is black in black and white
      {Format8Bit, {0x66, 0, 0}},     // cell (7, 0, 0) is nearest to 0x66 in the cube
      {Format555, {127, 0, 0}},       // 120 >> 3 = 15 widens to 127
      {Format565, {127, 0, 0}},
      {Format24, {127, 0, 0}},
      {Format32, {127, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.format);
    TestTarget target(c.format, 8, 1);
    Scene scene;
    scene.begin(target, false);
    RasterContext& context = scene.context;
    SetRow(context, 0);
    BlendPixel(context, 3, Rgb{255 * 16, 0, 0}, 16);  // sums over 16 sixteenths
    context.targetHasContent = true;
    const Rgb before = target.pixel(3, 0);
    BlendPixel(context, 3, Rgb{0, 0, 0}, 8);
    const Rgb expected{before.red * 8 >> 4, before.green * 8 >> 4, before.blue * 8 >> 4};
    if (c.format >= Format555) {
      EXPECT_EQ(before, (Rgb{255, 0, 0}));
      EXPECT_EQ(target.pixel(3, 0), c.shown);
      EXPECT_EQ(c.shown, expected);
    } else {
      EXPECT_EQ(target.pixel(3, 0), c.shown);
    }
    EXPECT_EQ(target.raw(2, 0), 0u);
    EXPECT_EQ(target.raw(4, 0), 0u);
  }
}

}  // namespace
}  // namespace lmr::test
