// Fill records from creation to release: initialising, choosing the
// painter and precomputing what it needs (solid patterns, bitmap row
// tables, gradient ramps).
#pragma once

#include <cstdint>

#include "player/engine/records.h"

namespace lmr {

struct FillStyle;
struct RasterContext;

// The inverse of a bitmap or gradient fill: from device pixels with
// `fractionBits` fraction bits (16 for bitmaps, 8 for gradients) to the
// style's space with as many (16.16 bitmap pixels, gradient units with 8
// fraction bits). `style` maps the style's space to movie units,
// `devicePixels` movie units to device pixels. The translations are taken
// in 64 bits: in 32, a bitmap's translation of 32768 movie units or more
// would wrap once moved into 16 fraction bits.
Matrix StyleInverse(const Matrix& style, const Matrix& devicePixels, int32_t fractionBits);

// A fresh record bound to the context (which may be none): links, active
// state, type and prepared all clear, the identity style matrices.
void InitFill(FillStyle& fill, RasterContext* context);
// Frees what PrepareFill made (row table, ramp); prepared is clear after.
void ReleaseFill(FillStyle& fill);

// Sets the painter and precomputed data for the context's target. Does
// nothing when already prepared or when the fill has no context or the
// context no target.
void PrepareFill(FillStyle& fill);

// Stores the 4 x 4 pattern P (bit 15 row 0 pixel 0; a set bit means
// colour a, a clear one colour b) into fill.pattern for a target format.
// a and b are pixel values in that format.
void BuildPattern(FillStyle& fill, int32_t formatIndex, uint16_t pattern, uint32_t a, uint32_t b);

// The 257-entry ramp of the fill's stops into `ramp` (RampBytes bytes).
// Entries up to the first ratio have the first colour, entries after the
// last ratio the last colour; no stops give black.
void BuildRamp(const FillStyle& fill, uint8_t* ramp);

}  // namespace lmr
