// Button objects on the display list: the state bits a button shows and
// the children each state places.
#pragma once

#include <cstdint>

namespace lmr {

struct DisplayList;
struct DisplayObject;

// Button state bits. A button object shows one of 1, 2 or 4; a button
// record lists the states that show its child, and BtnHitArea marks the
// records that form the clickable area.
constexpr uint16_t BtnIdle = 1;
constexpr uint16_t BtnHover = 2;
constexpr uint16_t BtnPressed = 4;
constexpr uint16_t BtnHitArea = 8;

// Shows `state` (0 removes every child): children of records that meet the
// old state but not the new one are removed, then those that meet the new
// state but not the old one are placed, keyed id << 16 | (record depth +
// button depth) and placed at the record matrix followed by the button's
// placement. Records naming undefined characters are skipped; the walk
// stops at the body's end marker or at the end of the button's tag.
void setButtonState(DisplayList& list, DisplayObject& button, uint16_t state);

}  // namespace lmr
