// What a player needs of the system it runs on: the clock, timers, its
// window's client area, painting the window from the offscreen, the cursor
// and requests to the browser. The plug-in implements it on Win32; tests
// use a fake. Nothing here names a system type, so the player's logic
// builds and is tested anywhere.
#pragma once

#include <cstdint>

#include "player/engine/records.h"

namespace lmr {

struct Offscreen;

// Timer ids: the frame clock, and the watch on a highlighted button.
constexpr int32_t TimerFrameClock = 1;
constexpr int32_t TimerButtonWatch = 2;

// Smallest resolution a player asks of the system timer, in ms.
constexpr uint32_t MinTimerPeriod = 10;

enum PlayerCursor : int32_t { CursorArrow = 0, CursorHand = 1, CursorPan = 2 };

struct PlayerPlatform {
  virtual ~PlayerPlatform() = default;

  // Milliseconds of the system clock, masked to 31 bits.
  virtual int32_t nowMillis() = 0;
  // The smallest period the system timer supports, and raising or lowering
  // its resolution for a player's life.
  virtual uint32_t smallestTimerPeriod() = 0;
  virtual void beginTimerPeriod(uint32_t millis) = 0;
  virtual void endTimerPeriod(uint32_t millis) = 0;
  // Repeating window timers; starting a running one restarts it.
  virtual void startTimer(int32_t id, int32_t millis) = 0;
  virtual void stopTimer(int32_t id) = 0;

  // The window's client size in pixels; false while no window is attached.
  virtual bool clientSize(int32_t& width, int32_t& height) = 0;
  // The offscreen format (one of the eight) and row order that copy to
  // this window fastest.
  virtual int32_t offscreenFormat() = 0;
  virtual bool offscreenBottomUp() = 0;
  // Asks for the area (pixels) to be painted later.
  virtual void invalidate(const Rect& pixels) = 0;
  // Copies the area (pixels) of the offscreen to the window now.
  virtual void copyToWindow(const Offscreen& offscreen, const Rect& pixels) = 0;
  virtual void setCursor(PlayerCursor cursor) = 0;

  // Browser requests: open a URL in a target frame (none: the player's
  // own stream), and the status line text.
  virtual void getUrl(const char* url, const char* target) = 0;
  virtual void showStatus(const char* text) = 0;
};

}  // namespace lmr
