// A quadratic segment in raster units, monotonic in y, naming the fills it
// switches. One block of the display list's curve-and-edge pool; built once
// per object and view, added to the scan converter every frame.
#pragma once

#include <cstdint>

namespace lmr {

struct FillStyle;

// Edge::kind
constexpr uint8_t EdgeTwoFill = 0;  // fillA and fillB both toggle
constexpr uint8_t EdgeEvenOdd = 1;  // fillA toggles
constexpr uint8_t EdgeWinding = 2;  // fillA counts dir

// Edges store 16-bit coordinates; pieces are kept within +-32000 so that
// stepping arithmetic has headroom.
constexpr int32_t EdgeCoordinateLimit = 32000;

struct Edge {
  Edge* next;       // next edge of the same object
  Edge* nextInRow;  // next edge starting in the same edge-table row
  FillStyle* fillA;  // never none
  FillStyle* fillB;  // EdgeTwoFill only
  // Top anchor first: y0 < y1 always.
  int16_t x0;
  int16_t y0;
  int16_t cx;
  int16_t cy;
  int16_t x1;
  int16_t y1;
  uint8_t straight;  // stepped as a line
  uint8_t kind;
  int8_t dir;  // +1 when the source ran downwards or level, -1 upwards
};

}  // namespace lmr
