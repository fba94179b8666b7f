// The Win32 platform seam against GDI: offscreens are DIB sections laid out
// as their headers say, colour tables carry system palettes, and device
// text lands in an offscreen's pixels.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "player/platform/platform.h"
#include "player/render/color_table.h"
#include "player/render/offscreen.h"

namespace lmr {
namespace {

using Bytes = std::vector<uint8_t>;

struct ScopedOffscreen {
  Offscreen o;
  ~ScopedOffscreen() { releaseBitmap(o); }
};

TEST(PlatformWin32, OffscreensAreDibSectionsOfTheirFormat) {
  struct Case {
    int32_t format;
    WORD bitCount;
    DWORD masks[3];  // the channel masks of 16-bit pixels
  };
  const Case cases[] = {{Format1Bit, 1, {}},  {Format2Bit, 2, {}},
                        {Format4Bit, 4, {}},  {Format8Bit, 8, {}},
                        {Format555, 16, {0x7C00, 0x03E0, 0x001F}}, {Format565, 16, {0xF800, 0x07E0, 0x001F}},
                        {Format24, 24, {}},   {Format32, 32, {}}};
  for (const Case& c : cases) {
    for (bool bottomUp : {false, true}) {
      SCOPED_TRACE("format " + std::to_string(c.format) + (bottomUp ? " bottom-up" : " top-down"));
      ScopedOffscreen s;
      if (c.format == Format2Bit) {
        // GDI has no 2-bit bitmaps: the offscreen cannot be made.
        EXPECT_FALSE(OffscreenFormatAvailable(c.format));
        EXPECT_FALSE(createOffscreenFormat(s.o, c.format, nullptr, 7, 3, bottomUp));
        EXPECT_EQ(s.o.bitmap, nullptr);
        continue;
      }
      ASSERT_TRUE(createOffscreenFormat(s.o, c.format, nullptr, 7, 3, bottomUp));
      DIBSECTION dib{};
      ASSERT_EQ(GetObjectA(static_cast<HBITMAP>(s.o.bitmap), sizeof dib, &dib), int{sizeof dib});
      EXPECT_EQ(dib.dsBm.bmBits, s.o.bits);
      EXPECT_EQ(dib.dsBm.bmWidthBytes, s.o.rowBytes);
      EXPECT_EQ(dib.dsBmih.biBitCount, c.bitCount);
      if (c.bitCount == 16) {
        // The system reads the pixels with the masks the renderer packs
        // them by (for 5-5-5 it reports its implied masks).
        for (int k = 0; k < 3; ++k) EXPECT_EQ(dib.dsBitfields[k], c.masks[k]) << "mask " << k;
      }
      const Bytes zero(static_cast<size_t>(s.o.rowBytes) * s.o.height, 0);
      EXPECT_EQ(Bytes(s.o.bits, s.o.bits + zero.size()), zero);
    }
  }
}

TEST(PlatformWin32, ColorTablesCarryASystemPalette) {
  ColorList list;
  DefaultColorList(8, list);
  ColorTable* shared = findOrCreateColorTable(list);
  ASSERT_NE(shared, nullptr);
  ASSERT_NE(shared->palette, nullptr);
  PALETTEENTRY entries[256];
  ASSERT_EQ(GetPaletteEntries(static_cast<HPALETTE>(shared->palette), 0, 256, entries), 216u);
  EXPECT_EQ(entries[215].peRed, 0xFF);
  EXPECT_EQ(entries[1].peRed, 0x33);
  EXPECT_EQ(entries[1].peFlags, PC_NOCOLLAPSE);

  // A table made from a system palette keeps the palette's flags, but its
  // own colours end in 0.
  const ColorEntry given[] = {{10, 20, 30, PC_RESERVED}, {40, 50, 60, 0}};
  ColorTable* own = colorTableFromPalette(given, 2);
  ASSERT_NE(own, nullptr);
  ASSERT_EQ(GetPaletteEntries(static_cast<HPALETTE>(own->palette), 0, 2, entries), 2u);
  EXPECT_EQ(entries[0].peFlags, PC_RESERVED);
  EXPECT_EQ(entries[1].peBlue, 60);
  EXPECT_EQ(own->colors[0].zero, 0);
  releaseColorTable(own);
  releaseColorTable(shared);
}

TEST(PlatformWin32, DeviceTextDrawsIntoTheOffscreen) {
  EXPECT_FALSE(DeviceFontExists("No Such Face At All"));
  EXPECT_FALSE(DeviceFontExists(""));
  // Wine's own fonts are what the test prefix has.
  const char* face = "Tahoma";
  ASSERT_TRUE(DeviceFontExists(face));

  ScopedOffscreen s;
  ASSERT_TRUE(createOffscreenFormat(s.o, Format32, nullptr, 64, 32, false));
  std::memset(s.o.bits, 0xFF, static_cast<size_t>(s.o.rowBytes) * s.o.height);
  DeviceTextContext context;
  ASSERT_TRUE(OpenDeviceText(s.o.bitmap, nullptr, context));
  DeviceFont font;
  font.face = face;
  font.height = 24;
  EXPECT_GT(DeviceFontAverageWidth(context, font), 0);
  const int32_t advances[] = {16, 16};
  ASSERT_TRUE(DrawDeviceText(context, font, 200, 0, 0, 4, 24, "HH", 2, advances));
  CloseDeviceText(context);
  FlushPlatformDrawing();

  // Red text on white, on the baseline at y = 24: ink above it, none below.
  auto isRed = [&](int32_t x, int32_t y) {
    const uint8_t* p = OffscreenRow(s.o, y) + 4 * x;
    return p[2] > 150 && p[1] < 80 && p[0] < 80;
  };
  int32_t inkAbove = 0, inkBelow = 0;
  for (int32_t y = 0; y < 32; ++y) {
    for (int32_t x = 0; x < 64; ++x) (y < 25 ? inkAbove : inkBelow) += isRed(x, y);
  }
  EXPECT_GT(inkAbove, 20);
  EXPECT_EQ(inkBelow, 0);
}

}  // namespace
}  // namespace lmr
