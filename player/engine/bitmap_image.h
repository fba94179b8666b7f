// A decoded bitmap: the kind data of a bitmap character once its image has
// been decoded, and what bitmap fills sample. Pixels and palette come from
// the ordinary heap and belong to the record.
#pragma once

#include <cstdint>

namespace lmr {

// BitmapImage::format, with the row size for a width of w.
constexpr int32_t BitmapPalette1 = 0;  // 1-bit indices: ((w + 31) >> 5) * 4
constexpr int32_t BitmapPalette2 = 1;  // 2-bit indices: ((w + 15) >> 4) * 4
constexpr int32_t BitmapPalette4 = 2;  // 4-bit indices: ((w + 7) >> 3) * 4
constexpr int32_t BitmapPalette8 = 3;  // 8-bit indices: w rounded up to 4
constexpr int32_t Bitmap555 = 4;       // 0rrrrrgg gggbbbbb: 2w rounded up to 4 (JPEG images)
constexpr int32_t Bitmap32 = 5;        // red bits 16-23, green 8-15, blue 0-7: 4w
constexpr int32_t BitmapFormatCount = 6;

// A palette is a 32-bit entry count and 256 entries of 32 bits.
constexpr int32_t BitmapPaletteEntries = 256;
constexpr int32_t BitmapPaletteWords = 1 + BitmapPaletteEntries;

// Pixel memory per image is capped so that a hostile image size cannot
// commit the machine's memory: larger images get no pixels.
constexpr int64_t MaxImageBytes = int64_t{64} << 20;

struct BitmapImage {
  uint8_t* pixels = nullptr;    // height rows of rowBytes, top row first; none until decoded
  uint32_t* palette = nullptr;  // BitmapPaletteWords words, palette formats only
  int32_t format = 0;
  int32_t width = 0;
  int32_t height = 0;
  int32_t rowBytes = 0;
};

// Bytes per row of `width` pixels in `format`; 0 for a bad format or width.
int32_t bitmapRowBytes(int32_t format, int32_t width);

// Fills the fields, copies the palette (count + 1 words, count at most 256;
// palette formats only, none otherwise) and allocates zeroed pixels. True
// when the pixels were allocated; on false the image holds no memory.
bool createImage(BitmapImage& image, int32_t format, int32_t width, int32_t height, const uint32_t* palette);
// Frees palette and pixels; the record is empty again.
void releaseImage(BitmapImage& image);

}  // namespace lmr
