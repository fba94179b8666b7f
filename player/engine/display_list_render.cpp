// Rendering the changed area of the display list into the offscreen.
#include "player/engine/display_list.h"

namespace lmr {

// Stub until the renderer's frame driver lands here: BeginFrame with the
// changed pixels, the background fill, the records of every object that
// meets the clip, PaintFrame, then the changed area is emptied. Until then
// nothing is drawn and the changed area is kept.
void DisplayList::render() {}

}  // namespace lmr
