// A 24-bit uncompressed BMP file from rows of pixels: a 14-byte file
// header, a 40-byte info header, then the rows bottom-up, each padded to a
// multiple of 4 bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace lmr {

// Pixels top-down, 3 bytes each in blue, green, red order, rows of
// width * 3 bytes without padding. Answers an empty string when the size
// is not positive, too large for the format, or pixels is too short.
std::string bmpFile24(int width, int height, const std::vector<std::uint8_t>& pixels);

// Writes bmpFile24's bytes to path; false when it cannot.
bool writeBmp24(const std::string& path, int width, int height,
                const std::vector<std::uint8_t>& pixels);

}  // namespace lmr
