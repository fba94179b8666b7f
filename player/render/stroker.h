// Line strokes: while the shape walk reads edges under a line style it
// hands each one to a Stroker, which builds the outline of the line around
// the path and stores it as winding edges that switch the line's own fill.
//
// Call order per walk: InitStroker; then for every path BeginStroke, any
// number of StrokeSegment, EndStroke.
#pragma once

#include <cstdint>

#include "player/engine/geometry.h"

namespace lmr {

struct Curve;
struct DisplayList;
struct Edge;
struct FillStyle;

// Point::x of a point that is not there.
constexpr int32_t NoPointX = INT32_MIN;

struct Stroker {
  bool antialias;      // the display list renders at 4 x 4 sub-pixels
  bool clampMode;      // the object reaches beyond +-32000 raster units
  DisplayList* list;   // source of the curve-and-edge pool
  Edge** edges;        // the object's edgeRecords; new edges go to its head
  FillStyle* fill;     // the line style's fill record
  bool thick;          // width > 3
  int32_t width;       // raster units
  bool started;        // a segment of the current path has been added
  int32_t depth;       // subdivision depth
  Point firstLeft, firstPoint, firstRight;
  Point lastLeft, lastPoint, lastRight;
  Point lastInput;  // end anchor of the last curve handed in; x NoPointX at a path start
};

void InitStroker(Stroker& stroker, DisplayList& list, Edge** edges);
void BeginStroke(Stroker& stroker, int32_t width, FillStyle& fill);
void StrokeSegment(Stroker& stroker, const Curve& curve);
void EndStroke(Stroker& stroker);

}  // namespace lmr
