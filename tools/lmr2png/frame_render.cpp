#include "tools/lmr2png/frame_render.h"

namespace lmr::lmr2png {

namespace {

// Pixels for a side of `units` movie units, rounded up; 0 for none.
int64_t pixelsFor(int64_t units) { return units > 0 ? (units + UnitsPerPixel - 1) / UnitsPerPixel : 0; }

}  // namespace

ImageSize defaultImageSize(const Rect& frameRect) {
  // In 64 bits: the rectangle's fields are any 32-bit values.
  int64_t w = pixelsFor(int64_t{frameRect.xmax} - frameRect.xmin);
  int64_t h = pixelsFor(int64_t{frameRect.ymax} - frameRect.ymin);
  const int64_t longer = w > h ? w : h;
  if (longer > MaxImageSide) {
    w = w * MaxImageSide / longer;
    h = h * MaxImageSide / longer;
  }
  ImageSize size;
  size.width = w > 0 ? static_cast<int32_t>(w) : 1;
  size.height = h > 0 ? static_cast<int32_t>(h) : 1;
  return size;
}

void applyFrameView(MovieStage& stage, int32_t width, int32_t height, Quality quality, uint32_t viewFlags) {
  stage.list.preferSpeed = stage.movie.frameCount > 1 && quality != Quality::Best;
  stage.viewWindow(width, height, quality != Quality::Low, viewFlags);
}

bool renderFrame(MovieStage& stage, int32_t formatIndex, int32_t width, int32_t height, Quality quality,
                 uint32_t viewFlags) {
  // A new offscreen makes the whole picture the changed area.
  if (!stage.makeOffscreen(formatIndex, width, height, false)) return false;
  applyFrameView(stage, width, height, quality, viewFlags);
  stage.list.render();
  return true;
}

}  // namespace lmr::lmr2png
