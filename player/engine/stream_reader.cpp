#include "player/engine/stream_reader.h"

#include <cstdlib>
#include <cstring>

namespace lmr {

StreamReader StreamReader::over(const uint8_t* bytes, int32_t at, int32_t hardLimit) {
  StreamReader r;
  r.data = bytes;
  r.pos = at;
  r.end = NoLimit;
  r.limit = hardLimit;
  return r;
}

uint32_t StreamReader::fetchByte() {
  if (pos < 0 || pos >= limit) {
    overrun = true;
    if (pos < limit) pos = limit;
    return 0;
  }
  return data[pos++];
}

uint32_t StreamReader::readU8() { return fetchByte(); }

uint32_t StreamReader::readU16() {
  uint32_t lo = fetchByte();
  return lo | fetchByte() << 8;
}

int32_t StreamReader::readS16() { return static_cast<int16_t>(readU16()); }

uint32_t StreamReader::readU32() {
  uint32_t lo = readU16();
  return lo | readU16() << 16;
}

int32_t StreamReader::readBytes(uint8_t* destination, int32_t n) {
  int32_t stop = end < limit ? end : limit;
  int32_t count = stop - pos;
  if (count > n) count = n;
  if (count <= 0) return count;
  std::memcpy(destination, data + pos, static_cast<size_t>(count));
  pos += count;
  return count;
}

uint32_t StreamReader::readBits(int32_t n) {
  if (n < 0 || n > 32) return 0;
  int32_t need = n;
  uint64_t result = 0;
  while (need > bitCount) {
    result |= static_cast<uint64_t>(bitBuffer) << (need - bitCount);
    need -= bitCount;
    bitBuffer = fetchByte();
    bitCount = 8;
  }
  result |= bitBuffer >> (bitCount - need);
  bitCount -= need;
  bitBuffer &= 0xFFu >> (8 - bitCount);
  return static_cast<uint32_t>(result);
}

int32_t StreamReader::readSignedBits(int32_t n) {
  if (n < 0 || n > 31) return 0;
  uint32_t v = readBits(n);
  if (n > 0 && (v >> (n - 1)) & 1) v |= ~0u << n;
  return static_cast<int32_t>(v);
}

Rgb StreamReader::readRgb() {
  Rgb c;
  c.red = static_cast<int32_t>(fetchByte());
  c.green = static_cast<int32_t>(fetchByte());
  c.blue = static_cast<int32_t>(fetchByte());
  return c;
}

PackedColor StreamReader::readRgbPacked() {
  uint32_t red = fetchByte();
  uint32_t green = fetchByte();
  uint32_t blue = fetchByte();
  return packColor(red, green, blue);
}

Rect StreamReader::readRect() {
  alignToByte();
  int32_t n = static_cast<int32_t>(readBits(5));
  Rect r;
  r.xmin = readSignedBits(n);
  r.xmax = readSignedBits(n);
  r.ymin = readSignedBits(n);
  r.ymax = readSignedBits(n);
  return r;
}

Matrix StreamReader::readMatrix() {
  alignToByte();
  Matrix m;
  if (readBits(1)) {
    int32_t n = static_cast<int32_t>(readBits(5));
    m.a = readSignedBits(n);
    m.d = readSignedBits(n);
  }
  if (readBits(1)) {
    int32_t n = static_cast<int32_t>(readBits(5));
    m.b = readSignedBits(n);
    m.c = readSignedBits(n);
  }
  int32_t n = static_cast<int32_t>(readBits(5));
  m.tx = readSignedBits(n);
  m.ty = readSignedBits(n);
  return m;
}

char* StreamReader::readString() {
  int32_t start = pos;
  while (fetchByte() != 0) {
    if (overrun) return nullptr;  // no terminator before the limit
  }
  if (overrun) return nullptr;
  size_t length = static_cast<size_t>(pos - start);  // terminator included
  char* copy = static_cast<char*>(std::malloc(length));
  if (!copy) return nullptr;
  std::memcpy(copy, data + start, length);
  return copy;
}

}  // namespace lmr
