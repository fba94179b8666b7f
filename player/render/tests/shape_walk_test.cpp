#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "player/engine/chunk_memory.h"
#include "player/render/drawing_records.h"
#include "player/render/fill_style.h"
#include "player/render/shape_walk.h"
#include "player/render/tests/raster_fixture.h"
#include "player/render/tests/shape_fixture.h"

namespace lmr::test {
namespace {

const Rect SmallBounds{-200, 1200, -200, 1200};

// One shape (id 1) placed at depth 1 with identity matrices: raster units
// are movie units.
Bytes OneShape(const enc::ShapeBody& body, const Rect& bounds = SmallBounds) {
  return MovieFile({ShapeTag(1, bounds, body), PlaceTag(1, 1)});
}

enc::ShapeBody OneFill() {
  enc::ShapeBody body;
  body.fills.push_back(SolidStyle(255, 0, 0));
  return body;
}

std::string Describe(const Edge& e) {
  return "(" + std::to_string(e.x0) + "," + std::to_string(e.y0) + ") (" + std::to_string(e.cx) + "," +
         std::to_string(e.cy) + ") (" + std::to_string(e.x1) + "," + std::to_string(e.y1) + ") dir " +
         std::to_string(e.dir) + (e.straight ? " straight" : "");
}

std::vector<std::string> Describe(const std::vector<const Edge*>& edges) {
  std::vector<std::string> out;
  for (const Edge* e : edges) out.push_back(Describe(*e));
  std::sort(out.begin(), out.end());
  return out;
}

TEST(ShapeWalk, SquareKeepsItsTwoVerticalEdges) {
  enc::ShapeBody body = OneFill();
  AddSquare(body, 10, 20, 100, 1);
  ShapeStage stage(OneShape(body));
  BuildDrawingRecords(*stage.object());
  const std::vector<std::string> expected = {
      "(10,20) (10,70) (10,120) dir -1 straight",
      "(110,20) (110,70) (110,120) dir 1 straight",
  };
  EXPECT_EQ(Describe(stage.edges()), expected);
  for (const Edge* e : stage.edges()) {
    EXPECT_EQ(e->kind, EdgeEvenOdd);
    EXPECT_EQ(e->fillA, stage.object()->fillRecords);
    EXPECT_EQ(e->fillB, nullptr);
  }
}

TEST(ShapeWalk, CurvesBecomeMonotonicPieces) {
  struct Case {
    const char* name;
    std::vector<enc::ShapeRecord> records;  // after a move to (0, 0)
    std::vector<std::string> edges;
  };
  const Case cases[] = {
      {"cut at its y extremum", {CurveBy(50, -100, 50, 100)},
       {"(50,-50) (25,-50) (0,0) dir -1", "(50,-50) (75,-50) (100,0) dir 1"}},
      {"overshoot under 3 is flattened", {CurveBy(50, -2, 50, 42)}, {"(0,0) (50,0) (100,40) dir 1"}},
      {"upwards curves keep their control", {CurveBy(10, -20, 30, -20)}, {"(40,-40) (10,-20) (0,0) dir -1"}},
      {"straight and 1000 tall: one edge", {LineTo(0, 1000)}, {"(0,0) (0,500) (0,1000) dir 1 straight"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    enc::ShapeBody body = OneFill();
    body.records.push_back(Select(0, 0, 0, 1));
    body.records.insert(body.records.end(), c.records.begin(), c.records.end());
    ShapeStage stage(OneShape(body));
    BuildDrawingRecords(*stage.object());
    EXPECT_EQ(Describe(stage.edges()), c.edges);
  }
}

TEST(ShapeWalk, TallCurvesAreHalvedIntoAChain) {
  enc::ShapeBody body = OneFill();
  body.records.push_back(Select(0, 0, 0, 1));
  body.records.push_back(CurveBy(300, 500, -300, 500));
  ShapeStage stage(OneShape(body));
  BuildDrawingRecords(*stage.object());
  std::vector<const Edge*> edges = stage.edges();
  ASSERT_GE(edges.size(), 4u);
  std::sort(edges.begin(), edges.end(), [](const Edge* a, const Edge* b) { return a->y0 < b->y0; });
  EXPECT_EQ(edges.front()->y0, 0);
  EXPECT_EQ(edges.back()->y1, 1000);
  for (size_t i = 0; i < edges.size(); ++i) {
    EXPECT_LE(edges[i]->y1 - edges[i]->y0, MaxCurveHeight);
    if (i > 0) {
      EXPECT_EQ(edges[i]->y0, edges[i - 1]->y1);
      EXPECT_EQ(edges[i]->x0, edges[i - 1]->x1);
    }
  }
}

TEST(ShapeWalk, StyleChangesChooseTheEdgeKind) {
  struct Case {
    const char* name;
    uint32_t fill0, fill1;
    bool glyphMode;
    bool emits;
    uint8_t kind;
    int fillA, fillB;  // style numbers, 0 for none
  };
  const Case cases[] = {
      {"fill 1 only", 0, 2, false, true, EdgeEvenOdd, 2, 0},
      {"fill 1 only, glyph", 0, 2, true, true, EdgeWinding, 2, 0},
      {"fill 0 only", 1, 0, false, true, EdgeEvenOdd, 1, 0},
      {"both sides", 1, 2, false, true, EdgeTwoFill, 1, 2},
      {"both sides, glyph", 1, 2, true, true, EdgeTwoFill, 1, 2},
      {"index above the count: no fill", 5, 0, false, false, 0, 0, 0},
      {"none", 0, 0, false, false, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    enc::ShapeBody body = OneFill();
    body.fills.push_back(SolidStyle(0, 0, 255));
    body.fillBits = 4;
    body.records.push_back(Select(0, 0, c.fill0, c.fill1));
    body.records.push_back(LineTo(0, 50));
    ShapeStage stage(OneShape(body));
    DisplayObject& object = *stage.object();
    const CharacterRecord& character = *object.character;
    ShapeContext context;
    OpenShapeContext(context, stage.list, stage.movie, character.bodyOffset, character.tagEnd, object.deviceMatrix);
    context.glyphMode = c.glyphMode;
    context.object = &object;
    BuildShapeEdges(context, true, &object.deviceBounds);
    const std::vector<const Edge*> edges = stage.edges();
    ASSERT_EQ(edges.size(), c.emits ? 1u : 0u);
    if (!c.emits) continue;
    auto styleOf = [](const FillStyle* f) { return f ? static_cast<int>(f->priority & 0xFFFF) : 0; };
    EXPECT_EQ(edges[0]->kind, c.kind);
    EXPECT_EQ(styleOf(edges[0]->fillA), c.fillA);
    EXPECT_EQ(styleOf(edges[0]->fillB), c.fillB);
  }
}

TEST(ShapeWalk, FillsAndLinesGetTheirPriorities) {
  enc::ShapeBody body = OneFill();
  body.fills.push_back(SolidStyle(0, 255, 0));
  body.lines.push_back(enc::LineStyleDef{20, Rgb{1, 2, 3}});
  AddSquare(body, 0, 0, 10, 1);
  ShapeStage stage(MovieFile({ShapeTag(1, SmallBounds, body), PlaceTag(1, 7)}));
  BuildDrawingRecords(*stage.object());
  std::vector<uint32_t> priorities;
  for (const FillStyle* f = stage.object()->fillRecords; f; f = f->next) priorities.push_back(f->priority);
  std::sort(priorities.begin(), priorities.end());
  EXPECT_EQ(priorities, (std::vector<uint32_t>{7 << 16 | 1, 7 << 16 | 2, 7 << 16 | 3}));
}

TEST(ShapeWalk, FarAwayCurvesAreClampedOrDropped) {
  // Bounds beyond +-32000 turn clamp mode on: a line far to the left
  // becomes a vertical at -32000 over the rows it spans, one far below is
  // dropped, and a long one across the view is halved into pieces that fit.
  enc::ShapeBody body = OneFill();
  body.records.push_back(Select(-100000, 0, 0, 1));
  body.records.push_back(LineTo(-30000, 100));
  body.records.push_back(Select(0, 40000, 0, 1));
  body.records.push_back(LineTo(100, 100));
  body.records.push_back(Select(-60000, 200, 0, 1));
  body.records.push_back(LineTo(120000, 100));
  const Rect huge{-200000, 200000, -1000, 50000};
  ShapeStage stage(OneShape(body, huge));
  BuildDrawingRecords(*stage.object());
  std::vector<const Edge*> edges = stage.edges();
  ASSERT_GE(edges.size(), 2u);
  int verticals = 0;
  for (const Edge* e : edges) {
    EXPECT_LT(e->y0, e->y1);
    EXPECT_LE(e->y1, 300) << "the edge far below was dropped";
    if (e->y0 == 0) {
      ++verticals;
      EXPECT_EQ(Describe(*e), "(-32000,0) (-32000,50) (-32000,100) dir 1 straight");
    }
  }
  EXPECT_EQ(verticals, 1);
}

TEST(ShapeWalk, ReadsGradientAndBitmapStyles) {
  // A radial gradient of 10 stops (the record keeps 8), a bitmap fill whose
  // id names no bitmap, then a solid: the solid is read right after both.
  enc::ShapeBody body;
  enc::FillStyleDef gradient;
  gradient.type = enc::FillTypeRadial;
  for (int i = 0; i < 10; ++i) gradient.stops.push_back(enc::GradientStop{static_cast<uint8_t>(20 * i), Rgb{i, 0, 0}});
  body.fills.push_back(gradient);
  enc::FillStyleDef bitmap;
  bitmap.type = enc::FillTypeBitmap;
  bitmap.bitmapId = 1;  // the shape itself
  body.fills.push_back(bitmap);
  body.fills.push_back(SolidStyle(1, 2, 3));
  AddSquare(body, 0, 0, 10, 3);
  ShapeStage stage(OneShape(body));
  TestTarget target(Format32, 16, 16);
  stage.list.setOffscreen(&target.offscreen);
  stage.list.render();  // builds with a target: fills are prepared
  const FillStyle* styles[4] = {};
  for (const FillStyle* f = stage.object()->fillRecords; f; f = f->next) styles[f->priority & 0xFFFF] = f;
  ASSERT_TRUE(styles[1] && styles[2] && styles[3]);
  EXPECT_EQ(styles[1]->type, FillGradient);
  EXPECT_EQ(styles[1]->gradientKind, FillTypeRadial);
  EXPECT_EQ(styles[1]->stopCount, MaxGradientStops);
  EXPECT_EQ(styles[1]->stopRatios[7], 140);
  EXPECT_EQ(packedRed(styles[1]->stopColours[7]), 7u);
  EXPECT_NE(styles[1]->ramp, nullptr);
  // Identity style and device matrices: the inverse is the identity.
  EXPECT_EQ(styles[1]->inverse, Matrix{});
  EXPECT_EQ(styles[2]->type, FillSolid);
  EXPECT_EQ((Rgb{styles[2]->red, styles[2]->green, styles[2]->blue}), (Rgb{255, 0, 0}));
  EXPECT_EQ((Rgb{styles[3]->red, styles[3]->green, styles[3]->blue}), (Rgb{1, 2, 3}));
  EXPECT_EQ(target.pixel(5, 5), (Rgb{1, 2, 3}));
}

TEST(ShapeWalk, BodiesThatRunOutEndTheWalk) {
  // The tag is cut after its first edges: the walk builds what is complete
  // and stops at the tag's end, whatever bytes follow it.
  enc::ShapeBody body = OneFill();
  for (int i = 0; i < 8; ++i) AddSquare(body, 20 * i, 0, 10, 1);
  Bytes shape = enc::shapeBody(1, SmallBounds, -1, body);
  const size_t full = shape.size();
  for (size_t cut : {full / 2, full - 2, size_t{9}}) {
    SCOPED_TRACE(cut);
    Bytes cutShape(shape.begin(), shape.begin() + static_cast<long>(cut));
    ShapeStage stage(MovieFile({Tag(enc::TagShape, cutShape), PlaceTag(1, 1), ShapeTag(2, SmallBounds, body)}));
    ASSERT_NE(stage.object(), nullptr);
    BuildDrawingRecords(*stage.object());
    EXPECT_LT(stage.edges().size(), 16u);
  }
}

TEST(ShapeWalk, NothingForAMovieInAnErrorState) {
  enc::ShapeBody body = OneFill();
  AddSquare(body, 0, 0, 10, 1);
  ShapeStage stage(OneShape(body));
  stage.movie.error = ResultOutOfMemory;
  BuildDrawingRecords(*stage.object());
  EXPECT_EQ(stage.object()->edgeRecords, nullptr);
  EXPECT_EQ(stage.object()->fillRecords, nullptr);
}

TEST(ShapeWalk, StylesWithoutPoolBlocksSelectNoFill) {
  enc::ShapeBody body = OneFill();
  AddSquare(body, 0, 0, 10, 1);
  ShapeStage stage(OneShape(body));
  setChunkFailAfter(0);
  BuildDrawingRecords(*stage.object());
  setChunkFailAfter(-1);
  EXPECT_EQ(stage.object()->fillRecords, nullptr);
  EXPECT_EQ(stage.object()->edgeRecords, nullptr);
}

TEST(ShapeWalk, ReleaseReturnsEveryRecord) {
  enc::ShapeBody body = OneFill();
  AddSquare(body, 0, 0, 10, 1);
  ShapeStage stage(OneShape(body));
  DisplayObject& object = *stage.object();
  BuildDrawingRecords(object);
  ASSERT_NE(object.edgeRecords, nullptr);
  const long chunks = chunkRequestCount();
  ReleaseDrawingRecords(object);
  EXPECT_EQ(object.edgeRecords, nullptr);
  EXPECT_EQ(object.fillRecords, nullptr);
  // Built again from the freed blocks: no new chunk.
  BuildDrawingRecords(object);
  EXPECT_NE(object.edgeRecords, nullptr);
  EXPECT_EQ(chunkRequestCount(), chunks);
}

TEST(HitTest, RingHasAHole) {
  // Outer square 0..100 and inner square 30..70 in the same fill, even-odd.
  enc::ShapeBody body = OneFill();
  AddSquare(body, 0, 0, 100, 1);
  AddSquare(body, 30, 30, 40, 1);
  ShapeStage stage(OneShape(body, Rect{0, 100, 0, 100}));
  struct Case {
    Point point;
    bool inside;
  };
  const Case cases[] = {
      {{10, 50}, true}, {{50, 10}, true}, {{50, 50}, false}, {{85, 85}, true}, {{150, 50}, false}, {{50, -5}, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(HitTestShape(*stage.object(), c.point), c.inside) << c.point.x << "," << c.point.y;
    for (const FillStyle* f = stage.object()->fillRecords; f; f = f->next) EXPECT_EQ(f->active, 0);
  }
}

}  // namespace
}  // namespace lmr::test
