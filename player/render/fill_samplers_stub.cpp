// STUB, to be replaced by the bitmap and gradient fill painters: samples are
// black and the painters leave the row unchanged, so the scan converter and
// solid fills can be built and tested on their own.
#include "player/render/fill_samplers.h"

namespace lmr {

void InitSamplingTables() {}

Rgb BitmapSample(const FillStyle&, int32_t, int32_t) { return Rgb{}; }

Rgb GradientSample(const FillStyle&, int32_t, int32_t) { return Rgb{}; }

void PaintBitmap(RasterContext&, int32_t, int32_t, FillStyle&) {}

void PaintGradient(RasterContext&, int32_t, int32_t, FillStyle&) {}

}  // namespace lmr
