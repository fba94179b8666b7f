#include "player/render/stroker.h"

#include "player/engine/fixed_point.h"
#include "player/render/curve.h"
#include "player/render/edge.h"
#include "player/render/edge_emitter.h"

namespace lmr {

namespace {

// Thick curves are halved at most this many levels before offsetting.
constexpr int32_t MaxOffsetDepth = 5;
// Thin curves are halved until they are this flat (or their arms agree);
// halving shrinks the flatness fourfold.
constexpr int32_t ThinFlatnessLimit = 2;
// Anti-aliased lines of 1 to 3 pixels this long or shorter are not snapped.
constexpr int32_t SnapMinimumLength = 12;

// Round joins: sixteenths of a degree (a full turn is 5760).
constexpr int32_t JoinTurn = 5760;
constexpr int32_t JoinHalfTurn = 2880;
constexpr int32_t JoinMinimumSweep = 16;  // one degree
constexpr int32_t JoinNearPoints = 3;     // halfMaxDelta at or below: one line
constexpr int32_t JoinMaxPieces = 16;
// 71 / 65536 of (sweep in sixteenths x radius) is the arc length (2 pi /
// 5760 = 71.5 / 65536); one piece per 3 raster units of it.
constexpr int32_t ArcLengthFactor = 71;
constexpr int32_t UnitsPerPiece = 3;

// Raster coordinates stay far inside 32 bits; hostile ones wrap instead of
// being undefined.
int32_t Wrap(int64_t v) {
  return static_cast<int32_t>(static_cast<uint32_t>(v));
}
Point Plus(Point p, Vector v) {
  return Point{Wrap(int64_t{p.x} + v.x), Wrap(int64_t{p.y} + v.y)};
}
Point Minus(Point p, Vector v) {
  return Point{Wrap(int64_t{p.x} - v.x), Wrap(int64_t{p.y} - v.y)};
}
int64_t Abs(int64_t v) {
  return v < 0 ? -v : v;
}
int32_t Sign(int64_t v) {
  return v > 0 ? 1 : v < 0 ? -1 : 0;
}
bool OppositeSigns(int64_t a, int64_t b) {
  return (a < 0 && b > 0) || (a > 0 && b < 0);
}

void StrokeCurveEdge(Stroker& s, const Curve& curve) {
  EdgeSink sink{s.edgePool, s.edges, EdgeWinding, s.fill, nullptr, s.clampMode, s.depth};
  EmitCurveEdge(sink, curve);
}

void StrokeLine(Stroker& s, Point a, Point b) {
  StrokeCurveEdge(s, MakeLine(a, b));
}

// A polyline from a to b along the circle of radius width / 2 around the
// centre, turning through decreasing angles (counter-clockwise on the
// screen). Sweeps of a degree or less and more than half a turn, and
// points at most 3 units apart, are joined by one line: the inner side of
// a corner thus gets a straight piece inside the outline.
void RoundJoin(Stroker& s, Point a, Point b, Point centre) {
  if (halfMaxDelta(a, b) <= JoinNearPoints) {
    StrokeLine(s, a, b);
    return;
  }
  // Both angles lie in (-2880, 2880], so one turn lifts alpha above beta.
  int32_t alpha = vecAngle(a, &centre) >> 12;
  const int32_t beta = vecAngle(b, &centre) >> 12;
  if (beta > alpha) alpha += JoinTurn;
  const int32_t sweep = alpha - beta;
  if (sweep <= JoinMinimumSweep || sweep > JoinHalfTurn) {
    StrokeLine(s, a, b);
    return;
  }
  const int32_t r = s.width / 2;
  // A product beyond 32 bits asks for far more than the piece limit.
  const int64_t arc = int64_t{sweep} * r;
  int32_t n =
      arc > INT32_MAX ? JoinMaxPieces : FixedMul(ArcLengthFactor, static_cast<int32_t>(arc)) / UnitsPerPiece;
  Point previous = a;
  if (n > 1) {
    if (n > JoinMaxPieces) n = JoinMaxPieces;
    const int32_t step = sweep / n;
    for (int32_t k = 1; k < n; ++k) {
      const Fixed angle = (alpha - k * step) * 4096;  // sixteenths to 16.16 degrees
      const Point p = polarPoint(r, angle, &centre);
      StrokeLine(s, previous, p);
      previous = p;
    }
  }
  StrokeLine(s, previous, b);
}

// Joins a new segment (its left and right start points q and p) to the
// path, or starts the path with it; then records its end.
void JoinSegment(Stroker& s, Point q, Point start, Point p, Point sEnd, Point end, Point rEnd) {
  if (s.started) {
    if (s.thick) {
      RoundJoin(s, q, s.lastLeft, s.lastPoint);
      RoundJoin(s, s.lastRight, p, s.lastPoint);
    } else {
      StrokeLine(s, q, s.lastLeft);
      StrokeLine(s, s.lastRight, p);
    }
  } else {
    s.firstLeft = q;
    s.firstPoint = start;
    s.firstRight = p;
    s.started = true;
  }
  s.lastLeft = sEnd;
  s.lastPoint = end;
  s.lastRight = rEnd;
}

// The normal (dy, -dx) of the vector from `from` to `to`, pointing left.
Vector LeftNormal(int32_t fromX, int32_t fromY, int32_t toX, int32_t toY) {
  return Vector{Wrap(int64_t{toY} - fromY), Wrap(int64_t{fromX} - toX)};
}

void StrokeThick(Stroker& s, const Curve& c) {
  if (CurveTooBent(c) && s.depth < MaxOffsetDepth) {
    const CurvePair halves = HalveCurve(c);
    ++s.depth;
    StrokeThick(s, halves.first);
    StrokeThick(s, halves.second);
    --s.depth;
    return;
  }
  const int32_t h = s.width / 2;
  const Vector chord = LeftNormal(c.x0, c.y0, c.x1, c.y1);
  Vector nStart = LeftNormal(c.x0, c.y0, c.cx, c.cy);
  if (nStart == Vector{}) nStart = chord;
  nStart = vecSetLength(nStart, h);
  Vector nEnd = nStart;
  if (!c.straight) {
    nEnd = LeftNormal(c.cx, c.cy, c.x1, c.y1);
    if (nEnd == Vector{}) nEnd = chord;
    nEnd = vecSetLength(nEnd, h);
  }
  const Point p0 = CurveStart(c), p1 = CurveEnd(c);
  const Point l0 = Plus(p0, nStart), r0 = Minus(p0, nStart);
  const Point l1 = Plus(p1, nEnd), r1 = Minus(p1, nEnd);
  // The left side runs backwards and the right side forwards: one loop.
  if (c.straight) {
    StrokeLine(s, l1, l0);
    StrokeLine(s, r0, r1);
  } else {
    StrokeCurveEdge(s, ReverseCurve(FitCurve(c, l0, l1)));
    StrokeCurveEdge(s, FitCurve(c, r0, r1));
  }
  JoinSegment(s, l0, p0, r0, l1, p1, r1);
}

// Thin lines are offset along the minor axis only: x for a steep chord,
// y otherwise, by h = the sign of the chord's dy (steep) or of x0 - x1,
// which points to the left side.
struct ThinOffset {
  bool alongX;
  int32_t h;
};

ThinOffset ThinOffsetOf(const Curve& c) {
  const int64_t dy = int64_t{c.y1} - c.y0;
  const int64_t dx = int64_t{c.x0} - c.x1;
  const bool steep = Abs(dy) > Abs(dx);
  return ThinOffset{steep, Sign(steep ? dy : dx)};
}

// Moves for the left (by `left` units) and right copies: width 1 moves one
// side only, so that the band is the row or column the line runs in.
void ThinAmounts(int32_t width, int32_t h, int32_t& left, int32_t& right) {
  left = right = 0;
  switch (width) {
    case 1:
      if (h > 0) {
        left = h;
      } else {
        right = -h;
      }
      break;
    case 2:
      left = h;
      right = -h;
      break;
    default:
      left = h;
      right = -2 * h;
      break;
  }
}

Point Shifted(Point p, const ThinOffset& o, int32_t amount) {
  return o.alongX ? Point{Wrap(int64_t{p.x} + amount), p.y} : Point{p.x, Wrap(int64_t{p.y} + amount)};
}

Curve ShiftedCurve(const Curve& c, const ThinOffset& o, int32_t amount) {
  Curve m = c;
  const Point p0 = Shifted(CurveStart(c), o, amount);
  const Point cp = Shifted(CurveControl(c), o, amount);
  const Point p1 = Shifted(CurveEnd(c), o, amount);
  m.x0 = p0.x, m.y0 = p0.y, m.cx = cp.x, m.cy = cp.y, m.x1 = p1.x, m.y1 = p1.y;
  return m;
}

void StrokeThinLine(Stroker& s, const Curve& c) {
  const ThinOffset o = ThinOffsetOf(c);
  int32_t left, right;
  ThinAmounts(s.width, o.h, left, right);
  const Point p0 = CurveStart(c), p1 = CurveEnd(c);
  const Point q = Shifted(p0, o, left), sEnd = Shifted(p1, o, left);
  const Point p = Shifted(p0, o, right), r = Shifted(p1, o, right);
  StrokeLine(s, sEnd, q);
  StrokeLine(s, p, r);
  JoinSegment(s, q, p0, p, sEnd, p1, r);
}

// A thin curve is offset whole only while both control arms run the same
// way: equally steep, and neither their x nor their y components of
// opposite signs (a zero component agrees with either). Otherwise an
// offset along one axis would pinch the band where the curve turns.
bool ArmsAgree(const Curve& c) {
  const int64_t sx = int64_t{c.cx} - c.x0, sy = int64_t{c.cy} - c.y0;
  const int64_t ex = int64_t{c.x1} - c.cx, ey = int64_t{c.y1} - c.cy;
  const bool startSteep = Abs(sy) > Abs(sx);
  const bool endSteep = Abs(ey) > Abs(ex);
  return startSteep == endSteep && !OppositeSigns(sy, ey) && !OppositeSigns(sx, ex);
}

// The halvings count in the shared depth, so that they and the edge
// emitter's cuts together make at most 2^MaxSubdivision pieces of one
// curve. Curves inside the 16-bit edge range need about 8 levels at most
// (the flatness shrinks fourfold per level); only far larger ones reach
// the limit, and are then offset as they are.
void StrokeThinCurve(Stroker& s, const Curve& c) {
  if (CurveFlatness(c) > ThinFlatnessLimit && !ArmsAgree(c) && s.depth < MaxSubdivision) {
    const CurvePair halves = HalveCurve(c);
    ++s.depth;
    StrokeThinCurve(s, halves.first);
    StrokeThinCurve(s, halves.second);
    --s.depth;
    return;
  }
  const ThinOffset o = ThinOffsetOf(c);
  int32_t left, right;
  ThinAmounts(s.width, o.h, left, right);
  const Curve a = ShiftedCurve(c, o, left);
  const Curve b = ShiftedCurve(c, o, right);
  StrokeCurveEdge(s, ReverseCurve(a));
  StrokeCurveEdge(s, b);
  JoinSegment(s, CurveStart(a), CurveStart(c), CurveStart(b), CurveEnd(a), CurveEnd(c), CurveEnd(b));
}

// Anti-aliased straight lines 1 to 3 pixels wide that run along a pixel
// row or column are moved so that they cover whole pixels: widths of 1 and
// 3 pixels to the centre of their pixel, 2 pixels to the nearest pixel
// boundary. Only the anchors move; the control point keeps its place.
void SnapToPixelGrid(int32_t width, Curve& c) {
  int32_t (*snap)(int32_t);
  if (width == 4 || width == 12) {
    snap = [](int32_t v) { return Wrap((int64_t{v} & ~int64_t{3}) + 2); };
  } else if (width == 8) {
    snap = [](int32_t v) { return Wrap((int64_t{v} + 2) & ~int64_t{3}); };
  } else {
    return;
  }
  if (c.x0 == c.x1 && Abs(int64_t{c.y1} - c.y0) > SnapMinimumLength) {
    c.x0 = c.x1 = snap(c.x0);
  } else if (c.y0 == c.y1 && Abs(int64_t{c.x1} - c.x0) > SnapMinimumLength) {
    c.y0 = c.y1 = snap(c.y0);
  }
}

}  // namespace

void InitStroker(Stroker& stroker, BlockPool& edgePool, Edge** edges) {
  stroker = Stroker{};
  stroker.edgePool = &edgePool;
  stroker.edges = edges;
  stroker.lastInput.x = NoPointX;
}

void BeginStroke(Stroker& stroker, int32_t width, FillStyle& fill) {
  const int32_t least = stroker.antialias ? 4 : 1;
  stroker.started = false;
  stroker.width = width < least ? least : width > StrokeWidthLimit ? StrokeWidthLimit : width;
  stroker.thick = stroker.width > 3;
  stroker.fill = &fill;
  stroker.lastInput.x = NoPointX;
}

void StrokeSegment(Stroker& stroker, const Curve& curve) {
  // A dot adds nothing, not even a cap; and no path without a fill.
  if (!stroker.fill) return;
  if (curve.x0 == curve.cx && curve.cx == curve.x1 && curve.y0 == curve.cy && curve.cy == curve.y1) return;
  if (!stroker.thick) {
    if (curve.straight) {
      StrokeThinLine(stroker, curve);
    } else {
      StrokeThinCurve(stroker, curve);
    }
  } else {
    Curve c = curve;
    if (stroker.antialias && c.straight) SnapToPixelGrid(stroker.width, c);
    StrokeThick(stroker, c);
  }
  stroker.lastInput = CurveEnd(curve);
}

void EndStroke(Stroker& stroker) {
  if (!stroker.started) return;  // only dots, or nothing at all
  Stroker& s = stroker;
  const bool closed = s.firstPoint == s.lastPoint;
  if (s.thick) {
    if (closed) {
      RoundJoin(s, s.firstLeft, s.lastLeft, s.lastPoint);
      RoundJoin(s, s.lastRight, s.firstRight, s.lastPoint);
    } else {
      // Round caps: half a turn from the left to the right offset point.
      RoundJoin(s, s.firstLeft, s.firstRight, s.firstPoint);
      RoundJoin(s, s.lastRight, s.lastLeft, s.lastPoint);
    }
  } else if (closed) {
    StrokeLine(s, s.firstLeft, s.lastLeft);
    StrokeLine(s, s.lastRight, s.firstRight);
  } else {
    StrokeLine(s, s.firstLeft, s.firstRight);  // flat caps
    StrokeLine(s, s.lastRight, s.lastLeft);
  }
  // A second EndStroke adds nothing.
  s.started = false;
}

}  // namespace lmr
