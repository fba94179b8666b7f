// Button objects on the display list: the children each state places
// (the state bits are the format's Btn constants).
#pragma once

#include <cstdint>

#include "player/engine/movie_format.h"

namespace lmr {

struct DisplayList;
struct DisplayObject;

// Shows `state` (0 removes every child): children of records that meet the
// old state but not the new one are removed, then those that meet the new
// state but not the old one are placed, keyed id << 16 | (record depth +
// button depth) and placed at the record matrix followed by the button's
// placement. Records naming undefined characters are skipped; the walk
// stops at the body's end marker or at the end of the button's tag.
void setButtonState(DisplayList& list, DisplayObject& button, uint16_t state);

}  // namespace lmr
