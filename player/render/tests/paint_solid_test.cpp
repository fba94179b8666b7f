#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "player/render/paint_solid.h"

namespace lmr {
namespace {

// Pixel x of a packed row, most significant bits first.
uint32_t PixelAt(const uint8_t* row, int32_t bits, int32_t x) {
  const int32_t position = x * bits;
  return row[position / 8] >> (8 - bits - position % 8) & ((1u << bits) - 1);
}

// FillWordSpan checked against the per-pixel rule: pixels [start, end)
// take pattern column x & 3, every other bit of the row stays.
void CheckSpan(int32_t bits, int32_t start, int32_t end, std::mt19937& random) {
  const int32_t width = 96;
  std::vector<uint8_t> row(static_cast<size_t>(width * bits / 8 + 4));
  for (uint8_t& b : row) b = static_cast<uint8_t>(random());
  const std::vector<uint8_t> before = row;
  uint8_t pattern[4];
  for (uint8_t& b : pattern) b = static_cast<uint8_t>(random());
  FillWordSpan(row.data(), bits, start, end, pattern);
  for (int32_t x = 0; x < width; ++x) {
    const uint32_t expected = x >= start && x < end ? PixelAt(pattern, bits, x % (32 / bits))
                                                    : PixelAt(before.data(), bits, x);
    ASSERT_EQ(PixelAt(row.data(), bits, x), expected)
        << "bits " << bits << " span " << start << "-" << end << " pixel " << x;
  }
  EXPECT_EQ(row.back(), before.back()) << "past the row";
}

TEST(FillWordSpan, ChangesExactlyTheSpan) {
  std::mt19937 random(7);
  struct Case {
    int32_t bits, start, end;
  };
  const Case cases[] = {
      {1, 3, 37},   // across two word borders, partial at both ends
      {1, 0, 32},   // one whole word
      {1, 5, 9},    // inside one word
      {1, 31, 33},  // one bit on each side of a border
      {1, 64, 96},  // ends at the end of the row
      {1, 7, 7},    // empty
      {2, 3, 37}, {4, 3, 37}, {8, 3, 37}, {8, 4, 8}, {4, 0, 96},
  };
  for (const Case& c : cases) CheckSpan(c.bits, c.start, c.end, random);
  for (int i = 0; i < 400; ++i) {
    const int32_t bits = 1 << (random() % 4);
    const int32_t a = static_cast<int32_t>(random() % 97), b = static_cast<int32_t>(random() % 97);
    CheckSpan(bits, a < b ? a : b, a < b ? b : a, random);
  }
}

}  // namespace
}  // namespace lmr
