// The same scene drawn by cairo into an ARGB32 image surface of the frame's
// size: each shape filled, then stroked with round joins and caps, its
// quadratic segments raised exactly to cubics, the gradients built from the
// same matrix and stops.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <vector>

#include "bench/scene.h"

namespace lmr::bench {

struct CairoRenderer {
  cairo_surface_t* surface;
  cairo_t* cr;
  std::vector<cairo_pattern_t*> patterns;  // one per shape; none for solid fills
  const std::vector<SceneShape>& scene;

  // `antialias` is CAIRO_ANTIALIAS_FAST or CAIRO_ANTIALIAS_DEFAULT;
  // `tolerance` is the flattening tolerance in pixels.
  CairoRenderer(const std::vector<SceneShape>& scene, cairo_antialias_t antialias, double tolerance);
  ~CairoRenderer();
  CairoRenderer(const CairoRenderer&) = delete;
  CairoRenderer& operator=(const CairoRenderer&) = delete;

  void RenderFull();
  // Only the 64 x 64 pixel square at (x, y), through a clip.
  void RenderArea(int32_t x, int32_t y);
  uint32_t Pixel(int32_t x, int32_t y) const;  // 0x00RRGGBB

 private:
  void DrawScene();
};

}  // namespace lmr::bench
