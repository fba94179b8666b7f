#include "player/engine/view_matrix.h"

#include "player/engine/fixed_point.h"

namespace lmr {
namespace {

// Sides below this many units are taken as this long.
constexpr int64_t MinimumSide = 16;

constexpr int32_t saturate(int64_t v) {
  return v > INT32_MAX ? INT32_MAX : v < INT32_MIN ? INT32_MIN : static_cast<int32_t>(v);
}

int32_t side(int32_t low, int32_t high) {
  int64_t length = int64_t{high} - low;
  return saturate(length > MinimumSide ? length : MinimumSide);
}

int32_t centre(int32_t low, int32_t high) { return static_cast<int32_t>((int64_t{low} + high) >> 1); }

struct Anchor {
  int32_t source;
  int32_t target;
};

// The source coordinate that lands on the target coordinate on one axis:
// the low edges, else the high edges, else the centres.
Anchor anchorOf(bool low, bool high, int32_t sourceMin, int32_t sourceMax, int32_t targetMin, int32_t targetMax) {
  if (low) return Anchor{sourceMin, targetMin};
  if (high) return Anchor{sourceMax, targetMax};
  return Anchor{centre(sourceMin, sourceMax), centre(targetMin, targetMax)};
}

}  // namespace

Matrix computeViewMatrix(const Rect& source, const Rect& target, bool antialias, uint32_t viewFlags) {
  Rect t = target;
  if (antialias) {
    t.xmin = saturate(int64_t{t.xmin} * AntialiasFactor);
    t.xmax = saturate(int64_t{t.xmax} * AntialiasFactor);
    t.ymin = saturate(int64_t{t.ymin} * AntialiasFactor);
    t.ymax = saturate(int64_t{t.ymax} * AntialiasFactor);
  }

  Fixed sx = FixedDiv(side(t.xmin, t.xmax), side(source.xmin, source.xmax));
  Fixed sy = FixedDiv(side(t.ymin, t.ymax), side(source.ymin, source.ymax));
  switch (viewFlags & ScaleModeMask) {
    case ScaleShowAll:
      sx = sy = sx < sy ? sx : sy;
      break;
    case ScaleNoBorder:
      sx = sy = sx > sy ? sx : sy;
      break;
    default:  // exact fit: both kept
      break;
  }

  Anchor h = anchorOf(viewFlags & AlignLeft, viewFlags & AlignRight, source.xmin, source.xmax, t.xmin, t.xmax);
  Anchor v = anchorOf(viewFlags & AlignTop, viewFlags & AlignBottom, source.ymin, source.ymax, t.ymin, t.ymax);

  Matrix m;
  m.a = sx;
  m.b = 0;
  m.c = 0;
  m.d = sy;
  m.tx = saturate(int64_t{h.target} - FixedMul(h.source, sx));
  m.ty = saturate(int64_t{v.target} - FixedMul(v.source, sy));
  return m;
}

}  // namespace lmr
