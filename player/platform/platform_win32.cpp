// The platform seam on Windows: global memory for the block pools, DIB
// sections and GDI palettes for offscreens, GDI fonts for device text.
#include <windows.h>

#include <cstring>

#include "player/platform/platform.h"

namespace lmr {

bool platformAllocChunk(size_t bytes, ChunkMemory& out) {
  HGLOBAL handle = GlobalAlloc(GMEM_FIXED, bytes);
  if (!handle) return false;
  void* address = GlobalLock(handle);
  if (!address) {
    GlobalFree(handle);
    return false;
  }
  out.handle = handle;
  out.address = address;
  return true;
}

void platformFreeChunk(ChunkMemory& chunk) {
  if (!chunk.handle) return;
  GlobalUnlock(static_cast<HGLOBAL>(chunk.handle));
  GlobalFree(static_cast<HGLOBAL>(chunk.handle));
  chunk.handle = nullptr;
  chunk.address = nullptr;
}

void FlushPlatformDrawing() { GdiFlush(); }

bool PlatformHasPixelDepth(int32_t bitsPerPixel) {
  switch (bitsPerPixel) {
    case 1: case 4: case 8: case 16: case 24: case 32: return true;
    default: return false;
  }
}

bool CreatePixelBlock(const uint8_t* bitmapInfo, size_t pixelBytes, PixelBlock& out) {
  out = PixelBlock{};
  // A memory context compatible with the screen, as the bitmap will be
  // copied to the screen's windows.
  HDC dc = CreateCompatibleDC(nullptr);
  if (!dc) return false;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(dc, reinterpret_cast<const BITMAPINFO*>(bitmapInfo), DIB_RGB_COLORS,
                                    &bits, nullptr, 0);
  DeleteDC(dc);
  if (!bitmap || !bits) {
    if (bitmap) DeleteObject(bitmap);
    return false;
  }
  std::memset(bits, 0, pixelBytes);
  out.bits = static_cast<uint8_t*>(bits);
  out.bitmap = bitmap;
  return true;
}

void ReleasePixelBlock(PixelBlock& block) {
  if (block.bitmap) DeleteObject(static_cast<HBITMAP>(block.bitmap));
  block = PixelBlock{};
}

void* CreatePlatformPalette(const uint8_t* entries, int32_t count) {
  if (!entries || count < 1 || count > 256) return nullptr;
  // LOGPALETTE holds one entry; the other count - 1 follow it.
  struct {
    LOGPALETTE head;
    PALETTEENTRY more[255];
  } logical{};
  logical.head.palVersion = 0x300;
  logical.head.palNumEntries = static_cast<WORD>(count);
  PALETTEENTRY* out = logical.head.palPalEntry;
  for (int32_t i = 0; i < count; ++i, entries += PaletteEntryBytes) {
    out[i] = PALETTEENTRY{entries[0], entries[1], entries[2], entries[3]};
  }
  return CreatePalette(&logical.head);
}

void ReleasePlatformPalette(void* palette) {
  if (palette) DeleteObject(static_cast<HPALETTE>(palette));
}

namespace {

int CALLBACK StopAtFirstFamily(const LOGFONTA*, const TEXTMETRICA*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

HFONT MakeFont(const DeviceFont& font) {
  LOGFONTA f{};
  f.lfHeight = -font.height;  // negative: the em height, not the cell height
  f.lfWidth = font.width;
  f.lfWeight = font.bold ? FW_BOLD : FW_NORMAL;
  f.lfItalic = font.italic ? TRUE : FALSE;
  f.lfCharSet = DEFAULT_CHARSET;
  if (font.face) lstrcpynA(f.lfFaceName, font.face, LF_FACESIZE);
  return CreateFontIndirectA(&f);
}

}  // namespace

bool DeviceFontExists(const char* face) {
  if (!face || !*face) return false;
  HDC screen = GetDC(nullptr);
  if (!screen) return false;
  bool found = false;
  EnumFontFamiliesA(screen, face, StopAtFirstFamily, reinterpret_cast<LPARAM>(&found));
  ReleaseDC(nullptr, screen);
  return found;
}

bool OpenDeviceText(void* bitmap, void* palette, DeviceTextContext& context) {
  context = DeviceTextContext{};
  if (!bitmap) return false;
  HDC dc = CreateCompatibleDC(nullptr);
  if (!dc) return false;
  context.dc = dc;
  context.previousBitmap = SelectObject(dc, static_cast<HBITMAP>(bitmap));
  if (palette) {
    context.previousPalette = SelectPalette(dc, static_cast<HPALETTE>(palette), FALSE);
    RealizePalette(dc);
  }
  SetTextAlign(dc, TA_BASELINE);
  SetBkMode(dc, TRANSPARENT);
  return true;
}

void CloseDeviceText(DeviceTextContext& context) {
  HDC dc = static_cast<HDC>(context.dc);
  if (!dc) return;
  // The context's own palette goes back as a background palette.
  if (context.previousPalette) SelectPalette(dc, static_cast<HPALETTE>(context.previousPalette), TRUE);
  if (context.previousBitmap) SelectObject(dc, context.previousBitmap);
  DeleteDC(dc);
  context = DeviceTextContext{};
}

int32_t DeviceFontAverageWidth(DeviceTextContext& context, const DeviceFont& font) {
  HDC dc = static_cast<HDC>(context.dc);
  if (!dc) return 0;
  HFONT made = MakeFont(font);
  if (!made) return 0;
  HGDIOBJ previous = SelectObject(dc, made);
  TEXTMETRICA metrics{};
  const bool ok = GetTextMetricsA(dc, &metrics);
  SelectObject(dc, previous);
  DeleteObject(made);
  return ok ? metrics.tmAveCharWidth : 0;
}

bool DrawDeviceText(DeviceTextContext& context, const DeviceFont& font, uint8_t red, uint8_t green,
                    uint8_t blue, int32_t x, int32_t y, const char* text, int32_t count,
                    const int32_t* advances) {
  HDC dc = static_cast<HDC>(context.dc);
  if (!dc || !text || count <= 0) return false;
  HFONT made = MakeFont(font);
  if (!made) return false;
  HGDIOBJ previous = SelectObject(dc, made);
  SetTextColor(dc, PALETTERGB(red, green, blue));
  // INT and int32_t are the same type on every Windows target.
  ExtTextOutA(dc, x, y, 0, nullptr, text, static_cast<UINT>(count), advances);
  SelectObject(dc, previous);
  DeleteObject(made);
  return true;
}

}  // namespace lmr
