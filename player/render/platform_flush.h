// The one platform call the renderer makes before writing pixels: the
// system may still be drawing text into the same bitmap.
#pragma once

namespace lmr {

// Waits until system drawing into offscreen bitmaps is complete; nothing
// natively.
void FlushPlatformDrawing();

}  // namespace lmr
