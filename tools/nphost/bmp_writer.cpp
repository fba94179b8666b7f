#include "tools/nphost/bmp_writer.h"

#include <cstdio>

namespace lmr {
namespace {

constexpr std::uint32_t FileHeaderSize = 14;
constexpr std::uint32_t InfoHeaderSize = 40;
// Keeps every size the header holds well inside 32 bits.
constexpr int MaxSide = 16384;

void put16(std::string& out, std::uint32_t v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>((v >> 8) & 0xFF);
}

void put32(std::string& out, std::uint32_t v) {
  put16(out, v & 0xFFFF);
  put16(out, v >> 16);
}

}  // namespace

std::string bmpFile24(int width, int height, const std::vector<std::uint8_t>& pixels) {
  if (width <= 0 || height <= 0 || width > MaxSide || height > MaxSide) return {};
  const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
  if (pixels.size() < rowBytes * static_cast<std::size_t>(height)) return {};
  const std::size_t stride = (rowBytes + 3) & ~static_cast<std::size_t>(3);
  const auto imageSize = static_cast<std::uint32_t>(stride * static_cast<std::size_t>(height));
  std::string out;
  out.reserve(FileHeaderSize + InfoHeaderSize + imageSize);
  out += "BM";
  put32(out, FileHeaderSize + InfoHeaderSize + imageSize);
  put32(out, 0);  // reserved
  put32(out, FileHeaderSize + InfoHeaderSize);
  put32(out, InfoHeaderSize);
  put32(out, static_cast<std::uint32_t>(width));
  put32(out, static_cast<std::uint32_t>(height));  // positive: rows bottom-up
  put16(out, 1);                                   // planes
  put16(out, 24);                                  // bits per pixel
  put32(out, 0);                                   // uncompressed
  put32(out, imageSize);
  put32(out, 2835);  // 72 dots per inch, in dots per metre
  put32(out, 2835);
  put32(out, 0);  // colours used: none, no palette
  put32(out, 0);
  for (int row = height - 1; row >= 0; --row) {
    const std::uint8_t* first = pixels.data() + rowBytes * static_cast<std::size_t>(row);
    out.append(reinterpret_cast<const char*>(first), rowBytes);
    out.append(stride - rowBytes, '\0');
  }
  return out;
}

bool writeBmp24(const std::string& path, int width, int height,
                const std::vector<std::uint8_t>& pixels) {
  const std::string bytes = bmpFile24(width, height, pixels);
  if (bytes.empty()) return false;
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}

}  // namespace lmr
