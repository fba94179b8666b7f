// Reads an offscreen back as the colours it shows: palette formats through
// their colour table, 16-bit channels widened as the renderer widens them
// when it blends (Expand5; 6-bit green as g << 2 | 3, 0 staying 0).
#pragma once

#include <cstdint>
#include <vector>

#include "player/engine/records.h"
#include "player/render/offscreen.h"

namespace lmr::lmr2png {

// The colour of pixel (x, y), y = 0 the top row as shown; 0 <= x < width,
// 0 <= y < height.
Rgb offscreenPixel(const Offscreen& offscreen, int32_t x, int32_t y);

// Every pixel as red, green, blue bytes, top row first.
std::vector<uint8_t> offscreenToRgb(const Offscreen& offscreen);

}  // namespace lmr::lmr2png
