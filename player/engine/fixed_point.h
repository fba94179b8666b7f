// 16.16 arithmetic and trigonometry: the integer primitives every matrix
// product, edge step and round join is built from. No floating point.
#pragma once

#include <cstdint>

#include "player/engine/records.h"

namespace lmr {

// Angles are degrees as 16.16 values.
constexpr Fixed Degrees90 = 0x5A0000;
constexpr Fixed Degrees180 = 0xB40000;
constexpr Fixed Degrees360 = 0x1680000;

// (a * b) >> 16 with a 64-bit product, halves rounded towards +infinity.
// Keeps the low 32 bits of a result that does not fit.
int32_t FixedMul(int32_t a, int32_t b);
// (a * b) >> s, s from 1 to 31, rounded like FixedMul.
int32_t MulShift(int32_t a, int32_t b, int s);
// a * 2^s / b, rounded to nearest (halves away from zero); saturates to
// 0x7FFFFFFF or -2^31 when b is 0 or the quotient does not fit. s 1 to 31.
int32_t DivShift(int32_t a, int32_t b, int s);
// a * 65536 / b: DivShift with s = 16.
int32_t FixedDiv(int32_t a, int32_t b);

int32_t FixedSin(Fixed degrees);
int32_t FixedCos(Fixed degrees);
// Arctangent of a 16.16 value, in degrees, -90 to 90.
Fixed FixedAtan(int32_t v);
// Direction of (x, y) in degrees, in (-180, 180]; (0, 0) gives +90.
Fixed FixedAtan2(int32_t y, int32_t x);

}  // namespace lmr
