#include "tools/lmrc/lib/bit_writer.h"

namespace lmr::enc {

int signedBitsFor(int32_t v) {
  int n = 1;
  while (n < 32) {
    int64_t lo = -(int64_t{1} << (n - 1));
    int64_t hi = (int64_t{1} << (n - 1)) - 1;
    if (v >= lo && v <= hi) break;
    ++n;
  }
  return n;
}

int unsignedBitsFor(uint32_t v) {
  int n = 0;
  while (n < 32 && (v >> n) != 0) ++n;
  return n;
}

void BitWriter::u8(uint32_t v) {
  align();
  bytes.push_back(static_cast<uint8_t>(v));
}

void BitWriter::u16(uint32_t v) {
  u8(v & 0xFF);
  u8((v >> 8) & 0xFF);
}

void BitWriter::u32(uint32_t v) {
  u16(v & 0xFFFF);
  u16(v >> 16);
}

void BitWriter::raw(const std::vector<uint8_t>& b) {
  align();
  bytes.insert(bytes.end(), b.begin(), b.end());
}

void BitWriter::rgb(uint32_t red, uint32_t green, uint32_t blue) {
  u8(red);
  u8(green);
  u8(blue);
}

void BitWriter::string(const std::string& s) {
  align();
  bytes.insert(bytes.end(), s.begin(), s.end());
  bytes.push_back(0);
}

void BitWriter::bits(uint32_t v, int n) {
  for (int i = n - 1; i >= 0; --i) {
    pending_ = pending_ << 1 | ((v >> i) & 1);
    if (++pendingBits_ == 8) {
      bytes.push_back(static_cast<uint8_t>(pending_));
      pending_ = 0;
      pendingBits_ = 0;
    }
  }
}

void BitWriter::align() {
  if (pendingBits_ > 0) bits(0, 8 - pendingBits_);
}

void BitWriter::rect(const Rect& r, int width) {
  align();
  int n = width >= 0 ? width : fieldBitsFor({r.xmin, r.xmax, r.ymin, r.ymax});
  bits(static_cast<uint32_t>(n), 5);
  for (int32_t v : {r.xmin, r.xmax, r.ymin, r.ymax}) signedBits(v, n);
  align();
}

int fieldBitsFor(std::initializer_list<int32_t> values) {
  int n = 0;
  for (int32_t v : values) {
    if (v != 0 && signedBitsFor(v) > n) n = signedBitsFor(v);
  }
  return n;
}

MatrixLayout matrixLayout(const Matrix& m, const MatrixCoding& coding) {
  MatrixLayout l;
  l.scale = coding.scaleBits >= 0 || m.a != FixedOne || m.d != FixedOne;
  l.scaleBits = coding.scaleBits >= 0 ? coding.scaleBits : fieldBitsFor({m.a, m.d});
  l.rotate = coding.rotateBits >= 0 || m.b != 0 || m.c != 0;
  l.rotateBits = coding.rotateBits >= 0 ? coding.rotateBits : fieldBitsFor({m.b, m.c});
  l.translateBits = coding.translateBits >= 0 ? coding.translateBits : fieldBitsFor({m.tx, m.ty});
  return l;
}

int matrixBytes(const Matrix& m, const MatrixCoding& coding) {
  MatrixLayout l = matrixLayout(m, coding);
  int bits = 2 + 5 + 2 * l.translateBits;
  if (l.scale) bits += 5 + 2 * l.scaleBits;
  if (l.rotate) bits += 5 + 2 * l.rotateBits;
  return (bits + 7) / 8;
}

void BitWriter::matrix(const Matrix& m) { matrix(m, MatrixCoding{}); }

void BitWriter::matrix(const Matrix& m, const MatrixCoding& coding) {
  MatrixLayout l = matrixLayout(m, coding);
  matrixExact(m, l.scale, l.scaleBits, l.rotate, l.rotateBits, l.translateBits);
}

void BitWriter::matrixExact(const Matrix& m, bool scale, int scaleWidth, bool rotate, int rotateWidth,
                            int translateWidth) {
  align();
  bits(scale ? 1 : 0, 1);
  if (scale) {
    bits(static_cast<uint32_t>(scaleWidth), 5);
    signedBits(m.a, scaleWidth);
    signedBits(m.d, scaleWidth);
  }
  bits(rotate ? 1 : 0, 1);
  if (rotate) {
    bits(static_cast<uint32_t>(rotateWidth), 5);
    signedBits(m.b, rotateWidth);
    signedBits(m.c, rotateWidth);
  }
  bits(static_cast<uint32_t>(translateWidth), 5);
  signedBits(m.tx, translateWidth);
  signedBits(m.ty, translateWidth);
  align();
}

void writeTag(BitWriter& out, uint32_t code, const std::vector<uint8_t>& body, bool longForm) {
  if (longForm || body.size() >= 0x3F) {
    out.u16(code << 6 | 0x3F);
    out.u32(static_cast<uint32_t>(body.size()));
  } else {
    out.u16(code << 6 | static_cast<uint32_t>(body.size()));
  }
  out.raw(body);
}

std::vector<uint8_t> buildMovie(const MovieHeader& header, const std::vector<uint8_t>& tags) {
  BitWriter out;
  out.bytes = {'L', 'M', 'V', header.version, 0, 0, 0, 0};
  out.rect(header.frame, header.rectWidth);
  out.u16(header.rate);
  out.u16(header.frameCount);
  out.raw(tags);
  uint32_t length = header.declaredLength >= 0 ? static_cast<uint32_t>(header.declaredLength)
                                               : static_cast<uint32_t>(out.bytes.size());
  for (int i = 0; i < 4; ++i) out.bytes[4 + i] = static_cast<uint8_t>(length >> (8 * i));
  return out.bytes;
}

}  // namespace lmr::enc
