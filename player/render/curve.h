// Quadratic Bezier segments and the operations the edge builder, the
// stroker and the hit test work with. Coordinates are whatever unit the
// caller uses (movie units or raster units); no operation changes it.
#pragma once

#include <cstdint>

#include "player/engine/geometry.h"
#include "player/engine/records.h"

namespace lmr {

// Anchors (x0, y0) and (x1, y1) with control point (cx, cy). A straight
// segment (straight = 1) has its control at the midpoint of the anchors.
struct Curve {
  int32_t x0 = 0;
  int32_t y0 = 0;
  int32_t cx = 0;
  int32_t cy = 0;
  int32_t x1 = 0;
  int32_t y1 = 0;
  int32_t straight = 0;  // 0 or 1
};

struct CurvePair {
  Curve first;
  Curve second;
};

inline Point CurveStart(const Curve& c) { return Point{c.x0, c.y0}; }
inline Point CurveControl(const Curve& c) { return Point{c.cx, c.cy}; }
inline Point CurveEnd(const Curve& c) { return Point{c.x1, c.y1}; }

Curve MakeCurve(Point p0, Point control, Point p1);
// Control = the anchors' midpoint, rounded down per axis.
Curve MakeLine(Point p0, Point p1);
// Box of the anchors, widened by the control point for a curved segment:
// it holds the whole curve, though not always tightly.
Rect CurveBounds(const Curve& c);
// How far the control point lies from the chord's midpoint (approximate
// length); 0 for a straight segment.
int32_t CurveFlatness(const Curve& c);
// Splits at t = 1/2; both halves keep the input's straight flag.
CurvePair HalveCurve(const Curve& c);
// Splits at parameter t (16.16, 0 to 1.0); both pieces keep the flag.
CurvePair CutCurveAt(const Curve& c, Fixed t);
// Same segment run from end to start.
Curve ReverseCurve(const Curve& c);
// Crossings of the ray from p towards +x with the curve, for hit tests.
// Subdivides while the box holding the curve holds p, at most 12 levels
// deep and down to a box diagonal of 4 units; then the chord decides, so
// points that close to the curve may count on either side. Callers pass
// depth 0.
uint16_t CurveCrossings(const Curve& c, Point p, int depth = 0);
// True when an offset of the curve would be poor, so it should be halved
// before stroking.
bool CurveTooBent(const Curve& c);
// A curved segment from p to q whose control follows the old curve's
// longer control arm, scaled by |pq| / |p0 p1|.
Curve FitCurve(const Curve& c, Point p, Point q);

}  // namespace lmr
