#include <gtest/gtest.h>

#include <algorithm>
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
    if (!OffscreenFormatAvailable(format)) continue;  // no 2-bit bitmaps on Windows
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

// Fault "error diffusion runs away on grey and 1-bit tables": the carried
// error was never bounded, so a colour the table cannot show drifted
// without limit (pure navy showed as flat grey 112 on 16 greys, a radial
// gradient as a flat square with a stray blob). Such colours now dither
// between the entries nearest in brightness.
TEST(RowWriter, ErrorDiffusionStaysNearColoursTheTableCannotShow) {
  struct Case {
    const char* name;
    int32_t format;
    std::vector<int32_t> shades;  // the greys nearest the navy
  };
  const Case cases[] = {
      {"1 bit", Format1Bit, {0, 255}},
      {"4 greys", Format2Bit, {0, 85}},
      {"16 greys", Format4Bit, {0, 16, 32, 48}},
  };
  const int32_t w = 64, h = 64;
  const Rgb navy{0, 0, 128};  // brightness (0 + 0 + 128) / 3 = 42.7
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (!OffscreenFormatAvailable(c.format)) continue;  // no 2-bit bitmaps on Windows
    TestTarget target(c.format, w, h);
    RowScene row(target, DitherDiffusion);
    const std::vector<Rgb> colours(w, navy);
    int32_t sum = 0, others = 0;
    for (int32_t v = 0; v < h; ++v) {
      row.write(v, 0, colours);
      for (int32_t x = 0; x < w; ++x) {
        const int32_t shade = target.pixel(x, v).red;
        sum += shade;
        if (std::find(c.shades.begin(), c.shades.end(), shade) == c.shades.end()) {
          ++others;
          // While the error builds up a pixel may land one grey further.
          EXPECT_LE(shade, 96) << x << ", " << v;
        }
      }
    }
    EXPECT_LE(others, w * h / 100);
    // Darker than the navy's mean channel, as its nearest greys are; but
    // not black all over.
    EXPECT_GT(sum / (w * h), 10);
    EXPECT_LT(sum / (w * h), 43);
  }
}

// A radial gradient from red in the middle to blue at the rim, on the
// tables of greys: every 8 x 8 block shows about the brightness of its
// colours, with no flat areas that lost it.
TEST(RowWriter, ErrorDiffusionFollowsAGradientOnGreyTables) {
  const int32_t size = 96;
  auto colourAt = [size](int32_t x, int32_t y) {
    const int32_t dx = 2 * x - size, dy = 2 * y - size;
    int32_t d = 0;
    while ((d + 1) * (d + 1) <= dx * dx + dy * dy) ++d;
    const int32_t t = d < size ? d * 255 / size : 255;
    return Rgb{255 - t, 40, t};
  };
  for (const int32_t format : {Format1Bit, Format2Bit, Format4Bit}) {
    SCOPED_TRACE(format);
    if (!OffscreenFormatAvailable(format)) continue;  // no 2-bit bitmaps on Windows
    TestTarget target(format, size, size);
    RowScene row(target, DitherDiffusion);
    for (int32_t v = 0; v < size; ++v) {
      std::vector<Rgb> colours;
      for (int32_t x = 0; x < size; ++x) colours.push_back(colourAt(x, v));
      row.write(v, 0, colours);
    }
    for (int32_t by = 0; by < size; by += 8) {
      for (int32_t bx = 0; bx < size; bx += 8) {
        int32_t wanted = 0, shown = 0;
        for (int32_t y = by; y < by + 8; ++y) {
          for (int32_t x = bx; x < bx + 8; ++x) {
            const Rgb c = colourAt(x, y), p = target.pixel(x, y);
            wanted += c.red + c.green + c.blue;
            shown += p.red + p.green + p.blue;
          }
        }
        EXPECT_NEAR(shown / (3 * 64), wanted / (3 * 64), 32) << "block at " << bx << ", " << by;
      }
    }
  }
}

// Colours of the 216-colour cube's table keep the output they had before
// the carried error was bounded: on the cube a pixel's error never comes
// near the bounds. The digest was taken from that output.
TEST(RowWriter, ErrorDiffusionOnTheColourCubeIsUnchanged) {
  const int32_t w = 256, h = 64;
  TestTarget target(Format8Bit, w, h);
  RowScene row(target, DitherDiffusion);
  uint32_t seed = 12345;
  auto next = [&seed]() {
    seed = seed * 1103515245u + 12345u;
    return static_cast<int32_t>(seed >> 16 & 0xFF);
  };
  uint32_t digest = 2166136261u;
  for (int32_t v = 0; v < h; ++v) {
    std::vector<Rgb> colours;
    for (int32_t x = 0; x < w; ++x) {
      // Smooth ramps in the left half, noise in the right.
      colours.push_back(x < w / 2 ? Rgb{x * 2, v * 4, 255 - x} : Rgb{next(), next(), next()});
    }
    // Spans of several lengths carry the error across calls.
    const int32_t cut = (v * 37) % w;
    SetRow(row.context(), v);
    WriteRow(row.context(), 0, cut, colours.data());
    WriteRow(row.context(), cut, w, colours.data() + cut);
    for (int32_t x = 0; x < w; ++x) digest = (digest ^ target.raw(x, v)) * 16777619u;
  }
  EXPECT_EQ(digest, 1464242099u);
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
