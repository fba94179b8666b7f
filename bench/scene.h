// The benchmark scene: closed shapes of six quadratic segments each, from a
// fixed seed, described once in movie units (20 per pixel) so that both
// renderers draw exactly the same geometry, colours and gradient stops.
#pragma once

#include <cstdint>
#include <vector>

namespace lmr::bench {

constexpr int32_t UnitsPerPixel = 20;
constexpr int32_t FrameWidth = 550;   // pixels
constexpr int32_t FrameHeight = 400;  // pixels
constexpr int32_t SegmentsPerShape = 6;

enum class Paint { Solid, Linear, Radial };

struct Color {
  uint8_t red, green, blue;
};

struct Stop {
  uint8_t ratio;  // 0 to 255 along the gradient
  Color color;
};

struct Point {
  int32_t x, y;  // movie units
};

// A gradient's style matrix: gradient units to movie units. Only uniform
// scale with rotation, so a radial gradient stays a circle.
struct GradientMatrix {
  int32_t a, b, c, d;  // 16.16
  int32_t tx, ty;      // movie units
};

struct SceneShape {
  Point start;                        // also the end: the path is closed
  Point controls[SegmentsPerShape];   // control point of segment i
  Point anchors[SegmentsPerShape];    // end of segment i; the last is `start`
  Paint paint;
  Color color;                        // solid fills
  GradientMatrix gradient;            // gradient fills
  std::vector<Stop> stops;            // gradient fills, ratios ascending
  int32_t strokePixels;               // 0: not stroked; else 1 to 4
  Color strokeColor;
  int32_t xmin, xmax, ymin, ymax;     // bounds of every point, movie units
};

// `count` shapes, radius 8 to 60 pixels, all inside the frame; 20% stroked,
// 10% linear and 5% radial gradients, the rest solid. The same seed always
// gives the same scene.
std::vector<SceneShape> MakeScene(int32_t count, uint32_t seed);

}  // namespace lmr::bench
