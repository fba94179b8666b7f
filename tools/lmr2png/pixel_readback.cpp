#include "tools/lmr2png/pixel_readback.h"

#include <cstddef>

#include "player/render/pixel_format.h"

namespace lmr::lmr2png {

Rgb offscreenPixel(const Offscreen& o, int32_t x, int32_t y) { return OffscreenPixelColor(o, x, y); }

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
