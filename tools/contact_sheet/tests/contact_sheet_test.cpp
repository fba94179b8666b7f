#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "tools/contact_sheet/digit_font.h"
#include "tools/contact_sheet/rgb_image.h"
#include "tools/contact_sheet/sheet_layout.h"

namespace lmr::sheet {
namespace {

TEST(ContactSheet, GridSizeForCountAndColumns) {
  struct Case {
    int32_t count, columnsAsked, columns, rows;
  };
  const Case cases[] = {
      {1, 0, 1, 1}, {2, 0, 2, 1}, {4, 0, 2, 2}, {5, 0, 3, 2}, {36, 0, 6, 6},
      {37, 0, 7, 6}, {10, 4, 4, 3}, {3, 8, 3, 1},  // more columns than pictures: one row, no empty columns
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.count << " pictures, " << c.columnsAsked << " columns asked");
    const std::vector<RgbImage> pictures(static_cast<size_t>(c.count), RgbImage(10, 6, 0));
    SheetOptions options;
    options.columns = c.columnsAsked;
    EXPECT_EQ(SheetColumns(c.count, options), c.columns);
    const RgbImage sheet = MakeSheet(pictures, options);
    EXPECT_EQ(sheet.width, 2 * SheetMargin + c.columns * (10 + CellGap) - CellGap);
    EXPECT_EQ(sheet.height, 2 * SheetMargin + c.rows * (6 + LabelStrip + CellGap) - CellGap);
  }
  EXPECT_EQ(MakeSheet({}, SheetOptions{}).width, 0);
}

TEST(ContactSheet, PicturesInOrderSmallerOnesCentredLabelsBelow) {
  // Three pictures in two columns: a 20 x 10 red, a 10 x 4 green (centred
  // in its 20 x 10 cell), a 20 x 10 blue on the second row.
  const std::vector<RgbImage> pictures{RgbImage(20, 10, 0xFF0000), RgbImage(10, 4, 0x00FF00),
                                       RgbImage(20, 10, 0x0000FF)};
  SheetOptions options;
  options.columns = 2;
  options.firstLabel = 7;
  const RgbImage sheet = MakeSheet(pictures, options);
  const int32_t m = SheetMargin, pitchX = 20 + CellGap, pitchY = 10 + LabelStrip + CellGap;
  EXPECT_EQ(sheet.pixel(m, m), 0xFF0000u);
  EXPECT_EQ(sheet.pixel(m + 19, m + 9), 0xFF0000u);
  EXPECT_EQ(sheet.pixel(m + 20, m), SheetBackground);
  EXPECT_EQ(sheet.pixel(m + pitchX + 5, m + 3), 0x00FF00u);
  EXPECT_EQ(sheet.pixel(m + pitchX + 4, m + 3), SheetBackground);
  EXPECT_EQ(sheet.pixel(m + pitchX + 14, m + 6), 0x00FF00u);
  EXPECT_EQ(sheet.pixel(m + pitchX + 15, m + 6), SheetBackground);
  EXPECT_EQ(sheet.pixel(m, m + pitchY), 0x0000FFu);

  // The first label is "7", centred under its cell: its top row is full
  // (0x1F), its second row only has the rightmost cell.
  const int32_t labelX = m + (20 - TextWidth("7", LabelScale)) / 2, labelY = m + 10 + 4;
  for (int32_t column = 0; column < DigitColumns; ++column) {
    EXPECT_EQ(sheet.pixel(labelX + column * LabelScale, labelY), LabelColor) << column;
  }
  EXPECT_EQ(sheet.pixel(labelX, labelY + LabelScale), SheetBackground);
  EXPECT_EQ(sheet.pixel(labelX + 4 * LabelScale, labelY + LabelScale), LabelColor);
}

TEST(ContactSheet, DigitsNeverDrawOutsideTheImage) {
  RgbImage image(8, 8, 0);
  DrawDigits(image, -6, -6, "88", 3, 0xFFFFFF);  // runs off the top left ...
  DrawDigits(image, 5, 5, "0123456789", 3, 0xFFFFFF);  // ... and the bottom right
  EXPECT_EQ(TextWidth("10", 2), (2 * DigitColumns + DigitSpacing) * 2);
  EXPECT_EQ(TextWidth("", 2), 0);
}

TEST(ContactSheet, PngRoundTripAndUnreadableFiles) {
  const std::string dir = testing::TempDir();
  RgbImage image(3, 2, 0);
  image.set(0, 0, 0x123456);
  image.set(2, 1, 0xFEDCBA);
  std::string error;
  ASSERT_TRUE(writePng(dir + "/sheet_round_trip.png", image, error)) << error;
  RgbImage back;
  ASSERT_TRUE(readPng(dir + "/sheet_round_trip.png", back, error)) << error;
  EXPECT_EQ(back.width, 3);
  EXPECT_EQ(back.height, 2);
  EXPECT_EQ(back.rgb, image.rgb);

  // A PNG cut short inside its image data, a file that is no PNG, and no file.
  std::ifstream in(dir + "/sheet_round_trip.png", std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::ofstream(dir + "/sheet_cut.png", std::ios::binary) << bytes.substr(0, bytes.size() - 20);
  std::ofstream(dir + "/sheet_text.png") << "not a picture";
  for (const char* name : {"/sheet_cut.png", "/sheet_text.png", "/sheet_missing.png"}) {
    error.clear();
    EXPECT_FALSE(readPng(dir + name, back, error)) << name;
    EXPECT_NE(error.find(name + 1), std::string::npos) << error;
  }
}

}  // namespace
}  // namespace lmr::sheet
