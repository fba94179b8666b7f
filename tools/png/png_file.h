// 8-bit RGB pictures (red, green, blue bytes, top row first) as PNG files,
// for every tool that reads or writes pictures.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace lmr::png {

// Writes width x height pixels, never leaving half a file: the picture goes
// to a new temporary file beside the target, which is renamed over the
// target once it is complete. False with a reason in `error` when the file
// cannot be written; the target is then as it was and no temporary file
// remains.
bool writeRgbPng(const std::string& path, int32_t width, int32_t height, const std::vector<uint8_t>& rgb,
                 std::string& error);

// Reads any PNG (palette, grey, 16-bit and alpha are converted; alpha is
// dropped). False with a reason in `error`; pictures larger than
// MaxPngSide on a side are refused rather than allocated.
constexpr int32_t MaxPngSide = 16384;
bool readRgbPng(const std::string& path, int32_t& width, int32_t& height, std::vector<uint8_t>& rgb,
                std::string& error);

}  // namespace lmr::png
