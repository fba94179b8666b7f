#include "tools/contact_sheet/sheet_layout.h"

#include <algorithm>
#include <string>

#include "tools/contact_sheet/digit_font.h"

namespace lmr::sheet {

int32_t SheetColumns(int32_t count, const SheetOptions& options) {
  if (count <= 0) return 0;
  if (options.columns > 0) return std::min(options.columns, count);
  int32_t columns = 1;
  while (columns * columns < count) ++columns;
  return columns;
}

RgbImage MakeSheet(const std::vector<RgbImage>& pictures, const SheetOptions& options) {
  const auto count = static_cast<int32_t>(pictures.size());
  if (count == 0) return RgbImage{};
  int32_t cellWidth = 0, cellHeight = 0;
  for (const RgbImage& p : pictures) {
    cellWidth = std::max(cellWidth, p.width);
    cellHeight = std::max(cellHeight, p.height);
  }
  const int32_t columns = SheetColumns(count, options);
  const int32_t rows = (count + columns - 1) / columns;
  const int32_t pitchX = cellWidth + CellGap, pitchY = cellHeight + LabelStrip + CellGap;
  RgbImage sheet(2 * SheetMargin + columns * pitchX - CellGap, 2 * SheetMargin + rows * pitchY - CellGap,
                 SheetBackground);
  for (int32_t i = 0; i < count; ++i) {
    const RgbImage& p = pictures[static_cast<size_t>(i)];
    // A smaller picture sits centred in its cell.
    const int32_t cellX = SheetMargin + i % columns * pitchX, cellY = SheetMargin + i / columns * pitchY;
    const int32_t x0 = cellX + (cellWidth - p.width) / 2, y0 = cellY + (cellHeight - p.height) / 2;
    for (int32_t y = 0; y < p.height; ++y) {
      std::copy(p.at(0, y), p.at(0, y) + 3 * p.width, sheet.at(x0, y0 + y));
    }
    const std::string label = std::to_string(options.firstLabel + i);
    DrawDigits(sheet, cellX + (cellWidth - TextWidth(label, LabelScale)) / 2, cellY + cellHeight + 4, label,
               LabelScale, LabelColor);
  }
  return sheet;
}

}  // namespace lmr::sheet
