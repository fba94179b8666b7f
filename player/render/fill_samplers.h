// Bitmap and gradient fills: their span painters and the per-pixel samples
// that the anti-aliasing resolve asks for at edge pixels.
#pragma once

#include <cstdint>

#include "player/engine/records.h"

namespace lmr {

struct FillStyle;
struct RasterContext;

// Builds the process-wide sampling tables once; later calls do nothing.
void InitSamplingTables();

// The colour of a bitmap fill at device pixel (x, y), sampled bilinearly.
Rgb BitmapSample(const FillStyle& fill, int32_t x, int32_t y);
// The ramp colour of a gradient fill at device pixel (x, y); black when the
// fill has no ramp.
Rgb GradientSample(const FillStyle& fill, int32_t x, int32_t y);

// Painters: write pixels [startX, endX) of the context's current row.
void PaintBitmap(RasterContext& context, int32_t startX, int32_t endX, FillStyle& fill);
void PaintGradient(RasterContext& context, int32_t startX, int32_t endX, FillStyle& fill);

}  // namespace lmr
