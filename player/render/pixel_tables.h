// Constant tables of the pixel writers: channel expansion, the 4 x 4 level
// patterns of solid fills on palette targets, and the dither matrices.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace lmr {

// 5-bit channel to 8 bits: 0 stays 0, i becomes 8i + 7 (15, 23, ..., 255).
constexpr std::array<uint8_t, 32> MakeExpand5() {
  std::array<uint8_t, 32> t{};
  for (size_t i = 1; i < t.size(); ++i) t[i] = static_cast<uint8_t>(8 * i + 7);
  return t;
}
constexpr std::array<uint8_t, 32> Expand5 = MakeExpand5();

// 17 brightness levels as 4 x 4 patterns: bit 15 is row 0 pixel 0, bit 12
// row 0 pixel 3, bit 0 row 3 pixel 3; a set bit selects the first colour.
// Entry k has 16 - k bits set.
constexpr uint16_t LevelPatterns[17] = {
    0xFFFF, 0x7FFF, 0x7FDF, 0x5FDF, 0x5F5F, 0x5B5F, 0x5B5E, 0x5A5E, 0x5A5A,
    0x1A5A, 0x1A4A, 0x0A4A, 0x0A0A, 0x020A, 0x0208, 0x0008, 0x0000,
};

// Ordered dither for palette targets, values 0-15, indexed [y & 7][x & 7].
constexpr uint8_t OrderedMatrix[8][8] = {
    {0, 8, 0, 8, 1, 9, 15, 7},   {10, 6, 2, 14, 11, 7, 3, 13}, {4, 14, 10, 2, 5, 15, 11, 1},
    {12, 4, 12, 6, 13, 3, 5, 9}, {1, 9, 15, 7, 2, 10, 0, 6},   {11, 7, 3, 13, 12, 8, 4, 12},
    {5, 15, 9, 1, 6, 14, 10, 0}, {13, 3, 11, 5, 14, 2, 4, 8},
};

// Noise added (not diffused) before error-diffusion quantising, [y & 7][x & 7].
constexpr uint8_t DiffusionNoise[8][8] = {
    {7, 0, 0, 7, 0, 7, 7, 0}, {0, 7, 0, 7, 0, 7, 0, 7}, {0, 7, 7, 0, 7, 0, 7, 7},
    {0, 7, 7, 0, 7, 0, 7, 7}, {7, 0, 7, 0, 0, 7, 0, 7}, {0, 7, 0, 7, 7, 0, 7, 0},
    {7, 7, 0, 7, 0, 7, 0, 0}, {0, 7, 7, 0, 7, 0, 7, 7},
};

// Dither of 16-bit targets, [y & 3][x & 3].
constexpr uint8_t Dither16[4][4] = {
    {7, 0, 5, 1},
    {2, 6, 4, 3},
    {4, 3, 7, 2},
    {0, 6, 1, 5},
};

// Each pattern has as many set bits as its level says.
constexpr int CountBits(uint32_t v) { return v ? static_cast<int>(v & 1) + CountBits(v >> 1) : 0; }
constexpr bool LevelPatternsConsistent() {
  for (int k = 0; k < 17; ++k) {
    if (CountBits(LevelPatterns[k]) != 16 - k) return false;
  }
  return true;
}
static_assert(LevelPatternsConsistent(), "level pattern k must have 16 - k bits set");
static_assert(Expand5[31] == 255 && Expand5[1] == 15, "Expand5 ends");

}  // namespace lmr
