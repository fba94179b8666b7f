// Anti-aliasing: every sub-line of a pixel row records which fill is on
// top where, as runs of raster x; after the fourth sub-line the runs are
// resolved into pixels with a coverage of 0 to 16 sixteenths.
#pragma once

#include <cstdint>

#include "player/engine/records.h"

namespace lmr {

struct FillStyle;
struct RasterContext;

constexpr int32_t SubLines = 4;  // sub-lines (and sub-columns) per pixel
constexpr int32_t FullCoverage = SubLines * SubLines;

// One block of the context's coverage-run pool: raster x range [x0, x1)
// and the top fill of each sub-line that painted there.
struct CoverageRun {
  CoverageRun* next;
  int32_t x0;
  int32_t x1;
  FillStyle* slots[SubLines];
  int32_t count;     // slots used
  bool needsSample;  // a slot holds a bitmap or gradient fill
  bool uniform;      // every slot equals slot 0
};

// Records the current top fill over raster x [a, b) of the current
// sub-line, from the run cursor on.
void RecordRun(RasterContext& context, int32_t a, int32_t b);
// Resolves the runs of the pixel row that sub-line y ends and frees them.
void ResolveRow(RasterContext& context, int32_t y);
// Sums of the slots' colours at pixel (x, v); slots of fills that paint
// nothing (a gradient without a ramp) add nothing and count as uncovered.
Rgb SampleRunColour(const CoverageRun& run, int32_t x, int32_t v);
// Writes pixel x of the current row: colour sums over `coverage`
// sixteenths, the rest white or (once the target has content) the pixel's
// old colour.
void BlendPixel(RasterContext& context, int32_t x, const Rgb& sums, int32_t coverage);
// Makes pixel row v (0 = top) the current row.
void SetRow(RasterContext& context, int32_t v);

// Frees the context's run list, if any.
void FreeRuns(RasterContext& context);

}  // namespace lmr
