// Compiles the block of a shape or a glyph: styles (shapes only), index
// widths and the path, written with absolute coordinates and turned into
// the stored relative deltas.
#pragma once

#include <vector>

#include "tools/lmrc/lib/movie_model.h"
#include "tools/lmrc/source_lexer.h"

namespace lmr::lmrc {

// Grows r to hold (x, y); an empty r (RectEmptyValue) becomes that point.
void growRect(Rect& r, int64_t x, int64_t y);
bool rectIsEmpty(const Rect& r);

// `pointBounds` receives the bounds of every point of the path (anchors
// and control points), empty when the path has none. `widestLine` the
// widest line style (0 without styles).
enc::ShapeBody compileShapeBlock(const std::vector<Statement>& block, bool withStyles, Rect& pointBounds,
                                 int& widestLine);

// Point bounds of a decoded body, by the same walk as the compiler's.
Rect shapePointBounds(const enc::ShapeBody& body);

}  // namespace lmr::lmrc
