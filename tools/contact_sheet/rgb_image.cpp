#include "tools/contact_sheet/rgb_image.h"

#include "tools/png/png_file.h"

namespace lmr::sheet {

RgbImage::RgbImage(int32_t w, int32_t h, uint32_t color) : width(w), height(h), rgb(static_cast<size_t>(w) * h * 3) {
  for (int32_t y = 0; y < h; ++y) {
    for (int32_t x = 0; x < w; ++x) set(x, y, color);
  }
}

uint32_t RgbImage::pixel(int32_t x, int32_t y) const {
  const uint8_t* p = at(x, y);
  return static_cast<uint32_t>(p[0]) << 16 | static_cast<uint32_t>(p[1]) << 8 | p[2];
}

void RgbImage::set(int32_t x, int32_t y, uint32_t color) {
  uint8_t* p = at(x, y);
  p[0] = static_cast<uint8_t>(color >> 16);
  p[1] = static_cast<uint8_t>(color >> 8);
  p[2] = static_cast<uint8_t>(color);
}

bool readPng(const std::string& path, RgbImage& image, std::string& error) {
  return png::readRgbPng(path, image.width, image.height, image.rgb, error);
}

bool writePng(const std::string& path, const RgbImage& image, std::string& error) {
  return png::writeRgbPng(path, image.width, image.height, image.rgb, error);
}

}  // namespace lmr::sheet
