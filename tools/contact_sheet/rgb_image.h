// An 8-bit RGB picture in memory, top row first, and its PNG file form.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace lmr::sheet {

struct RgbImage {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint8_t> rgb;  // width x height x 3 bytes

  RgbImage() = default;
  RgbImage(int32_t w, int32_t h, uint32_t color);  // filled with 0xRRGGBB
  uint8_t* at(int32_t x, int32_t y) { return rgb.data() + (static_cast<size_t>(y) * width + x) * 3; }
  const uint8_t* at(int32_t x, int32_t y) const { return rgb.data() + (static_cast<size_t>(y) * width + x) * 3; }
  uint32_t pixel(int32_t x, int32_t y) const;  // 0xRRGGBB
  void set(int32_t x, int32_t y, uint32_t color);
};

// Any PNG (palette, grey, 16-bit and alpha are converted; alpha is dropped).
// False with a reason in `error`.
bool readPng(const std::string& path, RgbImage& image, std::string& error);
bool writePng(const std::string& path, const RgbImage& image, std::string& error);

}  // namespace lmr::sheet
