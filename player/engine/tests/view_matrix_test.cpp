#include "player/engine/view_matrix.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>

#include "player/engine/fixed_point.h"
#include "player/engine/geometry.h"
#include "player/engine/tests/rect_fixture.h"

namespace lmr {
namespace {

struct ViewCase {
  const char* what;
  Rect target;
  bool antialias;
  uint32_t flags;
  Fixed a;
  Fixed d;
  int32_t tx;
  int32_t ty;
};

TEST(ViewMatrix, ScaleModesAndAlignment) {
  const ViewCase cases[] = {
      {"show all, centred", R(0, 275, 0, 400), false, ScaleShowAll, 1638, 1638, 0, 100},
      {"no border", R(0, 275, 0, 400), false, ScaleNoBorder, 3277, 3277, -138, 0},
      {"exact fit", R(0, 275, 0, 400), false, ScaleExactFit, 1638, 3277, 0, 0},
      {"unknown modes fit exactly", R(0, 275, 0, 400), false, 0xF, 1638, 3277, 0, 0},
      {"wide window, centred", R(0, 600, 0, 400), false, ScaleShowAll, 3277, 3277, 25, 0},
      {"wide window, left", R(0, 600, 0, 400), false, AlignLeft, 3277, 3277, 0, 0},
      {"wide window, right", R(0, 600, 0, 400), false, AlignRight, 3277, 3277, 50, 0},
      {"left wins over right", R(0, 600, 0, 400), false, AlignLeft | AlignRight, 3277, 3277, 0, 0},
      {"tall window, top", R(0, 275, 0, 400), false, AlignTop, 1638, 1638, 0, 0},
      {"tall window, bottom", R(0, 275, 0, 400), false, AlignBottom, 1638, 1638, 0, 200},
      {"top wins over bottom", R(0, 275, 0, 400), false, AlignTop | AlignBottom, 1638, 1638, 0, 0},
      {"quarter pixels", R(0, 550, 0, 400), true, ScaleShowAll, 13107, 13107, 0, 0},
      {"quarter pixels, right", R(0, 600, 0, 400), true, AlignRight, 13107, 13107, 200, 0},
      {"target away from the origin", R(100, 375, 50, 450), false, ScaleShowAll, 1638, 1638, 100, 150},
  };
  const Rect frame = R(0, 11000, 0, 8000);
  for (const ViewCase& c : cases) {
    Matrix m = computeViewMatrix(frame, c.target, c.antialias, c.flags);
    SCOPED_TRACE(c.what);
    EXPECT_EQ(m.a, c.a);
    EXPECT_EQ(m.b, 0);
    EXPECT_EQ(m.c, 0);
    EXPECT_EQ(m.d, c.d);
    EXPECT_EQ(m.tx, c.tx);
    EXPECT_EQ(m.ty, c.ty);
  }
}

TEST(ViewMatrix, DegenerateRectanglesGiveFiniteScales) {
  // Sides below 16 units count as 16: a zoom onto one point or a window of
  // zero size still gives a usable matrix.
  Matrix point = computeViewMatrix(R(500, 500, 500, 500), R(0, 160, 0, 160), false, ScaleShowAll);
  EXPECT_EQ(point.a, 0xA0000);
  EXPECT_EQ(point.d, 0xA0000);
  Matrix collapsed = computeViewMatrix(R(0, 11000, 0, 8000), R(0, 0, 0, 0), false, ScaleShowAll);
  EXPECT_EQ(collapsed.a, FixedDiv(16, 11000));
  Matrix empty = computeViewMatrix(Rect{}, R(0, 275, 0, 400), true, ScaleNoBorder);
  EXPECT_GT(empty.a, 0);
  computeViewMatrix(R(INT32_MIN, INT32_MAX, INT32_MIN, INT32_MAX), R(INT32_MIN, INT32_MAX, 0, 1), true, AlignRight);
}

// Show all must put the whole source inside the target, no border must
// cover the whole target, on seeded sizes and offsets.
TEST(ViewMatrix, SeededViewsFitOrCoverTheTarget) {
  std::mt19937 rng(3);
  std::uniform_int_distribution<int32_t> size(16, 60000);
  std::uniform_int_distribution<int32_t> window(16, 2000);
  std::uniform_int_distribution<int32_t> origin(-5000, 5000);
  std::uniform_int_distribution<uint32_t> align(0, 15);
  for (int n = 0; n < 3000; ++n) {
    int32_t sx = origin(rng);
    int32_t sy = origin(rng);
    Rect source = R(sx, sx + size(rng), sy, sy + size(rng));
    Rect target = R(0, window(rng), 0, window(rng));
    bool antialias = n % 2 == 1;
    uint32_t flags = align(rng) << 4;
    Rect device = antialias ? R(0, target.xmax * 4, 0, target.ymax * 4) : target;
    SCOPED_TRACE(::testing::Message() << "source " << source.xmin << ".." << source.xmax << " x " << source.ymin << ".."
                                      << source.ymax << " window " << target.xmax << " x " << target.ymax << " antialias "
                                      << antialias << " flags 0x" << std::hex << flags);

    // Centres are taken with a shift, so an odd-sized source may be off by
    // half a source unit: up to half the scale in device units.
    Matrix all = computeViewMatrix(source, target, antialias, flags | ScaleShowAll);
    int32_t tolerance = 2 + (all.a >> 16);
    Rect shown = transformRect(all, source);
    ASSERT_GE(shown.xmin, device.xmin - tolerance);
    ASSERT_LE(shown.xmax, device.xmax + tolerance);
    ASSERT_GE(shown.ymin, device.ymin - tolerance);
    ASSERT_LE(shown.ymax, device.ymax + tolerance);
    // One axis is filled.
    ASSERT_TRUE(shown.xmax - shown.xmin >= device.xmax - 4 || shown.ymax - shown.ymin >= device.ymax - 4);

    Matrix none = computeViewMatrix(source, target, antialias, flags | ScaleNoBorder);
    tolerance = 2 + (none.a >> 16);
    Rect covered = transformRect(none, source);
    ASSERT_LE(covered.xmin, device.xmin + tolerance);
    ASSERT_GE(covered.xmax, device.xmax - tolerance);
    ASSERT_LE(covered.ymin, device.ymin + tolerance);
    ASSERT_GE(covered.ymax, device.ymax - tolerance);

    Matrix exact = computeViewMatrix(source, target, antialias, flags | ScaleExactFit);
    Rect stretched = transformRect(exact, source);
    ASSERT_NEAR(stretched.xmin, device.xmin, 2 + (exact.a >> 16));
    ASSERT_NEAR(stretched.xmax, device.xmax, 2 + (exact.a >> 16));
    ASSERT_NEAR(stretched.ymin, device.ymin, 2 + (exact.d >> 16));
    ASSERT_NEAR(stretched.ymax, device.ymax, 2 + (exact.d >> 16));
  }
}

}  // namespace
}  // namespace lmr
