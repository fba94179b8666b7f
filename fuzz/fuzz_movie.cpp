// Plays arbitrary bytes the way the player does: the file arrives in
// blocks, frames are sought forwards and backwards between blocks, every
// reached frame is rendered into a small offscreen and hit-tested, and the
// player is torn down at a point the input chooses, possibly mid-stream.
//
// Input: ControlBytes bytes of control, then the movie bytes.
//   [0] block size: 0 = all at once, 1..0xEF = that many bytes, 0xF0 and
//       up = sizes taken in turn from the pattern bytes [4..7] (+1 each)
//   [1] bits 0-2 pixel format, bit 3 anti-aliasing, bit 4 bottom-up rows,
//       bits 5-7 view: fitted (scale mode 0, 1, 2), or a huge zoom
//   [2] teardown after this many blocks (0 = at the end)
//   [3] seek pattern: per block, two bits each: next frame, same frame,
//       frame 0, a frame ahead
//   [4..7] split pattern, and hit-test points within the object bounds
#include <cstddef>
#include <cstdint>
#include <memory>

#include "player/engine/character_record.h"
#include "player/engine/display_list.h"
#include "player/engine/geometry.h"
#include "player/engine/movie.h"
#include "player/engine/view_matrix.h"
#include "player/host/movie_stage.h"
#include "player/render/drawing_records.h"
#include "player/render/offscreen.h"

namespace {

constexpr size_t ControlBytes = 8;
constexpr int32_t CanvasWidth = 64;
constexpr int32_t CanvasHeight = 48;
// Bounds per input, so one execution stays short whatever the movie says.
constexpr int32_t MaxBlocks = 256;
constexpr int32_t MaxRenders = 48;
constexpr int32_t MaxHitTestsPerFrame = 8;

struct Player : lmr::MovieStage {
  bool viewApplied = false;
};

int32_t Scaled(uint8_t byte, int32_t lo, int32_t hi) {
  if (hi <= lo) return lo;
  const int64_t span = static_cast<int64_t>(hi) - lo;
  return static_cast<int32_t>(lo + span * byte / 255);
}

void ApplyView(Player& p, uint8_t viewByte) {
  const bool antialias = viewByte & 0x08;
  const uint32_t mode = (viewByte >> 5) & 7;
  const lmr::Rect target{0, CanvasWidth, 0, CanvasHeight};
  lmr::Matrix view = lmr::computeViewMatrix(p.movie.frameRect, target, antialias, mode < 3 ? mode : 0);
  if (mode >= 6) {
    // A zoom far beyond the frame: coordinates near the 16-bit edge limit
    // and beyond, where only clipping keeps the edge tables small.
    const lmr::Fixed zoom = mode == 6 ? 0x400000 : 0x7FFF0000;
    view = lmr::Matrix{zoom, 0, 0, zoom, -(zoom >> 4), -(zoom >> 4)};
  }
  p.list.applyView(view, antialias);
  p.viewApplied = true;
}

// The palette formats' shared colour tables live as long as one offscreen
// refers to them; building one costs far more than a whole small frame.
// One offscreen per palette format is kept for the process, as a player
// that stays loaded keeps them.
void KeepSharedColorTables() {
  static bool kept = false;
  if (kept) return;
  kept = true;
  static lmr::Offscreen keepers[lmr::Format8Bit + 1];
  for (int32_t f = lmr::Format1Bit; f <= lmr::Format8Bit; ++f) {
    lmr::createOffscreenFormat(keepers[f], f, nullptr, 8, 8, false);
  }
}

void HitTestObjects(Player& p, const uint8_t* pattern) {
  int32_t tests = 0;
  for (lmr::DisplayObject* o = p.list.firstObject; o && tests < MaxHitTestsPerFrame; o = o->next) {
    if (!o->character || o->character->kind != lmr::KindShape) continue;
    const lmr::Rect& b = o->deviceBounds;
    if (lmr::rectIsEmpty(b)) continue;
    const uint8_t sx = pattern[tests & 3], sy = pattern[(tests + 1) & 3];
    lmr::HitTestShape(*o, lmr::Point{Scaled(sx, b.xmin, b.xmax), Scaled(sy, b.ymin, b.ymax)});
    ++tests;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < ControlBytes) return 0;
  KeepSharedColorTables();
  const uint8_t blockByte = data[0], viewByte = data[1], teardown = data[2], seekByte = data[3];
  const uint8_t* pattern = data + 4;
  const uint8_t* file = data + ControlBytes;
  const int32_t fileSize = static_cast<int32_t>(size - ControlBytes);

  auto p = std::make_unique<Player>();
  p->makeOffscreen(viewByte & 7, CanvasWidth, CanvasHeight, viewByte & 0x10);

  int32_t offset = 0, blocks = 0, renders = 0;
  while (offset < fileSize && blocks < MaxBlocks) {
    int32_t block = fileSize - offset;
    if (blockByte >= 0xF0) {
      block = pattern[blocks & 3] + 1;
    } else if (blockByte > 0) {
      block = blockByte;
    }
    // The last block allowed brings the rest, so every input is delivered.
    if (block > fileSize - offset || blocks == MaxBlocks - 1) block = fileSize - offset;
    p->appendData(file + offset, block);
    offset += block;
    ++blocks;

    if (!p->viewApplied && p->movie.headerParsed) ApplyView(*p, viewByte);
    int32_t want = p->movie.currentFrame + 1;
    switch ((seekByte >> (2 * (blocks & 3))) & 3) {
      case 1: want = p->movie.currentFrame; break;
      case 2: want = 0; break;
      case 3: want = p->movie.currentFrame + 1 + (pattern[blocks & 3] & 7); break;
      default: break;
    }
    if (want < 0) want = 0;
    // A movie that loops: past its last frame it starts again at 0.
    if (p->movie.frameCount > 0 && want >= p->movie.frameCount) want = 0;
    p->movie.seekFrame(want);
    if (renders < MaxRenders) {
      p->list.render();
      HitTestObjects(*p, pattern);
      ++renders;
    }
    if (teardown != 0 && blocks == teardown) return 0;  // the player goes mid-stream
  }
  // The stream is complete: play on through a few frames, then back to 0.
  for (int32_t i = 0; i < 4 && renders < MaxRenders; ++i, ++renders) {
    p->movie.seekFrame(i == 3 ? 0 : p->movie.currentFrame + 1);
    p->list.render();
  }
  return 0;
}
