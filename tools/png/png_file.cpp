#include "tools/lmr2png/png_writer.h"

#include <fcntl.h>
#include <png.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace lmr::lmr2png {

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

}  // namespace lmr::lmr2png
