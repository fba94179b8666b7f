#include <gtest/gtest.h>

#include <string>

#include "player/engine/chunk_memory.h"
#include "player/engine/geometry.h"
#include "player/render/drawing_records.h"
#include "player/render/scan_converter.h"
#include "player/render/tests/raster_fixture.h"
#include "player/render/tests/shape_fixture.h"

namespace lmr::test {
namespace {

Bytes BackgroundTag(int32_t red, int32_t green, int32_t blue) {
  enc::BitWriter b;
  b.rgb(static_cast<uint32_t>(red), static_cast<uint32_t>(green), static_cast<uint32_t>(blue));
  return Tag(enc::TagBackground, b.bytes);
}

// Blue background; a red square (10..30) at depth 1 and a green one
// (20..40, 5..25) at depth 2, placed first so that list order and depth
// disagree.
Bytes TwoSquares() {
  enc::ShapeBody red, green;
  red.fills.push_back(SolidStyle(255, 0, 0));
  AddSquare(red, 10, 10, 20, 1);
  green.fills.push_back(SolidStyle(0, 255, 0));
  AddSquare(green, 20, 5, 20, 1);
  return MovieFile({BackgroundTag(0, 0, 255), ShapeTag(1, Rect{10, 30, 10, 30}, red),
                    ShapeTag(2, Rect{20, 40, 5, 25}, green), PlaceTag(2, 2), PlaceTag(1, 1)});
}

// One character per pixel: b blue, r red, g green, '?' anything else.
std::string Picture(const TestTarget& t) {
  std::string s;
  for (int32_t y = 0; y < t.offscreen.height; ++y) {
    for (int32_t x = 0; x < t.offscreen.width; ++x) {
      const Rgb p = t.pixel(x, y);
      s += p == Rgb{0, 0, 255} ? 'b' : p == Rgb{255, 0, 0} ? 'r' : p == Rgb{0, 255, 0} ? 'g' : '?';
    }
    s += '\n';
  }
  return s;
}

std::string Expected(int32_t w, int32_t h) {
  std::string s;
  for (int32_t y = 0; y < h; ++y) {
    for (int32_t x = 0; x < w; ++x) {
      const bool green = x >= 20 && x < 40 && y >= 5 && y < 25;
      const bool red = x >= 10 && x < 30 && y >= 10 && y < 30;
      s += green ? 'g' : red ? 'r' : 'b';
    }
    s += '\n';
  }
  return s;
}

TEST(FrameRender, MovieBytesToPixels) {
  for (bool antialias : {false, true}) {
    SCOPED_TRACE(antialias ? "antialias" : "pixels");
    ShapeStage stage(TwoSquares());
    TestTarget target(Format32, 48, 36, true);
    stage.list.setOffscreen(&target.offscreen);
    stage.list.applyView(matrixScale(antialias ? 4 * FixedOne : FixedOne, antialias ? 4 * FixedOne : FixedOne),
                         antialias);
    stage.list.render();
    EXPECT_EQ(Picture(target), Expected(48, 36));
    EXPECT_TRUE(rectIsEmpty(stage.list.changedArea));
    // What was rendered waits to be copied to the window: the changed
    // pixels, grown by the margin.
    EXPECT_EQ(stage.list.pendingScreenArea, (Rect{-2, 50, -2, 38}));
    for (DisplayObject* o = stage.list.firstObject; o; o = o->next) EXPECT_TRUE(o->drawn);
  }
}

TEST(FrameRender, OnlyTheChangedAreaIsPainted) {
  ShapeStage stage(TwoSquares());
  TestTarget target(Format32, 48, 36);
  stage.list.setOffscreen(&target.offscreen);
  stage.list.render();
  target.clear32(Rgb{1, 1, 1});
  stage.list.changedArea = Rect{10, 12, 10, 12};
  stage.list.render();
  // changedPixels grows the area by 2 on every side: pixels 8..13.
  for (int32_t y = 0; y < 36; ++y) {
    for (int32_t x = 0; x < 48; ++x) {
      const bool inside = x >= 8 && x < 14 && y >= 8 && y < 14;
      const bool red = x >= 10 && y >= 10;
      const Rgb expected = !inside ? Rgb{1, 1, 1} : red ? Rgb{255, 0, 0} : Rgb{0, 0, 255};
      ASSERT_EQ(target.pixel(x, y), expected) << x << "," << y;
    }
  }
}

TEST(FrameRender, NothingWithoutPixelsAndTheChangedAreaWaits) {
  ShapeStage stage(TwoSquares());
  stage.list.render();  // no offscreen yet
  EXPECT_FALSE(rectIsEmpty(stage.list.changedArea));
  TestTarget target(Format32, 48, 36);
  stage.list.setOffscreen(&target.offscreen);
  stage.list.render();
  EXPECT_EQ(Picture(target), Expected(48, 36));
}

TEST(FrameRender, RecordsBuiltBeforeTheFirstFrameArePreparedThen) {
  // A hit test builds records while the renderer has no target yet.
  ShapeStage stage(TwoSquares());
  DisplayObject* red = stage.list.findObject(objectKey(1, 1));
  ASSERT_NE(red, nullptr);
  EXPECT_TRUE(HitTestShape(*red, Point{15, 15}));
  TestTarget target(Format32, 48, 36);
  stage.list.setOffscreen(&target.offscreen);
  stage.list.render();
  EXPECT_EQ(Picture(target), Expected(48, 36));
}

TEST(FrameRender, LaterFramesAllocateNothing) {
  // Once the pools have their chunks and the edge table its rows, a frame
  // takes no memory: chunk requests and edge-table growth stay put.
  for (bool antialias : {false, true}) {
    SCOPED_TRACE(antialias ? "antialias" : "pixels");
    ShapeStage stage(TwoSquares());
    TestTarget target(Format565, 48, 36);
    stage.list.setOffscreen(&target.offscreen);
    stage.list.applyView(matrixScale(antialias ? 4 * FixedOne : FixedOne, antialias ? 4 * FixedOne : FixedOne),
                         antialias);
    stage.list.render();
    const long chunks = chunkRequestCount();
    const long growths = edgeTableGrowthCount();
    for (int i = 0; i < 3; ++i) {
      stage.list.invalidateAll();
      stage.list.render();
    }
    EXPECT_EQ(chunkRequestCount(), chunks);
    EXPECT_EQ(edgeTableGrowthCount(), growths);
  }
}

}  // namespace
}  // namespace lmr::test
