// The view matrix: how the visible part of the movie (movie units) maps
// onto the window's client area (pixels, or quarter pixels when
// anti-aliased) under the page's scale mode and alignment.
#pragma once

#include <cstdint>

#include "player/engine/records.h"

namespace lmr {

// View flags: the scale mode in bits 0 to 3, alignment above.
constexpr uint32_t ScaleModeMask = 0xF;
constexpr uint32_t ScaleShowAll = 0;   // whole source visible, borders on one axis
constexpr uint32_t ScaleNoBorder = 1;  // target filled, source cropped on one axis
constexpr uint32_t ScaleExactFit = 2;  // source stretched to the target; any other mode too
constexpr uint32_t AlignLeft = 0x10;    // wins over AlignRight
constexpr uint32_t AlignRight = 0x20;
constexpr uint32_t AlignTop = 0x40;     // wins over AlignBottom
constexpr uint32_t AlignBottom = 0x80;

// Anti-aliased rendering works on a grid this many times finer per axis.
constexpr int32_t AntialiasFactor = 4;

// Maps `source` (movie units) onto `target` (window pixels). Sides shorter
// than 16 units count as 16, so an empty or degenerate rectangle still
// gives a finite scale. Without alignment the centres meet. With
// `antialias` the result maps to quarter pixels. Pure: the caller hands
// the matrix to the display list's applyView.
Matrix computeViewMatrix(const Rect& source, const Rect& target, bool antialias, uint32_t viewFlags);

}  // namespace lmr
