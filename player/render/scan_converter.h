// The stages of one frame's scan conversion, in the order PaintFrame runs
// them per raster line: new edges join the active list, the list is sorted
// by x, and the line is scanned: every edge switches its fills, and each
// change of the top fill emits the span of the previous top.
#pragma once

#include <cstdint>

namespace lmr {

struct ActiveEdge;
struct FillStyle;
struct RasterContext;

// Starts the edges of edge-table row y - ymin on line y.
void InsertNewEdges(RasterContext& context, int32_t y);
// Neighbour exchanges until the active list is in xr order; equal xr keep
// their order.
void SortActiveEdges(RasterContext& context);
void ScanLine(RasterContext& context, int32_t y);

// Edge handlers, one per edge kind.
void HandleTwoFill(RasterContext& context, ActiveEdge& edge, int32_t x);
void HandleEvenOdd(RasterContext& context, ActiveEdge& edge, int32_t x);
void HandleWinding(RasterContext& context, ActiveEdge& edge, int32_t x);

// A fill was switched on at raster x: it becomes the top when it outranks
// the current one.
void FillOn(RasterContext& context, FillStyle& fill, int32_t x);
// The top fill was switched off at raster x: the highest remaining fill
// takes over.
void RefreshTop(RasterContext& context, int32_t x);
// Hands the top fill's span [topStart, x) to its painter, or records it in
// the coverage runs with anti-aliasing.
void EmitSpan(RasterContext& context, int32_t x);

// Heap allocations made so far to grow edge tables (all contexts). Growing
// happens only when a frame needs more rows than any before it.
long edgeTableGrowthCount();

}  // namespace lmr
