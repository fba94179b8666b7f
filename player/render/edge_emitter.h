// Curves to Edge records: the last stage of both the shape walk's fill
// edges and the stroker's outlines. A curve is cut until every piece is
// monotonic in y, at most MaxCurveHeight tall and inside the 16-bit edge
// range, then stored in a block of the curve-and-edge pool and pushed at
// the head of an edge list.
#pragma once

#include <cstdint>

#include "player/render/curve.h"

namespace lmr {

struct BlockPool;
struct Edge;
struct FillStyle;

// Curves taller than this many raster units are halved, so that the edge
// stepper's forward differences stay precise.
constexpr int32_t MaxCurveHeight = 256;
// Pieces of a curve are cut at most this many levels deep; deeper pieces
// are dropped.
constexpr int32_t MaxSubdivision = 16;
// A control point this close beyond an anchor's y is pulled onto it
// instead of cutting the curve.
constexpr int32_t OvershootTolerance = 3;
// In clamp mode, curves wholly above or below this band are dropped and
// curves wholly left or right of it become verticals at +-EdgeCoordinateLimit.
constexpr int32_t ClampBand = 16000;

// Where new edges go and what they switch. Built by the caller for each
// curve; `depth` is the caller's subdivision depth at the call, and the
// emitter leaves it as it found it.
struct EdgeSink {
  BlockPool* pool;   // the curve-and-edge pool (blocks of sizeof(Edge))
  Edge** list;       // list head; new edges are pushed here
  uint8_t kind;      // EdgeTwoFill, EdgeEvenOdd or EdgeWinding
  FillStyle* fillA;  // never none
  FillStyle* fillB;  // EdgeTwoFill only
  bool clampMode;    // the object reaches beyond +-32000 raster units
  int32_t depth;     // levels of subdivision already spent
};

// True when the box reaches beyond the +-EdgeCoordinateLimit that 16-bit
// edge coordinates hold.
bool BeyondEdgeRange(const Rect& box);

// Stores the curve (raster units) as zero or more edges. Level pieces are
// dropped (they switch nothing), and so is any edge the pool cannot hold.
void EmitCurveEdge(EdgeSink& sink, const Curve& curve);

// Replaces a curve far left or right of any view by a vertical line at x
// that still switches its fills on the rows it spans. The curve must have
// its top anchor first.
Curve ClampToVertical(const Curve& curve, int32_t x);

}  // namespace lmr
