#include "bench/scene.h"

#include <cmath>

namespace lmr::bench {

namespace {

// A small fixed generator: the scene must not depend on the C++ library.
struct Random {
  uint32_t state;
  uint32_t next() {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
  }
  // Uniform in [lo, hi].
  int32_t range(int32_t lo, int32_t hi) { return lo + static_cast<int32_t>(next() % static_cast<uint32_t>(hi - lo + 1)); }
  double unit() { return (next() >> 8) / 16777216.0; }
  Color color() {
    return Color{static_cast<uint8_t>(next() >> 24), static_cast<uint8_t>(next() >> 24),
                 static_cast<uint8_t>(next() >> 24)};
  }
};

constexpr double Pi = 3.14159265358979323846;

Point Polar(int32_t cx, int32_t cy, double radius, double angle) {
  return Point{cx + static_cast<int32_t>(std::lround(radius * std::cos(angle))),
               cy + static_cast<int32_t>(std::lround(radius * std::sin(angle)))};
}

void Widen(SceneShape& s, Point p) {
  if (p.x < s.xmin) s.xmin = p.x;
  if (p.x > s.xmax) s.xmax = p.x;
  if (p.y < s.ymin) s.ymin = p.y;
  if (p.y > s.ymax) s.ymax = p.y;
}

int32_t ToFixed(double v) { return static_cast<int32_t>(std::lround(v * 65536.0)); }

}  // namespace

std::vector<SceneShape> MakeScene(int32_t count, uint32_t seed) {
  Random random{seed ? seed : 1};
  std::vector<SceneShape> scene;
  scene.reserve(static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i) {
    SceneShape s{};
    const int32_t radius = random.range(8, 60) * UnitsPerPixel;
    // Controls reach out up to 1.3 radii: keep the whole shape inside.
    const int32_t reach = radius * 13 / 10 + 4 * UnitsPerPixel;
    const int32_t cx = random.range(reach, FrameWidth * UnitsPerPixel - reach);
    const int32_t cy = random.range(reach, FrameHeight * UnitsPerPixel - reach);
    const double turn = random.unit() * 2 * Pi;
    // Anchors on a wobbly circle, controls between them pushed out or in:
    // a simple (not self-crossing) blob.
    Point anchors[SegmentsPerShape];
    for (int32_t k = 0; k < SegmentsPerShape; ++k) {
      anchors[k] = Polar(cx, cy, radius * (0.7 + 0.3 * random.unit()), turn + k * Pi / 3);
    }
    s.start = anchors[0];
    s.xmin = s.xmax = s.start.x;
    s.ymin = s.ymax = s.start.y;
    for (int32_t k = 0; k < SegmentsPerShape; ++k) {
      s.controls[k] = Polar(cx, cy, radius * (0.8 + 0.5 * random.unit()), turn + (k + 0.5) * Pi / 3);
      s.anchors[k] = anchors[(k + 1) % SegmentsPerShape];
      Widen(s, s.controls[k]);
      Widen(s, s.anchors[k]);
    }
    const uint32_t kind = random.next() % 100;
    s.paint = kind < 10 ? Paint::Linear : kind < 15 ? Paint::Radial : Paint::Solid;
    s.color = random.color();
    if (s.paint != Paint::Solid) {
      // The gradient square (32768 gradient units) spans the shape's diameter.
      const double scale = 2.0 * radius / 32768.0;
      const double angle = random.unit() * 2 * Pi;
      s.gradient = GradientMatrix{ToFixed(scale * std::cos(angle)), ToFixed(scale * std::sin(angle)),
                                  ToFixed(-scale * std::sin(angle)), ToFixed(scale * std::cos(angle)), cx, cy};
      const int32_t stops = random.range(2, 3);
      for (int32_t k = 0; k < stops; ++k) {
        s.stops.push_back(Stop{static_cast<uint8_t>(k * 255 / (stops - 1)), random.color()});
      }
    }
    s.strokePixels = random.next() % 100 < 20 ? random.range(1, 4) : 0;
    s.strokeColor = random.color();
    scene.push_back(s);
  }
  return scene;
}

}  // namespace lmr::bench
