// Lays pictures out in a grid, in order, row by row: every cell as large as
// the largest picture, a label strip under each cell with its number, gaps
// between cells and a margin around the sheet.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/contact_sheet/digit_font.h"
#include "tools/contact_sheet/rgb_image.h"

namespace lmr::sheet {

constexpr uint32_t SheetBackground = 0x202428;
constexpr uint32_t LabelColor = 0xC8CCD0;
constexpr int32_t SheetMargin = 12;  // pixels around the grid
constexpr int32_t CellGap = 10;      // pixels between cells
constexpr int32_t LabelScale = 2;    // digit cells are 2 x 2 pixels
// Height of the label strip under a cell: the digits and 4 pixels above and below.
constexpr int32_t LabelStrip = DigitRows * LabelScale + 8;

struct SheetOptions {
  int32_t columns = 0;     // 0: about square, ceil(sqrt(count))
  int32_t firstLabel = 0;  // the number of the first picture
};

// Columns used for `count` pictures.
int32_t SheetColumns(int32_t count, const SheetOptions& options);
// The sheet; an empty image when there are no pictures.
RgbImage MakeSheet(const std::vector<RgbImage>& pictures, const SheetOptions& options);

}  // namespace lmr::sheet
