// Writes the movie format's primitive encodings: little-endian integers, bit
// fields most significant bit first, rectangle and matrix records. The one
// encoder of the project: the compiler and every test that builds a movie
// use it.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "player/engine/records.h"
#include "tools/lmrc/lib/movie_model.h"

namespace lmr::enc {

// Bits needed to hold v as a two's complement field (at least 1 for 0).
int signedBitsFor(int32_t v);
// Bits needed to hold v unsigned (0 for 0).
int unsignedBitsFor(uint32_t v);
// The smallest width of one signed field that holds every value: 0 when all
// are 0 (a 0-bit field reads as 0).
int fieldBitsFor(std::initializer_list<int32_t> values);
// The widths BitWriter::matrix(m, coding) writes: flags and widths resolved.
struct MatrixLayout {
  bool scale = false;
  int scaleBits = 0;
  bool rotate = false;
  int rotateBits = 0;
  int translateBits = 0;
};
MatrixLayout matrixLayout(const Matrix& m, const MatrixCoding& coding);
// Bytes of an encoded matrix or rectangle.
int matrixBytes(const Matrix& m, const MatrixCoding& coding);

class BitWriter {
 public:
  std::vector<uint8_t> bytes;

  void u8(uint32_t v);
  void u16(uint32_t v);
  void s16(int32_t v) { u16(static_cast<uint16_t>(v)); }
  void u32(uint32_t v);
  void raw(const std::vector<uint8_t>& b);
  void rgb(uint32_t red, uint32_t green, uint32_t blue);
  // Zero-terminated.
  void string(const std::string& s);

  // n from 0 to 32 bits, most significant first.
  void bits(uint32_t v, int n);
  void signedBits(int32_t v, int n) { bits(static_cast<uint32_t>(v), n); }
  // Pads the partly written byte with zero bits.
  void align();

  // Rectangle with the smallest field width, or with `width` bits (0-31).
  void rect(const Rect& r, int width = -1);
  // Matrix with the smallest widths; the scale part is written when a or d
  // differ from 1.0, the rotate part when b or c are not 0.
  void matrix(const Matrix& m);
  // Matrix with every choice given: flags and widths.
  void matrixExact(const Matrix& m, bool scale, int scaleWidth, bool rotate, int rotateWidth,
                   int translateWidth);
  // Matrix with the choices of `coding` (-1 fields: smallest).
  void matrix(const Matrix& m, const MatrixCoding& coding);
  void matrix(const CodedMatrix& m) { matrix(m.m, m.coding); }

  size_t size() const { return bytes.size(); }

 private:
  uint32_t pending_ = 0;
  int pendingBits_ = 0;
};

// Tag headers: code (10 bits) and length, short form when the body is under
// 63 bytes, or the long form when asked or needed.
void writeTag(BitWriter& out, uint32_t code, const std::vector<uint8_t>& body, bool longForm = false);

// A whole movie: the 8-byte file header with the length filled in, frame
// rectangle, rate (8.8) and count, then the tags as given.
struct MovieHeader {
  uint8_t version = 1;
  Rect frame{0, 11000, 0, 8000};
  int rectWidth = -1;      // -1: the smallest that fits
  uint32_t rate = 12 << 8;  // 8.8 frames per second
  uint32_t frameCount = 1;
  // When set, written as the length field instead of the real file length.
  int64_t declaredLength = -1;
};

std::vector<uint8_t> buildMovie(const MovieHeader& header, const std::vector<uint8_t>& tags);

}  // namespace lmr::enc
