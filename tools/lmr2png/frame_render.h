// Renders what a movie stage shows into the stage's offscreen: the view as
// the player computes it for a window of the picture's size, then one
// render of the whole area.
#pragma once

#include <cstdint>

#include "player/engine/records.h"
#include "tools/lmr2png/movie_loading.h"
#include "tools/lmr2png/options.h"

namespace lmr::lmr2png {

struct ImageSize {
  int32_t width = 1;
  int32_t height = 1;
};

// The frame rectangle at UnitsPerPixel movie units a pixel, rounded up; at
// least 1 x 1; a frame larger than MaxImageSide on a side is scaled down
// (aspect kept) so that its longer side is MaxImageSide.
ImageSize defaultImageSize(const Rect& frameRect);

// The view of a window of width x height pixels onto the movie's frame
// rectangle, the antialias flag of the quality and the display list's
// preferSpeed (several frames and not best quality).
void applyFrameView(MovieStage& stage, int32_t width, int32_t height, Quality quality, uint32_t viewFlags);

// Makes the stage's offscreen in the format and size, views the stage onto
// it and renders everything. False when the offscreen cannot be made.
bool renderFrame(MovieStage& stage, int32_t formatIndex, int32_t width, int32_t height, Quality quality,
                 uint32_t viewFlags);

}  // namespace lmr::lmr2png
