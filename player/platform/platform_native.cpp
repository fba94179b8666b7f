// The platform seam without a window system: heap memory, no palettes, no
// system fonts. Used by the native tools, tests, benchmarks and fuzzers.
#include <cstdlib>

#include "player/platform/platform.h"

namespace lmr {

bool platformAllocChunk(size_t bytes, ChunkMemory& out) {
  void* address = std::malloc(bytes);
  if (!address) return false;
  out.handle = address;
  out.address = address;
  return true;
}

void platformFreeChunk(ChunkMemory& chunk) {
  std::free(chunk.handle);
  chunk.handle = nullptr;
  chunk.address = nullptr;
}

void FlushPlatformDrawing() {}

bool PlatformHasPixelDepth(int32_t bitsPerPixel) {
  switch (bitsPerPixel) {
    case 1: case 2: case 4: case 8: case 16: case 24: case 32: return true;
    default: return false;
  }
}

bool CreatePixelBlock(const uint8_t* /*bitmapInfo*/, size_t pixelBytes, PixelBlock& out) {
  out = PixelBlock{};
  auto* bits = static_cast<uint8_t*>(std::calloc(pixelBytes ? pixelBytes : 1, 1));
  if (!bits) return false;
  // The pixel block itself stands for the bitmap.
  out.bits = bits;
  out.bitmap = bits;
  return true;
}

void ReleasePixelBlock(PixelBlock& block) {
  std::free(block.bits);
  block = PixelBlock{};
}

void* CreatePlatformPalette(const uint8_t* /*entries*/, int32_t /*count*/) { return nullptr; }
void ReleasePlatformPalette(void* /*palette*/) {}

bool DeviceFontExists(const char* /*face*/) { return false; }
bool OpenDeviceText(void* /*bitmap*/, void* /*palette*/, DeviceTextContext& context) {
  context = DeviceTextContext{};
  return false;
}
void CloseDeviceText(DeviceTextContext& context) { context = DeviceTextContext{}; }
int32_t DeviceFontAverageWidth(DeviceTextContext& /*context*/, const DeviceFont& /*font*/) { return 0; }
bool DrawDeviceText(DeviceTextContext& /*context*/, const DeviceFont& /*font*/, uint8_t /*red*/,
                    uint8_t /*green*/, uint8_t /*blue*/, int32_t /*x*/, int32_t /*y*/, const char* /*text*/,
                    int32_t /*count*/, const int32_t* /*advances*/) {
  return false;
}

}  // namespace lmr
