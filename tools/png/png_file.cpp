#include "tools/png/png_file.h"

#include <fcntl.h>
#include <png.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace lmr::png {

namespace {

// Opens a temporary file that did not exist before, beside `path`, with
// the permissions a new file gets (0666 less the umask).
std::FILE* openTemporary(const std::string& path, std::string& temporary) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    temporary = path + ".tmp" + std::to_string(getpid()) + "-" + std::to_string(attempt);
    const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      std::FILE* file = fdopen(fd, "wb");
      if (!file) {
        close(fd);
        std::remove(temporary.c_str());
      }
      return file;
    }
    if (errno != EEXIST) return nullptr;
  }
  return nullptr;
}

// libpng's messages are replaced by our own one-line reasons.
void quietError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void quietWarning(png_structp, png_const_charp) {}

struct ReadFile {
  std::FILE* f;
  ~ReadFile() {
    if (f) std::fclose(f);
  }
};

}  // namespace

bool writeRgbPng(const std::string& path, int32_t width, int32_t height, const std::vector<uint8_t>& rgb,
                 std::string& error) {
  if (width <= 0 || height <= 0 || rgb.size() != static_cast<size_t>(width) * static_cast<size_t>(height) * 3) {
    error = "no picture to write";
    return false;
  }
  std::string temporary;
  std::FILE* file = openTemporary(path, temporary);
  if (!file) {
    error = "cannot create a file beside " + path + ": " + std::strerror(errno);
    return false;
  }

  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = PNG_FORMAT_RGB;
  const bool encoded = png_image_write_to_stdio(&image, file, 0, rgb.data(), 0, nullptr) != 0;
  const std::string reason = encoded ? "" : image.message;
  png_image_free(&image);
  const bool flushed = std::fflush(file) == 0;
  const int flushError = errno;
  const bool closed = std::fclose(file) == 0;

  if (!encoded || !flushed || !closed) {
    std::remove(temporary.c_str());
    error = "cannot write " + path + ": " + (encoded ? std::strerror(flushError) : reason);
    return false;
  }
  if (std::rename(temporary.c_str(), path.c_str()) != 0) {
    const int renameError = errno;
    std::remove(temporary.c_str());
    error = "cannot write " + path + ": " + std::strerror(renameError);
    return false;
  }
  return true;
}

bool readRgbPng(const std::string& path, int32_t& width, int32_t& height, std::vector<uint8_t>& rgb,
                std::string& error) {
  ReadFile file{std::fopen(path.c_str(), "rb")};
  if (!file.f) {
    error = path + ": " + std::strerror(errno);
    return false;
  }
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, quietError, quietWarning);
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
  if (w == 0 || h == 0 || w > png_uint_32{MaxPngSide} || h > png_uint_32{MaxPngSide}) {
    png_destroy_read_struct(&png, &info, nullptr);
    error = path + ": picture size out of range";
    return false;
  }
  png_set_expand(png);
  png_set_strip_16(png);
  png_set_strip_alpha(png);
  png_set_gray_to_rgb(png);
  png_read_update_info(png, info);
  rgb.assign(static_cast<size_t>(w) * h * 3, 0);
  rows.resize(h);
  for (png_uint_32 y = 0; y < h; ++y) rows[y] = rgb.data() + static_cast<size_t>(y) * w * 3;
  png_read_image(png, rows.data());
  png_destroy_read_struct(&png, &info, nullptr);
  width = static_cast<int32_t>(w);
  height = static_cast<int32_t>(h);
  return true;
}

}  // namespace lmr::png
