#include "player/render/paint_solid.h"

#include <cstring>

#include "player/render/offscreen.h"
#include "player/render/raster_context.h"

namespace lmr {

namespace {

// The word whose bit positions n to 31 are set, position k being bit
// 7 - (k & 7) of byte k / 8 in memory: mask(0) is all ones, mask(32) zero.
uint32_t WordMask(int32_t n) {
  uint8_t bytes[4];
  for (int32_t i = 0; i < 4; ++i) {
    const int32_t first = 8 * i;
    bytes[i] = n <= first ? 0xFF : n >= first + 8 ? 0x00 : static_cast<uint8_t>(0xFF >> (n - first));
  }
  uint32_t word;
  std::memcpy(&word, bytes, 4);
  return word;
}

uint32_t LoadWord(const uint8_t* p) {
  uint32_t w;
  std::memcpy(&w, p, 4);
  return w;
}

void StoreWord(uint8_t* p, uint32_t w) { std::memcpy(p, &w, 4); }

void MergeWord(uint8_t* p, uint32_t value, uint32_t mask) {
  StoreWord(p, (LoadWord(p) & ~mask) | (value & mask));
}

const uint8_t* PatternRow(const RasterContext& context, const FillStyle& fill) {
  return fill.pattern + 16 * (context.rowY & 3);
}

}  // namespace

void FillWordSpan(uint8_t* row, int32_t bitsPerPixel, int32_t startX, int32_t endX,
                  const uint8_t pattern[4]) {
  if (startX >= endX) return;
  const int32_t perWord = 32 / bitsPerPixel;
  const int32_t firstWord = startX / perWord, lastWord = endX / perWord;
  const int32_t s = startX % perWord * bitsPerPixel, e = endX % perWord * bitsPerPixel;
  const uint32_t value = LoadWord(pattern);
  if (firstWord == lastWord) {
    MergeWord(row + 4 * firstWord, value, WordMask(s) & ~WordMask(e));
    return;
  }
  int32_t word = firstWord;
  if (s != 0) MergeWord(row + 4 * word++, value, WordMask(s));
  for (; word < lastWord; ++word) StoreWord(row + 4 * word, value);
  if (e != 0) MergeWord(row + 4 * lastWord, value, ~WordMask(e));
}

void PaintSolidPacked(RasterContext& context, int32_t startX, int32_t endX, FillStyle& fill) {
  FillWordSpan(context.row, FormatBitsPerPixel[context.formatIndex], startX, endX,
               PatternRow(context, fill));
}

void PaintSolid16(RasterContext& context, int32_t startX, int32_t endX, FillStyle& fill) {
  if (startX >= endX) return;
  const uint8_t* pattern = PatternRow(context, fill);
  uint8_t* p = context.row + 2 * startX;
  int32_t x = startX;
  // Odd first pixel alone, then aligned pairs as one 32-bit store.
  if (x & 1) {
    std::memcpy(p, pattern + 2 * (x & 3), 2);
    p += 2;
    ++x;
  }
  for (; x + 1 < endX; x += 2, p += 4) std::memcpy(p, pattern + 2 * (x & 3), 4);
  if (x < endX) std::memcpy(p, pattern + 2 * (x & 3), 2);
}

void PaintSolid24(RasterContext& context, int32_t startX, int32_t endX, FillStyle& fill) {
  const uint8_t* pattern = PatternRow(context, fill);
  uint8_t* p = context.row + 3 * startX;
  for (int32_t x = startX; x < endX; ++x, p += 3) std::memcpy(p, pattern + 3 * (x & 3), 3);
}

void PaintSolid32(RasterContext& context, int32_t startX, int32_t endX, FillStyle& fill) {
  const uint8_t* pattern = PatternRow(context, fill);
  uint8_t* p = context.row + 4 * startX;
  int32_t x = startX;
  // The pattern repeats every 4 pixels: single pixels up to a multiple of
  // 4, then whole 16-byte patterns, then the rest.
  for (; x < endX && (x & 3) != 0; ++x, p += 4) std::memcpy(p, pattern + 4 * (x & 3), 4);
  for (; x + 4 <= endX; x += 4, p += 16) std::memcpy(p, pattern, 16);
  for (; x < endX; ++x, p += 4) std::memcpy(p, pattern + 4 * (x & 3), 4);
}

Painter SolidPainterFor(int32_t formatIndex) {
  switch (formatIndex) {
    case Format555:
    case Format565: return PaintSolid16;
    case Format24: return PaintSolid24;
    case Format32: return PaintSolid32;
    default: return PaintSolidPacked;
  }
}

}  // namespace lmr
