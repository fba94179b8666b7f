#include <cstddef>

#include "player/engine/geometry.h"
#include "player/render/fill_samplers.h"
#include "player/render/fill_style.h"
#include "player/render/raster_context.h"
#include "player/render/row_writer.h"
#include "player/render/sampling_tables.h"

namespace lmr {

namespace {

// Gradient space: gradient units with 8 fraction bits; the standard square
// spans -16384 to +16384 units, so the ramp index steps every 64 units
// (1 << 14 in these coordinates).
constexpr int32_t RampLast = RampEntries - 1;  // 256
constexpr int32_t IndexShift = 14;

// Linear: gradient x from -16384 to +16384 onto entries 0 to 256.
int32_t LinearIndex(int64_t gx) {
  const int64_t i = (gx >> 15) + 128;
  return i < 0 ? 0 : i > RampLast ? RampLast : static_cast<int32_t>(i);
}

// Radial, by the table-based vector length: the start of each chunk and
// the anti-aliasing samples.
int32_t RadialIndexApprox(int64_t gx, int64_t gy) {
  const int32_t i = vecLength(Vector{SaturateToInt32(gx), SaturateToInt32(gy)}) >> IndexShift;
  return i > RampLast ? RampLast : i;
}

// Coordinates in index steps for the squared distance; anything beyond the
// ramp's end is as good as the end, so they are capped where squares still
// fit comfortably.
int64_t IndexSteps(int64_t g) {
  const int64_t s = g >> IndexShift;
  constexpr int64_t Cap = 1 << 20;
  return s > Cap ? Cap : s < -Cap ? -Cap : s;
}

Rgb RampColour(const uint8_t* ramp, int32_t index) {
  const uint8_t* e = ramp + 4 * index;
  return Rgb{e[0], e[1], e[2]};
}

}  // namespace

void PaintGradient(RasterContext& context, int32_t startX, int32_t endX, FillStyle& fill) {
  if (startX >= endX || !fill.ramp) return;
  const Point origin =
      transformPoint(fill.inverse, Point{PixelToFraction(startX, 8), PixelToFraction(context.rowY, 8)});
  int64_t gx = origin.x, gy = origin.y;
  const int64_t dgx = fill.inverse.a >> 8, dgy = fill.inverse.b >> 8;
  const bool radial = fill.gradientKind == FillTypeRadial;
  Rgb colours[RowChunkPixels];
  for (int32_t x = startX; x < endX; x += RowChunkPixels) {
    const int32_t n = endX - x < RowChunkPixels ? endX - x : RowChunkPixels;
    if (radial) {
      // The index follows the previous pixel's index and change, then the
      // squares settle it on the integer square root of the distance, so
      // the search takes one or two comparisons along smooth spans.
      int32_t i = RadialIndexApprox(gx, gy), change = 0;
      for (int32_t k = 0; k < n; ++k, gx += dgx, gy += dgy) {
        const int64_t sx = IndexSteps(gx), sy = IndexSteps(gy);
        const int64_t q = sx * sx + sy * sy;
        const int32_t prior = i;
        i += change;
        i = i < 0 ? 0 : i > RampLast ? RampLast : i;
        while (SquareTable[static_cast<std::size_t>(i)] > q) --i;
        while (SquareTable[static_cast<std::size_t>(i) + 1] < q && i < RampLast) ++i;
        change = i - prior;
        colours[k] = RampColour(fill.ramp, i);
      }
    } else {
      for (int32_t k = 0; k < n; ++k, gx += dgx, gy += dgy) colours[k] = RampColour(fill.ramp, LinearIndex(gx));
    }
    WriteRow(context, x, x + n, colours);
  }
}

Rgb GradientSample(const FillStyle& fill, int32_t x, int32_t y) {
  if (!fill.ramp) return Rgb{};
  const Point g = transformPoint(fill.inverse, Point{PixelToFraction(x, 8), PixelToFraction(y, 8)});
  const int32_t index = fill.gradientKind == FillTypeRadial ? RadialIndexApprox(g.x, g.y) : LinearIndex(g.x);
  return RampColour(fill.ramp, index);
}

}  // namespace lmr
