// Reading bitmap pixels of every BitmapImage format, and sampling a bitmap
// at a position: nearest or bilinear, with the border pixels repeated
// outside the image.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>

#include "player/engine/bitmap_image.h"
#include "player/engine/records.h"
#include "player/render/pixel_tables.h"
#include "player/render/sampling_tables.h"

namespace lmr {

// Pixel x of a bitmap row (`row` = pixels + y * rowBytes). Palette formats
// look the index up in the palette (entries red in the low byte, then green,
// then blue; black without a palette); an unknown format reads black. x
// must lie in the row.
inline Rgb ReadBitmapPixel(const BitmapImage& image, const uint8_t* row, int32_t x) {
  uint32_t index = 0;
  switch (image.format) {
    case BitmapPalette1: index = row[x >> 3] >> (7 - (x & 7)) & 1; break;
    case BitmapPalette2: index = row[x >> 2] >> (6 - 2 * (x & 3)) & 3; break;
    case BitmapPalette4: index = row[x >> 1] >> (4 - 4 * (x & 1)) & 15; break;
    case BitmapPalette8: index = row[x]; break;
    case Bitmap555: {
      uint16_t p;
      std::memcpy(&p, row + 2 * x, 2);
      return Rgb{Expand5[p >> 10 & 31], Expand5[p >> 5 & 31], Expand5[p & 31]};
    }
    case Bitmap32: {
      uint32_t p;
      std::memcpy(&p, row + 4 * x, 4);
      return Rgb{static_cast<int32_t>(p >> 16 & 0xFF), static_cast<int32_t>(p >> 8 & 0xFF),
                 static_cast<int32_t>(p & 0xFF)};
    }
    default: return Rgb{};
  }
  if (!image.palette) return Rgb{};
  const uint32_t entry = image.palette[1 + index];  // 256 entries after the count
  return Rgb{static_cast<int32_t>(entry & 0xFF), static_cast<int32_t>(entry >> 8 & 0xFF),
             static_cast<int32_t>(entry >> 16 & 0xFF)};
}

// The bilinear blend of pixels x and x + 1 of two rows (the row of the
// sample and the one below) with weights in eighths that sum to 8.
inline Rgb BlendQuad(const BitmapImage& image, const uint8_t* top, const uint8_t* below, int32_t x,
                     const std::array<int32_t, 4>& w) {
  auto packed = [&image](const uint8_t* row, int32_t px) {
    const Rgb c = ReadBitmapPixel(image, row, px);
    return PackForSum(static_cast<uint32_t>(c.red), static_cast<uint32_t>(c.green),
                      static_cast<uint32_t>(c.blue));
  };
  const uint32_t sum = static_cast<uint32_t>(w[0]) * packed(top, x) + static_cast<uint32_t>(w[1]) * packed(top, x + 1) +
                       static_cast<uint32_t>(w[2]) * packed(below, x) +
                       static_cast<uint32_t>(w[3]) * packed(below, x + 1);
  return UnpackSum(sum);
}

// The pixel (x, y) clamped into the bitmap. The image must have pixels.
Rgb SampleNearest(const BitmapImage& image, int32_t x, int32_t y);
// The bilinear colour at (u, v), 16.16 bitmap pixels, where (0, 0) is the
// centre of pixel (0, 0); outside the image the border pixels repeat.
// Positions are filtered in eighths of a pixel. A bitmap one pixel wide or
// high has no pixel pair to blend: it is sampled nearest, exactly as it
// shows without smoothing. The image must have pixels.
Rgb SampleSmooth(const BitmapImage& image, int32_t u, int32_t v);

}  // namespace lmr
