#include "player/engine/stream_reader.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "tools/lmrc/lib/bit_writer.h"

namespace lmr {
namespace {

StreamReader readerOver(const std::vector<uint8_t>& bytes) {
  return StreamReader::over(bytes.data(), 0, static_cast<int32_t>(bytes.size()));
}

// Parameterised cases carry a name, which becomes the test's name in
// listings and results, and PrintTo shows their fields: without them a case
// printed as an anonymous index and a byte dump of the struct.
template <typename Case>
std::string CaseName(const ::testing::TestParamInfo<Case>& info) {
  return info.param.name;
}

void PrintFields(const Rect& r, std::ostream* os) {
  *os << "rect (" << r.xmin << ", " << r.xmax << ", " << r.ymin << ", " << r.ymax << ")";
}

void PrintFields(const Matrix& m, std::ostream* os) {
  *os << "matrix [" << m.a << " " << m.b << " " << m.c << " " << m.d << " " << m.tx << " " << m.ty << "]";
}

TEST(StreamReaderBits, ReadsAcrossByteBoundaries) {
  std::vector<uint8_t> bytes{0xB5, 0x3C, 0xFF};
  StreamReader r = readerOver(bytes);
  EXPECT_EQ(r.readBits(3), 5u);
  EXPECT_EQ(r.readBits(10), 0x2A7u);
  EXPECT_EQ(r.pos, 2);
  EXPECT_EQ(r.bitCount, 3);
  EXPECT_EQ(r.bitBuffer, 4u);  // bits 100 stay buffered
  EXPECT_FALSE(r.overrun);
}

TEST(StreamReaderBits, ZeroBitsReadChangesNothing) {
  std::vector<uint8_t> bytes{0xAA};
  StreamReader r = readerOver(bytes);
  EXPECT_EQ(r.readBits(0), 0u);
  EXPECT_EQ(r.pos, 0);
  EXPECT_EQ(r.readSignedBits(0), 0);
  EXPECT_EQ(r.pos, 0);
}

TEST(StreamReaderBits, FullWidthReads) {
  std::vector<uint8_t> bytes{0x12, 0x34, 0x56, 0x78, 0x9A};
  StreamReader r = readerOver(bytes);
  r.readBits(4);
  EXPECT_EQ(r.readBits(32), 0x23456789u);
  EXPECT_EQ(r.readBits(4), 0xAu);
}

TEST(StreamReaderBits, WidthsAbove32AreRejected) {
  std::vector<uint8_t> bytes{0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
  StreamReader r = readerOver(bytes);
  EXPECT_EQ(r.readBits(33), 0u);
  EXPECT_EQ(r.readSignedBits(32), 0);
  EXPECT_EQ(r.pos, 0);
  EXPECT_EQ(r.bitCount, 0);
}

struct SignedCase {
  const char* name;
  uint8_t byte;
  int width;
  int32_t expected;
};

void PrintTo(const SignedCase& c, std::ostream* os) {
  *os << "byte 0x" << std::hex << static_cast<int>(c.byte) << std::dec << " read as a " << c.width
      << "-bit field, expects " << c.expected;
}

class StreamReaderSigned : public ::testing::TestWithParam<SignedCase> {};

TEST_P(StreamReaderSigned, SignExtendsByWidth) {
  std::vector<uint8_t> bytes{GetParam().byte};
  StreamReader r = readerOver(bytes);
  EXPECT_EQ(r.readSignedBits(GetParam().width), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Widths, StreamReaderSigned,
                         ::testing::Values(SignedCase{"FourBitsMinimum", 0x80, 4, -8},
                                           SignedCase{"FourBitsMaximum", 0x70, 4, 7},
                                           SignedCase{"OneBitSet", 0x80, 1, -1},
                                           SignedCase{"OneBitClear", 0x00, 1, 0},
                                           SignedCase{"EightBitsMinusOne", 0xFF, 8, -1},
                                           SignedCase{"EightBitsMaximum", 0x7F, 8, 127},
                                           SignedCase{"TwoBitsMinusOne", 0xC0, 2, -1},
                                           SignedCase{"TwoBitsOne", 0x40, 2, 1}),
                         CaseName<SignedCase>);

TEST(StreamReaderBytes, LittleEndianIntegers) {
  std::vector<uint8_t> bytes{0x34, 0x12, 0xFE, 0xFF, 0x78, 0x56, 0x34, 0x12, 0x9A};
  StreamReader r = readerOver(bytes);
  EXPECT_EQ(r.readU16(), 0x1234u);
  EXPECT_EQ(r.readS16(), -2);
  EXPECT_EQ(r.readU32(), 0x12345678u);
  EXPECT_EQ(r.readU8(), 0x9Au);
  EXPECT_FALSE(r.overrun);
}

TEST(StreamReaderBytes, ByteReadAfterBitsSkipsRestOfByte) {
  std::vector<uint8_t> bytes{0xFF, 0x42};
  StreamReader r = readerOver(bytes);
  r.readBits(3);
  EXPECT_EQ(r.readU8(), 0x42u);
}

TEST(StreamReaderBytes, ColoursLeaveBitBufferAlone) {
  std::vector<uint8_t> bytes{0xE0, 10, 20, 30, 1, 2, 3};
  StreamReader r = readerOver(bytes);
  r.readBits(2);
  Rgb c = r.readRgb();
  EXPECT_EQ(c.red, 10);
  EXPECT_EQ(c.green, 20);
  EXPECT_EQ(c.blue, 30);
  EXPECT_EQ(r.bitCount, 6);
  EXPECT_EQ(r.readRgbPacked(), packColor(1, 2, 3));
  EXPECT_EQ(r.readRgbPacked(), packColor(0, 0, 0));  // past the limit: zeros
  EXPECT_TRUE(r.overrun);
}

TEST(StreamReaderBytes, ReadBytesStopsAtEnd) {
  std::vector<uint8_t> bytes{1, 2, 3, 4, 5, 6};
  StreamReader r = readerOver(bytes);
  r.end = 4;
  uint8_t out[8] = {};
  EXPECT_EQ(r.readBytes(out, 3), 3);
  EXPECT_EQ(r.readBytes(out, 3), 1);
  EXPECT_EQ(out[0], 4);
  EXPECT_EQ(r.readBytes(out, 3), 0);  // at end: nothing copied
  EXPECT_EQ(r.pos, 4);
  r.pos = 5;                          // past end
  EXPECT_LE(r.readBytes(out, 3), 0);
  EXPECT_EQ(r.pos, 5);
}

TEST(StreamReaderBytes, ReadBytesNeverCrossesTheHardLimit) {
  std::vector<uint8_t> bytes{1, 2, 3, 4};
  StreamReader r = readerOver(bytes);  // end NoLimit
  uint8_t out[8] = {};
  EXPECT_EQ(r.readBytes(out, 8), 4);
  EXPECT_EQ(r.readBytes(out, 8), 0);
}

TEST(StreamReaderLimit, ReadsPastTheLimitYieldZerosAndMarkOverrun) {
  std::vector<uint8_t> bytes{0xFF, 0xFF};
  StreamReader r = readerOver(bytes);
  EXPECT_EQ(r.readU32(), 0xFFFFu);
  EXPECT_TRUE(r.overrun);
  EXPECT_EQ(r.pos, 2);
  EXPECT_EQ(r.readBits(8), 0u);
  EXPECT_EQ(r.pos, 2);
}

struct RectCase {
  const char* name;
  Rect rect;
  int width;
  size_t bytes;
};

void PrintTo(const RectCase& c, std::ostream* os) {
  PrintFields(c.rect, os);
  *os << ", field width " << c.width << ", " << c.bytes << " bytes";
}

class StreamReaderRect : public ::testing::TestWithParam<RectCase> {};

TEST_P(StreamReaderRect, RoundTripsAndOccupiesWholeBytes) {
  const RectCase& c = GetParam();
  enc::BitWriter w;
  w.rect(c.rect, c.width);
  w.u16(0xBEEF);
  ASSERT_EQ(w.size(), c.bytes + 2);
  StreamReader r = readerOver(w.bytes);
  EXPECT_EQ(r.readRect(), c.rect);
  EXPECT_EQ(r.readU16(), 0xBEEFu);  // starts at the byte after the rectangle
  EXPECT_FALSE(r.overrun);
}

INSTANTIATE_TEST_SUITE_P(
    Widths, StreamReaderRect,
    ::testing::Values(RectCase{"AllZero", {0, 0, 0, 0}, -1, 1},
                      RectCase{"FifteenBitFields", {0, 11000, 0, 8000}, -1, 9},
                      RectCase{"TwoBitFields", {-1, 1, -1, 1}, -1, 2},
                      RectCase{"SixteenBitFields", {-32768, 32767, 0, 5}, -1, 9},
                      RectCase{"ThirtyOneBitFields", {0, 1 << 29, -(1 << 29), 7}, -1, 17},
                      RectCase{"WiderThanNeeded", {3, 3, 3, 3}, 20, 11}),
    CaseName<RectCase>);

struct MatrixCase {
  const char* name;
  Matrix m;
  size_t bytes;
};

void PrintTo(const MatrixCase& c, std::ostream* os) {
  PrintFields(c.m, os);
  *os << ", " << c.bytes << " bytes";
}

class StreamReaderMatrix : public ::testing::TestWithParam<MatrixCase> {};

TEST_P(StreamReaderMatrix, RoundTripsEveryFlagCombination) {
  enc::BitWriter w;
  w.matrix(GetParam().m);
  ASSERT_EQ(w.size(), GetParam().bytes);
  StreamReader r = readerOver(w.bytes);
  EXPECT_EQ(r.readMatrix(), GetParam().m);
  EXPECT_EQ(r.pos, static_cast<int32_t>(GetParam().bytes));
  EXPECT_FALSE(r.overrun);
}

INSTANTIATE_TEST_SUITE_P(
    Flags, StreamReaderMatrix,
    ::testing::Values(MatrixCase{"Identity", Matrix{}, 1},  // 7 bits
                      MatrixCase{"TranslateOnly", Matrix{FixedOne, 0, 0, FixedOne, 100, -200}, 4},
                      MatrixCase{"ScaleOnly", Matrix{0x20000, 0, 0, 0x8000, 0, 0}, 7},
                      MatrixCase{"ScaleAndRotate", Matrix{FixedOne, 0x10000, -0x10000, FixedOne, 0, 0}, 6},
                      MatrixCase{"RotateAndTranslate", Matrix{0, 0x280000, -0x280000, 0, -5, 5}, 9},
                      MatrixCase{"EveryFieldSet", Matrix{-0x10000, 1, -1, 0x30000, 1000000, 0}, 13}),
    CaseName<MatrixCase>);

TEST(StreamReaderMatrix, RotatePairReadsBThenC) {
  enc::BitWriter w;
  w.bits(0, 1);  // no scale
  w.bits(1, 1);  // rotate: b then c
  w.bits(4, 5);
  w.signedBits(3, 4);
  w.signedBits(-2, 4);
  w.bits(0, 5);
  StreamReader r = readerOver(w.bytes);
  Matrix m = r.readMatrix();
  EXPECT_EQ(m.b, 3);
  EXPECT_EQ(m.c, -2);
  EXPECT_EQ(m.a, FixedOne);
}

TEST(StreamReaderMatrix, TruncatedMatrixReadsZerosAndOverruns) {
  std::vector<uint8_t> bytes{0xFF};  // scale flag, width 31, then nothing
  StreamReader r = readerOver(bytes);
  r.readMatrix();
  EXPECT_TRUE(r.overrun);
  EXPECT_EQ(r.pos, 1);
}

TEST(StreamReaderString, CopiesUpToTheTerminator) {
  std::vector<uint8_t> bytes{'h', 'i', 0, 'x'};
  StreamReader r = readerOver(bytes);
  char* s = r.readString();
  ASSERT_NE(s, nullptr);
  EXPECT_STREQ(s, "hi");
  EXPECT_EQ(r.pos, 3);
  std::free(s);
}

TEST(StreamReaderString, EmptyStringIsOneByte) {
  std::vector<uint8_t> bytes{0, 'x'};
  StreamReader r = readerOver(bytes);
  char* s = r.readString();
  ASSERT_NE(s, nullptr);
  EXPECT_STREQ(s, "");
  EXPECT_EQ(r.pos, 1);
  std::free(s);
}

TEST(StreamReaderString, UnterminatedStringAtBufferEndIsNone) {
  std::vector<uint8_t> bytes{'a', 'b', 'c'};
  StreamReader r = readerOver(bytes);
  EXPECT_EQ(r.readString(), nullptr);
  EXPECT_TRUE(r.overrun);
  EXPECT_EQ(r.pos, 3);
}

}  // namespace
}  // namespace lmr
