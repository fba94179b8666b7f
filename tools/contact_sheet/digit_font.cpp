#include "tools/contact_sheet/digit_font.h"

namespace lmr::sheet {

namespace {

// One byte per row, top first; bit 4 is the leftmost cell.
constexpr uint8_t Glyphs[10][DigitRows] = {
    {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E},  // 0
    {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E},  // 1
    {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F},  // 2
    {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E},  // 3
    {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02},  // 4
    {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E},  // 5
    {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E},  // 6
    {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08},  // 7
    {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E},  // 8
    {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C},  // 9
};

}  // namespace

int32_t TextWidth(const std::string& text, int32_t scale) {
  if (text.empty()) return 0;
  const auto count = static_cast<int32_t>(text.size());
  return (count * (DigitColumns + DigitSpacing) - DigitSpacing) * scale;
}

void DrawDigits(RgbImage& image, int32_t x, int32_t y, const std::string& text, int32_t scale, uint32_t color) {
  for (char ch : text) {
    if (ch >= '0' && ch <= '9') {
      const uint8_t* glyph = Glyphs[ch - '0'];
      for (int32_t row = 0; row < DigitRows; ++row) {
        for (int32_t column = 0; column < DigitColumns; ++column) {
          if (!(glyph[row] >> (DigitColumns - 1 - column) & 1)) continue;
          for (int32_t dy = 0; dy < scale; ++dy) {
            for (int32_t dx = 0; dx < scale; ++dx) {
              const int32_t px = x + column * scale + dx, py = y + row * scale + dy;
              if (px >= 0 && py >= 0 && px < image.width && py < image.height) image.set(px, py, color);
            }
          }
        }
      }
    }
    x += (DigitColumns + DigitSpacing) * scale;
  }
}

}  // namespace lmr::sheet
