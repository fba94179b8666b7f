#include "player/render/stroker.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "player/engine/block_pool.h"
#include "player/engine/chunk_memory.h"
#include "player/engine/geometry.h"
#include "player/render/curve.h"
#include "player/render/drawing_records.h"
#include "player/render/edge.h"
#include "player/render/edge_emitter.h"
#include "player/render/tests/raster_fixture.h"
#include "player/render/tests/shape_fixture.h"

namespace lmr::test {
namespace {

const Rgb Marker{10, 20, 30};  // a pixel no stroke paints
const Rgb Ink{0, 0, 0};

struct PointOrder {
  bool operator()(const Point& a, const Point& b) const { return a.x != b.x ? a.x < b.x : a.y < b.y; }
};
using PointSet = std::set<Point, PointOrder>;

// One stroked path, step by step: a segment is a straight line to a point
// or a curve through a control point to it.
struct Step {
  bool curved;
  Point control;
  Point to;
};
Step To(int32_t x, int32_t y) {
  return Step{false, Point{}, Point{x, y}};
}
Step Via(int32_t cx, int32_t cy, int32_t x, int32_t y) {
  return Step{true, Point{cx, cy}, Point{x, y}};
}

// A stroker writing into its own edge pool, with a scene to paint its
// edges: the fill is a scene fill, so the scan converter can draw them.
struct StrokeStage {
  BlockPool pool;
  Edge* edges = nullptr;
  Scene scene;
  FillStyle& fill;
  Stroker stroker;

  explicit StrokeStage(uint32_t blocksPerChunk = 600) : fill(scene.solid(Ink.red, Ink.green, Ink.blue, 1)) {
    pool.initPool(sizeof(Edge), blocksPerChunk);
    InitStroker(stroker, pool, &edges);
  }

  // Strokes one path from `start`; false for an open one.
  void stroke(int32_t width, bool antialias, Point start, const std::vector<Step>& steps) {
    stroker.antialias = antialias;
    BeginStroke(stroker, width, fill);
    Point at = start;
    for (const Step& s : steps) {
      StrokeSegment(stroker, s.curved ? MakeCurve(at, s.control, s.to) : MakeLine(at, s.to));
      at = s.to;
    }
    EndStroke(stroker);
  }

  std::vector<const Edge*> list() const {
    std::vector<const Edge*> all;
    for (const Edge* e = edges; e; e = e->next) all.push_back(e);
    return all;
  }

  // Distinct anchor points of the edges.
  PointSet anchors() const {
    PointSet all;
    for (const Edge* e : list()) {
      all.insert(Point{e->x0, e->y0});
      all.insert(Point{e->x1, e->y1});
    }
    return all;
  }

  // Paints the edges into a 32-bit target cleared to the marker.
  void paint(TestTarget& target, bool antialias) {
    target.clear32(Marker);
    scene.head = edges;
    scene.render(target, antialias);
  }
};

// Every edge is sound for the scan converter: top anchor first, control
// between the anchors in y, inside the 16-bit range, switching the line's
// fill by winding.
void ExpectSoundEdges(const StrokeStage& stage) {
  for (const Edge* e : stage.list()) {
    EXPECT_LT(e->y0, e->y1);
    EXPECT_LE(e->y0, e->cy);
    EXPECT_LE(e->cy, e->y1);
    for (int32_t v : {e->x0, e->y0, e->cx, e->cy, e->x1, e->y1}) {
      EXPECT_LE(v, EdgeCoordinateLimit);
      EXPECT_GE(v, -EdgeCoordinateLimit);
    }
    EXPECT_EQ(e->kind, EdgeWinding);
    EXPECT_EQ(e->fillA, &stage.fill);
    EXPECT_EQ(e->fillB, nullptr);
  }
}

// Covered pixels as text: '#' ink, '.' untouched, '+' partly covered.
std::string Picture(const TestTarget& t) { return Picture(t, Marker, Ink, '+'); }

TEST(Stroker, WideHorizontalLineHasSidesAndRoundCaps) {
  // (0, 0) to (100, 0), width 20, moved by (20, 20) to lie on the target.
  StrokeStage stage;
  stage.stroke(20, false, Point{20, 20}, {To(120, 20)});
  ExpectSoundEdges(stage);

  // The start cap: half a turn around (20, 20) in 10 pieces through 9
  // points on the circle of radius 10, every 18 degrees behind the start.
  // The first and last piece run level from the offset points (20, 10)
  // and (20, 30) and are dropped, so the cap's edges are the 8 pieces
  // between the 9 points.
  const Point centre{20, 20};
  std::vector<Point> capPoints;
  for (const Point& p : stage.anchors()) {
    if (p.x < centre.x) capPoints.push_back(p);
  }
  ASSERT_EQ(capPoints.size(), 9u);
  for (int k = 1; k <= 9; ++k) {
    const double angle = (270.0 - 18.0 * k) * 3.14159265358979 / 180.0;
    const Point expected{20 + static_cast<int32_t>(std::lround(10 * std::cos(angle))),
                         20 + static_cast<int32_t>(std::lround(10 * std::sin(angle)))};
    bool found = false;
    for (const Point& p : capPoints)
      found = found || (std::abs(p.x - expected.x) <= 1 && std::abs(p.y - expected.y) <= 1);
    EXPECT_TRUE(found) << "cap point " << k << " near (" << expected.x << ", " << expected.y << ")";
  }
  int capEdges = 0;
  for (const Edge* e : stage.list()) capEdges += e->x0 < centre.x && e->x1 < centre.x ? 1 : 0;
  EXPECT_EQ(capEdges, 8);

  // The sides at y = -10 and y = 10: rows 10 to 29 are covered along the
  // line, and the caps reach 10 units beyond its ends on the centre row.
  TestTarget target(Format32, 150, 40);
  stage.paint(target, false);
  for (int32_t y = 0; y < 40; ++y) {
    EXPECT_EQ(target.pixel(70, y) == Ink, y >= 10 && y < 30) << y;
  }
  EXPECT_EQ(target.pixel(11, 20), Ink);
  EXPECT_EQ(target.pixel(9, 20), Marker);
  EXPECT_EQ(target.pixel(128, 20), Ink);
  EXPECT_EQ(target.pixel(131, 20), Marker);
}

TEST(Stroker, ClosedSquareGetsFourRoundJoinsAndNoCaps) {
  // (0, 0) to (100, 100) clockwise on the screen, moved by (20, 20).
  StrokeStage stage;
  stage.stroke(20, false, Point{20, 20}, {To(120, 20), To(120, 120), To(20, 120), To(20, 20)});
  ExpectSoundEdges(stage);

  // Each outer corner gets an arc of points 10 units from the corner, in
  // the quadrant beyond both sides; a quarter turn of radius 10 is 5 pieces.
  struct Corner {
    Point at;
    int32_t sx, sy;  // direction of the outer quadrant
  };
  const Corner corners[] = {{{20, 20}, -1, -1}, {{120, 20}, 1, -1}, {{120, 120}, 1, 1}, {{20, 120}, -1, 1}};
  for (const Corner& c : corners) {
    SCOPED_TRACE(std::to_string(c.at.x) + "," + std::to_string(c.at.y));
    int arcPoints = 0;
    for (const Point& p : stage.anchors()) {
      const int32_t dx = (p.x - c.at.x) * c.sx, dy = (p.y - c.at.y) * c.sy;
      if (dx > 0 && dy > 0) {
        ++arcPoints;
        EXPECT_NEAR(std::hypot(dx, dy), 10.0, 1.0);
      }
    }
    EXPECT_EQ(arcPoints, 4);
  }
  // No caps: a cap at (20, 20) would put points behind the first segment's
  // start (left of x = 20, between its sides) or ahead of the last one's end.
  for (const Point& p : stage.anchors()) {
    EXPECT_FALSE(p.x < 20 && p.y > 20 && p.y < 60) << p.x << "," << p.y;
    EXPECT_FALSE(p.y < 20 && p.x > 20 && p.x < 60) << p.x << "," << p.y;
  }

  // Painted: a ring 20 wide with rounded outer corners and a hole.
  TestTarget target(Format32, 140, 140);
  stage.paint(target, false);
  const struct {
    int32_t x, y;
    bool covered;
  } probes[] = {
      {70, 70, false}, {70, 15, true},   {70, 9, false},    {125, 70, true},   {131, 70, false},
      {15, 15, true},  {11, 11, false},  {125, 125, true},  {129, 129, false}, {25, 25, true},
      {31, 31, false}, {115, 115, true}, {108, 108, false},
  };
  for (const auto& p : probes) EXPECT_EQ(target.pixel(p.x, p.y) == Ink, p.covered) << p.x << "," << p.y;
}

TEST(Stroker, AntialiasedLinesSnapToThePixelGrid) {
  struct Case {
    const char* name;
    int32_t width;
    Point from, to;
    std::set<int32_t> sides;  // x of the vertical sides, or y of the level ones
  };
  const Case cases[] = {
      // Widths of 1 and 3 pixels go to the centre of their pixel column.
      {"1 pixel, vertical at x = 5", 4, {5, 0}, {5, 100}, {4, 8}},
      {"3 pixels, vertical at x = 5", 12, {5, 0}, {5, 100}, {0, 12}},
      // 2 pixels go to the nearest pixel boundary.
      {"2 pixels, vertical at x = 5", 8, {5, 0}, {5, 100}, {0, 8}},
      {"2 pixels, vertical at x = 6, upwards", 8, {6, 100}, {6, 0}, {4, 12}},
      {"1 pixel, horizontal at y = 9", 4, {0, 9}, {100, 9}, {8, 12}},
      {"2 pixels, horizontal at y = -3", 8, {0, -3}, {100, -3}, {-8, 0}},
      // Lines of 12 units or less, and other widths, stay where they are.
      {"1 pixel, vertical, 12 units tall", 4, {5, 0}, {5, 12}, {3, 7}},
      {"4 pixels, vertical at x = 5", 16, {5, 0}, {5, 100}, {-3, 13}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StrokeStage stage;
    stage.stroke(c.width, true, c.from, {To(c.to.x, c.to.y)});
    ExpectSoundEdges(stage);
    const bool vertical = c.from.x == c.to.x;
    const int32_t length = vertical ? std::abs(c.to.y - c.from.y) : std::abs(c.to.x - c.from.x);
    std::set<int32_t> sides;
    if (vertical) {
      for (const Edge* e : stage.list()) {
        if (e->x0 == e->x1 && e->y1 - e->y0 == length) sides.insert(e->x0);
      }
    } else {
      // Level sides are dropped; the caps end on them.
      for (const Point& p : stage.anchors()) {
        if (p.x == std::min(c.from.x, c.to.x)) sides.insert(p.y);
      }
    }
    EXPECT_EQ(sides, c.sides);
  }

  // Painted: a 1-pixel line snapped into column 1 covers it fully and
  // leaves its neighbours untouched.
  StrokeStage stage;
  stage.stroke(4, true, Point{5, 0}, {To(5, 100)});
  TestTarget target(Format32, 4, 25);
  stage.paint(target, true);
  for (int32_t y = 2; y < 23; ++y) {
    EXPECT_EQ(target.pixel(0, y), Marker) << y;
    EXPECT_EQ(target.pixel(1, y), Ink) << y;
    EXPECT_EQ(target.pixel(2, y), Marker) << y;
  }
}

TEST(Stroker, ThinLinesAreBandsOfWholeRasterUnits) {
  // Lines of length 10 from the origin, moved by (8, 8). The band lies
  // along the minor axis: [lo, hi) in x for vertical lines, in y for
  // horizontal ones; width 3 puts its extra unit on the right-hand side.
  struct Case {
    int32_t width;
    Point to;  // from (0, 0)
    bool reversed;
    int32_t lo, hi;
  };
  const Case cases[] = {
      {1, {0, 10}, false, 0, 1},  {1, {0, 10}, true, 0, 1},   {1, {10, 0}, false, 0, 1},
      {1, {10, 0}, true, 0, 1},   {2, {0, 10}, false, -1, 1}, {2, {0, 10}, true, -1, 1},
      {2, {10, 0}, false, -1, 1}, {2, {10, 0}, true, -1, 1},  {3, {0, 10}, false, -2, 1},
      {3, {0, 10}, true, -1, 2},  {3, {10, 0}, false, -1, 2}, {3, {10, 0}, true, -2, 1},
  };
  for (const Case& c : cases) {
    const bool vertical = c.to.x == 0;
    SCOPED_TRACE("width " + std::to_string(c.width) + (vertical ? " vertical" : " horizontal") +
                 (c.reversed ? " reversed" : ""));
    StrokeStage stage;
    Point from{8, 8}, to{8 + c.to.x, 8 + c.to.y};
    if (c.reversed) std::swap(from, to);
    stage.stroke(c.width, false, from, {To(to.x, to.y)});
    ExpectSoundEdges(stage);
    TestTarget target(Format32, 24, 24);
    stage.paint(target, false);
    const std::string expected =
        vertical ? Box(24, 24, 8 + c.lo, 8, 8 + c.hi, 18) : Box(24, 24, 8, 8 + c.lo, 18, 8 + c.hi);
    EXPECT_EQ(Picture(target), expected);
  }
}

TEST(Stroker, ThinSegmentsAreJoinedByStraightLines) {
  // Right along row 2, then down column 12: without the join the corner
  // would leak to the right edge of the target.
  struct Case {
    const char* name;
    std::vector<Step> steps;
    Point start;
    std::string expected;
  };
  const Case cases[] = {
      {"corner",
       {To(12, 2), To(12, 8)},
       {2, 2},
       "..............\n"
       "..............\n"
       "..###########.\n"
       "............#.\n"
       "............#.\n"
       "............#.\n"
       "............#.\n"
       "............#.\n"
       "..............\n"},
      {"closed triangle", {To(12, 2), To(2, 7), To(2, 2)}, {2, 2}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StrokeStage stage;
    stage.stroke(1, false, c.start, c.steps);
    ExpectSoundEdges(stage);
    TestTarget target(Format32, 14, 9);
    stage.paint(target, false);
    const std::string picture = Picture(target);
    if (!c.expected.empty()) {
      EXPECT_EQ(picture, c.expected);
    } else {
      // A closed outline of thin lines has no leaks: nothing is painted
      // outside its box and nothing on the rows beyond it.
      EXPECT_EQ(picture.find('+'), std::string::npos);
      for (int32_t y = 0; y < 9; ++y) {
        for (int32_t x = 0; x < 14; ++x) {
          if (target.pixel(x, y) == Ink) {
            EXPECT_TRUE(x >= 1 && x <= 13 && y >= 1 && y <= 8) << x << "," << y;
          }
        }
      }
      EXPECT_EQ(target.pixel(4, 4), Marker) << picture;  // inside the triangle
    }
  }
}

// The shortest distance from (px, py) to the path, by dense sampling.
double DistanceToPath(double px, double py, Point start, const std::vector<Step>& steps) {
  double best = 1e9;
  Point at = start;
  for (const Step& s : steps) {
    const Point c = s.curved ? s.control : Point{(at.x + s.to.x) / 2, (at.y + s.to.y) / 2};
    for (int i = 0; i <= 400; ++i) {
      const double t = i / 400.0, u = 1 - t;
      const double x = u * u * at.x + 2 * u * t * c.x + t * t * s.to.x;
      const double y = u * u * at.y + 2 * u * t * c.y + t * t * s.to.y;
      best = std::min(best, std::hypot(px - x, py - y));
    }
    at = s.to;
  }
  return best;
}

TEST(Stroker, WidePathsCoverWhatLiesWithinHalfTheirWidth) {
  // Against a reference: a pixel whose centre lies well within half the
  // width of the path is covered, one well beyond it is not. Catches
  // wrong normals, missing or inverted joins and caps, and sides of
  // offset curves that stray. Widths from 12 up: narrower lines join and
  // cap with one straight piece where the offset points lie within 3
  // units on both axes, which a round reference does not describe.
  struct Case {
    const char* name;
    int32_t width;
    Point start;
    std::vector<Step> steps;
  };
  const Case cases[] = {
      {"diagonal line", 13, {10, 12}, {To(60, 50)}},
      {"sharp turn", 12, {10, 10}, {To(60, 40), To(12, 55)}},
      {"zigzag", 12, {8, 50}, {To(20, 10), To(32, 50), To(44, 10), To(56, 50)}},
      {"shallow curve", 12, {10, 50}, {Via(35, 30, 60, 50)}},
      {"bent curve", 12, {10, 10}, {Via(70, 30, 10, 50)}},
      {"curve then line", 14, {12, 40}, {Via(30, 5, 45, 30), To(58, 55)}},
      {"closed curved loop", 12, {15, 30}, {Via(35, -5, 55, 30), Via(35, 65, 15, 30)}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StrokeStage stage;
    stage.stroke(c.width, false, c.start, c.steps);
    ExpectSoundEdges(stage);
    TestTarget target(Format32, 72, 64);
    stage.paint(target, false);
    // Offset curves follow the centre curve to within about 2 units.
    const double h = c.width / 2, margin = 2.0;
    for (int32_t y = 0; y < 64; ++y) {
      for (int32_t x = 0; x < 72; ++x) {
        const double d = DistanceToPath(x + 0.5, y + 0.5, c.start, c.steps);
        if (d < h - margin) {
          EXPECT_EQ(target.pixel(x, y), Ink) << x << "," << y << " at " << d;
        }
        if (d > h + margin) {
          EXPECT_EQ(target.pixel(x, y), Marker) << x << "," << y << " at " << d;
        }
      }
    }
  }
}

TEST(Stroker, ThinCurvesLeaveNoGaps) {
  // Every column (or row, for steep curves) that the curve crosses gets a
  // pixel of its band, and nothing lies far from the curve.
  struct Case {
    const char* name;
    int32_t width;
    Point start;
    Step step;
  };
  const Case cases[] = {
      {"arch", 1, {4, 40}, Via(30, -20, 56, 40)},
      {"arch, width 3", 3, {4, 40}, Via(30, -20, 56, 40)},
      {"bowl, backwards", 2, {56, 10}, Via(30, 70, 4, 10)},
      {"steep bend", 1, {10, 4}, Via(60, 30, 10, 56)},
      {"gentle", 1, {4, 20}, Via(30, 30, 56, 24)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StrokeStage stage;
    stage.stroke(c.width, false, c.start, {c.step});
    ExpectSoundEdges(stage);
    TestTarget target(Format32, 64, 64);
    stage.paint(target, false);
    const std::vector<Step> steps{c.step};
    for (int32_t y = 0; y < 64; ++y) {
      for (int32_t x = 0; x < 64; ++x) {
        if (!(target.pixel(x, y) == Ink)) continue;
        EXPECT_LT(DistanceToPath(x + 0.5, y + 0.5, c.start, steps), 3.0) << x << "," << y;
      }
    }
    // Dense points of the curve: the pixel under each, or a neighbour, is
    // covered.
    for (int i = 0; i <= 200; ++i) {
      const double t = i / 200.0, u = 1 - t;
      const double px = u * u * c.start.x + 2 * u * t * c.step.control.x + t * t * c.step.to.x;
      const double py = u * u * c.start.y + 2 * u * t * c.step.control.y + t * t * c.step.to.y;
      const int32_t x = static_cast<int32_t>(px), y = static_cast<int32_t>(py);
      bool near = false;
      for (int32_t dy = -2; dy <= 1; ++dy) {
        for (int32_t dx = -2; dx <= 1; ++dx) {
          if (x + dx >= 0 && x + dx < 64 && y + dy >= 0 && y + dy < 64)
            near = near || target.pixel(x + dx, y + dy) == Ink;
        }
      }
      EXPECT_TRUE(near) << "gap at t = " << t;
    }
  }
}

TEST(Stroker, DotsDrawNothing) {
  // Start, control and end in one place: no segment, no cap, no dot.
  for (int32_t width : {1, 3, 4, 20}) {
    for (bool antialias : {false, true}) {
      SCOPED_TRACE("width " + std::to_string(width) + (antialias ? " antialias" : ""));
      StrokeStage stage;
      stage.stroke(width, antialias, Point{30, 30}, {To(30, 30), Via(30, 30, 30, 30), To(30, 30)});
      EXPECT_EQ(stage.edges, nullptr);
      // The path that follows starts afresh.
      stage.stroke(width, antialias, Point{10, 10}, {To(10, 50)});
      EXPECT_NE(stage.edges, nullptr);
    }
  }
}

TEST(Stroker, CollinearJoinAddsNoEdge) {
  // Two segments in a line meet at equal offset points: the join is a
  // zero-length, level piece. Only the second pair of sides is extra.
  for (int32_t width : {6, 20}) {
    SCOPED_TRACE(width);
    StrokeStage one, two;
    one.stroke(width, false, Point{10, 0}, {To(10, 100)});
    two.stroke(width, false, Point{10, 0}, {To(10, 50), To(10, 100)});
    EXPECT_EQ(two.list().size(), one.list().size() + 2);
  }
}

TEST(Stroker, PoolExhaustionDropsEdges) {
  // No chunk at all, then one chunk of 4 blocks: the stroker stores what
  // fits, drops the rest and leaves a sound list.
  for (long chunks : {0L, 1L}) {
    SCOPED_TRACE(chunks);
    StrokeStage stage(4);
    setChunkFailAfter(chunks);
    stage.stroke(20, false, Point{20, 20}, {To(120, 20), Via(150, 60, 120, 100), To(20, 100)});
    stage.stroke(2, false, Point{20, 20}, {To(30, 90), Via(60, 60, 20, 20)});
    setChunkFailAfter(-1);
    EXPECT_EQ(stage.list().size(), chunks == 0 ? 0u : 4u);
    ExpectSoundEdges(stage);
    TestTarget target(Format32, 40, 40);
    stage.paint(target, false);  // paints whatever it has
  }
}

TEST(Stroker, HugeCurvesInClampModeKeepTheDepthBound) {
  // Far beyond the 16-bit range: the outline is cut down to the emitter's
  // depth limit, its pieces are clamped into range, and the depth counter
  // is back at 0 afterwards.
  struct Case {
    const char* name;
    int32_t width;
    Point start;
    std::vector<Step> steps;
  };
  const Case cases[] = {
      {"wide curve", 40, {-(1 << 24), -(1 << 24)}, {Via(0, 1 << 24, 1 << 24, -(1 << 24))}},
      {"thin curve", 2, {-(1 << 24), 1 << 23}, {Via(1 << 22, -(1 << 24), 1 << 24, 1 << 23)}},
      {"wide line through the view", 30, {-(1 << 28), -(1 << 27)}, {To(1 << 28, 1 << 27)}},
      {"hostile coordinates",
       1 << 30,
       {INT32_MIN, INT32_MAX},
       {Via(INT32_MAX, INT32_MIN, INT32_MIN, INT32_MIN)}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StrokeStage stage;
    stage.stroker.clampMode = true;
    stage.stroke(c.width, false, c.start, c.steps);
    EXPECT_EQ(stage.stroker.depth, 0);
    ExpectSoundEdges(stage);
    // At most two pieces per level for each of the outline's curves.
    EXPECT_LT(stage.list().size(), 200000u);
    TestTarget target(Format32, 16, 16);
    stage.paint(target, false);
  }
}

TEST(EdgeEmitter, DepthLimitBoundsTheCutsAndIsRestored) {
  // A monotonic curve 4096 units tall needs 4 levels of halving to get
  // down to 256-unit pieces. Starting deeper leaves fewer levels: a cut
  // refused at the limit drops the pieces, and the depth comes back as it
  // was. In clamp mode the same holds.
  BlockPool pool;
  pool.initPool(sizeof(Edge), 600);
  FillStyle fill{};
  const Curve tall = MakeCurve(Point{0, 0}, Point{2000, 2048}, Point{0, 4096});
  const struct {
    int32_t depth;
    bool clamp;
    size_t edges;
  } cases[] = {{0, false, 16}, {12, false, 16}, {13, false, 0},
               {16, false, 0}, {12, true, 16},  {13, true, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.depth) + (c.clamp ? " clamp" : ""));
    Edge* list = nullptr;
    EdgeSink sink{&pool, &list, EdgeWinding, &fill, nullptr, c.clamp, c.depth};
    EmitCurveEdge(sink, tall);
    EXPECT_EQ(sink.depth, c.depth);
    size_t count = 0;
    for (Edge* e = list; e; e = e->next) {
      ++count;
      EXPECT_LT(e->y0, e->y1);
      EXPECT_LE(e->y1 - e->y0, MaxCurveHeight);
    }
    EXPECT_EQ(count, c.edges);
    while (list) {
      Edge* next = list->next;
      pool.freeBlock(list);
      list = next;
    }
  }
}

TEST(Stroker, ShapeLinesAreDrawn) {
  // A shape with no fill and one line style of width 10: the walk hands
  // its edges to the stroker, and the line paints in the line's colour.
  enc::ShapeBody body;
  body.lines.push_back(enc::LineStyleDef{10, Rgb{0, 0, 0}});
  body.records.push_back(Select(10, 20, 0, 0, 1));
  body.records.push_back(LineTo(40, 0));
  body.records.push_back(LineTo(0, 20));
  for (bool antialias : {false, true}) {
    SCOPED_TRACE(antialias ? "antialias" : "pixels");
    ShapeStage stage(MovieFile({ShapeTag(1, Rect{0, 60, 0, 50}, body), PlaceTag(1, 1)}));
    TestTarget target(Format32, 64, 48);
    target.clear32(Marker);
    stage.list.setOffscreen(&target.offscreen);
    const Fixed scale = antialias ? 4 * FixedOne : FixedOne;
    stage.list.applyView(matrixScale(scale, scale), antialias);
    stage.list.render();
    EXPECT_EQ(target.pixel(30, 20), Ink);       // on the horizontal part
    EXPECT_EQ(target.pixel(50, 30), Ink);       // on the vertical part
    EXPECT_EQ(target.pixel(50, 20), Ink);       // the join
    EXPECT_FALSE(target.pixel(30, 30) == Ink);  // inside the corner
    EXPECT_FALSE(target.pixel(30, 12) == Ink);
  }
}

}  // namespace
}  // namespace lmr::test
