#include <cstddef>

#include "player/engine/geometry.h"
#include "player/render/bitmap_sampler.h"
#include "player/render/fill_samplers.h"
#include "player/render/fill_style.h"
#include "player/render/raster_context.h"
#include "player/render/row_writer.h"

namespace lmr {

namespace {

// One span of a bitmap fill on the current row. Pixel k of the span samples
// the bitmap at (u0 + k * du, v0 + k * dv), 16.16 bitmap pixels: the
// inverse image of the pixel's top left corner, moved up and left by half a
// bitmap pixel for smooth sampling so that the blend is centred there.
struct BitmapSpan {
  const FillStyle& fill;
  const BitmapImage& image;
  bool smooth;
  int32_t startX;
  int64_t u0, v0, du, dv;
  // Sampling reads (x, y) and, when smooth, (x + 1, y + 1): positions whose
  // whole part lies below these need no clamping.
  int64_t columns, rows;

  int64_t U(int32_t x) const { return u0 + (x - startX) * du; }
  int64_t V(int32_t x) const { return v0 + (x - startX) * dv; }

  bool Inside(int32_t x) const {
    const int64_t u = U(x) >> 16, v = V(x) >> 16;
    return u >= 0 && u < columns && v >= 0 && v < rows;
  }

  // A pixel at or beyond the bitmap's edge: clamped.
  Rgb Clamped(int32_t x) const {
    const int64_t u = U(x), v = V(x);
    if (smooth) return SampleSmooth(image, SaturateToInt32(u), SaturateToInt32(v));
    return SampleNearest(image, SaturateToInt32(u >> 16), SaturateToInt32(v >> 16));
  }
};

// Pixels [from, to) that lie at or beyond the edge, each sampled by itself.
void PaintClamped(RasterContext& context, const BitmapSpan& span, int32_t from, int32_t to) {
  Rgb colours[RowChunkPixels];
  for (int32_t x = from; x < to; x += RowChunkPixels) {
    const int32_t n = to - x < RowChunkPixels ? to - x : RowChunkPixels;
    for (int32_t k = 0; k < n; ++k) colours[k] = span.Clamped(x + k);
    WriteRow(context, x, x + n, colours);
  }
}

// Pixels [from, to), all inside: read through the row table, unclamped.
void PaintInside(RasterContext& context, const BitmapSpan& span, int32_t from, int32_t to) {
  const uint8_t* const* rows = span.fill.rowTable;
  const BitmapImage& image = span.image;
  Rgb colours[RowChunkPixels];
  int64_t u = span.U(from), v = span.V(from);
  for (int32_t x = from; x < to; x += RowChunkPixels) {
    const int32_t n = to - x < RowChunkPixels ? to - x : RowChunkPixels;
    if (span.smooth) {
      for (int32_t k = 0; k < n; ++k, u += span.du, v += span.dv) {
        const int32_t y = static_cast<int32_t>(v >> 16);
        colours[k] = BlendQuad(image, rows[y], rows[y + 1], static_cast<int32_t>(u >> 16), WeightsAt(u, v));
      }
    } else {
      for (int32_t k = 0; k < n; ++k, u += span.du, v += span.dv) {
        colours[k] = ReadBitmapPixel(image, rows[v >> 16], static_cast<int32_t>(u >> 16));
      }
    }
    WriteRow(context, x, x + n, colours);
  }
}

}  // namespace

void PaintBitmap(RasterContext& context, int32_t startX, int32_t endX, FillStyle& fill) {
  const BitmapImage* image = fill.bitmap;
  if (startX >= endX || !image || !image->pixels || !fill.rowTable) return;
  // A bitmap one pixel wide or high has no pair to blend: it shows as
  // without smoothing.
  const bool smooth = context.smoothBitmaps && image->width >= 2 && image->height >= 2;
  const Point corner =
      transformPoint(fill.inverse, Point{PixelToFraction(startX, 16), PixelToFraction(context.rowY, 16)});
  const int64_t half = smooth ? 0x8000 : 0;
  const BitmapSpan span{fill,
                        *image,
                        smooth,
                        startX,
                        corner.x - half,
                        corner.y - half,
                        fill.inverse.a,
                        fill.inverse.b,
                        image->width - (smooth ? 1 : 0),
                        image->height - (smooth ? 1 : 0)};
  // The positions are linear in x, so the inside pixels form one run
  // between the clamped ends. Everything is written left to right, so
  // error diffusion carries on in order.
  int32_t first = startX, last = endX;
  while (first < last && !span.Inside(first)) ++first;
  while (last > first && !span.Inside(last - 1)) --last;
  PaintClamped(context, span, startX, first);
  PaintInside(context, span, first, last);
  PaintClamped(context, span, last, endX);
}

}  // namespace lmr
