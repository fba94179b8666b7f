#include "player/render/curve.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <ostream>
#include <random>

#include "player/engine/tests/rect_fixture.h"

namespace lmr {

void PrintTo(const Curve& c, std::ostream* os) {
  *os << "(" << c.x0 << ", " << c.y0 << ") (" << c.cx << ", " << c.cy << ") (" << c.x1 << ", " << c.y1 << ")"
      << (c.straight ? " straight" : "");
}

inline bool operator==(const Curve& p, const Curve& q) {
  return p.x0 == q.x0 && p.y0 == q.y0 && p.cx == q.cx && p.cy == q.cy && p.x1 == q.x1 && p.y1 == q.y1 &&
         p.straight == q.straight;
}

namespace {

Curve C(int32_t x0, int32_t y0, int32_t cx, int32_t cy, int32_t x1, int32_t y1, int32_t straight = 0) {
  Curve c = MakeCurve(Point{x0, y0}, Point{cx, cy}, Point{x1, y1});
  c.straight = straight;
  return c;
}

TEST(CurveBuild, LinesRoundTheirControlDown) {
  struct LineCase {
    Point p0;
    Point p1;
    Point control;
  };
  const LineCase cases[] = {
      {{-3, 0}, {0, 0}, {-2, 0}},  // arithmetic shift, not division towards 0
      {{3, 1}, {0, 0}, {1, 0}},
      {{-5, -7}, {-2, 2}, {-4, -3}},
      {{INT32_MAX, INT32_MIN}, {INT32_MAX, INT32_MIN}, {INT32_MAX, INT32_MIN}},  // no overflow
  };
  for (const LineCase& c : cases) {
    Curve line = MakeLine(c.p0, c.p1);
    EXPECT_EQ(line, C(c.p0.x, c.p0.y, c.control.x, c.control.y, c.p1.x, c.p1.y, 1));
  }
  EXPECT_EQ(MakeCurve(Point{1, 2}, Point{3, 4}, Point{5, 6}).straight, 0);
}

TEST(CurveBuild, BoundsAndFlatness) {
  const Curve hump = C(0, 0, 10, 10, 20, 0);
  EXPECT_EQ(CurveBounds(hump), R(0, 20, 0, 10));
  EXPECT_EQ(CurveBounds(MakeLine(Point{10, 0}, Point{-4, 7})), R(-4, 10, 0, 7));
  EXPECT_EQ(CurveFlatness(hump), 10);
  EXPECT_EQ(CurveFlatness(C(0, 0, 13, 4, 20, 0)), 6);  // (3, 4) away: 4 + 3 - 1
  EXPECT_EQ(CurveFlatness(MakeLine(Point{0, 0}, Point{100, 50})), 0);
}

TEST(CurveSplit, HalvesAndCutsListedCurves) {
  struct SplitCase {
    const char* what;
    Curve in;
    Fixed t;  // 0 means HalveCurve
    Curve first;
    Curve second;
  };
  const SplitCase cases[] = {
      {"halve", C(0, 0, 10, 10, 20, 0), 0, C(0, 0, 5, 5, 10, 5), C(10, 5, 15, 5, 20, 0)},
      {"halve keeps straight", C(0, 0, 5, 5, 10, 10, 1), 0, C(0, 0, 2, 2, 4, 4, 1), C(4, 4, 7, 7, 10, 10, 1)},
      {"halve rounds down", C(-1, 0, 0, 0, 0, 0), 0, C(-1, 0, -1, 0, -1, 0), C(-1, 0, 0, 0, 0, 0)},
      {"cut at a half", C(0, 0, 50, -100, 100, 0), 0x8000, C(0, 0, 25, -50, 50, -50), C(50, -50, 75, -50, 100, 0)},
      {"cut at a quarter", C(0, 0, 40, 80, 80, 0), 0x4000, C(0, 0, 10, 20, 20, 30), C(20, 30, 50, 60, 80, 0)},
      {"cut at 1", C(0, 0, 40, 80, 80, 0), 0x10000, C(0, 0, 40, 80, 80, 0), C(80, 0, 80, 0, 80, 0)},
  };
  for (const SplitCase& c : cases) {
    CurvePair pieces = c.t == 0 ? HalveCurve(c.in) : CutCurveAt(c.in, c.t);
    EXPECT_EQ(pieces.first, c.first) << c.what;
    EXPECT_EQ(pieces.second, c.second) << c.what;
  }
}

// The cut point must lie on the curve at t, and the pieces must meet there.
TEST(CurveSplit, SeededCutsLandOnTheCurve) {
  std::mt19937 rng(8);
  std::uniform_int_distribution<int32_t> coordinate(-20000, 20000);
  std::uniform_int_distribution<int32_t> parameter(0, 0x10000);
  for (int n = 0; n < 5000; ++n) {
    Curve c = C(coordinate(rng), coordinate(rng), coordinate(rng), coordinate(rng), coordinate(rng), coordinate(rng));
    Fixed t = parameter(rng);
    CurvePair pieces = CutCurveAt(c, t);
    double u = t / 65536.0;
    double x = (1 - u) * (1 - u) * c.x0 + 2 * u * (1 - u) * c.cx + u * u * c.x1;
    double y = (1 - u) * (1 - u) * c.y0 + 2 * u * (1 - u) * c.cy + u * u * c.y1;
    ASSERT_NEAR(pieces.first.x1, x, 2.0) << ::testing::PrintToString(c) << " at t " << t;
    ASSERT_NEAR(pieces.first.y1, y, 2.0) << ::testing::PrintToString(c) << " at t " << t;
    ASSERT_EQ(pieces.first.x1, pieces.second.x0);
    ASSERT_EQ(pieces.first.y1, pieces.second.y0);
    ASSERT_EQ(pieces.first.x0, c.x0);
    ASSERT_EQ(pieces.second.y1, c.y1);
  }
}

TEST(CurveSplit, ReverseSwapsOnlyTheAnchors) {
  const Curve c = C(1, 2, 3, 4, 5, 6, 1);
  EXPECT_EQ(ReverseCurve(c), C(5, 6, 3, 4, 1, 2, 1));
  Curve inPlace = c;
  inPlace = ReverseCurve(inPlace);
  EXPECT_EQ(ReverseCurve(inPlace), c);
}

TEST(CurveHitTest, CrossingsOfListedCurvesAndPoints) {
  struct CrossingCase {
    Curve c;
    Point p;
    uint16_t crossings;
  };
  const Curve vertical = MakeLine(Point{10, 0}, Point{10, 10});
  const Curve hump = C(0, 0, 10, 10, 20, 0);  // peaks at (10, 5)
  const CrossingCase cases[] = {
      {vertical, {0, 5}, 1},
      {vertical, {20, 5}, 0},
      {vertical, {0, 10}, 0},  // rows are half-open: the end row is not crossed
      {vertical, {0, 0}, 1},
      {vertical, {10, 5}, 1},  // on the line itself: the chord decides
      {MakeLine(Point{10, 10}, Point{10, 0}), {0, 0}, 1},  // direction does not matter
      {MakeLine(Point{0, 3}, Point{50, 3}), {-5, 3}, 0},   // level lines never cross
      {hump, {-5, 2}, 0},  // both sides, seen as one chord of no height
      {hump, {10, 2}, 1},  // inside the hump: only the falling side is to the right
      {hump, {25, 2}, 0},
      {hump, {10, 7}, 0},  // above the peak, inside the box
      {C(0, 0, 100, 50, 0, 100), {53, 50}, 0},   // bulges to x = 50, at y = 50
      {C(0, 0, 100, 50, 0, 100), {40, 50}, 1},
      {C(0, 0, 100, 50, 0, 100), {-1, 50}, 1},
  };
  for (const CrossingCase& c : cases) {
    EXPECT_EQ(CurveCrossings(c.c, c.p), c.crossings) << ::testing::PrintToString(c.c) << " from " << ::testing::PrintToString(c.p);
  }
}

// Against an exact count on random curves: the parity of the crossings
// (what a fill test uses) must be right for every point not within a few
// units of the curve.
TEST(CurveHitTest, SeededParityMatchesExactCount) {
  std::mt19937 rng(404);
  std::uniform_int_distribution<int32_t> coordinate(-500, 500);
  int checked = 0;
  for (int n = 0; n < 3000; ++n) {
    Curve c = C(coordinate(rng), coordinate(rng), coordinate(rng), coordinate(rng), coordinate(rng), coordinate(rng));
    Point p{coordinate(rng), coordinate(rng)};
    // Exact: the roots t in [0, 1) of y(t) = p.y with x(t) > p.x.
    double a = c.y0 - 2.0 * c.cy + c.y1;
    double b = 2.0 * (c.cy - c.y0);
    double k = c.y0 - p.y;
    double roots[2];
    int rootCount = 0;
    if (std::fabs(a) < 1e-9) {
      if (std::fabs(b) > 1e-9) roots[rootCount++] = -k / b;
    } else {
      double disc = b * b - 4 * a * k;
      if (disc >= 0) {
        roots[rootCount++] = (-b - std::sqrt(disc)) / (2 * a);
        roots[rootCount++] = (-b + std::sqrt(disc)) / (2 * a);
      }
    }
    int exact = 0;
    for (int r = 0; r < rootCount; ++r) {
      double t = roots[r];
      if (t < 0 || t > 1) continue;
      double x = (1 - t) * (1 - t) * c.x0 + 2 * t * (1 - t) * c.cx + t * t * c.x1;
      if (x > p.x) ++exact;
    }
    // Skip the ambiguous points: near the curve, or on a row that touches
    // an anchor or the curve's turning row.
    bool nearCurve = false;
    for (int s = 0; s <= 2048 && !nearCurve; ++s) {
      double t = s / 2048.0;
      double x = (1 - t) * (1 - t) * c.x0 + 2 * t * (1 - t) * c.cx + t * t * c.x1;
      double y = (1 - t) * (1 - t) * c.y0 + 2 * t * (1 - t) * c.cy + t * t * c.y1;
      nearCurve = std::fabs(x - p.x) <= 4 && std::fabs(y - p.y) <= 4;
    }
    double turn = std::fabs(a) > 1e-9 ? c.y0 - b * b / (4 * a) : 1e9;
    if (nearCurve || std::abs(p.y - c.y0) <= 1 || std::abs(p.y - c.y1) <= 1 || std::fabs(p.y - turn) <= 2) continue;
    ++checked;
    ASSERT_EQ(CurveCrossings(c, p) % 2, exact % 2) << ::testing::PrintToString(c) << " from " << ::testing::PrintToString(p);
  }
  EXPECT_GT(checked, 1000);  // the filter must leave most cases in
}

TEST(CurveHitTest, DeepSubdivisionStopsAtTwelveLevels) {
  // A huge curve whose box holds the point at every level: without the
  // depth bound this would split 2^32 times.
  const Curve big = C(INT32_MIN / 2, INT32_MIN / 2, INT32_MAX / 2, 0, INT32_MIN / 2, INT32_MAX / 2);
  EXPECT_LE(CurveCrossings(big, Point{0, 0}), 4096);
  EXPECT_EQ(CurveCrossings(big, Point{INT32_MIN / 2 - 10, 1}) % 2, 1);
}

TEST(CurveStroke, TooBentAndFit) {
  struct BentCase {
    Curve c;
    bool tooBent;
  };
  const BentCase bent[] = {
      {C(0, 0, 10, 10, 20, 0), false},    // bend 5: small enough
      {C(0, 0, 10, 40, 20, 0), true},     // bend 20 against a chord of 20
      {C(0, 0, 100, 14, 200, 0), false},  // bend 7 on a long chord
      {C(0, 0, 10, 40, 20, 0, 1), false},  // straight segments never are
  };
  for (const BentCase& c : bent) {
    EXPECT_EQ(CurveTooBent(c.c), c.tooBent) << ::testing::PrintToString(c.c);
  }

  struct FitCase {
    const char* what;
    Curve c;
    Point p;
    Point q;
    Curve fitted;
  };
  const FitCase fits[] = {
      {"equal arms: end arm from q", C(0, 0, 10, 10, 20, 0), {0, -2}, {20, -2}, C(0, -2, 10, 8, 20, -2)},
      {"longer start arm from p, scaled by 2", C(0, 0, 30, 10, 40, 0), {0, 0}, {80, 0}, C(0, 0, 60, 20, 80, 0)},
      {"longer end arm from q, scaled by a half", C(0, 0, 10, 20, 40, 0), {0, 0}, {20, 0}, C(0, 0, 5, 10, 20, 0)},
      {"closed curve keeps the scale", C(5, 5, 10, 10, 5, 5), {0, 0}, {3, 4}, C(0, 0, 8, 9, 3, 4)},
  };
  for (const FitCase& c : fits) {
    EXPECT_EQ(FitCurve(c.c, c.p, c.q), c.fitted) << c.what;
  }
}

}  // namespace
}  // namespace lmr
