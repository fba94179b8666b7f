// Stores runs of computed colours (bitmap and gradient fills) into the
// current row: reduced to the palette with ordered dither or error
// diffusion, or to 16 bits with a 4 x 4 dither.
#pragma once

#include <cstdint>

#include "player/engine/records.h"

namespace lmr {

struct RasterContext;

// Colours per WriteRow call that painters gather before storing.
constexpr int32_t RowChunkPixels = 256;

// Stores colours[0 .. endX - startX) at pixels [startX, endX) of the
// context's current row. Pixels outside the target are skipped.
void WriteRow(RasterContext& context, int32_t startX, int32_t endX, const Rgb* colours);

// Palette indices for colours[0 .. endX - startX) by the context's
// ditherLevel. False when the error-diffusion rows cannot be had; the span
// is then left unchanged.
bool ReduceToPalette(RasterContext& context, int32_t startX, int32_t endX, const Rgb* colours,
                     uint8_t* indices);

// Error-diffusion rows: SetRow moves them on to a new row (the next row
// becomes current, a cleared one the next); PaintFrame frees them.
void AdvanceErrorRows(RasterContext& context);
void FreeErrorRows(RasterContext& context);

}  // namespace lmr
