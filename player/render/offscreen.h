// The bitmap the renderer draws into: one of eight pixel formats, rows
// top-down or bottom-up. The pixel memory comes from the platform seam: a
// DIB section on Windows (its handle in `bitmap`), the heap natively.
#pragma once

#include <cstdint>

namespace lmr {

struct ColorTable;

// Offscreen::formatIndex. Palette formats put the leftmost pixel in the
// most significant bits of a byte.
constexpr int32_t Format1Bit = 0;
constexpr int32_t Format2Bit = 1;
constexpr int32_t Format4Bit = 2;
constexpr int32_t Format8Bit = 3;
constexpr int32_t Format555 = 4;   // red in bits 10-14
constexpr int32_t Format565 = 5;   // red in bits 11-15
constexpr int32_t Format24 = 6;    // bytes blue, green, red
constexpr int32_t Format32 = 7;    // 0x00RRGGBB
constexpr int32_t FormatCount = 8;

constexpr int32_t FormatBitsPerPixel[FormatCount] = {1, 2, 4, 8, 16, 16, 24, 32};

constexpr bool IsPaletteFormat(int32_t formatIndex) { return formatIndex <= Format8Bit; }

constexpr int32_t RowBytesFor(int32_t bitsPerPixel, int32_t width) {
  return (bitsPerPixel * width + 31) / 32 * 4;
}

// Size of the bitmap-info header that precedes the colour entries.
constexpr int32_t BitmapHeaderBytes = 40;
// The red, green and blue masks of the 5-6-5 format, right after the header.
constexpr int32_t BitFieldMaskBytes = 12;

struct Offscreen {
  bool bottomUp = false;  // rows stored bottom-up
  int32_t formatIndex = 0;
  int32_t bitsPerPixel = 0;
  uint8_t* bits = nullptr;  // pixel memory, owned through `bitmap`
  int32_t rowBytes = 0;
  int32_t width = 0;
  int32_t height = 0;
  ColorTable* colorTable = nullptr;  // counted reference; palette formats only
  void* bitmap = nullptr;            // the system's bitmap; none = no offscreen
  uint8_t* header = nullptr;         // bitmap-info block, owned
  int32_t headerSize = 0;
};

// Makes a memory offscreen of the given depth (1, 2, 4, 8, 16, 24, 32 bits;
// 16 is 5-5-5). With a table it takes a reference to it; without, palette
// depths get the default colour list's shared table. Pixels start zeroed.
// False (and no bitmap) on a bad size or depth, a format the system has no
// bitmaps of, or when memory is short.
bool createOffscreen(Offscreen& offscreen, int32_t bitsPerPixel, ColorTable* table,
                     int32_t width, int32_t height, bool bottomUp);
// The same for any of the eight formats, 5-6-5 included.
bool createOffscreenFormat(Offscreen& offscreen, int32_t formatIndex, ColorTable* table,
                           int32_t width, int32_t height, bool bottomUp);
// Whether offscreens of this format can be made here (Windows has no 2-bit
// bitmaps).
bool OffscreenFormatAvailable(int32_t formatIndex);
// Frees the pixels and header and drops the table reference.
void releaseBitmap(Offscreen& offscreen);

// Start of pixel row y (0 = top row as shown), whatever the row order.
uint8_t* OffscreenRow(const Offscreen& offscreen, int32_t y);

}  // namespace lmr
