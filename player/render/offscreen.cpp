#include "player/render/offscreen.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "player/platform/platform.h"
#include "player/render/color_table.h"

namespace lmr {

namespace {

// Pixel memory is capped well below 2 GiB so that every row offset fits a
// 32-bit signed value.
constexpr int64_t MaxPixelBytes = int64_t{1} << 28;

void PutU16(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
void PutU32(uint8_t* p, uint32_t v) {
  PutU16(p, v);
  PutU16(p + 2, v >> 16);
}

// The bitmap-info block: the 40-byte header, then for 5-6-5 the three
// channel masks, which must follow the header directly, and then the
// colour entries (blue, green, red, 0). 5-6-5 carries no colour entries:
// with bit fields the entries after the masks would be read as an optional
// palette of a direct format.
uint8_t* BuildHeader(const Offscreen& o, int32_t& size) {
  const bool masks = o.formatIndex == Format565;
  const int32_t colors = o.colorTable && !masks ? o.colorTable->colorCount : 0;
  size = BitmapHeaderBytes + (masks ? BitFieldMaskBytes : 0) + 4 * colors;
  auto* h = static_cast<uint8_t*>(std::calloc(1, static_cast<size_t>(size)));
  if (!h) return nullptr;
  PutU32(h, BitmapHeaderBytes);
  PutU32(h + 4, static_cast<uint32_t>(o.width));
  PutU32(h + 8, static_cast<uint32_t>(o.bottomUp ? o.height : -o.height));
  PutU16(h + 12, 1);
  PutU16(h + 14, static_cast<uint32_t>(o.bitsPerPixel));
  PutU32(h + 16, masks ? 3 : 0);  // bit fields for 5-6-5, else uncompressed
  PutU32(h + 20, static_cast<uint32_t>(o.rowBytes * o.height));
  PutU32(h + 32, static_cast<uint32_t>(colors));
  PutU32(h + 36, static_cast<uint32_t>(colors));
  uint8_t* e = h + BitmapHeaderBytes;
  if (masks) {
    PutU32(e, 0xF800);
    PutU32(e + 4, 0x07E0);
    PutU32(e + 8, 0x001F);
    e += BitFieldMaskBytes;
  }
  for (int32_t i = 0; i < colors; ++i, e += 4) {
    const ColorEntry& c = o.colorTable->colors[i];
    e[0] = c.blue;
    e[1] = c.green;
    e[2] = c.red;
    e[3] = 0;
  }
  return h;
}

}  // namespace

bool OffscreenFormatAvailable(int32_t formatIndex) {
  return formatIndex >= 0 && formatIndex < FormatCount && PlatformHasPixelDepth(FormatBitsPerPixel[formatIndex]);
}

bool createOffscreenFormat(Offscreen& o, int32_t formatIndex, ColorTable* table, int32_t width,
                           int32_t height, bool bottomUp) {
  o = Offscreen{};
  if (!OffscreenFormatAvailable(formatIndex) || width <= 0 || height <= 0) return false;
  const int32_t bpp = FormatBitsPerPixel[formatIndex];
  const int64_t rowBytes = (int64_t{bpp} * width + 31) / 32 * 4;
  if (rowBytes * height > MaxPixelBytes) return false;

  if (table) {
    ++table->refCount;
  } else {
    ColorList list;
    DefaultColorList(bpp, list);
    table = findOrCreateColorTable(list);
    if (!table) return false;
  }
  o.bottomUp = bottomUp;
  o.formatIndex = formatIndex;
  o.bitsPerPixel = bpp;
  o.rowBytes = static_cast<int32_t>(rowBytes);
  o.width = width;
  o.height = height;
  o.colorTable = table;
  o.header = BuildHeader(o, o.headerSize);
  PixelBlock pixels;
  if (!o.header || !CreatePixelBlock(o.header, static_cast<size_t>(rowBytes * height), pixels)) {
    releaseBitmap(o);
    return false;
  }
  o.bits = pixels.bits;
  o.bitmap = pixels.bitmap;
  return true;
}

bool createOffscreen(Offscreen& o, int32_t bitsPerPixel, ColorTable* table, int32_t width,
                     int32_t height, bool bottomUp) {
  int32_t format;
  switch (bitsPerPixel) {
    case 1: format = Format1Bit; break;
    case 2: format = Format2Bit; break;
    case 4: format = Format4Bit; break;
    case 8: format = Format8Bit; break;
    case 16: format = Format555; break;
    case 24: format = Format24; break;
    case 32: format = Format32; break;
    default: o = Offscreen{}; return false;
  }
  return createOffscreenFormat(o, format, table, width, height, bottomUp);
}

void releaseBitmap(Offscreen& o) {
  releaseColorTable(o.colorTable);
  o.colorTable = nullptr;
  PixelBlock pixels{o.bits, o.bitmap};
  ReleasePixelBlock(pixels);
  o.bits = nullptr;
  o.bitmap = nullptr;
  std::free(o.header);
  o.header = nullptr;
  o.headerSize = 0;
}

uint8_t* OffscreenRow(const Offscreen& o, int32_t y) {
  const int32_t stored = o.bottomUp ? o.height - 1 - y : y;
  return o.bits + static_cast<ptrdiff_t>(stored) * o.rowBytes;
}

}  // namespace lmr
