// Small scenes for renderer tests: memory targets of any pixel format and a
// RasterContext driven by hand-made edges and fills.
#pragma once

#include <cstdint>
#include <cstring>
#include <deque>
#include <ostream>
#include <string>
#include <utility>

#include "player/engine/records.h"
#include "player/render/color_table.h"
#include "player/render/edge.h"
#include "player/render/fill_prepare.h"
#include "player/render/fill_style.h"
#include "player/render/offscreen.h"
#include "player/render/pixel_format.h"
#include "player/render/pixel_tables.h"
#include "player/render/raster_context.h"

namespace lmr {

// For comparing and printing colours in expectations.
inline bool operator==(const Rgb& a, const Rgb& b) {
  return a.red == b.red && a.green == b.green && a.blue == b.blue;
}
inline void PrintTo(const Rgb& c, std::ostream* os) {
  *os << "(" << c.red << ", " << c.green << ", " << c.blue << ")";
}

}  // namespace lmr

namespace lmr::test {

// A memory offscreen that releases itself.
struct TestTarget {
  Offscreen offscreen;

  TestTarget(int32_t format, int32_t width, int32_t height, bool bottomUp = false,
             ColorTable* table = nullptr) {
    created = createOffscreenFormat(offscreen, format, table, width, height, bottomUp);
  }
  ~TestTarget() { releaseBitmap(offscreen); }
  TestTarget(const TestTarget&) = delete;
  TestTarget& operator=(const TestTarget&) = delete;

  bool created = false;

  uint8_t* row(int32_t y) const { return OffscreenRow(offscreen, y); }

  // The stored value: palette index or packed pixel.
  uint32_t raw(int32_t x, int32_t y) const { return ReadStoredPixel(row(y), offscreen.formatIndex, x); }

  // The colour shown, 5- and 6-bit channels widened by bit copying.
  Rgb pixel(int32_t x, int32_t y) const { return OffscreenPixelColor(offscreen, x, y); }

  // Every byte of the 32-bit target set to one colour.
  void clear32(const Rgb& c) {
    for (int32_t y = 0; y < offscreen.height; ++y) {
      for (int32_t x = 0; x < offscreen.width; ++x) {
        const uint32_t v = static_cast<uint32_t>(c.red << 16 | c.green << 8 | c.blue);
        std::memcpy(row(y) + 4 * x, &v, 4);
      }
    }
  }
};

// Fills and edges in stable storage, and a context to paint them with.
struct Scene {
  RasterContext context;
  struct SceneFill {
    FillStyle fill;
    bool custom;  // painted by a test painter, never prepared
  };
  std::deque<SceneFill> fills;
  std::deque<Edge> edges;
  Edge* head = nullptr;

  Scene() { InitRasterContext(context); }
  ~Scene() {
    for (SceneFill& f : fills) ReleaseFill(f.fill);
    DestroyRasterContext(context);
  }
  Scene(const Scene&) = delete;
  Scene& operator=(const Scene&) = delete;

  FillStyle& solid(int32_t red, int32_t green, int32_t blue, uint32_t priority) {
    fills.push_back(SceneFill{FillStyle{}, false});
    FillStyle& f = fills.back().fill;
    InitFill(f, &context);
    f.red = red;
    f.green = green;
    f.blue = blue;
    f.priority = priority;
    return f;
  }

  // A fill painted by the given painter, never prepared again.
  FillStyle& custom(Painter painter, uint32_t priority) {
    FillStyle& f = solid(0, 0, 0, priority);
    f.painter = painter;
    f.prepared = true;
    fills.back().custom = true;
    return f;
  }

  Edge& curve(FillStyle& fill, int32_t x0, int32_t y0, int32_t cx, int32_t cy, int32_t x1,
              int32_t y1, bool straight, uint8_t kind = EdgeEvenOdd, FillStyle* fillB = nullptr) {
    edges.emplace_back();
    Edge& e = edges.back();
    e = Edge{};
    int8_t dir = 1;
    if (y1 < y0) {
      dir = -1;
      std::swap(x0, x1);
      std::swap(y0, y1);
    }
    e.x0 = static_cast<int16_t>(x0);
    e.y0 = static_cast<int16_t>(y0);
    e.cx = static_cast<int16_t>(cx);
    e.cy = static_cast<int16_t>(cy);
    e.x1 = static_cast<int16_t>(x1);
    e.y1 = static_cast<int16_t>(y1);
    e.straight = straight ? 1 : 0;
    e.kind = kind;
    e.dir = dir;
    e.fillA = &fill;
    e.fillB = fillB;
    e.next = head;
    head = &e;
    return e;
  }

  // A straight edge from (x0, y0) to (x1, y1), in drawing direction.
  Edge& line(FillStyle& fill, int32_t x0, int32_t y0, int32_t x1, int32_t y1,
             uint8_t kind = EdgeEvenOdd, FillStyle* fillB = nullptr) {
    return curve(fill, x0, y0, (x0 + x1) / 2, (y0 + y1) / 2, x1, y1, true, kind, fillB);
  }

  // The rectangle [x0, x1) x [y0, y1) in raster units as two vertical
  // edges: down on the left, up on the right (a clockwise outline).
  void rect(FillStyle& fill, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint8_t kind = EdgeEvenOdd) {
    line(fill, x0, y0, x0, y1, kind);
    line(fill, x1, y1, x1, y0, kind);
  }

  // One frame over the pixel area `clip` (the whole target by default).
  void begin(TestTarget& target, bool antialias, int32_t ditherLevel = DitherOrdered) {
    const Offscreen& o = target.offscreen;
    begin(target, antialias, Rect{0, o.width, 0, o.height}, ditherLevel);
  }
  void begin(TestTarget& target, bool antialias, const Rect& clip, int32_t ditherLevel = DitherOrdered) {
    BeginFrame(context, target.offscreen, clip, antialias, false, ditherLevel);
    for (SceneFill& f : fills) {
      if (f.custom) continue;
      ReleaseFill(f.fill);
      PrepareFill(f.fill);
    }
  }
  void paint() {
    AddEdges(context, head);
    PaintFrame(context);
  }
  void render(TestTarget& target, bool antialias, int32_t ditherLevel = DitherOrdered) {
    begin(target, antialias, ditherLevel);
    paint();
  }
  void render(TestTarget& target, bool antialias, const Rect& clip) {
    begin(target, antialias, clip);
    paint();
  }
};

// Rows of a 32-bit target as text, one character per pixel: '.' for the
// marker colour (a pixel nothing painted), '#' for ink, `other` for
// anything else (partly covered or wrong).
inline std::string Picture(const TestTarget& t, const Rgb& marker, const Rgb& ink, char other) {
  std::string s;
  for (int32_t y = 0; y < t.offscreen.height; ++y) {
    for (int32_t x = 0; x < t.offscreen.width; ++x) {
      const Rgb p = t.pixel(x, y);
      s += p == marker ? '.' : p == ink ? '#' : other;
    }
    s += '\n';
  }
  return s;
}

// Covered pixels [x0, x1) x [y0, y1) as a picture of a w x h target.
inline std::string Box(int32_t w, int32_t h, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  std::string s;
  for (int32_t y = 0; y < h; ++y) {
    for (int32_t x = 0; x < w; ++x) s += x >= x0 && x < x1 && y >= y0 && y < y1 ? '#' : '.';
    s += '\n';
  }
  return s;
}

}  // namespace lmr::test
