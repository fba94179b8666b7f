#include "player/render/platform_flush.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace lmr {

void FlushPlatformDrawing() {
#ifdef _WIN32
  GdiFlush();
#endif
}

}  // namespace lmr
