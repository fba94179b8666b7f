#include "tools/lmr2png/frame_render.h"

#include "player/engine/view_matrix.h"

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
  const bool antialias = quality != Quality::Low;
  stage.list.preferSpeed = stage.movie.frameCount > 1 && quality != Quality::Best;
  const Rect window{0, width, 0, height};
  stage.list.applyView(computeViewMatrix(stage.movie.frameRect, window, antialias, viewFlags), antialias);
}

bool renderFrame(MovieStage& stage, int32_t formatIndex, int32_t width, int32_t height, Quality quality,
                 uint32_t viewFlags, FrameImage& image) {
  releaseBitmap(image.offscreen);
  if (!createOffscreenFormat(image.offscreen, formatIndex, nullptr, width, height, false)) return false;
  applyFrameView(stage, width, height, quality, viewFlags);
  stage.list.setOffscreen(&image.offscreen);  // the whole picture becomes the changed area
  stage.list.render();
  stage.list.setOffscreen(nullptr);
  return true;
}

}  // namespace lmr::lmr2png
