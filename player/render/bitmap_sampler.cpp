#include "player/render/bitmap_sampler.h"

#include <cstddef>

#include "player/engine/geometry.h"
#include "player/render/fill_samplers.h"
#include "player/render/fill_style.h"

namespace lmr {

namespace {

const uint8_t* RowOf(const BitmapImage& image, int32_t y) {
  return image.pixels + static_cast<ptrdiff_t>(y) * image.rowBytes;
}

int32_t Clamp(int32_t v, int32_t low, int32_t high) { return v < low ? low : v > high ? high : v; }

// The whole pixel whose area holds the 16.16 position measured from the
// pixels' centres: (u + 0.5) rounded down, without overflow.
int32_t NearestPixel(int32_t u) { return (u >> 16) + ((u & 0xFFFF) >= 0x8000 ? 1 : 0); }

}  // namespace

Rgb SampleNearest(const BitmapImage& image, int32_t x, int32_t y) {
  x = Clamp(x, 0, image.width - 1);
  y = Clamp(y, 0, image.height - 1);
  return ReadBitmapPixel(image, RowOf(image, y), x);
}

Rgb SampleSmooth(const BitmapImage& image, int32_t u, int32_t v) {
  // One column or one row has no neighbour to blend with (the clamped pair
  // would start at -1): show the image as nearest sampling does.
  if (image.width < 2 || image.height < 2) return SampleNearest(image, NearestPixel(u), NearestPixel(v));
  std::array<int32_t, 4> w = WeightsAt(u, v);
  int32_t x = u >> 16, y = v >> 16;
  // Outside the image the weights move onto the border column or row.
  if (x < 0) {
    x = 0;
    w[0] += w[1];
    w[2] += w[3];
    w[1] = w[3] = 0;
  } else if (x >= image.width - 1) {
    x = image.width - 2;
    w[1] += w[0];
    w[3] += w[2];
    w[0] = w[2] = 0;
  }
  if (y < 0) {
    y = 0;
    w[0] += w[2];
    w[1] += w[3];
    w[2] = w[3] = 0;
  } else if (y >= image.height - 1) {
    y = image.height - 2;
    w[2] += w[0];
    w[3] += w[1];
    w[0] = w[1] = 0;
  }
  return BlendQuad(image, RowOf(image, y), RowOf(image, y + 1), x, w);
}

Rgb BitmapSample(const FillStyle& fill, int32_t x, int32_t y) {
  if (!fill.bitmap || !fill.bitmap->pixels) return Rgb{};
  const Point p = transformPoint(fill.inverse, Point{PixelToFraction(x, 16), PixelToFraction(y, 16)});
  // From the pixel's top left corner to the centres the weights measure from.
  return SampleSmooth(*fill.bitmap, SaturateToInt32(int64_t{p.x} - 0x8000),
                      SaturateToInt32(int64_t{p.y} - 0x8000));
}

}  // namespace lmr
