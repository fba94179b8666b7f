#include "player/engine/geometry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <ostream>
#include <random>

#include "player/engine/fixed_point.h"
#include "player/engine/tests/rect_fixture.h"

namespace lmr {

// Readable failure messages for the shared records.
void PrintTo(const Rect& r, std::ostream* os) {
  if (rectIsEmpty(r)) {
    *os << "(empty)";
  } else {
    *os << "(x " << r.xmin << ".." << r.xmax << ", y " << r.ymin << ".." << r.ymax << ")";
  }
}
void PrintTo(const Matrix& m, std::ostream* os) {
  *os << "(a " << m.a << ", b " << m.b << ", c " << m.c << ", d " << m.d << ", tx " << m.tx
      << ", ty " << m.ty << ")";
}
void PrintTo(const Point& p, std::ostream* os) { *os << "(" << p.x << ", " << p.y << ")"; }

namespace {

constexpr Rect Empty{};

Matrix M(Fixed a, Fixed b, Fixed c, Fixed d, int32_t tx = 0, int32_t ty = 0) {
  Matrix m;
  m.a = a;
  m.b = b;
  m.c = c;
  m.d = d;
  m.tx = tx;
  m.ty = ty;
  return m;
}

struct PairCase {
  Rect r1;
  Rect r2;
  Rect unionOf;
  Rect intersection;
  bool overlap;
};

TEST(GeometryRects, UnionIntersectionAndOverlapInBothOrders) {
  const PairCase cases[] = {
      {Empty, Empty, Empty, Empty, false},
      {Empty, R(0, 10, 0, 10), R(0, 10, 0, 10), Empty, false},
      {R(0, 10, 0, 10), R(11, 20, 0, 10), R(0, 20, 0, 10), Empty, false},
      {R(0, 10, 0, 10), R(0, 10, 11, 20), R(0, 10, 0, 20), Empty, false},
      {R(0, 10, 0, 10), R(10, 20, 10, 20), R(0, 20, 0, 20), R(10, 10, 10, 10), true},
      {R(0, 10, 0, 10), R(2, 5, -5, 3), R(0, 10, -5, 10), R(2, 5, 0, 3), true},
      {R(-5, 5, -5, 5), R(-1, 1, -1, 1), R(-5, 5, -5, 5), R(-1, 1, -1, 1), true},
  };
  for (const PairCase& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.r1) + " with " + ::testing::PrintToString(c.r2));
    EXPECT_EQ(rectUnion(c.r1, c.r2), c.unionOf);
    EXPECT_EQ(rectUnion(c.r2, c.r1), c.unionOf);
    EXPECT_EQ(rectIntersect(c.r1, c.r2), c.intersection);
    EXPECT_EQ(rectIntersect(c.r2, c.r1), c.intersection);
    EXPECT_EQ(rectsOverlap(c.r1, c.r2), c.overlap);
    EXPECT_EQ(rectsOverlap(c.r2, c.r1), c.overlap);
  }
}

TEST(GeometryRects, InsetOffsetAndNormalizeKeepEmptyEmpty) {
  struct InsetCase {
    int32_t amount;
    Rect in;
    Rect out;
  };
  const InsetCase insets[] = {
      {-2, R(5, 5, 5, 5), R(3, 7, 3, 7)},
      {3, R(5, 5, 5, 5), Empty},
      {5, R(0, 10, 0, 20), R(5, 5, 5, 15)},
      {6, R(0, 10, 0, 20), Empty},
      {-1, Empty, Empty},  // an empty rectangle is not enlarged into a real one
      // Fault "one huge object cancels a redraw": sides near the 32-bit
      // range wrapped to the far end and the enlarged area became empty.
      // They saturate; xmin stops above the empty marker.
      {-2, R(-10, INT32_MAX - 1, 0, 10), R(-12, INT32_MAX, -2, 12)},
      {-2, R(INT32_MIN + 1, 0, INT32_MIN + 1, INT32_MAX), R(INT32_MIN + 1, 2, INT32_MIN, INT32_MAX)},
      {INT32_MIN, R(0, 10, 0, 10), R(INT32_MIN + 1, INT32_MAX, INT32_MIN, INT32_MAX)},
      {INT32_MAX, R(-10, 10, -10, 10), Empty},
  };
  for (const InsetCase& c : insets) {
    EXPECT_EQ(rectInset(c.amount, c.in), c.out) << "inset " << c.amount << " of " << ::testing::PrintToString(c.in);
  }
  EXPECT_EQ(rectOffset(1, -2, R(0, 10, 0, 10)), R(1, 11, -2, 8));
  EXPECT_EQ(rectOffset(1, 1, Empty), Empty);
  EXPECT_EQ(rectNormalize(R(5, 4, 0, 0)), Empty);
  EXPECT_EQ(rectNormalize(R(0, 0, 5, 4)), Empty);
  EXPECT_EQ(rectNormalize(R(0, 0, 4, 4)), R(0, 0, 4, 4));
  Rect r = R(1, 2, 3, 4);
  rectSetEmpty(r);
  EXPECT_TRUE(rectIsEmpty(r));
  EXPECT_EQ(r, Empty);
}

TEST(GeometryRects, PointsCornersAndWindowRects) {
  EXPECT_EQ(rectFromCorners(10, -3, -4, 7), R(-4, 10, -3, 7));
  EXPECT_EQ(rectFromPoint(Point{3, 4}), R(3, 3, 4, 4));
  EXPECT_EQ(rectExtend(Point{3, 4}, Empty), R(3, 3, 4, 4));
  EXPECT_EQ(rectExtend(Point{-1, 9}, R(0, 5, 0, 5)), R(-1, 5, 0, 9));

  const Rect box = R(0, 10, 0, 20);
  const struct {
    Point p;
    bool inside;
  } contains[] = {{{0, 0}, true}, {{10, 20}, true}, {{5, 21}, false}, {{-1, 5}, false}, {{11, 5}, false}};
  for (const auto& c : contains) {
    EXPECT_EQ(rectContains(box, c.p), c.inside) << ::testing::PrintToString(c.p);
  }
  // The empty marker's own fields are not a point inside it.
  EXPECT_FALSE(rectContains(Empty, Point{INT32_MIN, INT32_MIN}));

  EXPECT_EQ(rectCorner(box, 0), (Point{0, 20}));
  EXPECT_EQ(rectCorner(box, 1), (Point{10, 20}));
  EXPECT_EQ(rectCorner(box, 2), (Point{10, 0}));
  EXPECT_EQ(rectCorner(box, 3), (Point{0, 0}));

  EXPECT_EQ(rectDiagonal(R(0, 300, 0, 400)), 500);
  EXPECT_EQ(rectDiagonal(Empty), 0);
  EXPECT_EQ(rectDiagonal(R(INT32_MIN + 1, INT32_MAX, 0, 0)), INT32_MAX);  // saturates

  WinRect w;
  w.left = 30;
  w.top = 40;
  w.right = 10;
  w.bottom = 5;
  EXPECT_EQ(rectFromWinRect(w), R(10, 30, 5, 40));
  WinRect back = rectToWinRect(R(10, 30, 5, 40));
  EXPECT_EQ(back.left, 10);
  EXPECT_EQ(back.top, 5);
  EXPECT_EQ(back.right, 30);
  EXPECT_EQ(back.bottom, 40);
  WinRect none = rectToWinRect(Empty);
  EXPECT_EQ(none.left | none.top | none.right | none.bottom, 0);
}

TEST(GeometryMatrices, TransformPointsAndRects) {
  const Matrix rotate90 = M(0, 0x10000, -0x10000, 0);
  EXPECT_EQ(transformRect(rotate90, R(0, 100, 0, 50)), R(-50, 0, 0, 100));
  EXPECT_EQ(transformRect(rotate90, Empty), Empty);
  EXPECT_EQ(transformPoint(rotate90, Point{3, 7}), (Point{-7, 3}));
  const Matrix skew = M(0x10000, 0, 0x8000, 0x20000, 10, -10);
  EXPECT_EQ(transformPoint(skew, Point{4, 6}), (Point{17, 2}));
  EXPECT_EQ(transformVector(skew, Point{4, 6}), (Point{7, 12}));
  EXPECT_EQ(transformPoint(M(0x8000, 0, 0, 0x8000), Point{-3, 3}), (Point{-1, 2}));  // halves round up
}

TEST(GeometryMatrices, ConcatAppliesFirstThenSecond) {
  const Matrix scale2 = M(0x20000, 0, 0, 0x20000);
  const Matrix shift = M(0x10000, 0, 0, 0x10000, 10, 20);
  EXPECT_EQ(matrixConcat(scale2, shift), M(0x20000, 0, 0, 0x20000, 10, 20));
  EXPECT_EQ(matrixConcat(shift, scale2), M(0x20000, 0, 0, 0x20000, 20, 40));
  const Matrix rotate90 = M(0, 0x10000, -0x10000, 0, 5, 0);
  EXPECT_EQ(matrixConcat(rotate90, rotate90), M(-0x10000, 0, 0, -0x10000, 5, 5));
  EXPECT_EQ(matrixConcat(matrixIdentity(), rotate90), rotate90);
  EXPECT_EQ(matrixScale(3, 4), M(3, 0, 0, 4));
}

// Random rotations, scales and skews: the product must map points as the
// two matrices do one after the other (catches swapped cross terms).
TEST(GeometryMatrices, ConcatMatchesSuccessiveTransformsOnSeededMatrices) {
  std::mt19937 rng(2024);
  std::uniform_int_distribution<int32_t> coefficient(-0x30000, 0x30000);
  std::uniform_int_distribution<int32_t> offset(-5000, 5000);
  std::uniform_int_distribution<int32_t> coordinate(-2000, 2000);
  for (int n = 0; n < 2000; ++n) {
    Matrix first = M(coefficient(rng), coefficient(rng), coefficient(rng), coefficient(rng), offset(rng), offset(rng));
    Matrix then = M(coefficient(rng), coefficient(rng), coefficient(rng), coefficient(rng), offset(rng), offset(rng));
    if (n % 4 == 0) first.b = first.c = then.b = then.c = 0;  // the axis-aligned path
    Matrix both = matrixConcat(first, then);
    Point p{coordinate(rng), coordinate(rng)};
    Point stepwise = transformPoint(then, transformPoint(first, p));
    Point direct = transformPoint(both, p);
    // Each route rounds differently; coefficients below 3 and coordinates
    // below 2000 bound the difference by a few units.
    ASSERT_LE(std::abs(stepwise.x - direct.x), 12) << "first " << ::testing::PrintToString(first) << " then "
                                                   << ::testing::PrintToString(then) << " p " << ::testing::PrintToString(p);
    ASSERT_LE(std::abs(stepwise.y - direct.y), 12) << "first " << ::testing::PrintToString(first) << " then "
                                                   << ::testing::PrintToString(then) << " p " << ::testing::PrintToString(p);
  }
}

struct InvertCase {
  const char* what;
  Matrix m;
  Matrix inverse;
};

TEST(GeometryMatrices, InvertListedMatrices) {
  const InvertCase cases[] = {
      {"scale by 2", M(0x20000, 0, 0, 0x20000, 100, -50), M(0x8000, 0, 0, 0x8000, -50, 25)},
      {"90 degrees scaled by 40", M(0, 0x280000, -0x280000, 0), M(0, -0x666, 0x666, 0)},
      {"90 degrees scaled by 200", M(0, 0xC80000, -0xC80000, 0), M(0, -0x148, 0x148, 0)},
      {"singular", M(1, 1, 1, 1, 7, 7), matrixIdentity()},
      {"zero scale saturates", M(0, 0, 0, 0x10000), M(INT32_MAX, 0, 0, 0x10000)},
      // Coefficients of 2^29 and more take the 64-bit determinant.
      {"90 degrees scaled by 16384", M(0, 0x40000000, -0x40000000, 0, 0, 0), M(0, -4, 4, 0)},
      {"rotation by 90 with offset", M(0, 0x10000, -0x10000, 0, 10, 20), M(0, -0x10000, 0x10000, 0, -20, 10)},
  };
  for (const InvertCase& c : cases) {
    EXPECT_EQ(matrixInvert(c.m), c.inverse) << c.what;
  }
}

TEST(GeometryMatrices, InvertOfExtremeCoefficientsStaysDefined) {
  const Matrix extremes[] = {
      M(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MIN, INT32_MIN, INT32_MAX),
      M(INT32_MIN, INT32_MIN, INT32_MIN, INT32_MIN),
      M(INT32_MAX, 1, 0, INT32_MAX, INT32_MAX, INT32_MIN),
      M(0x20000000, -0x20000000, 0x20000000, 0x20000000),
  };
  for (const Matrix& m : extremes) matrixInvert(m);  // must not trip the sanitizers
  // Determinant 2 * 8192^2, so each inverse term is 8192 / det = 1/16384.
  Matrix inv = matrixInvert(M(0x20000000, -0x20000000, 0x20000000, 0x20000000));
  EXPECT_EQ(inv, M(4, 4, -4, 4));
}

// Well-conditioned random matrices (rotation times unequal scales): the
// inverse composed with the matrix is the identity within rounding.
TEST(GeometryMatrices, InverseComposesToIdentityOnSeededMatrices) {
  std::mt19937 rng(31337);
  std::uniform_int_distribution<int32_t> angle(0, Degrees360 - 1);
  std::uniform_int_distribution<int32_t> scale(0x2000, 0x140000);  // 0.125 to 20
  std::uniform_int_distribution<int32_t> offset(-100000, 100000);
  std::uniform_int_distribution<int32_t> coordinate(-3000, 3000);
  for (int n = 0; n < 3000; ++n) {
    Fixed theta = (n % 5 == 0) ? 0 : angle(rng);
    Fixed sx = scale(rng);
    Fixed sy = scale(rng);
    Fixed cs = FixedCos(theta);
    Fixed sn = FixedSin(theta);
    Matrix m = M(FixedMul(sx, cs), FixedMul(sx, sn), -FixedMul(sy, sn), FixedMul(sy, cs), offset(rng), offset(rng));
    Matrix inv = matrixInvert(m);
    Matrix product = matrixConcat(m, inv);
    // The inverse's coefficients carry 16 fraction bits, so the product is
    // off by about (largest coefficient of m) / 65536 per term.
    int32_t big = std::max(std::max(std::abs(m.a), std::abs(m.b)), std::max(std::abs(m.c), std::abs(m.d)));
    int32_t tolerance = 4 + big / 0x10000 * 2;
    SCOPED_TRACE(::testing::PrintToString(m) + " inverted to " + ::testing::PrintToString(inv));
    ASSERT_LE(std::abs(product.a - 0x10000), tolerance);
    ASSERT_LE(std::abs(product.b), tolerance);
    ASSERT_LE(std::abs(product.c), tolerance);
    ASSERT_LE(std::abs(product.d - 0x10000), tolerance);
    // m(p) is rounded to whole units, and the inverse magnifies that
    // rounding by up to its own largest coefficient.
    int32_t bigInverse = std::max(std::max(std::abs(inv.a), std::abs(inv.b)), std::max(std::abs(inv.c), std::abs(inv.d)));
    int32_t pointTolerance = 3 + bigInverse / 0x10000;
    Point p{coordinate(rng), coordinate(rng)};
    Point back = transformPoint(inv, transformPoint(m, p));
    ASSERT_LE(std::abs(back.x - p.x), pointTolerance) << ::testing::PrintToString(p) << " came back as " << ::testing::PrintToString(back);
    ASSERT_LE(std::abs(back.y - p.y), pointTolerance) << ::testing::PrintToString(p) << " came back as " << ::testing::PrintToString(back);
  }
}

// The inverse with a translation wider than 32 bits (fills' style matrices)
// is matrixInvert's wherever the translation fits, field for field, also
// where the inverse saturates (near-zero scales) and its translation wraps.
TEST(GeometryMatrices, WideInverseAgreesWithInvert) {
  std::mt19937 rng(4242);
  std::uniform_int_distribution<int32_t> coefficient(-0x400000, 0x400000);
  std::uniform_int_distribution<int32_t> tiny(-200, 200);
  std::uniform_int_distribution<int32_t> any(INT32_MIN, INT32_MAX);
  for (int n = 0; n < 20000; ++n) {
    Matrix m = n % 3 == 0 ? M(tiny(rng), 0, 0, tiny(rng)) : M(coefficient(rng), 0, 0, coefficient(rng));
    if (n % 2 == 1) {
      m.b = coefficient(rng);
      m.c = coefficient(rng);
    }
    m.tx = any(rng);
    m.ty = any(rng);
    Matrix linear = m;
    linear.tx = linear.ty = 0;
    const Matrix wide = matrixInvertWide(linear, m.tx, m.ty);
    ASSERT_EQ(wide, matrixInvert(m)) << ::testing::PrintToString(m);
  }
  // A scale by 4096 placed 2^40 units out: no 32-bit translation holds
  // that, but the images of device points fit, and they come out exact.
  const Matrix grow = M(0x10000000, 0, 0, 0x10000000);
  const int64_t far = int64_t{1} << 40;
  const Matrix inverse = matrixInvertWide(grow, far, -far);
  EXPECT_EQ(transformPoint(inverse, Point{0, 0}), (Point{-(1 << 28), 1 << 28}));
  EXPECT_EQ(transformPoint(inverse, Point{5 * 4096, -5 * 4096}), (Point{5 - (1 << 28), (1 << 28) - 5}));
}

TEST(GeometryMatrices, ScaleWidthAndAxisAlignment) {
  struct WidthCase {
    Matrix m;
    int32_t width;
    int32_t expected;
  };
  const WidthCase widths[] = {
      {matrixIdentity(), 20, 20},
      {M(0x20000, 0, 0, 0x20000), 20, 40},
      {M(6554, 0, 0, 6554), 1, 1},  // a hairline under a scale by 0.1 stays 1
      {M(6554, 0, 0, 6554), 0, 0},
      {M(0, 0x40000, -0x40000, 0), 5, 20},  // rotation keeps the width
  };
  for (const WidthCase& c : widths) {
    EXPECT_EQ(scaleWidth(c.m, c.width), c.expected) << ::testing::PrintToString(c.m) << " width " << c.width;
  }
  struct AlignedCase {
    Matrix m;
    bool aligned;
  };
  const AlignedCase aligned[] = {
      {matrixIdentity(), true},          {M(0x10000, 16, -16, 0x10000), true},
      {M(0x10000, 17, 0, 0x10000), false}, {M(0x10000, 0, INT32_MIN, 0x10000), false},
      {M(0, 0, 0, 0x10000), false},       {M(0x10000, 0, 0, -0x10000), false},
  };
  for (const AlignedCase& c : aligned) {
    EXPECT_EQ(isAxisAligned(c.m), c.aligned) << ::testing::PrintToString(c.m);
  }
}

TEST(GeometryVectors, LengthsByTable) {
  struct LengthCase {
    Vector v;
    int32_t exact;
    int32_t approx;
  };
  const LengthCase cases[] = {
      {{1000, 0}, 1000, 1000},
      {{300, 400}, 500, 550},
      {{-300, -400}, 500, 550},
      {{0, -7}, 7, 7},
      {{0, 0}, 0, 0},
      {{1000, 1000}, 1414, 1500},
      {{INT32_MIN, 0}, INT32_MAX, INT32_MAX},  // beyond 2^31 - 1 saturates
      {{INT32_MAX, INT32_MAX}, INT32_MAX, INT32_MAX},
  };
  for (const LengthCase& c : cases) {
    EXPECT_EQ(vecLength(c.v), c.exact) << ::testing::PrintToString(c.v);
    EXPECT_EQ(vecLengthApprox(c.v), c.approx) << ::testing::PrintToString(c.v);
  }
  EXPECT_EQ(pointDistance(Point{10, 10}, Point{-290, 410}), 500);
}

TEST(GeometryVectors, SeededLengthsMatchEuclid) {
  std::mt19937 rng(5);
  std::uniform_int_distribution<int32_t> coordinate(-20000000, 20000000);
  for (int n = 0; n < 20000; ++n) {
    Vector v{coordinate(rng) >> (n % 20), coordinate(rng) >> (n % 13)};
    double expected = std::hypot(static_cast<double>(v.x), static_cast<double>(v.y));
    ASSERT_NEAR(vecLength(v), expected, 1.0 + expected * 1e-4) << ::testing::PrintToString(v);
  }
}

TEST(GeometryVectors, InterpolationDistancesAndDirections) {
  const Point p{100, -40};
  const Point q{20, 60};
  EXPECT_EQ(vecLerp(p, q, 0), q);
  EXPECT_EQ(vecLerp(p, q, 0x10000), p);
  EXPECT_EQ(vecLerp(p, q, 0x8000), (Point{60, 10}));
  EXPECT_EQ(vecScale(Vector{10, -3}, 0x18000), (Vector{15, -4}));

  EXPECT_TRUE(pointsNear(Point{0, 0}, Point{2, -2}, 2));
  EXPECT_FALSE(pointsNear(Point{0, 0}, Point{3, 0}, 2));
  EXPECT_FALSE(pointsNear(Point{INT32_MIN, 0}, Point{INT32_MAX, 0}, 2));  // no wrap-around

  EXPECT_EQ(halfMaxDelta(Point{0, 0}, Point{7, -3}), 3);
  EXPECT_EQ(halfMaxDelta(Point{INT32_MIN, 0}, Point{INT32_MAX, 0}), INT32_MAX);

  EXPECT_EQ(vecAngle(Point{0, 5}, nullptr), Degrees90);
  const Point origin{10, 10};
  EXPECT_EQ(vecAngle(Point{0, 10}, &origin), Degrees180);

  EXPECT_EQ(polarPoint(100, 0, nullptr), (Point{100, 0}));
  EXPECT_EQ(polarPoint(100, Degrees90, nullptr), (Point{0, 100}));
  EXPECT_EQ(polarPoint(100, Degrees180, &origin), (Point{-90, 10}));
  EXPECT_EQ(polarPoint(200, 0x1E0000, nullptr), (Point{173, 100}));

  EXPECT_EQ(vecSetLength(Vector{3, 4}, 10), (Vector{6, 8}));
  EXPECT_EQ(vecSetLength(Vector{0, 0}, 10), (Vector{0, 0}));
  EXPECT_EQ(vecSetLength(Vector{-30, 0}, 5), (Vector{-5, 0}));
}

}  // namespace
}  // namespace lmr
