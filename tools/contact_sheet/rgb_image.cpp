#include "tools/contact_sheet/rgb_image.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

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

namespace {

// Larger pictures are refused rather than allocated.
constexpr png_uint_32 MaxSide = 16384;

// libpng's messages are replaced by our own one-line reasons.
void QuietError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void QuietWarning(png_structp, png_const_charp) {}

struct File {
  FILE* f;
  ~File() {
    if (f) std::fclose(f);
  }
};

}  // namespace

bool readPng(const std::string& path, RgbImage& image, std::string& error) {
  File file{std::fopen(path.c_str(), "rb")};
  if (!file.f) {
    error = path + ": " + std::strerror(errno);
    return false;
  }
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, QuietError, QuietWarning);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!png || !info) {
    png_destroy_read_struct(&png, &info, nullptr);
    error = path + ": out of memory";
    return false;
  }
  // libpng reports faults by jumping back here: everything with a
  // destructor is made before this point.
  std::vector<png_bytep> rows;
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    error = path + ": not a readable PNG file";
    return false;
  }
  png_init_io(png, file.f);
  png_read_info(png, info);
  const png_uint_32 w = png_get_image_width(png, info), h = png_get_image_height(png, info);
  if (w == 0 || h == 0 || w > MaxSide || h > MaxSide) {
    png_destroy_read_struct(&png, &info, nullptr);
    error = path + ": picture size out of range";
    return false;
  }
  png_set_expand(png);
  png_set_strip_16(png);
  png_set_strip_alpha(png);
  png_set_gray_to_rgb(png);
  png_read_update_info(png, info);
  image.width = static_cast<int32_t>(w);
  image.height = static_cast<int32_t>(h);
  image.rgb.assign(static_cast<size_t>(w) * h * 3, 0);
  rows.resize(h);
  for (png_uint_32 y = 0; y < h; ++y) rows[y] = image.at(0, static_cast<int32_t>(y));
  png_read_image(png, rows.data());
  png_destroy_read_struct(&png, &info, nullptr);
  return true;
}

bool writePng(const std::string& path, const RgbImage& image, std::string& error) {
  File file{std::fopen(path.c_str(), "wb")};
  if (!file.f) {
    error = path + ": " + std::strerror(errno);
    return false;
  }
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, QuietError, QuietWarning);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!png || !info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    error = path + ": could not write the PNG file";
    return false;
  }
  png_init_io(png, file.f);
  png_set_IHDR(png, info, static_cast<png_uint_32>(image.width), static_cast<png_uint_32>(image.height), 8,
               PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int32_t y = 0; y < image.height; ++y) png_write_row(png, image.at(0, y));
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  if (std::fclose(file.f) != 0) {
    file.f = nullptr;
    error = path + ": could not write the PNG file";
    return false;
  }
  file.f = nullptr;
  return true;
}

}  // namespace lmr::sheet
