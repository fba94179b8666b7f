#include "player/host/player.h"

#include <cstdlib>
#include <cstring>

#include "player/engine/display_list.h"
#include "player/engine/geometry.h"
#include "player/host/view_transform.h"

namespace lmr {

TimerPeriodHold::TimerPeriodHold(PlayerPlatform& system) : platform(system) {
  const uint32_t smallest = platform.smallestTimerPeriod();
  period = smallest > MinTimerPeriod ? smallest : MinTimerPeriod;
  platform.beginTimerPeriod(period);
}

TimerPeriodHold::~TimerPeriodHold() { platform.endTimerPeriod(period); }

Player::Player(PlayerPlatform& system) : platform(system), timerPeriod(system) {}

Player::~Player() {
  stop(*this);
  stage.movie.reset();
  freeString(streamUrl);
  freeString(name);
  stage.releaseOffscreen();
}

void play(Player& player) {
  Movie& movie = player.stage.movie;
  if (!player.loop && movie.currentFrame >= movie.frameCount - 1) {
    movie.seekFrame(0);
    redraw(player);
  }
  player.stopped = false;
  player.nextFrameTime = 0;
  player.platform.startTimer(TimerFrameClock, movie.frameMillis);
  player.playRequested = true;
}

void stop(Player& player) {
  player.stopped = true;
  player.platform.stopTimer(TimerFrameClock);
}

void redraw(Player& player) {
  int32_t width = 0;
  int32_t height = 0;
  if (!player.platform.clientSize(width, height) || width <= 0 || height <= 0) return;
  MovieStage& stage = player.stage;
  if (!stage.hasOffscreen() || stage.offscreen.width != width || stage.offscreen.height != height) {
    if (!stage.makeOffscreen(player.platform.offscreenFormat(), width, height,
                             player.platform.offscreenBottomUp())) {
      return;
    }
  }
  // Unchanged views are kept by the list, so this costs nothing per block.
  applyPlayerView(player, width, height);
  stage.list.render();
  const Rect window{0, width, 0, height};
  const Rect pending = stage.list.pendingScreenArea;
  rectSetEmpty(stage.list.pendingScreenArea);
  if (rectsOverlap(pending, window)) {
    player.platform.copyToWindow(stage.offscreen, rectIntersect(pending, window));
  }
}

char* copyString(const char* text) {
  if (text == nullptr) return nullptr;
  const size_t bytes = std::strlen(text) + 1;
  auto* copy = static_cast<char*>(std::malloc(bytes));
  if (copy != nullptr) std::memcpy(copy, text, bytes);
  return copy;
}

void freeString(char*& text) {
  std::free(text);
  text = nullptr;
}

}  // namespace lmr
