#include "tools/nphost/win32/screen_capture.h"

#include <cstdint>
#include <cstring>
#include <vector>

#include "tools/nphost/bmp_writer.h"

namespace lmr {

bool openCanvas(DibCanvas& canvas, int width, int height) {
  canvas = DibCanvas{};
  if (width <= 0 || height <= 0) return false;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  HDC screen = GetDC(nullptr);
  canvas.dc = CreateCompatibleDC(screen);
  canvas.bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &canvas.bits, nullptr, 0);
  ReleaseDC(nullptr, screen);
  if (canvas.dc == nullptr || canvas.bitmap == nullptr || canvas.bits == nullptr) {
    closeCanvas(canvas);
    return false;
  }
  canvas.previous = SelectObject(canvas.dc, canvas.bitmap);
  canvas.width = width;
  canvas.height = height;
  PatBlt(canvas.dc, 0, 0, width, height, WHITENESS);
  return true;
}

bool saveCanvas(const DibCanvas& canvas, const std::string& path) {
  GdiFlush();  // drawing into a DIB section may be batched
  const std::size_t rowBytes = static_cast<std::size_t>(canvas.width) * 3;
  const std::size_t stride = (rowBytes + 3) & ~static_cast<std::size_t>(3);
  std::vector<std::uint8_t> pixels(rowBytes * static_cast<std::size_t>(canvas.height));
  const auto* bits = static_cast<const std::uint8_t*>(canvas.bits);
  for (int row = 0; row < canvas.height; ++row) {
    std::memcpy(&pixels[rowBytes * static_cast<std::size_t>(row)],
                bits + stride * static_cast<std::size_t>(row), rowBytes);
  }
  return writeBmp24(path, canvas.width, canvas.height, pixels);
}

void closeCanvas(DibCanvas& canvas) {
  if (canvas.previous != nullptr) SelectObject(canvas.dc, canvas.previous);
  if (canvas.bitmap != nullptr) DeleteObject(canvas.bitmap);
  if (canvas.dc != nullptr) DeleteDC(canvas.dc);
  canvas = DibCanvas{};
}

bool saveDcArea(HDC source, int x, int y, int width, int height, const std::string& path) {
  DibCanvas canvas;
  if (!openCanvas(canvas, width, height)) return false;
  const bool copied = BitBlt(canvas.dc, 0, 0, width, height, source, x, y, SRCCOPY) != 0;
  const bool saved = copied && saveCanvas(canvas, path);
  closeCanvas(canvas);
  return saved;
}

bool saveClientArea(HWND window, const std::string& path) {
  RECT client{};
  if (window == nullptr || !GetClientRect(window, &client)) return false;
  // Whatever is waiting to be painted is painted first.
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  HDC dc = GetDC(window);
  if (dc == nullptr) return false;
  const bool saved = saveDcArea(dc, 0, 0, client.right, client.bottom, path);
  ReleaseDC(window, dc);
  return saved;
}

}  // namespace lmr
