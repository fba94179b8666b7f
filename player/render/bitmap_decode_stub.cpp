// STUB, to be removed when the JPEG decoder defines decodeBitmap: images
// stay undecoded, so bitmap fills paint their fallback colour.
#include "player/render/bitmap_decode.h"

namespace lmr {

void decodeBitmap(Movie&, CharacterRecord&) {}

}  // namespace lmr
