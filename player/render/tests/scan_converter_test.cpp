#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "player/engine/chunk_memory.h"
#include "player/render/scan_converter.h"
#include "player/render/tests/raster_fixture.h"

namespace lmr::test {
namespace {

const Rgb White{255, 255, 255};
const Rgb Black{0, 0, 0};
const Rgb Marker{10, 20, 30};  // a pixel that no test paints

std::string Picture(const TestTarget& t, const Rgb& ink) { return Picture(t, Marker, ink, '?'); }

TEST(ScanConverter, RectanglesAreHalfOpen) {
  struct Case {
    const char* name;
    bool antialias;
    int32_t x0, y0, x1, y1;  // raster units
    int32_t px0, py0, px1, py1;  // pixels expected fully covered
  };
  const Case cases[] = {
      {"pixels", false, 10, 10, 20, 20, 10, 10, 20, 20},
      {"quarter pixels on pixel borders", true, 40, 40, 80, 80, 10, 10, 20, 20},
      {"one pixel", false, 3, 4, 4, 5, 3, 4, 4, 5},
      {"touching the target's right and bottom ends", false, 20, 20, 32, 24, 20, 20, 32, 24},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestTarget target(Format32, 32, 24);
    target.clear32(Marker);
    Scene scene;
    scene.rect(scene.solid(0, 0, 0, 1), c.x0, c.y0, c.x1, c.y1);
    scene.render(target, c.antialias);
    EXPECT_EQ(Picture(target, Black), Box(32, 24, c.px0, c.py0, c.px1, c.py1));
  }
}

TEST(ScanConverter, PartlyCoveredPixelsBlendWithWhiteUntilTheTargetHasContent) {
  // Black over (41..80) x (40..80): column 10 is covered 3/4 on every row.
  {
    TestTarget target(Format32, 24, 24);
    target.clear32(Marker);
    Scene scene;
    scene.rect(scene.solid(0, 0, 0, 1), 41, 40, 80, 80);
    scene.render(target, true);
    const int32_t quarterWhite = (255 * 4) >> 4;  // coverage b = 12
    for (int32_t y = 10; y < 20; ++y) {
      EXPECT_EQ(target.pixel(10, y), (Rgb{quarterWhite, quarterWhite, quarterWhite})) << y;
      for (int32_t x = 11; x < 20; ++x) EXPECT_EQ(target.pixel(x, y), Black) << x << "," << y;
      EXPECT_EQ(target.pixel(20, y), Marker);
    }
    EXPECT_EQ(target.pixel(10, 9), Marker);
  }
  // Half covered (b = 8) by black: (0 + 255 * 8) >> 4 over white, whatever
  // the target holds.
  {
    TestTarget target(Format32, 8, 8);
    target.clear32(Rgb{255, 0, 0});
    Scene scene;
    scene.rect(scene.solid(0, 0, 0, 1), 10, 0, 16, 32);
    scene.render(target, true);
    EXPECT_EQ(target.pixel(2, 3), (Rgb{127, 127, 127}));
    EXPECT_EQ(target.pixel(3, 3), Black);
  }
  // After a flush the same pixel blends with what was painted: red below.
  {
    TestTarget target(Format32, 8, 8);
    Scene scene;
    scene.rect(scene.solid(255, 0, 0, 1), 0, 0, 32, 32);
    scene.begin(target, true);
    AddEdges(scene.context, scene.head);
    FlushFrame(scene.context);
    EXPECT_TRUE(scene.context.targetHasContent);
    Scene top;
    FillStyle& black = top.solid(0, 0, 0, 2);
    InitFill(black, &scene.context);
    PrepareFill(black);
    top.rect(black, 10, 0, 16, 32);
    AddEdges(scene.context, top.head);
    PaintFrame(scene.context);
    EXPECT_EQ(target.pixel(2, 3), (Rgb{127, 0, 0}));
    EXPECT_EQ(target.pixel(1, 3), (Rgb{255, 0, 0}));
    EXPECT_EQ(target.pixel(3, 3), Black);
  }
}

// Records every painted span; fails on a pixel painted twice in one pass.
std::vector<std::string>* spanLog = nullptr;
void LoggingPainter(RasterContext& context, int32_t startX, int32_t endX, FillStyle& fill) {
  if (startX >= endX) return;
  spanLog->push_back(std::to_string(context.rowY) + ":" + std::to_string(startX) + "-" +
                     std::to_string(endX) + "@" + std::to_string(fill.priority));
}

TEST(ScanConverter, HigherPriorityCoversLowerWithoutOverdraw) {
  std::vector<std::string> log;
  spanLog = &log;
  TestTarget target(Format32, 40, 4);
  Scene scene;
  // Depth 2 overlaps depth 1 in the middle; the background is below both.
  FillStyle& background = scene.custom(LoggingPainter, 0);
  FillStyle& low = scene.custom(LoggingPainter, 1 << 16 | 1);
  FillStyle& high = scene.custom(LoggingPainter, 2 << 16 | 1);
  scene.rect(background, 0, 0, 40, 1);
  scene.rect(high, 15, 0, 30, 1);
  scene.rect(low, 5, 0, 20, 1);
  scene.render(target, false);
  const std::vector<std::string> expected = {
      "0:0-5@0", "0:5-15@65537", "0:15-30@131073", "0:30-40@0",
  };
  EXPECT_EQ(log, expected);
  spanLog = nullptr;
}

TEST(ScanConverter, FillRules) {
  struct Case {
    const char* name;
    uint8_t kind;
    bool innerReversed;  // inner outline drawn the other way round
    const char* row;     // one row of pixels across both outlines
  };
  // Outer [2, 14), inner [5, 9), both in the same fill.
  const Case cases[] = {
      {"even-odd overlap is off", EdgeEvenOdd, false, "..###....#####.."},
      {"winding, same direction: filled inside", EdgeWinding, false, "..############.."},
      {"winding, opposite direction: a hole", EdgeWinding, true, "..###....#####.."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestTarget target(Format32, 16, 2);
    target.clear32(Marker);
    Scene scene;
    FillStyle& fill = scene.solid(0, 0, 0, 1);
    scene.rect(fill, 2, 0, 14, 2, c.kind);
    if (c.innerReversed) {
      scene.line(fill, 5, 2, 5, 0, c.kind);
      scene.line(fill, 9, 0, 9, 2, c.kind);
    } else {
      scene.rect(fill, 5, 0, 9, 2, c.kind);
    }
    scene.render(target, false);
    const std::string row = std::string(c.row) + "\n";
    EXPECT_EQ(Picture(target, Black), row + row);
  }
}

TEST(ScanConverter, TwoFillEdgeSwitchesBothSides) {
  // [2, 8) red, [8, 14) blue: the shared edge at 8 turns red off and blue on.
  TestTarget target(Format32, 16, 1);
  target.clear32(Marker);
  Scene scene;
  FillStyle& red = scene.solid(255, 0, 0, 1);
  FillStyle& blue = scene.solid(0, 0, 255, 2);
  scene.line(red, 2, 0, 2, 1, EdgeEvenOdd);
  scene.line(red, 8, 0, 8, 1, EdgeTwoFill, &blue);
  scene.line(blue, 14, 0, 14, 1, EdgeEvenOdd);
  scene.render(target, false);
  for (int32_t x = 0; x < 16; ++x) {
    const Rgb expected = x < 2 || x >= 14 ? Marker : x < 8 ? Rgb{255, 0, 0} : Rgb{0, 0, 255};
    EXPECT_EQ(target.pixel(x, 0), expected) << x;
  }
}

TEST(ScanConverter, RowOrderOfTheTarget) {
  // The same scene on top-down and bottom-up targets shows the same picture;
  // in memory the bottom-up one starts with the last row.
  std::string pictures[2];
  for (int i = 0; i < 2; ++i) {
    const bool bottomUp = i == 1;
    TestTarget target(Format32, 8, 6, bottomUp);
    target.clear32(Marker);
    Scene scene;
    scene.rect(scene.solid(0, 0, 0, 1), 1, 0, 3, 2);
    scene.render(target, false);
    pictures[i] = Picture(target, Black);
    uint32_t first;
    std::memcpy(&first, target.offscreen.bits + 4, 4);
    EXPECT_EQ(first, bottomUp ? 0x000A141Eu : 0u) << "first stored row";
  }
  EXPECT_EQ(pictures[0], Box(8, 6, 1, 0, 3, 2));
  EXPECT_EQ(pictures[1], pictures[0]);
}

TEST(ScanConverter, PaintsOnlyInsideTheClip) {
  struct Case {
    const char* name;
    bool antialias;
    Rect clip;
    const char* expected;
  };
  const Case cases[] = {
      {"inside", false, Rect{2, 6, 1, 3}, "........\n..####..\n..####..\n........\n"},
      {"clip beyond the target", false, Rect{-5, 50, 2, 90}, "........\n........\n########\n########\n"},
      {"empty clip", false, Rect{}, "........\n........\n........\n........\n"},
      {"inside, anti-aliased", true, Rect{2, 6, 1, 3}, "........\n..####..\n..####..\n........\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestTarget target(Format32, 8, 4);
    target.clear32(Marker);
    Scene scene;
    const int32_t k = c.antialias ? 4 : 1;
    scene.rect(scene.solid(0, 0, 0, 1), -10 * k, -10 * k, 20 * k, 20 * k);
    scene.render(target, c.antialias, c.clip);
    EXPECT_EQ(Picture(target, Black), c.expected);
  }
}

TEST(ScanConverter, IgnoresLevelEdgesAndEdgesWithoutFill) {
  TestTarget target(Format32, 8, 2);
  target.clear32(Marker);
  Scene scene;
  FillStyle& fill = scene.solid(0, 0, 0, 1);
  scene.rect(fill, 2, 0, 4, 2);
  scene.line(fill, 0, 1, 8, 1);  // level
  scene.line(fill, 6, 0, 6, 2).fillA = nullptr;
  scene.render(target, false);
  EXPECT_EQ(Picture(target, Black), Box(8, 2, 2, 0, 4, 2));
}

// Exact coverage of axis-aligned rectangles at quarter-pixel positions:
// each pixel shows (255 * (16 - b)) >> 4 where b is its covered area in
// sixteenths, and pixels the rectangle misses keep the white they had.
TEST(ScanConverter, AntialiasedCoverageEqualsExactArea) {
  std::mt19937 random(20240611);
  for (int trial = 0; trial < 150; ++trial) {
    const int32_t w = 12, h = 10;
    std::uniform_int_distribution<int32_t> xs(-6, 4 * w + 6), ys(-6, 4 * h + 6);
    int32_t x0 = xs(random), x1 = xs(random), y0 = ys(random), y1 = ys(random);
    if (x0 > x1) std::swap(x0, x1);
    if (y0 > y1) std::swap(y0, y1);
    TestTarget target(Format32, w, h);
    target.clear32(White);
    Scene scene;
    scene.rect(scene.solid(0, 0, 0, 1), x0, y0, x1, y1);
    scene.render(target, true);
    for (int32_t py = 0; py < h; ++py) {
      for (int32_t px = 0; px < w; ++px) {
        auto overlap = [](int32_t a0, int32_t a1, int32_t b0, int32_t b1) {
          const int32_t lo = a0 > b0 ? a0 : b0, hi = a1 < b1 ? a1 : b1;
          return hi > lo ? hi - lo : 0;
        };
        const int32_t b = overlap(x0, x1, 4 * px, 4 * px + 4) * overlap(y0, y1, 4 * py, 4 * py + 4);
        const int32_t v = (255 * (16 - b)) >> 4;
        ASSERT_EQ(target.pixel(px, py), (Rgb{v, v, v}))
            << "rect (" << x0 << ", " << y0 << ")-(" << x1 << ", " << y1 << ") pixel " << px << "," << py;
      }
    }
  }
}

TEST(ScanConverter, PixelsSharedByTwoFillsMixTheirColours) {
  // Red on the left quarter-columns 0-1, blue on 2-3 of pixel 1: the pixel
  // holds half of each.
  TestTarget target(Format32, 4, 1);
  target.clear32(Marker);
  Scene scene;
  FillStyle& red = scene.solid(255, 0, 0, 1);
  FillStyle& blue = scene.solid(0, 0, 255, 2);
  scene.rect(red, 0, 0, 6, 4);
  scene.rect(blue, 6, 0, 16, 4);
  scene.render(target, true);
  EXPECT_EQ(target.pixel(0, 0), (Rgb{255, 0, 0}));
  EXPECT_EQ(target.pixel(1, 0), (Rgb{127, 0, 127}));
  EXPECT_EQ(target.pixel(2, 0), (Rgb{0, 0, 255}));
}

TEST(ScanConverter, SurvivesPoolsWithoutMemory) {
  // No chunk for active edges or coverage runs: nothing is painted, nothing
  // breaks, and the next frame with memory paints normally.
  for (bool antialias : {false, true}) {
    SCOPED_TRACE(antialias ? "antialias" : "pixels");
    TestTarget target(Format32, 8, 4);
    target.clear32(Marker);
    Scene scene;
    const int32_t k = antialias ? 4 : 1;
    scene.rect(scene.solid(0, 0, 0, 1), 2 * k, 0, 6 * k, 4 * k);
    setChunkFailAfter(0);
    scene.render(target, antialias);
    setChunkFailAfter(-1);
    EXPECT_EQ(Picture(target, Black), Box(8, 4, 0, 0, 0, 0));
    scene.render(target, antialias);
    EXPECT_EQ(Picture(target, Black), Box(8, 4, 2, 0, 6, 4));
  }
}

TEST(ScanConverter, EdgeTableKeepsItsCapacity) {
  TestTarget target(Format32, 16, 16);
  Scene scene;
  scene.rect(scene.solid(0, 0, 0, 1), 0, 0, 8, 8);
  scene.render(target, true);
  const long growths = edgeTableGrowthCount();
  for (int i = 0; i < 3; ++i) scene.render(target, true);
  scene.render(target, false);
  EXPECT_EQ(edgeTableGrowthCount(), growths);
  EXPECT_GE(scene.context.edgeTableCapacity, 16 * 4 + 1);
}

TEST(ScanConverter, FillsAreOffBetweenFrames) {
  // An outline that never closes leaves its fill on at the end of the
  // line; the frame ends with every fill off and out of the active list.
  TestTarget target(Format32, 8, 2);
  Scene scene;
  FillStyle& fill = scene.solid(0, 0, 0, 1);
  scene.line(fill, 3, 0, 3, 2);
  scene.render(target, false);
  EXPECT_EQ(fill.active, 0);
  EXPECT_FALSE(fill.inActiveList);
  EXPECT_EQ(scene.context.activeFills, nullptr);
}

}  // namespace
}  // namespace lmr::test
