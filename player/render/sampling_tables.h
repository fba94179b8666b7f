// Tables shared by the bitmap and gradient samplers, built at compile time:
// bilinear weights in eighths, squares for the radial square-root search,
// and the packed colour that lets one sum carry three weighted channels.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "player/engine/records.h"

namespace lmr {

// Sample positions keep 3 fraction bits for filtering: weights in eighths.
constexpr int32_t WeightFractionBits = 3;
constexpr int32_t WeightSteps = 1 << WeightFractionBits;  // 8
constexpr int32_t BilinearEntries = WeightSteps * WeightSteps;

// Entry fx * 8 + fy: weights of the pixel, its right neighbour, the one
// below and the one below right for the fraction (fx / 8, fy / 8). Each
// raw weight (of 64) is rounded to eighths; the first of the largest then
// takes up the rounding error, so every entry sums to exactly 8. Example:
// fx = fy = 2 has raw 36, 12, 12, 4, rounded 5, 2, 2, 1 (sum 10): 3, 2, 2, 1.
using BilinearWeightTable = std::array<std::array<int32_t, 4>, BilinearEntries>;

constexpr BilinearWeightTable MakeBilinearWeights() {
  BilinearWeightTable t{};
  for (int32_t fx = 0; fx < WeightSteps; ++fx) {
    for (int32_t fy = 0; fy < WeightSteps; ++fy) {
      const int32_t raw[4] = {(8 - fx) * (8 - fy), fx * (8 - fy), (8 - fx) * fy, fx * fy};
      std::array<int32_t, 4>& w = t[static_cast<std::size_t>(fx * WeightSteps + fy)];
      int32_t sum = 0, largest = 0;
      for (int32_t k = 0; k < 4; ++k) {
        w[static_cast<std::size_t>(k)] = (raw[k] + 4) / 8;
        sum += w[static_cast<std::size_t>(k)];
        if (w[static_cast<std::size_t>(k)] > w[static_cast<std::size_t>(largest)]) largest = k;
      }
      w[static_cast<std::size_t>(largest)] += WeightSteps - sum;
    }
  }
  return t;
}
inline constexpr BilinearWeightTable BilinearWeights = MakeBilinearWeights();

// The weights for a 16.16 position's fraction bits.
constexpr const std::array<int32_t, 4>& WeightsAt(int64_t u, int64_t v) {
  return BilinearWeights[static_cast<std::size_t>(((u & 0xFFFF) >> 13) * WeightSteps + ((v & 0xFFFF) >> 13))];
}

// Entry i = i * i, saturated at 65535 (entries 256 and 257). Entry 257
// lets the radial search look one past its last index, 256.
constexpr int32_t SquareEntries = 258;
using SquareTableType = std::array<uint16_t, SquareEntries>;

constexpr SquareTableType MakeSquareTable() {
  SquareTableType t{};
  for (int32_t i = 0; i < SquareEntries; ++i) {
    t[static_cast<std::size_t>(i)] = static_cast<uint16_t>(i * i < 65535 ? i * i : 65535);
  }
  return t;
}
inline constexpr SquareTableType SquareTable = MakeSquareTable();

// A colour packed for weighted sums: red << 21 | green << 10 | blue >> 1.
// Four packed colours times weights summing to 8 keep the channels apart:
// red lands in bits 24-31, green in 13-20, blue (less its lowest bit) in
// 2-9.
constexpr uint32_t PackForSum(uint32_t red, uint32_t green, uint32_t blue) {
  return red << 21 | green << 10 | blue >> 1;
}
constexpr Rgb UnpackSum(uint32_t sum) {
  return Rgb{static_cast<int32_t>(sum >> 24), static_cast<int32_t>((sum >> 13) & 0xFF),
             static_cast<int32_t>((sum >> 2) & 0xFF)};
}

// Sample positions are stepped in 64 bits, so that no span of any matrix
// wraps them; they meet 32-bit interfaces saturated.
constexpr int32_t SaturateToInt32(int64_t v) {
  return v > INT32_MAX ? INT32_MAX : v < INT32_MIN ? INT32_MIN : static_cast<int32_t>(v);
}
// A device pixel coordinate with `bits` fraction bits.
constexpr int32_t PixelToFraction(int32_t pixel, int bits) {
  return SaturateToInt32(static_cast<int64_t>(pixel) * (int64_t{1} << bits));
}

static_assert(UnpackSum(8 * PackForSum(255, 255, 255)).red == 255 &&
                  UnpackSum(8 * PackForSum(255, 255, 255)).green == 255 &&
                  UnpackSum(8 * PackForSum(255, 255, 255)).blue == 254,
              "a full weight of white stays white, blue loses its lowest bit");

}  // namespace lmr
