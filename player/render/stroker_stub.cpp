// STUB, to be replaced by the line stroker: records the calls the shape
// walk makes but builds no outline, so shapes show their fills and no
// lines until the stroker lands.
#include "player/render/stroker.h"

namespace lmr {

void InitStroker(Stroker& stroker, DisplayList& list, Edge** edges) {
  stroker = Stroker{};
  stroker.list = &list;
  stroker.edges = edges;
  stroker.lastInput.x = NoPointX;
}

void BeginStroke(Stroker& stroker, int32_t width, FillStyle& fill) {
  const int32_t least = stroker.antialias ? 4 : 1;
  stroker.started = false;
  stroker.width = width > least ? width : least;
  stroker.thick = stroker.width > 3;
  stroker.fill = &fill;
  stroker.lastInput.x = NoPointX;
}

void StrokeSegment(Stroker& stroker, const Curve&) { stroker.started = true; }

void EndStroke(Stroker& stroker) { stroker.started = false; }

}  // namespace lmr
