// Primitive records shared by the whole player: rectangles, matrices and
// colours, as they are held in memory after reading.
#pragma once

#include <cstdint>

namespace lmr {

// 16.16 fixed point: 0x10000 is 1.0.
using Fixed = int32_t;
constexpr Fixed FixedOne = 0x10000;

// The value that marks an empty rectangle in every field.
constexpr int32_t RectEmptyValue = INT32_MIN;

// Movie units (or raster units after a matrix). Edges are inclusive.
struct Rect {
  int32_t xmin = RectEmptyValue;
  int32_t xmax = RectEmptyValue;
  int32_t ymin = RectEmptyValue;
  int32_t ymax = RectEmptyValue;
};

inline bool operator==(const Rect& p, const Rect& q) {
  return p.xmin == q.xmin && p.xmax == q.xmax && p.ymin == q.ymin && p.ymax == q.ymax;
}
inline bool operator!=(const Rect& p, const Rect& q) { return !(p == q); }

// Maps (x, y) to (a*x + c*y + tx, b*x + d*y + ty); a, b, c, d are 16.16.
struct Matrix {
  Fixed a = FixedOne;
  Fixed b = 0;
  Fixed c = 0;
  Fixed d = FixedOne;
  int32_t tx = 0;
  int32_t ty = 0;
};

inline bool operator==(const Matrix& p, const Matrix& q) {
  return p.a == q.a && p.b == q.b && p.c == q.c && p.d == q.d && p.tx == q.tx && p.ty == q.ty;
}
inline bool operator!=(const Matrix& p, const Matrix& q) { return !(p == q); }

// Each channel 0 to 255.
struct Rgb {
  int32_t red = 0;
  int32_t green = 0;
  int32_t blue = 0;
};

// Bytes in memory red, green, blue, alpha (always 255 for movie colours):
// as a little-endian value 0xFF000000 | blue << 16 | green << 8 | red.
using PackedColor = uint32_t;

constexpr PackedColor packColor(uint32_t red, uint32_t green, uint32_t blue) {
  return 0xFF000000u | (blue & 0xFF) << 16 | (green & 0xFF) << 8 | (red & 0xFF);
}
constexpr uint32_t packedRed(PackedColor c) { return c & 0xFF; }
constexpr uint32_t packedGreen(PackedColor c) { return (c >> 8) & 0xFF; }
constexpr uint32_t packedBlue(PackedColor c) { return (c >> 16) & 0xFF; }

}  // namespace lmr
