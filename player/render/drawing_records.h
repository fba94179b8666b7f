// The renderer's per-object drawing records: the edges and fill records a
// placed shape or text is drawn from. Built the first time an object is
// needed, kept on the object until its device matrix changes or it goes.
#pragma once

#include "player/engine/geometry.h"

namespace lmr {

struct DisplayObject;

// Builds the object's edgeRecords and fillRecords unless it has drawing
// records already. Nothing for a movie in an error state or a character
// that is neither a shape nor a text.
void BuildDrawingRecords(DisplayObject& object);
// Returns every edge and fill record of the object to the display list's
// pools; both lists become none.
void ReleaseDrawingRecords(DisplayObject& object);
// True when the point (raster units) lies inside any of the object's fills
// (lines count: they are fills of their own).
bool HitTestShape(DisplayObject& object, Point point);

}  // namespace lmr
