// What the movie engine and the renderer need of the system, and nothing
// more: fixed-address memory for the block pools, the flush before pixels
// are written, pixel memory and palettes for offscreens, and system-font
// text for the device-font path. One implementation file per platform,
// chosen by the build: platform_win32.cpp (global memory, DIB sections,
// GDI palettes and fonts) and platform_native.cpp (the C heap; no palettes
// and no system fonts, so texts are always drawn from their outlines).
#pragma once

#include <cstddef>
#include <cstdint>

namespace lmr {

// ---- Chunk memory (block pools) ----

struct ChunkMemory {
  void* address = nullptr;  // fixed for the chunk's life
  void* handle = nullptr;   // what the system needs to free it
};

// False (and `out` untouched) when the system has no memory to give.
bool platformAllocChunk(size_t bytes, ChunkMemory& out);
void platformFreeChunk(ChunkMemory& chunk);

// ---- The drawing flush ----

// Waits until system drawing into offscreen bitmaps (device-font text) is
// complete, so the renderer's own pixel writes land after it.
void FlushPlatformDrawing();

// ---- Offscreen pixels and palettes ----

struct PixelBlock {
  uint8_t* bits = nullptr;  // zeroed pixel memory, fixed until released
  void* bitmap = nullptr;   // the system's bitmap over `bits`; never none while bits exist
};

// Whether the system has bitmaps of this depth. Windows has none of 2 bits
// a pixel: the renderer can draw them, but no offscreen of that depth can
// be made there.
bool PlatformHasPixelDepth(int32_t bitsPerPixel);

// Pixel memory of `pixelBytes` bytes laid out as the bitmap-info block
// `bitmapInfo` describes (a 40-byte header, then the colour entries or the
// three bit masks). False, and an empty block, when it cannot be had.
bool CreatePixelBlock(const uint8_t* bitmapInfo, size_t pixelBytes, PixelBlock& out);
void ReleasePixelBlock(PixelBlock& block);

// Bytes of one palette entry: red, green, blue, then the entry's flags.
constexpr int32_t PaletteEntryBytes = 4;
// The flag that keeps a palette entry from being merged with an equal
// system colour, so that palette indices stay as built.
constexpr uint8_t PaletteNoCollapse = 0x04;

// A system palette of `count` entries (1 to 256); none natively or when the
// system refuses.
void* CreatePlatformPalette(const uint8_t* entries, int32_t count);
void ReleasePlatformPalette(void* palette);

// ---- Device-font text ----

// A system font as the device-font path asks for it: pixel sizes of the em
// square (width 0: the face's own proportions).
struct DeviceFont {
  const char* face = nullptr;
  int32_t height = 0;
  int32_t width = 0;
  bool bold = false;
  bool italic = false;
};

// A drawing context on an offscreen: its bitmap and palette selected, text
// on the baseline, transparent background. Open it, draw, close it.
struct DeviceTextContext {
  void* dc = nullptr;
  void* previousBitmap = nullptr;
  void* previousPalette = nullptr;
};

// True when the system has a font family of this name.
bool DeviceFontExists(const char* face);
// False when there is no system text output (natively) or no context.
bool OpenDeviceText(void* bitmap, void* palette, DeviceTextContext& context);
void CloseDeviceText(DeviceTextContext& context);
// The font's average character width in pixels; 0 when it cannot be made.
int32_t DeviceFontAverageWidth(DeviceTextContext& context, const DeviceFont& font);
// Draws `count` one-byte characters with the pen at (x, y) on the
// baseline, each advanced by its entry of `advances` (pixels). False when
// the font cannot be made.
bool DrawDeviceText(DeviceTextContext& context, const DeviceFont& font, uint8_t red, uint8_t green,
                    uint8_t blue, int32_t x, int32_t y, const char* text, int32_t count,
                    const int32_t* advances);

}  // namespace lmr
