#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "player/engine/block_pool.h"
#include "player/render/curve.h"
#include "player/render/edge.h"
#include "player/render/edge_emitter.h"
#include "player/render/fill_style.h"

namespace lmr {
namespace {

struct Emitted {
  std::vector<Edge> edges;
  int32_t depthAfter;
};

Emitted Emit(const Curve& curve, bool clampMode) {
  BlockPool pool;
  pool.initPool(sizeof(Edge), 600);
  FillStyle fill{};
  Edge* list = nullptr;
  EdgeSink sink{&pool, &list, EdgeWinding, &fill, nullptr, clampMode, 0};
  EmitCurveEdge(sink, curve);
  Emitted out{{}, sink.depth};
  while (list) {
    out.edges.push_back(*list);
    Edge* next = list->next;
    pool.freeBlock(list);
    list = next;
  }
  return out;
}

TEST(EdgeEmitter, CurvesFarOffTheViewCostOnePiece) {
  // Curves 2^28 raster units tall, as a huge zoom makes them. One wholly
  // left or right of the view beyond the 16-bit range is one vertical at
  // the range's side over the rows it spans; halving it for height first
  // used to spend 2^16 pieces and then drop them all at the depth limit,
  // so a fill whose left side lies far off the view lost its switch and
  // went wrong on every row. One wholly above or below the view is nothing.
  constexpr int32_t Tall = 1 << 28, Far = 1 << 26;
  const struct {
    const char* name;
    Curve curve;
    bool clampMode;
    size_t edges;
    int32_t x;  // of the vertical, when one
  } cases[] = {
      {"left", MakeCurve(Point{-Far, -Tall}, Point{-2 * Far, 0}, Point{-Far, Tall}), false, 1, -EdgeCoordinateLimit},
      {"left, clamp mode", MakeCurve(Point{-Far, -Tall}, Point{-2 * Far, 0}, Point{-Far, Tall}), true, 1,
       -EdgeCoordinateLimit},
      {"right, running upwards", MakeCurve(Point{Far, Tall}, Point{2 * Far, 0}, Point{Far, -Tall}), true, 1,
       EdgeCoordinateLimit},
      {"below, clamp mode", MakeCurve(Point{0, Far}, Point{Far, Far + Tall}, Point{0, Far + 2 * Tall}), true, 0, 0},
      {"above", MakeCurve(Point{0, -Far - Tall}, Point{Far, -Far - Tall / 2}, Point{0, -Far}), false, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Emitted out = Emit(c.curve, c.clampMode);
    EXPECT_EQ(out.depthAfter, 0);
    ASSERT_EQ(out.edges.size(), c.edges);
    if (c.edges == 0) continue;
    const Edge& e = out.edges[0];
    EXPECT_EQ(e.x0, c.x);
    EXPECT_EQ(e.x1, c.x);
    EXPECT_EQ(e.y0, -EdgeCoordinateLimit);
    EXPECT_EQ(e.y1, EdgeCoordinateLimit);
    EXPECT_EQ(e.dir, c.curve.y1 > c.curve.y0 ? 1 : -1);
  }
}

TEST(EdgeEmitter, TallCurveThroughTheViewStaysWithinTheBand) {
  // A curve through the view in clamp mode, as tall as the depth limit can
  // halve down to MaxCurveHeight: pieces outside the band go before they
  // are halved, so the edges are the band's rows in MaxCurveHeight pieces
  // plus a few per level, not one per piece of the whole height.
  constexpr int32_t Tall = 1 << 23;
  const Emitted out = Emit(MakeCurve(Point{0, -Tall}, Point{1 << 12, 0}, Point{0, Tall}), true);
  EXPECT_EQ(out.depthAfter, 0);
  EXPECT_LE(out.edges.size(), static_cast<size_t>(2 * ClampBand / MaxCurveHeight + 4 * MaxSubdivision));
  int64_t rows = 0;
  for (const Edge& e : out.edges) rows += e.y1 - e.y0;
  EXPECT_GE(rows, 2 * ClampBand);  // every row of the band is switched
}

}  // namespace
}  // namespace lmr
