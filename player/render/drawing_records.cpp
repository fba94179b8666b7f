// Stub: the shape builder fills these in. Until then objects get no drawing
// records, so there is nothing to release.
#include "player/render/drawing_records.h"

namespace lmr {

void BuildDrawingRecords(DisplayObject&) {}

void ReleaseDrawingRecords(DisplayObject&) {}

}  // namespace lmr
