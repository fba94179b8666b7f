// Rectangle, matrix, point and vector operations on the shared records.
// Every product with a 16.16 factor is one FixedMul, every quotient one
// FixedDiv; sums are plain 32-bit additions.
#pragma once

#include <cstdint>

#include "player/engine/records.h"

namespace lmr {

struct Point {
  int32_t x = 0;
  int32_t y = 0;
};
inline bool operator==(const Point& p, const Point& q) { return p.x == q.x && p.y == q.y; }
inline bool operator!=(const Point& p, const Point& q) { return !(p == q); }
using Vector = Point;

// Win32 RECT layout, met only at the border to the window.
struct WinRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
};

// Rectangles.
void rectSetEmpty(Rect& r);
bool rectIsEmpty(const Rect& r);
Rect rectFromCorners(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
Rect rectFromPoint(Point p);
Rect rectOffset(int32_t dx, int32_t dy, const Rect& r);
// Moves the sides in by `amount` (out when negative); sides saturate at the
// 32-bit range instead of wrapping.
Rect rectInset(int32_t amount, const Rect& r);
Rect rectNormalize(const Rect& r);
Rect rectUnion(const Rect& r1, const Rect& r2);
Rect rectExtend(Point p, const Rect& r);
Rect rectIntersect(const Rect& r1, const Rect& r2);
bool rectsOverlap(const Rect& r1, const Rect& r2);
bool rectContains(const Rect& r, Point p);
int32_t rectDiagonal(const Rect& r);
// 0: (xmin, ymax), 1: (xmax, ymax), 2: (xmax, ymin), 3: (xmin, ymin).
Point rectCorner(const Rect& r, int index);
Rect rectFromWinRect(const WinRect& w);
WinRect rectToWinRect(const Rect& r);

// Matrices.
Matrix matrixIdentity();
Matrix matrixScale(Fixed sx, Fixed sy);
// Applies `first`, then `then`.
Matrix matrixConcat(const Matrix& first, const Matrix& then);
// The inverse, or the identity when m is singular.
Matrix matrixInvert(const Matrix& m);
// The inverse of the matrix with `linear`'s coefficients and a translation
// too wide for 32 bits. The inverse's translation wraps to 32 bits like
// every sum of transformPoint, so it is exact modulo 2^32: points whose
// images fit come out right. For a translation that fits in 32 bits the
// result is matrixInvert's.
Matrix matrixInvertWide(const Matrix& linear, int64_t tx, int64_t ty);
Point transformPoint(const Matrix& m, Point p);
Vector transformVector(const Matrix& m, Vector v);
Rect transformRect(const Matrix& m, const Rect& r);
// Line width under the matrix; at least 1 for a positive width.
int32_t scaleWidth(const Matrix& m, int32_t width);
bool isAxisAligned(const Matrix& m);

// Points and vectors.
Vector vecScale(Vector v, Fixed s);
// q + s * (p - q) per axis: q for s = 0, p for s = 1.0.
Point vecLerp(Point p, Point q, Fixed s);
bool pointsNear(Point p, Point q, int32_t tolerance);
int32_t vecLengthApprox(Vector v);
int32_t vecLength(Vector v);
int32_t pointDistance(Point p, Point q);
int32_t halfMaxDelta(Point p, Point q);
// Angle of p - q (or of p when origin is null) in 16.16 degrees.
Fixed vecAngle(Point p, const Point* q);
// (length * cos, length * sin), plus the origin when one is given.
Point polarPoint(int32_t length, Fixed angle, const Point* origin);
Vector vecSetLength(Vector v, int32_t length);

}  // namespace lmr
