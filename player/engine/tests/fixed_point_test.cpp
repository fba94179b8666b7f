#include "player/engine/fixed_point.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <random>

namespace lmr {
namespace {

// Floating point here only builds reference values for the integer code.
constexpr double Pi = 3.14159265358979323846;

double degreesOf(int64_t fixed) { return static_cast<double>(fixed) / 65536.0; }

struct ProductCase {
  int32_t a;
  int32_t b;
  int shift;
  int32_t expected;
};

TEST(FixedPointProducts, RoundHalvesUpAndKeepLow32Bits) {
  const ProductCase cases[] = {
      {0x18000, 0x18000, 16, 0x24000},  // 1.5 * 1.5 = 2.25
      {-1, 0x8000, 16, 0},              // -0.5 rounds up to 0
      {-3, 0x8000, 16, -1},             // -1.5 rounds up to -1
      {1, 0x8000, 16, 1},               // 0.5 rounds up to 1
      {0x10000, -12345, 16, -12345},
      {3, 1, 1, 2},    // 1.5 -> 2
      {-3, 1, 1, -1},  // -1.5 -> -1
      {0x40000000, 4, 31, 2},
      // Results beyond 32 bits keep their low 32 bits.
      {INT32_MAX, INT32_MAX, 16, static_cast<int32_t>(0xFFFF0000u)},
      {INT32_MIN, INT32_MIN, 16, 0},
      {INT32_MIN, INT32_MIN, 31, INT32_MIN},
  };
  for (const ProductCase& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.a << " * " << c.b << " >> " << c.shift);
    EXPECT_EQ(MulShift(c.a, c.b, c.shift), c.expected);
    if (c.shift == 16) {
      EXPECT_EQ(FixedMul(c.a, c.b), c.expected);
    }
  }
}

TEST(FixedPointQuotients, RoundHalvesAwayFromZeroAndSaturate) {
  const ProductCase cases[] = {
      {1, 3, 16, 21845},
      {2, 3, 16, 43691},  // the half rounds up in magnitude
      {-2, 3, 16, -43691},
      {2, -3, 16, -43691},
      {-2, -3, 16, 43691},
      {0, -5, 16, 0},
      {1, 0x20000, 16, 1},    // exactly a half: away from zero
      {-1, 0x20000, 16, -1},
      {1, 0x20001, 16, 0},    // just below a half
      {5, 0, 16, INT32_MAX},
      {-5, 0, 16, INT32_MIN},
      {0, 0, 16, INT32_MAX},
      {32768, 1, 16, INT32_MAX},
      {-32768, 1, 16, INT32_MIN},
      {32767, 1, 16, 0x7FFF0000},
      {INT32_MIN, -1, 16, INT32_MAX},
      {INT32_MIN, INT32_MIN, 16, 0x10000},  // both magnitudes taken as 2^31 - 1
      {1, 3, 1, 1},                         // 2/3 -> 1
      {3, 2, 1, 3},
      {0x3FFFFFFF, 1, 1, 0x7FFFFFFE},
      {0x40000000, 1, 1, INT32_MAX},  // quotient 2^31 does not fit
      {1, 2, 31, 0x40000000},
      {1, 1, 31, INT32_MAX},
      {-1, 1, 31, INT32_MIN},
  };
  for (const ProductCase& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.a << " * 2^" << c.shift << " / " << c.b);
    EXPECT_EQ(DivShift(c.a, c.b, c.shift), c.expected);
    if (c.shift == 16) {
      EXPECT_EQ(FixedDiv(c.a, c.b), c.expected);
    }
  }
}

TEST(FixedPointQuotients, MatchRoundedQuotientOnRandomOperands) {
  std::mt19937 rng(1234);
  std::uniform_int_distribution<int32_t> any(INT32_MIN, INT32_MAX);
  std::uniform_int_distribution<int> shifts(1, 31);
  for (int n = 0; n < 20000; ++n) {
    int32_t a = any(rng) >> (n % 31);
    int32_t b = any(rng) >> (n % 23);
    int s = shifts(rng);
    if (b == 0 || a == INT32_MIN || b == INT32_MIN) continue;
    uint64_t ua = static_cast<uint64_t>(std::llabs(a));
    uint64_t ub = static_cast<uint64_t>(std::llabs(b));
    uint64_t scaled = ua << s;  // below 2^62
    uint64_t q = scaled / ub;
    if (2 * (scaled % ub) >= ub) ++q;
    bool negative = (a < 0) != (b < 0);
    int32_t expected;
    if (q >= (uint64_t{1} << 31)) {
      expected = negative ? INT32_MIN : INT32_MAX;
    } else {
      expected = negative ? -static_cast<int32_t>(q) : static_cast<int32_t>(q);
    }
    ASSERT_EQ(DivShift(a, b, s), expected) << "DivShift(" << a << ", " << b << ", " << s << ")";
  }
}

struct AngleCase {
  Fixed angle;
  int32_t sine;
  int32_t cosine;
};

TEST(FixedPointTrig, ExactAtListedAngles) {
  const AngleCase cases[] = {
      {0, 0, 0x10000},
      {0x1E0000, 0x8000, 56756},   // 30 degrees; cos = 0.866025 * 65536
      {0x3C0000, 56756, 0x8000},   // 60
      {0x5A0000, 0x10000, 0},      // 90
      {0x780000, 56756, -0x8000},  // 120
      {0xB40000, 0, -0x10000},     // 180
      {0x10E0000, -0x10000, 0},    // 270
      {0x1680000, 0, 0x10000},     // 360
      {-0x5A0000, -0x10000, 0},
      {-0x1E0000, -0x8000, 56756},
      {-0x1680000, 0, 0x10000},  // exact negative multiple of 360
      {-0x2D00000, 0, 0x10000},
      {0x1C20000, 0x10000, 0},  // 450
  };
  for (const AngleCase& c : cases) {
    SCOPED_TRACE(::testing::Message() << "angle " << degreesOf(c.angle));
    EXPECT_EQ(FixedSin(c.angle), c.sine);
    EXPECT_EQ(FixedCos(c.angle), c.cosine);
  }
}

// Catches faults in the range reduction, the quadrant folding and the table
// interpolation: every angle of the 32-bit range against the true values.
TEST(FixedPointTrig, SeededAnglesStayWithinOneUnit) {
  std::mt19937 rng(77);
  std::uniform_int_distribution<int32_t> any(INT32_MIN, INT32_MAX);
  std::uniform_int_distribution<int32_t> near(-0x2000000, 0x2000000);
  for (int n = 0; n < 50000; ++n) {
    Fixed angle = (n % 2) ? any(rng) : near(rng);
    int64_t reduced = ((int64_t{angle} % Degrees360) + Degrees360) % Degrees360;
    double radians = degreesOf(reduced) * Pi / 180.0;
    int32_t s = FixedSin(angle);
    int32_t c = FixedCos(angle);
    SCOPED_TRACE(::testing::Message() << "angle 0x" << std::hex << angle);
    ASSERT_LE(std::fabs(s - std::sin(radians) * 65536.0), 1.0);
    ASSERT_LE(std::fabs(c - std::cos(radians) * 65536.0), 1.0);
    int64_t unitCircle = int64_t{s} * s + int64_t{c} * c;
    ASSERT_LE(std::llabs(unitCircle - (int64_t{1} << 32)), int64_t{3} << 16);
    if (angle < INT32_MAX - Degrees360 && angle > INT32_MIN) {
      ASSERT_EQ(FixedSin(angle + Degrees360), s);
      ASSERT_EQ(FixedCos(angle + Degrees360), c);
      ASSERT_EQ(FixedSin(-angle), -s);
      ASSERT_EQ(FixedCos(-angle), c);
    }
  }
}

// 0.001 degree in 16.16 degrees.
constexpr double Millidegree = 65.536;

TEST(FixedPointTrig, ArctangentMeetsListedValues) {
  struct Atan2Case {
    int32_t y;
    int32_t x;
    double degrees;
  };
  const Atan2Case cases[] = {
      {0, 5, 0},      {5, 0, 90},      {0, -5, 180},   {-5, -5, -135},  {0, 0, 90},
      {-5, 0, -90},   {5, 5, 45},      {5, -5, 135},   {-5, 5, -45},    {1, 1000, 0.0572958},
      {-7, -1, -98.130102}, {INT32_MIN, -1, -90.0017}, {3, INT32_MIN, 180},
  };
  for (const Atan2Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "atan2(" << c.y << ", " << c.x << ")");
    EXPECT_NEAR(FixedAtan2(c.y, c.x), c.degrees * 65536.0, Millidegree);
  }
  EXPECT_EQ(FixedAtan2(0, 5), 0);
  EXPECT_EQ(FixedAtan2(5, 0), 0x5A0000);
  EXPECT_EQ(FixedAtan2(0, -5), 0xB40000);
  EXPECT_EQ(FixedAtan2(0, 0), 0x5A0000);
  EXPECT_NEAR(FixedAtan(0x10000), 0x2D0000, Millidegree);
}

// The polynomial covers [0, 1]; larger values go through the reciprocal.
// Sweeps both sides, the join at 1 and the signs.
TEST(FixedPointTrig, ArctangentSweepStaysWithinAMillidegree) {
  for (int64_t v = -0x200000; v <= 0x200000; v += 37) {
    double expected = std::atan(static_cast<double>(v) / 65536.0) * 180.0 / Pi * 65536.0;
    double error = std::fabs(FixedAtan(static_cast<int32_t>(v)) - expected);
    ASSERT_LE(error, Millidegree) << "FixedAtan(" << v << ")";
  }
  EXPECT_LE(std::abs(FixedAtan(0x10001) - FixedAtan(0x10000)), 30 + 2 * Millidegree);
  EXPECT_EQ(FixedAtan(-0x10000), -FixedAtan(0x10000));
  // The largest magnitudes are about 32768, whose arctangent is 89.99825.
  const double atanOfLargest = std::atan(32768.0) * 180.0 / Pi * 65536.0;
  EXPECT_NEAR(FixedAtan(INT32_MAX), atanOfLargest, Millidegree);
  EXPECT_NEAR(FixedAtan(INT32_MIN), -atanOfLargest, Millidegree);
}

TEST(FixedPointTrig, DirectionOfSeededVectors) {
  std::mt19937 rng(99);
  std::uniform_int_distribution<int32_t> coordinate(-1000000, 1000000);
  for (int n = 0; n < 20000; ++n) {
    int32_t x = coordinate(rng);
    int32_t y = coordinate(rng);
    // Beyond a ratio of 32767 the 16.16 quotient saturates, by design.
    if (std::llabs(y) >= 32767 * std::llabs(int64_t{x})) continue;
    Fixed r = FixedAtan2(y, x);
    ASSERT_GT(r, -0xB40000);
    ASSERT_LE(r, 0xB40000);
    double expected = std::atan2(y, x) * 180.0 / Pi * 65536.0;
    ASSERT_NEAR(r, expected, Millidegree) << "FixedAtan2(" << y << ", " << x << ")";
  }
}

}  // namespace
}  // namespace lmr
