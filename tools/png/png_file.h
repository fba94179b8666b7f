// Writes 8-bit RGB pictures as PNG files, never leaving half a file: the
// picture goes to a new temporary file beside the target, which is renamed
// over the target once it is complete.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace lmr::lmr2png {

// `rgb` holds width x height pixels of red, green, blue bytes, top row
// first. False with a reason in `error` when the file cannot be written;
// the target is then as it was and no temporary file remains.
bool writeRgbPng(const std::string& path, int32_t width, int32_t height, const std::vector<uint8_t>& rgb,
                 std::string& error);

}  // namespace lmr::lmr2png
