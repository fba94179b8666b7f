// Rectangles for test tables, written in field order.
#pragma once

#include <cstdint>

#include "player/engine/records.h"

namespace lmr {

constexpr Rect R(int32_t xmin, int32_t xmax, int32_t ymin, int32_t ymax) {
  Rect r;
  r.xmin = xmin;
  r.xmax = xmax;
  r.ymin = ymin;
  r.ymax = ymax;
  return r;
}

}  // namespace lmr
