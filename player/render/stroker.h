// Line strokes: while the shape walk reads edges under a line style it
// hands each one to a Stroker, which builds the outline of the line around
// the path and stores it as winding edges that switch the line's own fill.
//
// Wide lines (more than 3 raster units) get offset sides that follow the
// curve and round joins and caps of at most 16 straight pieces; thin lines
// (1 to 3 units, only without anti-aliasing) are bands of whole raster
// units along the minor axis with straight joins and flat caps. Every
// outline runs the same way round (left side backwards, right side
// forwards), so overlapping pieces of one line add up under winding.
//
// Call order per walk: InitStroker, set antialias and clampMode; then for
// every path BeginStroke, any number of StrokeSegment, EndStroke.
#pragma once

#include <cstdint>

#include "player/engine/geometry.h"

namespace lmr {

struct BlockPool;
struct Curve;
struct Edge;
struct FillStyle;

// Point::x of a point that is not there.
constexpr int32_t NoPointX = INT32_MIN;

// Lines are at most this wide (raster units): far more than the 16-bit
// edge range can show, and small enough that offset points of any
// coordinate a walk produces stay clear of 32-bit overflow.
constexpr int32_t StrokeWidthLimit = 1 << 20;

// Left and right are seen in the direction of travel on the screen (y
// grows downwards): the left offset of a segment towards +x has smaller y.
struct Stroker {
  bool antialias;                           // the display list renders at 4 x 4 sub-pixels
  bool clampMode;                           // the object reaches beyond +-32000 raster units
  BlockPool* edgePool;                      // the display list's curve-and-edge pool
  Edge** edges;                             // the object's edgeRecords; new edges go to its head
  FillStyle* fill;                          // the line style's fill record
  bool thick;                               // width > 3
  int32_t width;                            // raster units
  bool started;                             // a segment of the current path has been added
  int32_t depth;                            // subdivision depth, shared with the edge emitter
  Point firstLeft, firstPoint, firstRight;  // where the path began
  Point lastLeft, lastPoint, lastRight;     // end of the last segment added
  Point lastInput;  // end anchor of the last curve handed in; x NoPointX at a path start
};

// Depth 0, antialias and clampMode off, no path.
void InitStroker(Stroker& stroker, BlockPool& edgePool, Edge** edges);
// Starts a path of the given width (raster units; at least 4 with
// antialias, else 1) filled with `fill`.
void BeginStroke(Stroker& stroker, int32_t width, FillStyle& fill);
// Adds one segment (raster units) to the path.
void StrokeSegment(Stroker& stroker, const Curve& curve);
// Closes the path: joins when it ends where it began, caps otherwise.
// Nothing when no segment was added.
void EndStroke(Stroker& stroker);

}  // namespace lmr
