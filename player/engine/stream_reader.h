// A cursor over the movie buffer: little-endian integers, bit fields packed
// most significant bit first, and the composite records of the format.
#pragma once

#include <cstdint>

#include "player/engine/records.h"

namespace lmr {

// The soft end of readers made for stored bodies: readBytes may read on.
constexpr int32_t NoLimit = 0x20000000;

// Every read is bounded by `limit`, the number of bytes of `data` that exist
// (the bytes received so far, or the end of the tag whose body is walked).
// A read that would cross it yields zero bytes and sets `overrun`, so a walk
// over a truncated or hostile body ends cleanly instead of reading past the
// buffer. `end` is the separate, softer bound that only readBytes honours.
struct StreamReader {
  const uint8_t* data = nullptr;
  int32_t pos = 0;
  int32_t end = 0;
  uint32_t bitBuffer = 0;  // unconsumed low bits of the last fetched byte
  int32_t bitCount = 0;    // 0 to 8
  int32_t limit = 0;       // hard bound of every read
  bool overrun = false;    // a read wanted bytes at or past `limit`

  // A reader over a stored body: pos at the body, end NoLimit, and the
  // hard limit where the body's bytes stop.
  static StreamReader over(const uint8_t* data, int32_t pos, int32_t limit);

  uint32_t readU8();
  uint32_t readU16();
  int32_t readS16();
  uint32_t readU32();
  // Copies min(end - pos, n) bytes (never past `limit`); 0 or less at the end.
  int32_t readBytes(uint8_t* destination, int32_t n);
  void alignToByte() {
    bitBuffer = 0;
    bitCount = 0;
  }
  // n from 0 to 32; wider reads are rejected: 0, nothing consumed.
  uint32_t readBits(int32_t n);
  // n from 0 to 31; wider reads are rejected: 0, nothing consumed.
  int32_t readSignedBits(int32_t n);
  Rgb readRgb();
  PackedColor readRgbPacked();
  Rect readRect();
  Matrix readMatrix();
  // A new zero-terminated copy the caller frees with std::free, or none when
  // memory is short or the string runs past the limit (pos is then past
  // what was scanned).
  char* readString();

  // Bytes left before the hard limit.
  int32_t remaining() const { return pos < limit ? limit - pos : 0; }

 private:
  // The byte at pos and pos + 1; at the limit 0 and overrun, with pos
  // staying at the limit.
  uint32_t fetchByte();
};

}  // namespace lmr
