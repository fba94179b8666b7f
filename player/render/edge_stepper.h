// Active edges: where an edge crosses each scan line it spans. Straight
// edges step by a constant slope; curves by forward differences in t,
// 2 steps per raster line.
#pragma once

#include <cstdint>

namespace lmr {

struct ActiveEdge;
struct Edge;
struct FillStyle;
struct RasterContext;

// Switches the edge's fills at raster x on the current line.
using EdgeHandler = void (*)(RasterContext& context, ActiveEdge& edge, int32_t x);

// One block of the context's active-edge pool. Positions are 16.16 raster
// units; the curve differences are raster units x 2^24 per step. They are
// 64-bit: a 16-bit coordinate range shifted by 24 does not fit 32 bits.
struct ActiveEdge {
  ActiveEdge* next;
  ActiveEdge* previous;
  int32_t xr;       // x where the edge crosses the current line, rounded
  int32_t endLine;  // y1: active on lines y0 <= y < y1
  int64_t slope;    // straight edges
  int64_t dx;
  int64_t dy;
  int64_t ddx;
  int64_t ddy;
  int64_t x;
  int64_t y;  // curves only
  int32_t steps;  // curve steps left
  FillStyle* fillA;
  FillStyle* fillB;
  int8_t dir;
  bool straight;
  bool interpolate;  // cut the last step's chord at the line (no antialias)
  EdgeHandler handler;
};

// Starts the edge on line y (y0 <= y < y1), stepping a curve that began
// above. The handler is left to the caller.
void StartEdge(ActiveEdge& active, const Edge& edge, int32_t y, bool interpolate);
// Moves the edge on to line y.
void StepEdge(ActiveEdge& active, int32_t y);

}  // namespace lmr
