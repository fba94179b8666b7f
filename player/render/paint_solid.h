// Painters of solid fills, one per pixel-format family. Each writes pixels
// [startX, endX) of the context's current row from the fill's pattern row
// for that row (row y & 3), so pixel x always shows pattern column x & 3.
#pragma once

#include <cstdint>

#include "player/render/fill_style.h"

namespace lmr {

// 1, 2, 4 and 8 bits: the row as 32-bit words, whole words stored at once.
void PaintSolidPacked(RasterContext& context, int32_t startX, int32_t endX, FillStyle& fill);
void PaintSolid16(RasterContext& context, int32_t startX, int32_t endX, FillStyle& fill);
void PaintSolid24(RasterContext& context, int32_t startX, int32_t endX, FillStyle& fill);
void PaintSolid32(RasterContext& context, int32_t startX, int32_t endX, FillStyle& fill);

Painter SolidPainterFor(int32_t formatIndex);

// Writes the 4-byte word `pattern` (memory order) into pixels [startX,
// endX) of a packed row of bitsPerPixel 1, 2, 4 or 8, keeping every other
// bit of the row.
void FillWordSpan(uint8_t* row, int32_t bitsPerPixel, int32_t startX, int32_t endX,
                  const uint8_t pattern[4]);

}  // namespace lmr
