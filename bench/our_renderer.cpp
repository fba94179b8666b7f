#include "bench/our_renderer.h"

#include "player/engine/geometry.h"
#include "player/engine/view_matrix.h"
#include "player/render/drawing_records.h"
#include "tools/lmrc/lib/bit_writer.h"
#include "tools/lmrc/lib/movie_model.h"
#include "tools/lmrc/lib/tag_bodies.h"

namespace lmr::bench {

namespace {

void Tag(enc::BitWriter& out, uint32_t code, const std::vector<uint8_t>& body) { enc::writeTag(out, code, body); }

Rgb ToRgb(Color c) { return Rgb{c.red, c.green, c.blue}; }

enc::ShapeBody ShapeBodyOf(const SceneShape& s) {
  enc::ShapeBody body;
  enc::FillStyleDef fill;
  if (s.paint == Paint::Solid) {
    fill.type = enc::FillTypeSolid;
    fill.color = ToRgb(s.color);
  } else {
    fill.type = s.paint == Paint::Linear ? enc::FillTypeLinear : enc::FillTypeRadial;
    fill.matrix.m = Matrix{s.gradient.a, s.gradient.b, s.gradient.c, s.gradient.d, s.gradient.tx, s.gradient.ty};
    for (const Stop& stop : s.stops) fill.stops.push_back(enc::GradientStop{stop.ratio, ToRgb(stop.color)});
  }
  body.fills.push_back(fill);
  if (s.strokePixels) {
    body.lines.push_back(enc::LineStyleDef{static_cast<uint16_t>(s.strokePixels * UnitsPerPixel), ToRgb(s.strokeColor)});
  }
  enc::ShapeRecord select;
  select.kind = enc::ShapeRecord::Change;
  select.flags = enc::StyleMove | enc::StyleFill0 | (s.strokePixels ? enc::StyleLine : 0);
  select.moveX = s.start.x;
  select.moveY = s.start.y;
  select.fill0 = 1;
  select.line = s.strokePixels ? 1 : 0;
  body.records.push_back(select);
  Point at = s.start;
  for (int32_t k = 0; k < SegmentsPerShape; ++k) {
    enc::ShapeRecord curve;
    curve.kind = enc::ShapeRecord::Curve;
    curve.cdx = s.controls[k].x - at.x;
    curve.cdy = s.controls[k].y - at.y;
    curve.dx = s.anchors[k].x - s.controls[k].x;
    curve.dy = s.anchors[k].y - s.controls[k].y;
    body.records.push_back(curve);
    at = s.anchors[k];
  }
  return body;
}

}  // namespace

std::vector<uint8_t> SceneMovie(const std::vector<SceneShape>& scene) {
  enc::BitWriter tags;
  enc::BitWriter white;
  white.rgb(255, 255, 255);
  Tag(tags, enc::TagBackground, white.bytes);
  for (size_t i = 0; i < scene.size(); ++i) {
    const SceneShape& s = scene[i];
    const int32_t half = s.strokePixels * UnitsPerPixel / 2 + 1;
    const Rect bounds{s.xmin - half, s.xmax + half, s.ymin - half, s.ymax + half};
    const auto id = static_cast<uint16_t>(i + 1);
    Tag(tags, enc::TagShape, enc::shapeBody(id, bounds, -1, ShapeBodyOf(s)));
    Tag(tags, enc::TagPlace, enc::placeBody(id, id, enc::CodedMatrix{}));
  }
  Tag(tags, enc::TagFrame, {});
  enc::MovieHeader header;
  header.frame = Rect{0, FrameWidth * UnitsPerPixel, 0, FrameHeight * UnitsPerPixel};
  return enc::buildMovie(header, tags.bytes);
}

OurRenderer::OurRenderer(const std::vector<SceneShape>& scene) {
  const std::vector<uint8_t> file = SceneMovie(scene);
  stage.appendData(file.data(), static_cast<int32_t>(file.size()));
  stage.makeOffscreen(Format32, FrameWidth, FrameHeight, false);
  // Movie units to quarter pixels: 4 / 20 = 0.2.
  stage.viewWindow(FrameWidth, FrameHeight, true, ScaleExactFit);
  stage.movie.seekFrame(0);
  stage.list.render();
}

void OurRenderer::RenderCached() {
  stage.list.invalidateAll();
  stage.list.render();
}

void OurRenderer::RenderCold() {
  for (DisplayObject* o = stage.list.firstObject; o; o = o->next) ReleaseDrawingRecords(*o);
  stage.list.invalidateAll();
  stage.list.render();
}

void OurRenderer::RenderArea(int32_t x, int32_t y) {
  // changedPixels grows the area by ChangedPixelsMargin on every side.
  const int32_t inner = 64 - 2 * ChangedPixelsMargin;
  const int32_t x0 = x + ChangedPixelsMargin, y0 = y + ChangedPixelsMargin;
  stage.list.changedArea = Rect{x0 * AntialiasScale, (x0 + inner) * AntialiasScale, y0 * AntialiasScale,
                                (y0 + inner) * AntialiasScale};
  stage.list.render();
}

uint32_t OurRenderer::Pixel(int32_t x, int32_t y) const {
  const uint8_t* p = OffscreenRow(stage.offscreen, y) + 4 * x;
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16;
}

}  // namespace lmr::bench
