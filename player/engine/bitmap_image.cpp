#include "player/engine/bitmap_image.h"

#include <cstdlib>
#include <cstring>

namespace lmr {

int32_t bitmapRowBytes(int32_t format, int32_t width) {
  // Widths are capped well below the point where 4 * w would overflow.
  if (width <= 0 || width > 0x1000000) return 0;
  switch (format) {
    case BitmapPalette1:
      return ((width + 31) >> 5) * 4;
    case BitmapPalette2:
      return ((width + 15) >> 4) * 4;
    case BitmapPalette4:
      return ((width + 7) >> 3) * 4;
    case BitmapPalette8:
      return (width + 3) & ~3;
    case Bitmap555:
      return (2 * width + 3) & ~3;
    case Bitmap32:
      return width * 4;
    default:
      return 0;
  }
}

bool createImage(BitmapImage& image, int32_t format, int32_t width, int32_t height, const uint32_t* palette) {
  releaseImage(image);
  image.format = format;
  image.width = width;
  image.height = height;
  image.rowBytes = bitmapRowBytes(format, width);
  if (image.rowBytes == 0 || height <= 0) return false;
  int64_t bytes = int64_t{image.rowBytes} * height;
  if (bytes > MaxImageBytes) return false;

  if (format <= BitmapPalette8 && palette) {
    image.palette = static_cast<uint32_t*>(std::calloc(BitmapPaletteWords, sizeof(uint32_t)));
    if (!image.palette) return false;
    uint32_t count = palette[0] < BitmapPaletteEntries ? palette[0] : BitmapPaletteEntries;
    std::memcpy(image.palette, palette, (count + 1) * sizeof(uint32_t));
    image.palette[0] = count;
  }
  image.pixels = static_cast<uint8_t*>(std::calloc(static_cast<size_t>(bytes), 1));
  if (!image.pixels) {
    releaseImage(image);
    return false;
  }
  return true;
}

void releaseImage(BitmapImage& image) {
  std::free(image.pixels);
  std::free(image.palette);
  image.pixels = nullptr;
  image.palette = nullptr;
}

}  // namespace lmr
