// Where a pixel's bits sit in a row of each of the eight offscreen formats:
// packing colours into 16-bit pixels, and reading and writing the stored
// value of one pixel. The renderer's blending, lmr2png's read-back and the
// tests all go through these.
#pragma once

#include <cstdint>
#include <cstring>

#include "player/engine/records.h"
#include "player/render/color_table.h"
#include "player/render/offscreen.h"
#include "player/render/pixel_tables.h"

namespace lmr {

// Channels 0 to 255 into 5-5-5 (red in bits 10-14) and 5-6-5 (red in bits
// 11-15) pixels: the top bits of each channel.
constexpr uint16_t Pack555(uint32_t red, uint32_t green, uint32_t blue) {
  return static_cast<uint16_t>((red & 0xF8) << 7 | (green & 0xF8) << 2 | (blue & 0xFF) >> 3);
}
constexpr uint16_t Pack565(uint32_t red, uint32_t green, uint32_t blue) {
  return static_cast<uint16_t>((red & 0xF8) << 8 | (green & 0xFC) << 3 | (blue & 0xFF) >> 3);
}

// 6-bit channel (the low 6 bits of g) to 8 bits as the renderer widens
// it: 0 stays 0, g becomes 4g + 3.
constexpr int32_t Expand6(uint32_t g) { return (g & 63) ? static_cast<int32_t>((g & 63) << 2 | 3) : 0; }

// The stored value of pixel x of a row: the palette index, the 16-bit
// pixel, or 0x00RRGGBB for 24 and 32 bits. Palette formats put the leftmost
// pixel in the most significant bits of a byte.
inline uint32_t ReadStoredPixel(const uint8_t* row, int32_t formatIndex, int32_t x) {
  switch (formatIndex) {
    case Format1Bit: return row[x >> 3] >> (7 - (x & 7)) & 1;
    case Format2Bit: return row[x >> 2] >> (6 - 2 * (x & 3)) & 3;
    case Format4Bit: return row[x >> 1] >> (x & 1 ? 0 : 4) & 15;
    case Format8Bit: return row[x];
    case Format555:
    case Format565: {
      uint16_t v;
      std::memcpy(&v, row + 2 * x, sizeof v);
      return v;
    }
    case Format24: return uint32_t{row[3 * x + 2]} << 16 | uint32_t{row[3 * x + 1]} << 8 | row[3 * x];
    default: {
      uint32_t v;
      std::memcpy(&v, row + 4 * x, sizeof v);
      return v & 0xFFFFFF;
    }
  }
}

// Writes the stored value of pixel x (as ReadStoredPixel returns it); the
// other pixels sharing its byte keep theirs.
inline void WriteStoredPixel(uint8_t* row, int32_t formatIndex, int32_t x, uint32_t value) {
  if (IsPaletteFormat(formatIndex)) {
    const int32_t bits = FormatBitsPerPixel[formatIndex];
    if (bits == 8) {
      row[x] = static_cast<uint8_t>(value);
      return;
    }
    const int32_t perByte = 8 / bits;
    const int32_t shift = 8 - bits * (x % perByte + 1);
    const uint32_t mask = ((1u << bits) - 1) << shift;
    uint8_t& byte = row[x / perByte];
    byte = static_cast<uint8_t>((byte & ~mask) | (value << shift & mask));
    return;
  }
  switch (formatIndex) {
    case Format555:
    case Format565: {
      const auto v = static_cast<uint16_t>(value);
      std::memcpy(row + 2 * x, &v, sizeof v);
      return;
    }
    case Format24:
      row[3 * x] = static_cast<uint8_t>(value);
      row[3 * x + 1] = static_cast<uint8_t>(value >> 8);
      row[3 * x + 2] = static_cast<uint8_t>(value >> 16);
      return;
    default: std::memcpy(row + 4 * x, &value, sizeof value); return;
  }
}

// The colour pixel x of a row shows. Palette formats look the index up in
// `table`; without a table, or past its colours, the pixel shows black.
// 16-bit channels are widened as the renderer widens them when it blends.
inline Rgb ReadPixelColor(const uint8_t* row, int32_t formatIndex, const ColorTable* table, int32_t x) {
  const uint32_t v = ReadStoredPixel(row, formatIndex, x);
  switch (formatIndex) {
    case Format555: return Rgb{Expand5[v >> 10 & 31], Expand5[v >> 5 & 31], Expand5[v & 31]};
    case Format565: return Rgb{Expand5[v >> 11 & 31], Expand6(v >> 5), Expand5[v & 31]};
    case Format24:
    case Format32:
      return Rgb{static_cast<int32_t>(v >> 16 & 255), static_cast<int32_t>(v >> 8 & 255),
                 static_cast<int32_t>(v & 255)};
    default: {
      if (!table || v >= static_cast<uint32_t>(table->colorCount)) return Rgb{};
      const ColorEntry& e = table->colors[v];
      return Rgb{e.red, e.green, e.blue};
    }
  }
}

// The colour pixel (x, y) of an offscreen shows, y = 0 the top row.
inline Rgb OffscreenPixelColor(const Offscreen& offscreen, int32_t x, int32_t y) {
  return ReadPixelColor(OffscreenRow(offscreen, y), offscreen.formatIndex, offscreen.colorTable, x);
}

}  // namespace lmr
