#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <string>

#include "player/platform/platform.h"
#include "player/render/color_table.h"
#include "player/render/offscreen.h"

namespace lmr {
namespace {

ColorList ListOf(std::initializer_list<ColorEntry> entries) {
  ColorList list{};
  for (const ColorEntry& e : entries) list.entries[list.count++] = e;
  return list;
}

bool IsShared(const ColorTable* table) {
  for (const ColorTable* t = sharedColorTablesHead(); t; t = t->next) {
    if (t == table) return true;
  }
  return false;
}

TEST(ColorTable, InverseMapTiesGoToTheColourThatArrivesFirst) {
  // Both colours are capped at distance 254 from the middle cells; white
  // (level 15) reaches cell 8 at radius 7, black (level 0) at radius 8.
  const ColorEntry entries[] = {{0, 0, 0, 0}, {255, 255, 255, 0}};
  ColorTable* table = colorTableFromPalette(entries, 2);
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(table->inverseMap[8 << 8 | 8 << 4 | 8], 1);
  EXPECT_EQ(table->inverseMap[7 << 8 | 7 << 4 | 7], 0);
  EXPECT_EQ(table->inverseMap[0], 0);
  EXPECT_EQ(table->inverseMap[InverseMapCells - 1], 1);
  releaseColorTable(table);
}

TEST(ColorTable, EveryCubeColourOwnsItsCell) {
  ColorList cube;
  DefaultColorList(8, cube);
  ASSERT_EQ(cube.count, 216);
  ColorTable* table = findOrCreateColorTable(cube);
  ASSERT_NE(table, nullptr);
  for (int32_t j = 0; j < cube.count; ++j) {
    const ColorEntry& e = cube.entries[j];
    EXPECT_EQ(table->inverseMap[InverseCell(e.red, e.green, e.blue)], j) << j;
  }
  releaseColorTable(table);
}

TEST(ColorTable, EqualListsShareOneCountedTable) {
  const ColorList grey = ListOf({{0, 0, 0, 0}, {128, 128, 128, 0}});
  const ColorList other = ListOf({{0, 0, 0, 0}, {128, 128, 129, 0}});
  ColorTable* first = findOrCreateColorTable(grey);
  ColorTable* unrelated = findOrCreateColorTable(other);
  ColorTable* second = findOrCreateColorTable(grey);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(second, first);
  EXPECT_NE(unrelated, first);
  EXPECT_EQ(first->refCount, 2);
  // `first` is behind `unrelated` in the list: releasing it there unlinks it.
  releaseColorTable(first);
  EXPECT_TRUE(IsShared(first));
  releaseColorTable(second);
  EXPECT_FALSE(IsShared(first));
  EXPECT_TRUE(IsShared(unrelated));
  releaseColorTable(unrelated);
  EXPECT_FALSE(IsShared(unrelated));
}

TEST(ColorTable, TablesFromPalettesAreNotShared) {
  const ColorEntry entries[] = {{1, 2, 3, 0}};
  ColorTable* table = colorTableFromPalette(entries, 1);
  ASSERT_NE(table, nullptr);
  EXPECT_FALSE(IsShared(table));
  EXPECT_EQ(table->refCount, 1);
  releaseColorTable(table);
  EXPECT_EQ(colorTableFromPalette(entries, 0), nullptr);
  EXPECT_EQ(colorTableFromPalette(entries, 257), nullptr);
}

TEST(Offscreen, DefaultColourListsByDepth) {
  struct Case {
    int32_t bitsPerPixel;
    int32_t count;
    ColorEntry first, last;
  };
  const Case cases[] = {
      {1, 2, {0, 0, 0, 0}, {255, 255, 255, 0}},
      {2, 4, {0, 0, 0, 0}, {255, 255, 255, 0}},
      {4, 16, {0, 0, 0, 0}, {255, 255, 255, 0}},
      {8, 216, {0, 0, 0, 0}, {255, 255, 255, 0}},
      {32, 216, {0, 0, 0, 0}, {255, 255, 255, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bitsPerPixel);
    Offscreen o;
    if (!PlatformHasPixelDepth(c.bitsPerPixel)) {
      EXPECT_FALSE(createOffscreen(o, c.bitsPerPixel, nullptr, 10, 3, true));
      continue;
    }
    ASSERT_TRUE(createOffscreen(o, c.bitsPerPixel, nullptr, 10, 3, true));
    ASSERT_NE(o.colorTable, nullptr);
    const ColorTable& t = *o.colorTable;
    EXPECT_EQ(t.colorCount, c.count);
    EXPECT_EQ(t.colors[0].red, c.first.red);
    EXPECT_EQ(t.colors[c.count - 1].blue, c.last.blue);
    // The header carries the colours, blue first.
    EXPECT_EQ(o.headerSize, BitmapHeaderBytes + 4 * c.count);
    EXPECT_EQ(o.header[BitmapHeaderBytes + 4 * (c.count - 1)], c.last.blue);
    releaseBitmap(o);
    EXPECT_EQ(o.bits, nullptr);
    EXPECT_EQ(o.colorTable, nullptr);
  }
  // Four greys on 2 bits; 4 bits: i * 16 up to 224, then 255.
  ColorList list;
  DefaultColorList(2, list);
  EXPECT_EQ(list.entries[1].green, 0x55);
  EXPECT_EQ(list.entries[2].green, 0xAA);
  DefaultColorList(4, list);
  EXPECT_EQ(list.entries[14].red, 224);
  EXPECT_EQ(list.entries[15].red, 255);
  // The cube varies red fastest.
  DefaultColorList(8, list);
  EXPECT_EQ(list.entries[1].red, 0x33);
  EXPECT_EQ(list.entries[6].green, 0x33);
  EXPECT_EQ(list.entries[36].blue, 0x33);
}

TEST(Offscreen, FormatsAndRowLayout) {
  struct Case {
    int32_t bitsPerPixel;
    int32_t format;
    int32_t rowBytes;  // for 10 pixels
  };
  const Case cases[] = {{1, Format1Bit, 4}, {2, Format2Bit, 4}, {4, Format4Bit, 8},  {8, Format8Bit, 12},
                        {16, Format555, 20}, {24, Format24, 32}, {32, Format32, 40}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bitsPerPixel);
    if (!OffscreenFormatAvailable(c.format)) continue;  // no 2-bit bitmaps on Windows
    for (bool bottomUp : {false, true}) {
      Offscreen o;
      ASSERT_TRUE(createOffscreen(o, c.bitsPerPixel, nullptr, 10, 3, bottomUp));
      EXPECT_EQ(o.formatIndex, c.format);
      EXPECT_EQ(o.rowBytes, c.rowBytes);
      EXPECT_EQ(OffscreenRow(o, 0), o.bits + (bottomUp ? 2 * o.rowBytes : 0));
      // Header height is negative for top-down rows.
      int32_t height;
      std::memcpy(&height, o.header + 8, 4);
      EXPECT_EQ(height, bottomUp ? 3 : -3);
      releaseBitmap(o);
    }
  }
  Offscreen o;
  ASSERT_TRUE(createOffscreenFormat(o, Format565, nullptr, 3, 1, false));
  EXPECT_EQ(o.rowBytes, 8);
  releaseBitmap(o);
}

uint32_t HeaderWord(const Offscreen& o, int32_t at) {
  uint32_t v;
  std::memcpy(&v, o.header + at, 4);
  return v;
}

// The bitmap-info block the system reads the pixels by. Fault caught: the
// 5-6-5 masks came after 216 colour entries instead of right after the
// 40-byte header, so the system read colour entries as channel masks.
TEST(Offscreen, HeaderDescribesThePixels) {
  struct Case {
    int32_t format;
    uint32_t compression;  // 0 plain, 3 bit fields
    int32_t colors;        // entries after the header (and masks)
  };
  const Case cases[] = {{Format1Bit, 0, 2},  {Format4Bit, 0, 16}, {Format8Bit, 0, 216}, {Format555, 0, 216},
                        {Format565, 3, 0},   {Format24, 0, 216},  {Format32, 0, 216}};
  for (const Case& c : cases) {
    SCOPED_TRACE("format " + std::to_string(c.format));
    Offscreen o;
    ASSERT_TRUE(createOffscreenFormat(o, c.format, nullptr, 5, 2, false));
    const int32_t masks = c.compression == 3 ? BitFieldMaskBytes : 0;
    EXPECT_EQ(o.headerSize, BitmapHeaderBytes + masks + 4 * c.colors);
    EXPECT_EQ(HeaderWord(o, 0), uint32_t{BitmapHeaderBytes});
    EXPECT_EQ(HeaderWord(o, 16), c.compression);
    EXPECT_EQ(HeaderWord(o, 20), static_cast<uint32_t>(o.rowBytes * 2));
    EXPECT_EQ(HeaderWord(o, 32), static_cast<uint32_t>(c.colors));
    if (masks) {
      EXPECT_EQ(HeaderWord(o, BitmapHeaderBytes), 0xF800u);
      EXPECT_EQ(HeaderWord(o, BitmapHeaderBytes + 4), 0x07E0u);
      EXPECT_EQ(HeaderWord(o, BitmapHeaderBytes + 8), 0x001Fu);
    }
    if (c.colors > 1) {
      // Entries are blue, green, red, 0: the last default colour is white.
      EXPECT_EQ(HeaderWord(o, BitmapHeaderBytes + masks + 4 * (c.colors - 1)), 0x00FFFFFFu);
    }
    releaseBitmap(o);
  }
}

TEST(Offscreen, RejectsBadRequests) {
  Offscreen o;
  EXPECT_FALSE(createOffscreen(o, 3, nullptr, 10, 10, false));
  EXPECT_FALSE(createOffscreen(o, 8, nullptr, 0, 10, false));
  EXPECT_FALSE(createOffscreen(o, 8, nullptr, 10, -1, false));
  EXPECT_FALSE(createOffscreen(o, 32, nullptr, 1 << 20, 1 << 20, false));
  EXPECT_FALSE(createOffscreenFormat(o, 8, nullptr, 10, 10, false));
  EXPECT_EQ(o.bitmap, nullptr);
}

TEST(Offscreen, TakesAReferenceToAGivenTable) {
  const ColorEntry entries[] = {{0, 0, 0, 0}, {255, 0, 0, 0}};
  ColorTable* table = colorTableFromPalette(entries, 2);
  ASSERT_NE(table, nullptr);
  Offscreen o;
  ASSERT_TRUE(createOffscreen(o, 8, table, 4, 4, false));
  EXPECT_EQ(o.colorTable, table);
  EXPECT_EQ(table->refCount, 2);
  releaseBitmap(o);
  EXPECT_EQ(table->refCount, 1);
  releaseColorTable(table);
}

}  // namespace
}  // namespace lmr
