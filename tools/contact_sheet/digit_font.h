// A tiny built-in bitmap font for frame numbers: the digits 0 to 9, each
// 5 x 7 cells, drawn at a whole-number scale.
#pragma once

#include <cstdint>
#include <string>

#include "tools/contact_sheet/rgb_image.h"

namespace lmr::sheet {

constexpr int32_t DigitColumns = 5;
constexpr int32_t DigitRows = 7;
constexpr int32_t DigitSpacing = 1;  // empty cell columns between digits

// Width in pixels of `text` (digits only) at `scale`.
int32_t TextWidth(const std::string& text, int32_t scale);
// Draws the digits of `text` with their top left corner at (x, y); other
// characters leave a gap. Cells outside the image are skipped.
void DrawDigits(RgbImage& image, int32_t x, int32_t y, const std::string& text, int32_t scale, uint32_t color);

}  // namespace lmr::sheet
