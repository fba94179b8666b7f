// The scene drawn by our renderer: built as a movie with the encoding
// library (one shape per scene shape, each at its own depth), played to
// frame 0 into a display list that renders with anti-aliasing into a
// 32-bit memory offscreen of the frame's size.
#pragma once

#include <cstdint>
#include <vector>

#include "bench/scene.h"
#include "player/host/movie_stage.h"

namespace lmr::bench {

std::vector<uint8_t> SceneMovie(const std::vector<SceneShape>& scene);

struct OurRenderer {
  MovieStage stage;

  explicit OurRenderer(const std::vector<SceneShape>& scene);

  // What the player does every frame: everything changed, records kept.
  void RenderCached();
  // Every object's drawing records released first, so they are built again.
  void RenderCold();
  // Only the 64 x 64 pixel square at (x, y) is rendered.
  void RenderArea(int32_t x, int32_t y);
  // Pixel (x, y) as 0x00RRGGBB.
  uint32_t Pixel(int32_t x, int32_t y) const;
};

}  // namespace lmr::bench
