// The scan converter's state: one per display list (embedded in it). Turns
// the edges of every object that touches the clip into pixels of the target
// in one pass, top to bottom, painting each pixel once.
//
// Call order per frame: BeginFrame, then AddEdges any number of times
// (FlushFrame between them paints what is there so far), then PaintFrame.
// Active edges and coverage runs exist only inside PaintFrame; the edge
// table holds edges only between BeginFrame and PaintFrame.
#pragma once

#include <cstddef>
#include <cstdint>

#include "player/engine/block_pool.h"
#include "player/engine/records.h"

namespace lmr {

struct ActiveEdge;
struct ColorTable;
struct CoverageRun;
struct Edge;
struct FillStyle;
struct Offscreen;

// Blocks per chunk of the context's pools.
constexpr uint32_t ActiveEdgesPerChunk = 128;
constexpr uint32_t CoverageRunsPerChunk = 128;
constexpr uint32_t RampsPerChunk = 16;

// RasterContext::ditherLevel
constexpr int32_t DitherOrdered = 1;
constexpr int32_t DitherDiffusion = 2;

struct RasterContext {
  bool antialias = false;         // raster units are quarter pixels
  bool targetHasContent = false;  // partly covered pixels blend with the target
  bool smoothBitmaps = false;     // bitmap fills sample bilinearly
  int32_t ditherLevel = DitherOrdered;
  bool hasEdges = false;  // edges were added since the last reset
  Offscreen* target = nullptr;
  ColorTable* colorTable = nullptr;
  Rect rasterClip;  // raster units: the pixel clip, times 4 with antialias
  Rect clip;        // pixels: the target's area intersected with the area asked for

  FillStyle* activeFills = nullptr;  // linked through activeNext
  FillStyle* topFill = nullptr;      // the fill being painted
  int32_t topStart = 0;              // raster x where topFill became the top

  // Error-diffusion rows: errorRowLength triples (red, green, blue) each,
  // for pixels -1 to width. Made on first use in a frame, freed by
  // PaintFrame.
  int32_t* errorRows = nullptr;
  int32_t errorRowLength = 0;
  int32_t* errorCurrent = nullptr;  // entry of pixel -1 of the current row
  int32_t* errorNext = nullptr;

  ActiveEdge* activeEdges = nullptr;  // in x order
  Edge** edgeTable = nullptr;         // one list head per raster row of the clip
  int32_t edgeTableRows = 0;          // rows in use this frame
  int32_t edgeTableCapacity = 0;      // kept from frame to frame
  int32_t currentLine = 0;            // raster y being converted

  CoverageRun* runs = nullptr;  // with antialias only
  CoverageRun* runCursor = nullptr;

  BlockPool activeEdgePool;
  BlockPool coverageRunPool;
  BlockPool rampPool;  // RampBytes per block

  // Copied from the target by BeginFrame.
  bool bottomUp = false;
  uint8_t* bits = nullptr;
  int32_t rowBytes = 0;
  int32_t formatIndex = 0;
  int32_t width = 0;
  int32_t height = 0;

  uint8_t* row = nullptr;  // the target row being written (SetRow)
  int32_t rowY = 0;        // its pixel row, top = 0

  RasterContext() = default;
  RasterContext(const RasterContext&) = delete;
  RasterContext& operator=(const RasterContext&) = delete;
};

// Sets up the pools and the shared sampling tables; all flags clear,
// ordered dither.
void InitRasterContext(RasterContext& context);
// Frees the edge table and error rows and destroys the pools.
void DestroyRasterContext(RasterContext& context);

// Binds the target and clip (pixels) for a frame and resets the edge state.
// ditherLevel: DitherOrdered or DitherDiffusion.
void BeginFrame(RasterContext& context, Offscreen& target, const Rect& pixelClip, bool antialias,
                bool smoothBitmaps, int32_t ditherLevel);
// Files every edge of the list (linked by `next`) that meets the raster
// clip into the edge table by its start row.
void AddEdges(RasterContext& context, Edge* first);
// Paints what was added so far and starts again; later partly covered
// pixels blend with what is then in the target.
void FlushFrame(RasterContext& context);
// Converts everything added since the last reset into pixels.
void PaintFrame(RasterContext& context);

}  // namespace lmr
