// The renderer's per-object drawing records: the edges and fill records a
// placed shape or text is drawn from. Built the first time an object is
// needed, kept on the object until its device matrix changes or it goes.
#pragma once

namespace lmr {

struct DisplayObject;

// Builds the object's edgeRecords and fillRecords unless it has edge
// records already.
void BuildDrawingRecords(DisplayObject& object);
// Returns every edge and fill record of the object to the display list's
// pools; both lists become none.
void ReleaseDrawingRecords(DisplayObject& object);

}  // namespace lmr
