// Picture size, scale mode, alignment and the page background.
#include <gtest/gtest.h>

#include "tools/lmr2png/frame_render.h"
#include "tools/lmr2png/tests/lmr2png_fixture.h"

namespace lmr::lmr2png::test {
namespace {

struct ViewCase {
  std::vector<std::string> options;
  int32_t width, height;          // of the picture
  int32_t x0, x1, y0, y1;         // the red frame, pixels, half-open
};

TEST(View, SizeScaleAndAlignment) {
  // A frame of 2000 x 1000 units (100 x 50 pixels) filled red on white.
  ScratchFolder folder;
  const std::string movie = folder.write(
      "wide.lmr", compileMovie("movie rect 0 2000 0 1000 rate 12\n" + rectangleShape(1, "#ff0000", 0, 0, 2000, 1000) +
                               "place 1 1\nframe\n"));
  const ViewCase cases[] = {
      {{}, 100, 50, 0, 100, 0, 50},
      {{"--size", "100x100"}, 100, 100, 0, 100, 25, 75},
      {{"--size", "100x100", "--salign", "T"}, 100, 100, 0, 100, 0, 50},
      {{"--size", "100x100", "--salign", "B"}, 100, 100, 0, 100, 50, 100},
      {{"--size", "100x100", "--salign", "TB"}, 100, 100, 0, 100, 0, 50},
      {{"--size", "200x50"}, 200, 50, 50, 150, 0, 50},
      {{"--size", "200x50", "--salign", "L"}, 200, 50, 0, 100, 0, 50},
      {{"--size", "200x50", "--salign", "R"}, 200, 50, 100, 200, 0, 50},
      {{"--size", "200x50", "--salign", "RL"}, 200, 50, 0, 100, 0, 50},
      {{"--size", "200x50", "--salign", "RB"}, 200, 50, 100, 200, 0, 50},
      {{"--size", "100x100", "--scale", "noborder"}, 100, 100, 0, 100, 0, 100},
      {{"--size", "100x100", "--scale", "exactfit"}, 100, 100, 0, 100, 0, 100},
      {{"--size", "100x100", "--scale", "showall"}, 100, 100, 0, 100, 25, 75},
      // No border at 200 x 50: 200 x 100 pixels of frame, cropped.
      {{"--size", "200x50", "--scale", "noborder"}, 200, 50, 0, 200, 0, 50},
  };
  const std::string out = folder.file("view.png");
  for (const ViewCase& c : cases) {
    std::string line;
    for (const std::string& a : c.options) line += a + " ";
    SCOPED_TRACE(line);
    std::vector<std::string> args = {movie, "-o", out};
    args.insert(args.end(), c.options.begin(), c.options.end());
    ASSERT_EQ(run(args).status, ExitWritten);
    const Picture p = readPng(out);
    ASSERT_TRUE(p.valid);
    ASSERT_EQ(p.width, c.width);
    ASSERT_EQ(p.height, c.height);
    for (int32_t y = 0; y < p.height; ++y) {
      for (int32_t x = 0; x < p.width; ++x) {
        const bool red = x >= c.x0 && x < c.x1 && y >= c.y0 && y < c.y1;
        ASSERT_TRUE(sameRgb(p.at(x, y), red ? rgb(255, 0, 0) : rgb(255, 255, 255)))
            << x << "," << y << ": " << show(p.at(x, y));
      }
    }
  }
}

TEST(View, DefaultSizeFromTheFrame) {
  struct SizeCase {
    Rect frame;
    int32_t width, height;
  };
  const SizeCase cases[] = {
      {{0, 11000, 0, 8000}, 550, 400},
      {{-200, 200, 100, 300}, 20, 10},
      {{0, 21, 0, 40}, 2, 2},  // rounded up
      {{0, 10, 0, 10}, 1, 1},
      {{0, 0, 0, 0}, 1, 1},
      {{100, 0, 50, 0}, 1, 1},  // inverted: nothing to show, still a picture
      // Longer than the cap: scaled down, the aspect kept.
      {{0, 400000, 0, 100000}, 8000, 2000},
      {{0, 100, 0, 200000}, 4, 8000},
      {{INT32_MIN, INT32_MAX, 0, 20}, 8000, 1},
  };
  for (const SizeCase& c : cases) {
    SCOPED_TRACE(std::to_string(c.frame.xmin) + " " + std::to_string(c.frame.xmax) + " " +
                 std::to_string(c.frame.ymin) + " " + std::to_string(c.frame.ymax));
    const ImageSize s = defaultImageSize(c.frame);
    EXPECT_EQ(s.width, c.width);
    EXPECT_EQ(s.height, c.height);
  }
}

TEST(View, PageBackground) {
  // The movie sets a blue background; the page colour wins over it, except
  // white, which (like the page parameter) stores nothing.
  ScratchFolder folder;
  const std::string blue = folder.write("blue.lmr", squareMovie("#ff0000", "background #0000ff\n"));
  const std::string plain = folder.write("plain.lmr", squareMovie("#ff0000"));
  struct BackgroundCase {
    std::string movie;
    std::vector<std::string> options;
    Rgb outside;
  };
  const BackgroundCase cases[] = {
      {blue, {}, rgb(0, 0, 255)},
      {blue, {"--bgcolor", "00ff00"}, rgb(0, 255, 0)},
      {blue, {"--bgcolor", "#00FF00"}, rgb(0, 255, 0)},
      {blue, {"--bgcolor", "ffffff"}, rgb(0, 0, 255)},
      {plain, {}, rgb(255, 255, 255)},
      {plain, {"--bgcolor", "102030"}, rgb(0x10, 0x20, 0x30)},
      {plain, {"--bgcolor", "000000"}, rgb(0, 0, 0)},
      // Also in the border of a show-all view.
      {blue, {"--bgcolor", "00ff00", "--size", "40x60"}, rgb(0, 255, 0)},
  };
  const std::string out = folder.file("bg.png");
  for (const BackgroundCase& c : cases) {
    std::string line = c.movie + " ";
    for (const std::string& a : c.options) line += a + " ";
    SCOPED_TRACE(line);
    std::vector<std::string> args = {c.movie, "-o", out};
    args.insert(args.end(), c.options.begin(), c.options.end());
    ASSERT_EQ(run(args).status, ExitWritten);
    const Picture p = readPng(out);
    ASSERT_TRUE(p.valid);
    EXPECT_TRUE(sameRgb(p.at(0, 0), c.outside)) << show(p.at(0, 0));
    EXPECT_TRUE(sameRgb(p.at(p.width - 1, p.height - 1), c.outside)) << show(p.at(p.width - 1, p.height - 1));
    EXPECT_TRUE(sameRgb(p.at(p.width / 2, p.height / 2), rgb(255, 0, 0))) << show(p.at(p.width / 2, p.height / 2));
  }
}

}  // namespace
}  // namespace lmr::lmr2png::test
