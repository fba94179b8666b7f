#include "player/render/edge_stepper.h"

#include "player/engine/fixed_point.h"
#include "player/render/edge.h"

namespace lmr {

namespace {

constexpr int64_t RoundToUnit(int64_t x16) { return (x16 + 0x8000) >> 16; }

// The x where the chord from (xBefore, yBefore) to (x, y) meets line
// `target`, all 16.16: x + (target - y) * (x - xBefore) / (y - yBefore),
// with the product rounded like FixedMul and the quotient like FixedDiv,
// in 64 bits so that steep chords cannot overflow.
int64_t ChordAt(int64_t x, int64_t y, int64_t xBefore, int64_t yBefore, int64_t target) {
  const int64_t product = ((target - y) * (x - xBefore) + 0x8000) >> 16;
  const int64_t denominator = y - yBefore;
  // Round to nearest, halves away from zero.
  const int64_t n = product < 0 ? -product : product;
  const int64_t d = denominator < 0 ? -denominator : denominator;
  const int64_t quotient = (n * 65536 + d / 2) / d;
  return x + ((product < 0) != (denominator < 0) ? -quotient : quotient);
}

}  // namespace

void StartEdge(ActiveEdge& a, const Edge& e, int32_t y, bool interpolate) {
  const int64_t x0 = e.x0, y0 = e.y0, cx = e.cx, cy = e.cy, x1 = e.x1, y1 = e.y1;
  a.endLine = e.y1;
  a.fillA = e.fillA;
  a.fillB = e.fillB;
  a.dir = e.dir < 0 ? -1 : 1;
  a.straight = e.straight != 0;
  a.interpolate = interpolate;
  a.steps = 0;
  a.dx = a.dy = a.ddx = a.ddy = 0;
  a.y = 0;
  if (a.straight) {
    a.slope = (x1 - x0) * 65536 / (y1 - y0);
    a.x = x0 * 65536 + a.slope * (y - y0);
    a.xr = static_cast<int32_t>(RoundToUnit(a.x));
    return;
  }
  // 2 (y1 - y0) steps of h = 1 / steps in t, both in units of 2^-24.
  a.slope = 0;
  const int32_t steps = static_cast<int32_t>(2 * (y1 - y0));
  const int32_t h = (1 << 24) / steps;
  const int64_t g = MulShift(h, h, 24);
  a.dx = int64_t{h} * 2 * (cx - x0);
  a.dy = int64_t{h} * 2 * (cy - y0);
  a.ddx = 2 * g * (x0 - 2 * cx + x1);
  a.ddy = 2 * g * (y0 - 2 * cy + y1);
  a.x = x0 * 65536;
  a.y = y0 * 65536;
  a.xr = e.x0;
  a.steps = steps;
  // An edge that began above line y catches up to the line before first,
  // so the last chord spans one line as it does for an edge stepped line
  // by line: the crossing at y is the same either way.
  if (y0 < y - 1) StepEdge(a, y - 1);
  if (y0 < y) StepEdge(a, y);
}

void StepEdge(ActiveEdge& a, int32_t y) {
  if (a.straight) {
    a.x += a.slope;
    a.xr = static_cast<int32_t>(RoundToUnit(a.x));
    return;
  }
  const int64_t target = int64_t{y} * 65536;
  const int64_t xBefore = a.x, yBefore = a.y;
  while (a.y < target && a.steps >= 0) {
    a.y += a.dy >> 8;
    a.dy += a.ddy;
    a.steps -= 1;
    a.x += a.dx >> 8;
    a.dx += a.ddx;
  }
  const int64_t x = a.interpolate && a.y != yBefore ? ChordAt(a.x, a.y, xBefore, yBefore, target) : a.x;
  a.xr = static_cast<int32_t>(RoundToUnit(x));
}

}  // namespace lmr
