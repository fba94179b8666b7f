// Every offscreen format, rendered and written as a PNG: the picture shows
// the colours the offscreen holds.
#include <gtest/gtest.h>

#include "tools/lmr2png/tests/lmr2png_fixture.h"

namespace lmr::lmr2png::test {
namespace {

struct FormatCase {
  const char* format;
  const char* squareColor;
  Rgb inside;        // pixels (x + y) even inside the square
  Rgb insideOdd;     // pixels (x + y) odd inside the square
};

// Colours a format holds exactly where it can; the 1-bit format shows mid
// grey as a checkerboard of black and white, and 16-bit formats widen the
// stored channels (0x80 -> 16 -> 135; green 0x40 -> 8 -> 71 in 5 bits,
// 16 -> 67 in 6 bits).
const FormatCase Formats[] = {
    {"0", "#808080", rgb(255, 255, 255), rgb(0, 0, 0)},
    {"1", "#555555", rgb(85, 85, 85), rgb(85, 85, 85)},
    {"2", "#808080", rgb(128, 128, 128), rgb(128, 128, 128)},
    {"3", "#ff0000", rgb(255, 0, 0), rgb(255, 0, 0)},
    {"3", "#336699", rgb(0x33, 0x66, 0x99), rgb(0x33, 0x66, 0x99)},
    {"4", "#804010", rgb(135, 71, 23), rgb(135, 71, 23)},
    {"5", "#804010", rgb(135, 67, 23), rgb(135, 67, 23)},
    {"6", "#804010", rgb(128, 64, 16), rgb(128, 64, 16)},
    {"7", "#804010", rgb(128, 64, 16), rgb(128, 64, 16)},
};

TEST(PixelFormats, SquareOnWhiteInEveryFormat) {
  ScratchFolder folder;
  for (const FormatCase& c : Formats) {
    for (const char* quality : {"low", "high"}) {
      SCOPED_TRACE(std::string("format ") + c.format + " " + c.squareColor + " quality " + quality);
      const std::string movie = folder.write("square.lmr", squareMovie(c.squareColor));
      const std::string out = folder.file("square.png");
      const RunResult r = run({movie, "-o", out, "--format", c.format, "--quality", quality});
      ASSERT_EQ(r.status, ExitWritten) << r.err;
      const Picture p = readPng(out);
      ASSERT_TRUE(p.valid);
      ASSERT_EQ(p.width, 40);
      ASSERT_EQ(p.height, 30);
      // Inside: the corners and the middle of the square, both parities.
      for (auto [x, y] : {std::pair{10, 10}, {11, 10}, {29, 19}, {28, 19}, {20, 15}, {21, 15}}) {
        const Rgb want = (x + y) % 2 == 0 ? c.inside : c.insideOdd;
        EXPECT_TRUE(sameRgb(p.at(x, y), want)) << x << "," << y << ": " << show(p.at(x, y));
      }
      // Outside: next to each side, and the picture's corners.
      for (auto [x, y] : {std::pair{9, 15}, {30, 15}, {20, 9}, {20, 20}, {0, 0}, {39, 29}}) {
        EXPECT_TRUE(sameRgb(p.at(x, y), rgb(255, 255, 255))) << x << "," << y << ": " << show(p.at(x, y));
      }
    }
  }
}

TEST(PixelFormats, QualityDecidesWhetherEdgePixelsBlend) {
  // The square's left edge at 10.5 pixels: anti-aliased, pixel 10 is half
  // red over white ((255 * 8 + 255 * 8) >> 4, (0 + 255 * 8) >> 4); in
  // whole pixels it is red or white, nothing between.
  ScratchFolder folder;
  const std::string movie = folder.write(
      "half.lmr", compileMovie("movie rect 0 40px 0 30px rate 12\n" +
                               rectangleShape(1, "#ff0000", 210, 200, 600, 400) + "place 1 1\nframe\n"));
  const std::string out = folder.file("half.png");
  for (const char* quality : {"high", "best"}) {
    SCOPED_TRACE(quality);
    ASSERT_EQ(run({movie, "-o", out, "--quality", quality}).status, ExitWritten);
    const Picture p = readPng(out);
    EXPECT_TRUE(sameRgb(p.at(10, 15), rgb(255, 127, 127))) << show(p.at(10, 15));
    EXPECT_TRUE(sameRgb(p.at(11, 15), rgb(255, 0, 0))) << show(p.at(11, 15));
  }
  ASSERT_EQ(run({movie, "-o", out, "--quality", "low"}).status, ExitWritten);
  const Picture p = readPng(out);
  for (int32_t y = 10; y < 20; ++y) {
    const Rgb c = p.at(10, y);
    EXPECT_TRUE(sameRgb(c, rgb(255, 0, 0)) || sameRgb(c, rgb(255, 255, 255))) << y << ": " << show(c);
  }
}

}  // namespace
}  // namespace lmr::lmr2png::test
