#include "bench/cairo_renderer.h"

#include <cmath>

namespace lmr::bench {

namespace {

constexpr double PixelsPerUnit = 1.0 / UnitsPerPixel;

double Px(int32_t units) { return units * PixelsPerUnit; }

void SetColor(cairo_t* cr, Color c) { cairo_set_source_rgb(cr, c.red / 255.0, c.green / 255.0, c.blue / 255.0); }

// A point of gradient space (gradient units) in pixels.
void GradientPoint(const GradientMatrix& m, double gx, double gy, double& x, double& y) {
  x = Px(m.tx) + (m.a * gx + m.c * gy) / 65536.0 * PixelsPerUnit;
  y = Px(m.ty) + (m.b * gx + m.d * gy) / 65536.0 * PixelsPerUnit;
}

cairo_pattern_t* GradientPattern(const SceneShape& s) {
  // The gradient square spans -16384 to +16384 gradient units.
  cairo_pattern_t* p;
  if (s.paint == Paint::Linear) {
    double x0, y0, x1, y1;
    GradientPoint(s.gradient, -16384, 0, x0, y0);
    GradientPoint(s.gradient, 16384, 0, x1, y1);
    p = cairo_pattern_create_linear(x0, y0, x1, y1);
  } else {
    double cx, cy, ex, ey;
    GradientPoint(s.gradient, 0, 0, cx, cy);
    GradientPoint(s.gradient, 16384, 0, ex, ey);
    p = cairo_pattern_create_radial(cx, cy, 0, cx, cy, std::hypot(ex - cx, ey - cy));
  }
  for (const Stop& stop : s.stops) {
    cairo_pattern_add_color_stop_rgb(p, stop.ratio / 255.0, stop.color.red / 255.0, stop.color.green / 255.0,
                                     stop.color.blue / 255.0);
  }
  cairo_pattern_set_extend(p, CAIRO_EXTEND_PAD);
  return p;
}

void ShapePath(cairo_t* cr, const SceneShape& s) {
  double x = Px(s.start.x), y = Px(s.start.y);
  cairo_move_to(cr, x, y);
  for (int32_t k = 0; k < SegmentsPerShape; ++k) {
    // The quadratic (p0, c, p1) is the cubic (p0, p0 + 2/3 (c - p0), p1 + 2/3 (c - p1), p1).
    const double cx = Px(s.controls[k].x), cy = Px(s.controls[k].y);
    const double ex = Px(s.anchors[k].x), ey = Px(s.anchors[k].y);
    cairo_curve_to(cr, x + 2.0 / 3 * (cx - x), y + 2.0 / 3 * (cy - y), ex + 2.0 / 3 * (cx - ex),
                   ey + 2.0 / 3 * (cy - ey), ex, ey);
    x = ex;
    y = ey;
  }
  cairo_close_path(cr);
}

}  // namespace

CairoRenderer::CairoRenderer(const std::vector<SceneShape>& shapes, cairo_antialias_t antialias, double tolerance)
    : surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, FrameWidth, FrameHeight)),
      cr(cairo_create(surface)),
      scene(shapes) {
  cairo_set_antialias(cr, antialias);
  cairo_set_tolerance(cr, tolerance);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
  for (const SceneShape& s : scene) patterns.push_back(s.paint == Paint::Solid ? nullptr : GradientPattern(s));
}

CairoRenderer::~CairoRenderer() {
  for (cairo_pattern_t* p : patterns) {
    if (p) cairo_pattern_destroy(p);
  }
  cairo_destroy(cr);
  cairo_surface_destroy(surface);
}

void CairoRenderer::DrawScene() {
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);
  for (size_t i = 0; i < scene.size(); ++i) {
    const SceneShape& s = scene[i];
    ShapePath(cr, s);
    if (patterns[i]) {
      cairo_set_source(cr, patterns[i]);
    } else {
      SetColor(cr, s.color);
    }
    if (s.strokePixels) {
      cairo_fill_preserve(cr);
      SetColor(cr, s.strokeColor);
      cairo_set_line_width(cr, s.strokePixels);
      cairo_stroke(cr);
    } else {
      cairo_fill(cr);
    }
  }
}

void CairoRenderer::RenderFull() {
  DrawScene();
  cairo_surface_flush(surface);
}

void CairoRenderer::RenderArea(int32_t x, int32_t y) {
  cairo_save(cr);
  cairo_rectangle(cr, x, y, 64, 64);
  cairo_clip(cr);
  DrawScene();
  cairo_restore(cr);
  cairo_surface_flush(surface);
}

uint32_t CairoRenderer::Pixel(int32_t x, int32_t y) const {
  const unsigned char* data = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  uint32_t v;
  const unsigned char* p = data + y * stride + 4 * x;
  v = static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16;
  return v;
}

}  // namespace lmr::bench
