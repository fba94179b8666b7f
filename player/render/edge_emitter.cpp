#include "player/render/edge_emitter.h"

#include <utility>

#include "player/engine/block_pool.h"
#include "player/engine/fixed_point.h"
#include "player/render/edge.h"

namespace lmr {

namespace {

int32_t ClampToEdgeRange(int32_t v) {
  return v < -EdgeCoordinateLimit ? -EdgeCoordinateLimit : v > EdgeCoordinateLimit ? EdgeCoordinateLimit : v;
}

// The curve (top anchor first) as an Edge pushed at the sink's list head.
void StoreEdge(EdgeSink& sink, Curve c, int8_t dir) {
  // A piece that is still beyond the 16-bit range at the depth limit is
  // clamped into it; clamping keeps y0 <= cy <= y1, and a piece that
  // collapses to a level one switches nothing.
  c.x0 = ClampToEdgeRange(c.x0);
  c.y0 = ClampToEdgeRange(c.y0);
  c.cx = ClampToEdgeRange(c.cx);
  c.cy = ClampToEdgeRange(c.cy);
  c.x1 = ClampToEdgeRange(c.x1);
  c.y1 = ClampToEdgeRange(c.y1);
  if (c.y0 >= c.y1) return;
  auto* e = sink.pool->alloc<Edge>();
  if (!e) return;  // no block: the edge is dropped
  e->x0 = static_cast<int16_t>(c.x0);
  e->y0 = static_cast<int16_t>(c.y0);
  e->cx = static_cast<int16_t>(c.cx);
  e->cy = static_cast<int16_t>(c.cy);
  e->x1 = static_cast<int16_t>(c.x1);
  e->y1 = static_cast<int16_t>(c.y1);
  e->straight = CurveFlatness(c) <= 1 ? 1 : 0;
  e->kind = sink.kind;
  e->fillA = sink.fillA;
  e->fillB = sink.fillB;
  e->dir = dir;
  e->nextInRow = nullptr;
  e->next = *sink.list;
  *sink.list = e;
}

void EmitPieces(EdgeSink& sink, const CurvePair& pieces) {
  if (++sink.depth <= MaxSubdivision) {
    EmitCurveEdge(sink, pieces.first);
    EmitCurveEdge(sink, pieces.second);
  }
  --sink.depth;
}

// Where a curve whose control lies outside its anchors' y range turns in
// y: t = (y0 - cy) / (y0 - 2 cy + y1), 16.16, between 0 and 1. Rounded
// like FixedDiv, in 64 bits since raster coordinates may be any 32-bit
// value here.
Fixed ExtremumT(const Curve& c) {
  const int64_t num = int64_t{c.y0} - c.cy;
  const int64_t den = int64_t{c.y0} - 2 * int64_t{c.cy} + c.y1;
  if (den == 0) return FixedOne / 2;
  const int64_t n = num < 0 ? -num : num, d = den < 0 ? -den : den;
  int64_t t = (n * 65536 + d / 2) / d;
  if ((num < 0) != (den < 0)) t = -t;
  return static_cast<Fixed>(t < 0 ? 0 : t > FixedOne ? FixedOne : t);
}

}  // namespace

bool BeyondEdgeRange(const Rect& b) {
  return b.xmin < -EdgeCoordinateLimit || b.xmax > EdgeCoordinateLimit || b.ymin < -EdgeCoordinateLimit ||
         b.ymax > EdgeCoordinateLimit;
}

Curve ClampToVertical(const Curve& curve, int32_t x) {
  Curve c = curve;
  c.x0 = c.cx = c.x1 = x;
  if (c.y0 < -EdgeCoordinateLimit) c.y0 = -EdgeCoordinateLimit;
  if (c.y1 > EdgeCoordinateLimit) c.y1 = EdgeCoordinateLimit;
  c.straight = 1;
  // In 64 bits: the anchor that was not clamped may be any 32-bit value.
  c.cy = static_cast<int32_t>((int64_t{c.y0} + c.y1) / 2);
  return c;
}

void EmitCurveEdge(EdgeSink& sink, const Curve& input) {
  // Top anchor first; dir remembers which way the source ran.
  Curve c = input;
  int8_t dir = 1;
  if (c.y1 < c.y0) {
    dir = -1;
    std::swap(c.x0, c.x1);
    std::swap(c.y0, c.y1);
  }
  if (!c.straight && (c.cy < c.y0 || c.cy > c.y1)) {
    if (c.cy < c.y0 && int64_t{c.y0} - c.cy < OvershootTolerance) {
      c.cy = c.y0;  // nearly monotonic: flattened at its end
    } else if (c.cy > c.y1 && int64_t{c.cy} - c.y1 < OvershootTolerance) {
      c.cy = c.y1;
    } else {
      EmitPieces(sink, CutCurveAt(input, ExtremumT(input)));
      return;
    }
  }
  // Before any halving for height: a piece wholly above or below what can
  // be shown, or wholly left or right of it beyond the 16-bit range, comes
  // out the same however often it is halved (nothing, or a vertical at the
  // range's side). Taken here, a tall curve far off the view costs one
  // piece instead of up to 2^MaxSubdivision, and one taller than the depth
  // limit can halve down to still switches its fills.
  {
    const Rect b = CurveBounds(c);
    const int32_t band = sink.clampMode ? ClampBand : EdgeCoordinateLimit;
    if (b.ymax < -band || b.ymin > band) return;
    if (BeyondEdgeRange(b) && (b.xmax < -ClampBand || b.xmin > ClampBand)) {
      StoreEdge(sink, ClampToVertical(c, b.xmax < -ClampBand ? -EdgeCoordinateLimit : EdgeCoordinateLimit), dir);
      return;
    }
  }
  if (!c.straight && int64_t{c.y1} - c.y0 > MaxCurveHeight) {
    EmitPieces(sink, HalveCurve(input));
    return;
  }
  if (c.y0 == c.y1) return;  // level edges switch nothing
  // Clamp mode, and any curve whose coordinates do not fit the edge's 16
  // bits (an object whose stored bounds understate it).
  const Rect b = CurveBounds(c);
  if (sink.clampMode || BeyondEdgeRange(b)) {
    if (sink.clampMode && (b.ymax < -ClampBand || b.ymin > ClampBand)) return;
    if (BeyondEdgeRange(b)) {
      if (b.xmax < -ClampBand) {
        c = ClampToVertical(c, -EdgeCoordinateLimit);
      } else if (b.xmin > ClampBand) {
        c = ClampToVertical(c, EdgeCoordinateLimit);
      } else if (sink.depth < MaxSubdivision) {
        EmitPieces(sink, HalveCurve(input));
        return;
      }
    }
  }
  StoreEdge(sink, c, dir);
}

}  // namespace lmr
