#include "player/host/movie_stage.h"

#include "player/engine/view_matrix.h"

namespace lmr {

MovieStage::MovieStage() {
  list.initDisplayList();
  movie.displayList = &list;
}

MovieStage::~MovieStage() {
  // The movie's characters go first, taking their objects out of the list;
  // then the list's pools; the offscreen the list drew into goes last.
  movie.reset();
  list.destroyDisplayList();
  releaseOffscreen();
}

void MovieStage::appendData(const uint8_t* data, int32_t length) { movie.appendData(data, length); }

bool MovieStage::makeOffscreen(int32_t formatIndex, int32_t width, int32_t height, bool bottomUp,
                               ColorTable* table) {
  releaseOffscreen();
  if (!createOffscreenFormat(offscreen, formatIndex, table, width, height, bottomUp)) return false;
  list.setOffscreen(&offscreen);
  return true;
}

void MovieStage::releaseOffscreen() {
  if (list.offscreen == &offscreen) list.setOffscreen(nullptr);
  releaseBitmap(offscreen);
}

void MovieStage::viewWindow(int32_t width, int32_t height, bool antialias, uint32_t viewFlags) {
  const Rect window{0, width, 0, height};
  list.applyView(computeViewMatrix(movie.frameRect, window, antialias, viewFlags), antialias);
}

}  // namespace lmr
