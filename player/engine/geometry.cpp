#include "player/engine/geometry.h"

#include "player/engine/fixed_point.h"

namespace lmr {
namespace {

// 32-bit sums wrap like the machine's adds, without undefined behaviour on
// hostile coordinates.
constexpr int32_t wrap(int64_t v) { return static_cast<int32_t>(static_cast<uint32_t>(v)); }
constexpr int32_t add(int32_t a, int32_t b) { return wrap(int64_t{a} + b); }
constexpr int32_t negate(int32_t a) { return wrap(-int64_t{a}); }

// Differences used as lengths or directions saturate instead of wrapping,
// so far-apart points never look close.
constexpr int32_t saturate(int64_t v) {
  return v > INT32_MAX ? INT32_MAX : v < INT32_MIN ? INT32_MIN : static_cast<int32_t>(v);
}
constexpr int32_t subSaturated(int32_t a, int32_t b) { return saturate(int64_t{a} - b); }

constexpr uint32_t magnitude(int32_t v) {
  return v < 0 ? static_cast<uint32_t>(-(int64_t{v})) : static_cast<uint32_t>(v);
}

// Multiplies by 2^k (k >= 0) or shifts right arithmetically by -k.
constexpr int32_t shiftBy(int32_t v, int k) {
  return k >= 0 ? wrap(int64_t{v} * (int64_t{1} << k)) : static_cast<int32_t>(int64_t{v} >> -k);
}

// (a * b) >> s rounded like MulShift, for s up to 62, as a 64-bit value.
constexpr int64_t mulShift64(int32_t a, int32_t b, int s) {
  int64_t p = int64_t{a} * b;
  return (p >> s) + ((p >> (s - 1)) & 1);
}

// Euclidean lengths: L[i] = round(2^20 * sqrt(1 + (i / 64)^2)) for i = 0 to
// 64, and L[65] = L[64] for a ratio of exactly 1.0.
constexpr uint64_t roundedSqrt(uint64_t n) {
  uint64_t lo = 0;
  uint64_t hi = uint64_t{1} << 32;
  while (hi - lo > 1) {  // invariant: lo^2 <= n < hi^2
    uint64_t mid = (lo + hi) / 2;
    if (mid * mid <= n) {
      lo = mid;
    } else {
      hi = mid;
    }
  }
  // n is an integer, so sqrt(n) >= lo + 1/2 exactly when n > lo^2 + lo.
  return n - lo * lo > lo ? lo + 1 : lo;
}

struct LengthTable {
  int32_t entry[66];
};

constexpr LengthTable makeLengthTable() {
  LengthTable t{};
  for (uint64_t i = 0; i <= 64; ++i) {
    // 2^40 * (1 + i^2 / 4096) = 2^40 + i^2 * 2^28
    t.entry[i] = static_cast<int32_t>(roundedSqrt((uint64_t{1} << 40) + ((i * i) << 28)));
  }
  t.entry[65] = t.entry[64];
  return t;
}

constexpr LengthTable LengthFactors = makeLengthTable();
static_assert(LengthFactors.entry[0] == 1048576 && LengthFactors.entry[64] == 1482910, "length table");
static_assert(LengthFactors.entry[48] == 1310720, "length table: 2^20 * 1.25");

// 1/sqrt(2) in 16.16: a width w turns into the vector (w, w) of length
// w * sqrt(2) before it is measured.
constexpr Fixed InverseSqrt2 = 46341;

}  // namespace

// --- Rectangles ---------------------------------------------------------

void rectSetEmpty(Rect& r) { r = Rect{}; }

bool rectIsEmpty(const Rect& r) { return r.xmin == RectEmptyValue; }

Rect rectFromCorners(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  Rect r;
  r.xmin = x1 < x2 ? x1 : x2;
  r.xmax = x1 < x2 ? x2 : x1;
  r.ymin = y1 < y2 ? y1 : y2;
  r.ymax = y1 < y2 ? y2 : y1;
  return r;
}

Rect rectFromPoint(Point p) { return rectFromCorners(p.x, p.y, p.x, p.y); }

Rect rectOffset(int32_t dx, int32_t dy, const Rect& r) {
  if (rectIsEmpty(r)) return Rect{};
  Rect out;
  out.xmin = add(r.xmin, dx);
  out.xmax = add(r.xmax, dx);
  out.ymin = add(r.ymin, dy);
  out.ymax = add(r.ymax, dy);
  return out;
}

Rect rectInset(int32_t amount, const Rect& r) {
  if (rectIsEmpty(r)) return Rect{};
  // The sides saturate: a side near the 32-bit range that wrapped to the
  // far end would turn a huge area into an empty one. xmin stops above
  // the empty marker.
  Rect out;
  const int32_t xmin = saturate(int64_t{r.xmin} + amount);
  out.xmin = xmin == RectEmptyValue ? RectEmptyValue + 1 : xmin;
  out.xmax = saturate(int64_t{r.xmax} - amount);
  out.ymin = saturate(int64_t{r.ymin} + amount);
  out.ymax = saturate(int64_t{r.ymax} - amount);
  return rectNormalize(out);
}

Rect rectNormalize(const Rect& r) {
  if (rectIsEmpty(r) || r.xmax < r.xmin || r.ymax < r.ymin) return Rect{};
  return r;
}

Rect rectUnion(const Rect& r1, const Rect& r2) {
  if (rectIsEmpty(r1)) return rectIsEmpty(r2) ? Rect{} : r2;
  if (rectIsEmpty(r2)) return r1;
  Rect out;
  out.xmin = r1.xmin < r2.xmin ? r1.xmin : r2.xmin;
  out.xmax = r1.xmax > r2.xmax ? r1.xmax : r2.xmax;
  out.ymin = r1.ymin < r2.ymin ? r1.ymin : r2.ymin;
  out.ymax = r1.ymax > r2.ymax ? r1.ymax : r2.ymax;
  return out;
}

Rect rectExtend(Point p, const Rect& r) {
  if (rectIsEmpty(r)) return rectFromPoint(p);
  Rect out = r;
  if (p.x < out.xmin) out.xmin = p.x;
  if (p.x > out.xmax) out.xmax = p.x;
  if (p.y < out.ymin) out.ymin = p.y;
  if (p.y > out.ymax) out.ymax = p.y;
  return out;
}

Rect rectIntersect(const Rect& r1, const Rect& r2) {
  if (rectIsEmpty(r1) || rectIsEmpty(r2)) return Rect{};
  Rect out;
  out.xmin = r1.xmin > r2.xmin ? r1.xmin : r2.xmin;
  out.xmax = r1.xmax < r2.xmax ? r1.xmax : r2.xmax;
  out.ymin = r1.ymin > r2.ymin ? r1.ymin : r2.ymin;
  out.ymax = r1.ymax < r2.ymax ? r1.ymax : r2.ymax;
  return rectNormalize(out);
}

bool rectsOverlap(const Rect& r1, const Rect& r2) {
  // An empty rectangle holds no point, so it overlaps nothing (its fields
  // would otherwise pass the comparisons against another empty one).
  if (rectIsEmpty(r1) || rectIsEmpty(r2)) return false;
  return !(r2.xmax < r1.xmin || r1.xmax < r2.xmin || r2.ymax < r1.ymin || r1.ymax < r2.ymin);
}

bool rectContains(const Rect& r, Point p) {
  // The empty marker would otherwise "contain" the point (-2^31, -2^31).
  if (rectIsEmpty(r)) return false;
  return r.xmin <= p.x && p.x <= r.xmax && r.ymin <= p.y && p.y <= r.ymax;
}

int32_t rectDiagonal(const Rect& r) {
  if (rectIsEmpty(r)) return 0;
  Vector size{subSaturated(r.xmax, r.xmin), subSaturated(r.ymax, r.ymin)};
  return vecLength(size);
}

Point rectCorner(const Rect& r, int index) {
  switch (index & 3) {  // only the low two bits choose a corner
    case 0:
      return Point{r.xmin, r.ymax};
    case 1:
      return Point{r.xmax, r.ymax};
    case 2:
      return Point{r.xmax, r.ymin};
    default:
      return Point{r.xmin, r.ymin};
  }
}

Rect rectFromWinRect(const WinRect& w) { return rectFromCorners(w.left, w.top, w.right, w.bottom); }

WinRect rectToWinRect(const Rect& r) {
  if (rectIsEmpty(r)) return WinRect{};
  WinRect w;
  w.left = r.xmin;
  w.top = r.ymin;
  w.right = r.xmax;
  w.bottom = r.ymax;
  return w;
}

// --- Matrices -----------------------------------------------------------

Matrix matrixIdentity() { return Matrix{}; }

Matrix matrixScale(Fixed sx, Fixed sy) {
  Matrix m;
  m.a = sx;
  m.b = 0;
  m.c = 0;
  m.d = sy;
  m.tx = 0;
  m.ty = 0;
  return m;
}

Matrix matrixConcat(const Matrix& first, const Matrix& then) {
  Matrix m;
  if (first.b == 0 && first.c == 0 && then.b == 0 && then.c == 0) {
    m.a = FixedMul(first.a, then.a);
    m.b = 0;
    m.c = 0;
    m.d = FixedMul(first.d, then.d);
    m.tx = add(FixedMul(first.tx, then.a), then.tx);
    m.ty = add(FixedMul(first.ty, then.d), then.ty);
    return m;
  }
  m.a = add(FixedMul(first.a, then.a), FixedMul(first.b, then.c));
  m.b = add(FixedMul(first.b, then.d), FixedMul(first.a, then.b));
  m.c = add(FixedMul(first.d, then.c), FixedMul(first.c, then.a));
  m.d = add(FixedMul(first.d, then.d), FixedMul(first.c, then.b));
  m.tx = add(add(FixedMul(first.tx, then.a), then.tx), FixedMul(first.ty, then.c));
  m.ty = add(add(FixedMul(first.ty, then.d), then.ty), FixedMul(first.tx, then.b));
  return m;
}

namespace {

// The linear part (a, b, c, d) of the inverse into `out`; false when m is
// singular. A zero scale without rotation inverts to the saturated
// 0x7FFFFFFF, not to a singular matrix.
bool invertLinear(const Matrix& m, Matrix& out) {
  out.tx = 0;
  out.ty = 0;
  if (m.b == 0 && m.c == 0) {
    out.a = FixedDiv(FixedOne, m.a);
    out.d = FixedDiv(FixedOne, m.d);
    out.b = 0;
    out.c = 0;
    return true;
  }

  uint32_t v = magnitude(m.a) | magnitude(m.b) | magnitude(m.c) | magnitude(m.d);
  if (v == 0) return false;

  // Find s with v << s in [2^29, 2^30) (or s = 0 when v >= 2^29): the
  // determinant is then taken with 2 * (16 - s) fraction bits dropped, which
  // keeps it within 32 bits for any coefficients.
  int s = 0;
  while ((v & 0xFF000000u) == 0) {
    v <<= 6;
    s += 6;
  }
  while ((v & 0xE0000000u) == 0) {
    v <<= 1;
    s += 1;
  }

  int g = 2 * (16 - s);
  int64_t det;
  if (g > 0) {
    // g = 32 (a coefficient of 2^29 or more) is beyond MulShift's range of
    // shifts, so the products are taken in 64 bits here throughout.
    // Each rounded product then lies within +-2^30, so the difference
    // fits in 32 bits.
    det = mulShift64(m.a, m.d, g) - mulShift64(m.b, m.c, g);
  } else {
    // Coefficients below 2^14: the plain products fit.
    det = int64_t{m.a} * m.d - int64_t{m.b} * m.c;
    g = 0;
  }
  if (det == 0) return false;

  int k = 16 - g;
  int32_t det32 = static_cast<int32_t>(det);
  out.a = FixedDiv(shiftBy(m.d, k), det32);
  out.b = negate(FixedDiv(shiftBy(m.b, k), det32));
  out.c = negate(FixedDiv(shiftBy(m.c, k), det32));
  out.d = FixedDiv(shiftBy(m.a, k), det32);
  return true;
}

// The low 32 bits of FixedMul of a 16.16 factor and a 64-bit value: bits
// 16 to 47 of the product and its rounding bit 15, which products modulo
// 2^64 keep exact.
uint32_t fixedMulLow32(int32_t factor, uint64_t v) {
  const uint64_t p = static_cast<uint64_t>(int64_t{factor}) * v;
  return static_cast<uint32_t>((p >> 16) + ((p >> 15) & 1));
}

}  // namespace

Matrix matrixInvert(const Matrix& m) {
  Matrix out;
  if (!invertLinear(m, out)) return matrixIdentity();
  Vector t = transformVector(out, Vector{m.tx, m.ty});
  out.tx = negate(t.x);
  out.ty = negate(t.y);
  return out;
}

Matrix matrixInvertWide(const Matrix& linear, int64_t tx, int64_t ty) {
  Matrix out;
  if (!invertLinear(linear, out)) return matrixIdentity();
  const uint64_t x = static_cast<uint64_t>(tx), y = static_cast<uint64_t>(ty);
  out.tx = wrap(-int64_t{static_cast<uint32_t>(fixedMulLow32(out.a, x) + fixedMulLow32(out.c, y))});
  out.ty = wrap(-int64_t{static_cast<uint32_t>(fixedMulLow32(out.d, y) + fixedMulLow32(out.b, x))});
  return out;
}

Point transformPoint(const Matrix& m, Point p) {
  Vector v = transformVector(m, p);
  return Point{add(v.x, m.tx), add(v.y, m.ty)};
}

Vector transformVector(const Matrix& m, Vector v) {
  // The cross terms are skipped for matrices without rotation or skew.
  int32_t x = FixedMul(m.a, v.x);
  if (m.c != 0) x = add(x, FixedMul(m.c, v.y));
  int32_t y = FixedMul(m.d, v.y);
  if (m.b != 0) y = add(y, FixedMul(m.b, v.x));
  return Vector{x, y};
}

Rect transformRect(const Matrix& m, const Rect& r) {
  Rect out;
  if (rectIsEmpty(r)) return out;
  for (int corner = 0; corner < 4; ++corner) {
    out = rectExtend(transformPoint(m, rectCorner(r, corner)), out);
  }
  return out;
}

int32_t scaleWidth(const Matrix& m, int32_t width) {
  Vector v = transformVector(m, Vector{width, width});
  int32_t result = FixedMul(InverseSqrt2, vecLength(v));
  if (width > 0 && result <= 1) result = 1;  // hairlines never vanish
  return result;
}

bool isAxisAligned(const Matrix& m) {
  return magnitude(m.b) <= 16 && magnitude(m.c) <= 16 && m.a > 0 && m.d > 0;
}

// --- Points and vectors -------------------------------------------------

Vector vecScale(Vector v, Fixed s) { return Vector{FixedMul(s, v.x), FixedMul(s, v.y)}; }

Point vecLerp(Point p, Point q, Fixed s) {
  return Point{add(q.x, FixedMul(s, wrap(int64_t{p.x} - q.x))),
               add(q.y, FixedMul(s, wrap(int64_t{p.y} - q.y)))};
}

bool pointsNear(Point p, Point q, int32_t tolerance) {
  int64_t dx = int64_t{p.x} - q.x;
  int64_t dy = int64_t{p.y} - q.y;
  return (dx < 0 ? -dx : dx) <= tolerance && (dy < 0 ? -dy : dy) <= tolerance;
}

int32_t vecLengthApprox(Vector v) {
  uint32_t ax = magnitude(v.x);
  uint32_t ay = magnitude(v.y);
  uint32_t longer = ax > ay ? ax : ay;
  uint32_t shorter = ax > ay ? ay : ax;
  return saturate(int64_t{longer} + shorter - shorter / 2);
}

int32_t vecLength(Vector v) {
  uint32_t ax = magnitude(v.x);
  uint32_t ay = magnitude(v.y);
  uint32_t longer = ax > ay ? ax : ay;
  uint32_t shorter = ax > ay ? ay : ax;
  if (longer == 0) return 0;
  // The ratio shorter / longer in 16.16 (0 to 0x10000); 2^31 is taken as
  // 2^31 - 1 like every magnitude the divide sees.
  int32_t t = FixedDiv(saturate(shorter), saturate(longer));
  int32_t i = t >> 10;  // 0 to 64
  int32_t f = t & 0x3FF;
  int64_t r = ((1024 - f) * int64_t{LengthFactors.entry[i]} + f * int64_t{LengthFactors.entry[i + 1]}) >> 14;
  // longer * r in 16.16, rounded like FixedMul; lengths beyond 2^31 - 1 saturate.
  int64_t p = int64_t{longer} * r;
  return saturate((p >> 16) + ((p >> 15) & 1));
}

int32_t pointDistance(Point p, Point q) {
  return vecLength(Vector{subSaturated(p.x, q.x), subSaturated(p.y, q.y)});
}

int32_t halfMaxDelta(Point p, Point q) {
  int64_t dx = int64_t{p.x} - q.x;
  int64_t dy = int64_t{p.y} - q.y;
  if (dx < 0) dx = -dx;
  if (dy < 0) dy = -dy;
  return static_cast<int32_t>((dx > dy ? dx : dy) >> 1);  // below 2^31 for any points
}

Fixed vecAngle(Point p, const Point* q) {
  if (q == nullptr) return FixedAtan2(p.y, p.x);
  return FixedAtan2(subSaturated(p.y, q->y), subSaturated(p.x, q->x));
}

Point polarPoint(int32_t length, Fixed angle, const Point* origin) {
  Point p{FixedMul(length, FixedCos(angle)), FixedMul(length, FixedSin(angle))};
  if (origin != nullptr) {
    p.x = add(p.x, origin->x);
    p.y = add(p.y, origin->y);
  }
  return p;
}

Vector vecSetLength(Vector v, int32_t length) {
  int32_t current = vecLength(v);
  if (current <= 0) return v;
  Fixed factor = FixedDiv(length, current);
  return Vector{FixedMul(v.x, factor), FixedMul(v.y, factor)};
}

}  // namespace lmr
