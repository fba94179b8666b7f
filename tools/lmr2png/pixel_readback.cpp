#include "tools/lmr2png/pixel_readback.h"

#include <cstddef>
#include <cstring>

#include "player/render/color_table.h"
#include "player/render/pixel_tables.h"

namespace lmr::lmr2png {

namespace {

Rgb paletteColor(const Offscreen& o, uint32_t index) {
  // Indices come from the table's inverse map, so they are below its
  // count; a zeroed offscreen that was never rendered holds index 0.
  if (!o.colorTable || index >= static_cast<uint32_t>(o.colorTable->colorCount)) return Rgb{};
  const ColorEntry& c = o.colorTable->colors[index];
  return Rgb{c.red, c.green, c.blue};
}

// 16- and 32-bit pixels are stored as native values by the painters.
uint32_t stored16(const uint8_t* p) {
  uint16_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}
uint32_t stored32(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

int32_t expand6(uint32_t g) { return g ? static_cast<int32_t>(g << 2 | 3) : 0; }

}  // namespace

Rgb offscreenPixel(const Offscreen& o, int32_t x, int32_t y) {
  const uint8_t* row = OffscreenRow(o, y);
  switch (o.formatIndex) {
    // Palette formats: the leftmost pixel in the most significant bits.
    case Format1Bit: return paletteColor(o, row[x >> 3] >> (7 - (x & 7)) & 1);
    case Format2Bit: return paletteColor(o, row[x >> 2] >> (6 - 2 * (x & 3)) & 3);
    case Format4Bit: return paletteColor(o, row[x >> 1] >> (x & 1 ? 0 : 4) & 15);
    case Format8Bit: return paletteColor(o, row[x]);
    case Format555: {
      const uint32_t v = stored16(row + 2 * x);
      return Rgb{Expand5[v >> 10 & 31], Expand5[v >> 5 & 31], Expand5[v & 31]};
    }
    case Format565: {
      const uint32_t v = stored16(row + 2 * x);
      return Rgb{Expand5[v >> 11 & 31], expand6(v >> 5 & 63), Expand5[v & 31]};
    }
    case Format24: {
      const uint8_t* p = row + 3 * x;
      return Rgb{p[2], p[1], p[0]};
    }
    default: {
      const uint32_t v = stored32(row + 4 * x);  // 0x00RRGGBB
      return Rgb{static_cast<int32_t>(v >> 16 & 0xFF), static_cast<int32_t>(v >> 8 & 0xFF),
                 static_cast<int32_t>(v & 0xFF)};
    }
  }
}

std::vector<uint8_t> offscreenToRgb(const Offscreen& o) {
  std::vector<uint8_t> rgb;
  if (!o.bits || o.width <= 0 || o.height <= 0) return rgb;
  rgb.resize(static_cast<size_t>(o.width) * static_cast<size_t>(o.height) * 3);
  uint8_t* out = rgb.data();
  for (int32_t y = 0; y < o.height; ++y) {
    for (int32_t x = 0; x < o.width; ++x) {
      const Rgb c = offscreenPixel(o, x, y);
      *out++ = static_cast<uint8_t>(c.red);
      *out++ = static_cast<uint8_t>(c.green);
      *out++ = static_cast<uint8_t>(c.blue);
    }
  }
  return rgb;
}

}  // namespace lmr::lmr2png
