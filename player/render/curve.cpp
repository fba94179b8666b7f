#include "player/render/curve.h"

#include "player/engine/fixed_point.h"

namespace lmr {
namespace {

// Subdivision limits of the crossing count: 12 levels, boxes of 4 units.
constexpr int CrossingsMaxDepth = 12;
constexpr int32_t CrossingsMinDiagonal = 4;

// Below this much bend (half the largest axis distance between control and
// chord midpoint) an offset curve is good enough as it is.
constexpr int32_t TooBentMinimum = 6;

// floor((a + b) / 2) without overflow.
constexpr int32_t midpoint(int32_t a, int32_t b) { return static_cast<int32_t>((int64_t{a} + b) >> 1); }

// Wrapping 32-bit add and subtract: raster coordinates stay far inside the
// range, and hostile ones must not be undefined behaviour.
constexpr int32_t wrap(int64_t v) { return static_cast<int32_t>(static_cast<uint32_t>(v)); }
Point plus(Point p, Vector v) { return Point{wrap(int64_t{p.x} + v.x), wrap(int64_t{p.y} + v.y)}; }
Vector minus(Point p, Point q) { return Vector{wrap(int64_t{p.x} - q.x), wrap(int64_t{p.y} - q.y)}; }

Point chordMidpoint(const Curve& c) { return Point{midpoint(c.x0, c.x1), midpoint(c.y0, c.y1)}; }

Curve withFlag(Curve c, int32_t straight) {
  c.straight = straight;
  return c;
}

}  // namespace

Curve MakeCurve(Point p0, Point control, Point p1) {
  Curve c;
  c.x0 = p0.x;
  c.y0 = p0.y;
  c.cx = control.x;
  c.cy = control.y;
  c.x1 = p1.x;
  c.y1 = p1.y;
  c.straight = 0;
  return c;
}

Curve MakeLine(Point p0, Point p1) {
  Curve c = MakeCurve(p0, Point{midpoint(p0.x, p1.x), midpoint(p0.y, p1.y)}, p1);
  c.straight = 1;
  return c;
}

Rect CurveBounds(const Curve& c) {
  Rect r = rectFromCorners(c.x0, c.y0, c.x1, c.y1);
  if (c.straight == 0) r = rectExtend(CurveControl(c), r);
  return r;
}

int32_t CurveFlatness(const Curve& c) {
  if (c.straight != 0) return 0;
  return vecLengthApprox(minus(chordMidpoint(c), CurveControl(c)));
}

CurvePair HalveCurve(const Curve& c) {
  Point m0{midpoint(c.x0, c.cx), midpoint(c.y0, c.cy)};
  Point m1{midpoint(c.cx, c.x1), midpoint(c.cy, c.y1)};
  Point mid{midpoint(m0.x, m1.x), midpoint(m0.y, m1.y)};
  CurvePair halves;
  halves.first = withFlag(MakeCurve(CurveStart(c), m0, mid), c.straight);
  halves.second = withFlag(MakeCurve(mid, m1, CurveEnd(c)), c.straight);
  return halves;
}

CurvePair CutCurveAt(const Curve& c, Fixed t) {
  Point a = vecLerp(CurveControl(c), CurveStart(c), t);  // p0 + t (c - p0)
  Point b = vecLerp(CurveEnd(c), CurveControl(c), t);    // c + t (p1 - c)
  Point m = vecLerp(b, a, t);                            // a + t (b - a)
  CurvePair pieces;
  pieces.first = withFlag(MakeCurve(CurveStart(c), a, m), c.straight);
  pieces.second = withFlag(MakeCurve(m, b, CurveEnd(c)), c.straight);
  return pieces;
}

Curve ReverseCurve(const Curve& c) {
  Curve r = c;
  r.x0 = c.x1;
  r.y0 = c.y1;
  r.x1 = c.x0;
  r.y1 = c.y0;
  return r;
}

uint16_t CurveCrossings(const Curve& c, Point p, int depth) {
  Rect box = CurveBounds(c);
  // Nothing to the right of the point, or the point's row is outside the
  // curve's rows (rows are half-open: ymin <= y < ymax).
  if (p.x > box.xmax || p.y < box.ymin || p.y >= box.ymax) return 0;
  if (rectContains(box, p) && depth < CrossingsMaxDepth && rectDiagonal(box) > CrossingsMinDiagonal) {
    CurvePair halves = HalveCurve(c);
    return static_cast<uint16_t>(CurveCrossings(halves.first, p, depth + 1) +
                                 CurveCrossings(halves.second, p, depth + 1));
  }
  // The chord decides.
  if (c.y0 == c.y1) return 0;
  int32_t low = c.y0 < c.y1 ? c.y0 : c.y1;
  int32_t high = c.y0 < c.y1 ? c.y1 : c.y0;
  return (low <= p.y && p.y < high) ? 1 : 0;
}

bool CurveTooBent(const Curve& c) {
  if (c.straight != 0) return false;
  int64_t bend = halfMaxDelta(CurveControl(c), chordMidpoint(c));
  return bend > TooBentMinimum && halfMaxDelta(CurveStart(c), CurveEnd(c)) < 2 * bend;
}

Curve FitCurve(const Curve& c, Point p, Point q) {
  int32_t oldLength = pointDistance(CurveStart(c), CurveEnd(c));
  Fixed s = oldLength > 0 ? FixedDiv(pointDistance(p, q), oldLength) : FixedOne;
  Vector armStart = minus(CurveControl(c), CurveStart(c));
  Vector armEnd = minus(CurveControl(c), CurveEnd(c));
  // The longer arm gives the steadier direction; it is kept at its own end.
  Point control = vecLengthApprox(armEnd) < vecLengthApprox(armStart) ? plus(p, vecScale(armStart, s))
                                                                       : plus(q, vecScale(armEnd, s));
  return MakeCurve(p, control, q);
}

}  // namespace lmr
