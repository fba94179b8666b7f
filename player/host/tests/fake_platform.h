// A platform for player tests: a clock the test sets, a window of a size
// the test chooses (or none), and a record of every call the player made.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "player/engine/records.h"
#include "player/engine/tests/movie_fixture.h"
#include "player/host/player_platform.h"
#include "player/render/offscreen.h"

namespace lmr::test {

struct FakePlatform : PlayerPlatform {
  int32_t now = 0;
  uint32_t smallestPeriod = 1;
  int32_t width = 0;  // 0: no window attached
  int32_t height = 0;
  std::vector<std::string> calls;  // timer and period calls, in order
  std::vector<Rect> copies;        // areas copied to the window
  std::vector<uint32_t> copiedCorner;  // the offscreen's first pixel (0xRRGGBB) at each copy

  int32_t nowMillis() override { return now; }
  uint32_t smallestTimerPeriod() override { return smallestPeriod; }
  void beginTimerPeriod(uint32_t millis) override { calls.push_back("begin " + std::to_string(millis)); }
  void endTimerPeriod(uint32_t millis) override { calls.push_back("end " + std::to_string(millis)); }
  void startTimer(int32_t id, int32_t millis) override {
    calls.push_back("start " + std::to_string(id) + " " + std::to_string(millis));
  }
  void stopTimer(int32_t id) override { calls.push_back("stop " + std::to_string(id)); }
  bool clientSize(int32_t& w, int32_t& h) override {
    w = width;
    h = height;
    return width > 0;
  }
  int32_t offscreenFormat() override { return Format32; }
  bool offscreenBottomUp() override { return false; }
  void invalidate(const Rect&) override {}
  void copyToWindow(const Offscreen& offscreen, const Rect& pixels) override {
    copies.push_back(pixels);
    uint32_t corner = 0;
    if (offscreen.bits != nullptr && offscreen.bitsPerPixel == 32) {
      corner = uint32_t{offscreen.bits[2]} << 16 | uint32_t{offscreen.bits[1]} << 8 | offscreen.bits[0];
    }
    copiedCorner.push_back(corner);
  }
  void setCursor(PlayerCursor) override {}
  void getUrl(const char*, const char*) override {}
  void showStatus(const char*) override {}

  int timerStarts() const {
    int n = 0;
    for (const std::string& c : calls) n += c.rfind("start 1 ", 0) == 0;
    return n;
  }
};

// A movie of these tags with the frame count and rate (8.8 frames per
// second) its header declares.
inline Bytes movieWith(const Bytes& tags, uint32_t frameCount, uint32_t rate = 12 << 8) {
  enc::MovieHeader header;
  header.frameCount = frameCount;
  header.rate = rate;
  return movieOf(tags, header);
}

}  // namespace lmr::test
