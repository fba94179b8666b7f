// Saving what a device context shows as a 24-bit BMP: BitBlt into a 24-bit
// DIB section, then the portable writer.
#pragma once

#include <windows.h>

#include <string>

namespace lmr {

// Copies width x height pixels at (x, y) of source into a 24-bit BMP file.
bool saveDcArea(HDC source, int x, int y, int width, int height, const std::string& path);

// A window's whole client area, as shown on screen.
bool saveClientArea(HWND window, const std::string& path);

// A top-down 24-bit DIB section selected into a memory DC, white at first.
struct DibCanvas {
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ previous = nullptr;
  void* bits = nullptr;
  int width = 0;
  int height = 0;
};

bool openCanvas(DibCanvas& canvas, int width, int height);
bool saveCanvas(const DibCanvas& canvas, const std::string& path);
void closeCanvas(DibCanvas& canvas);

}  // namespace lmr
