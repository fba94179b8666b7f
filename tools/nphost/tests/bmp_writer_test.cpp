#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tools/nphost/bmp_writer.h"

namespace lmr {
namespace {

std::uint32_t read32(const std::string& bytes, std::size_t at) {
  return static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[at])) |
         static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[at + 1])) << 8 |
         static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[at + 2])) << 16 |
         static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[at + 3])) << 24;
}

std::uint32_t read16(const std::string& bytes, std::size_t at) {
  return read32(bytes + std::string(2, '\0'), at) & 0xFFFF;
}

// Each pixel's bytes tell its column and row: blue = x, green = y, red = 7.
std::vector<std::uint8_t> numbered(int width, int height) {
  std::vector<std::uint8_t> pixels;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      pixels.push_back(static_cast<std::uint8_t>(x));
      pixels.push_back(static_cast<std::uint8_t>(y));
      pixels.push_back(7);
    }
  }
  return pixels;
}

TEST(BmpWriter, HeadersAndBottomUpPaddedRows) {
  // Widths 1 to 4 give every padding from 3 bytes to none.
  const struct {
    int width;
    int height;
    std::size_t stride;
  } cases[] = {{1, 1, 4}, {2, 3, 8}, {3, 2, 12}, {4, 5, 12}, {5, 1, 16}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
    const std::string bmp = bmpFile24(c.width, c.height, numbered(c.width, c.height));
    const std::size_t image = c.stride * static_cast<std::size_t>(c.height);
    ASSERT_EQ(bmp.size(), 54 + image);
    EXPECT_EQ(bmp.substr(0, 2), "BM");
    EXPECT_EQ(read32(bmp, 2), bmp.size());
    EXPECT_EQ(read32(bmp, 10), 54u);
    EXPECT_EQ(read32(bmp, 14), 40u);
    EXPECT_EQ(read32(bmp, 18), static_cast<std::uint32_t>(c.width));
    EXPECT_EQ(read32(bmp, 22), static_cast<std::uint32_t>(c.height));
    EXPECT_EQ(read16(bmp, 26), 1u);
    EXPECT_EQ(read16(bmp, 28), 24u);
    EXPECT_EQ(read32(bmp, 30), 0u);
    EXPECT_EQ(read32(bmp, 34), image);
    for (int row = 0; row < c.height; ++row) {
      const std::size_t start = 54 + c.stride * static_cast<std::size_t>(row);
      const int y = c.height - 1 - row;  // the file's first row is the bottom one
      for (int x = 0; x < c.width; ++x) {
        const std::size_t at = start + static_cast<std::size_t>(x) * 3;
        EXPECT_EQ(static_cast<int>(static_cast<std::uint8_t>(bmp[at])), x);
        EXPECT_EQ(static_cast<int>(static_cast<std::uint8_t>(bmp[at + 1])), y);
        EXPECT_EQ(static_cast<int>(static_cast<std::uint8_t>(bmp[at + 2])), 7);
      }
      for (std::size_t pad = start + static_cast<std::size_t>(c.width) * 3;
           pad < start + c.stride; ++pad) {
        EXPECT_EQ(bmp[pad], '\0');
      }
    }
  }
}

TEST(BmpWriter, RefusesBadSizesAndShortPixels) {
  const struct {
    const char* name;
    int width;
    int height;
    std::size_t pixelBytes;
  } cases[] = {
      {"zero width", 0, 4, 0},   {"negative height", 4, -1, 0},
      {"too wide", 16385, 1, 16385 * 3}, {"one byte short", 3, 2, 17},
  };
  for (const auto& c : cases) {
    EXPECT_TRUE(bmpFile24(c.width, c.height, std::vector<std::uint8_t>(c.pixelBytes)).empty())
        << c.name;
  }
  EXPECT_FALSE(writeBmp24("/nonexistent-folder/x.bmp", 1, 1, std::vector<std::uint8_t>(3)));
}

}  // namespace
}  // namespace lmr
