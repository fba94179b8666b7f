#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <random>

#include "player/render/edge.h"
#include "player/render/edge_stepper.h"

namespace lmr {
namespace {

Edge MakeEdge(int32_t x0, int32_t y0, int32_t cx, int32_t cy, int32_t x1, int32_t y1, bool straight) {
  Edge e{};
  e.x0 = static_cast<int16_t>(x0);
  e.y0 = static_cast<int16_t>(y0);
  e.cx = static_cast<int16_t>(cx);
  e.cy = static_cast<int16_t>(cy);
  e.x1 = static_cast<int16_t>(x1);
  e.y1 = static_cast<int16_t>(y1);
  e.straight = straight ? 1 : 0;
  e.dir = 1;
  return e;
}

// x of the quadratic where it crosses line y, found by bisection on t in
// units of 2^-20 (the curve is monotonic in y), rounded to a unit.
int64_t CurveXAt(const Edge& e, int32_t y) {
  constexpr int64_t One = 1 << 20;
  auto coordinate = [](int64_t p0, int64_t c, int64_t p1, int64_t t) {
    const int64_t u = One - t;
    return u * u * p0 + 2 * t * u * c + t * t * p1;  // scaled by One^2
  };
  int64_t lo = 0, hi = One;
  const int64_t target = int64_t{y} * One * One;
  while (hi - lo > 1) {
    const int64_t mid = (lo + hi) / 2;
    (coordinate(e.y0, e.cy, e.y1, mid) < target ? lo : hi) = mid;
  }
  const int64_t x = coordinate(e.x0, e.cx, e.x1, hi);
  return (x + One * One / 2) / (One * One) - (x < 0 && x % (One * One) != 0 ? 1 : 0);
}

TEST(EdgeStepper, StraightEdgesCrossEachLineAtTheRoundedX) {
  struct Case {
    int32_t x0, y0, x1, y1;
  };
  const Case cases[] = {{0, 0, 10, 10}, {5, 3, -20, 40}, {-32000, -100, 32000, 100}, {7, 0, 7, 50}, {0, 0, 3, 1000}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.x0 << "," << c.y0 << " - " << c.x1 << "," << c.y1);
    const Edge e = MakeEdge(c.x0, c.y0, 0, 0, c.x1, c.y1, true);
    // Starting on a later line gives the same positions as stepping to it.
    const int64_t den = c.y1 - c.y0;
    ActiveEdge stepped{}, started{};
    StartEdge(stepped, e, c.y0, true);
    for (int32_t y = c.y0; y < c.y1; ++y) {
      if (y > c.y0) StepEdge(stepped, y);
      StartEdge(started, e, y, true);
      // |xr - exact| <= 1/2 + rounding: 2 |2 xr - 2 exact| <= 2 units of 1/2.
      const int64_t twiceExact = 2 * int64_t{c.x0} * den + 2 * int64_t{c.x1 - c.x0} * (y - c.y0);
      ASSERT_LE(std::abs(2 * den * stepped.xr - twiceExact), 2 * den) << y;
      ASSERT_EQ(started.xr, stepped.xr) << y;
    }
  }
}

TEST(EdgeStepper, CurvesFollowTheExactCurve) {
  std::mt19937 random(99);
  for (int trial = 0; trial < 300; ++trial) {
    // Curves as shapes produce them: monotonic in y, at most 256 tall,
    // reaching at most twice their height sideways.
    std::uniform_int_distribution<int32_t> start(-2000, 2000), height(1, 256);
    const int32_t x0 = start(random), y0 = start(random) / 4;
    const int32_t tall = height(random);
    const int32_t y1 = y0 + tall;
    std::uniform_int_distribution<int32_t> between(y0, y1), sideways(-2 * tall, 2 * tall);
    const int32_t cx = x0 + sideways(random), cy = between(random), x1 = x0 + sideways(random);
    const Edge e = MakeEdge(x0, y0, cx, cy, x1, y1, false);
    for (bool interpolate : {true, false}) {
      ActiveEdge a{};
      StartEdge(a, e, y0, interpolate);
      for (int32_t y = y0; y < y1; ++y) {
        if (y > y0) StepEdge(a, y);
        // The stepper leaves out the half second difference of exact
        // forward differences, so it lags by up to |second difference| /
        // steps in x and in y; without interpolation x is also up to one
        // step further on. So xr lies within the exact x of the lines
        // around y, widened by the x lag (bounds doubled for rounding: the
        // check is there to catch gross stepping faults).
        const int32_t steps = 2 * (y1 - y0);
        const int32_t lagY = 2 + 2 * std::abs(y0 - 2 * cy + y1) / steps;
        const int64_t lagX = 2 + 2 * std::abs(x0 - 2 * cx + x1) / steps +
                             (interpolate ? 0 : 2 * (std::abs(x1 - cx) + std::abs(cx - x0)) / steps);
        int64_t lo = CurveXAt(e, y), hi = lo;
        for (int32_t near = y - lagY; near <= y + lagY; ++near) {
          const int32_t clamped = near < y0 ? y0 : near > y1 ? y1 : near;
          const int64_t x = CurveXAt(e, clamped);
          lo = x < lo ? x : lo;
          hi = x > hi ? x : hi;
        }
        ASSERT_TRUE(a.xr >= lo - lagX && a.xr <= hi + lagX) << a.xr << " not in " << lo << ".." << hi << " +- " << lagX << " "
            << "curve (" << x0 << ", " << y0 << ") (" << cx << ", " << cy << ") (" << x1 << ", " << y1
            << ") line " << y << (interpolate ? " interpolated" : "");
      }
    }
  }
}

TEST(EdgeStepper, CurveStartedLaterMatchesOneStepped) {
  const Edge e = MakeEdge(0, 0, 300, 40, -50, 100, false);
  ActiveEdge stepped{};
  StartEdge(stepped, e, 0, true);
  for (int32_t y = 1; y < 60; ++y) StepEdge(stepped, y);
  ActiveEdge started{};
  StartEdge(started, e, 59, true);
  EXPECT_EQ(started.xr, stepped.xr);
}

}  // namespace
}  // namespace lmr
