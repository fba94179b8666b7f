// One embedded movie: the browser-facing state of a player and the movie
// stage it plays into. The window, the timers and the browser are reached
// through the player's platform, so this record and its operations are the
// same on every system; the plug-in keeps its window handles beside it.
//
// Use: construct with a platform that outlives the player; apply the
// embed parameters (embed_parameters.h); feed the stream (player_stream.h).
#pragma once

#include <cstdint>

#include "player/engine/records.h"
#include "player/host/movie_stage.h"
#include "player/host/player_platform.h"

namespace lmr {

// Embed modes given by the browser.
constexpr uint32_t ModeEmbed = 1;
constexpr uint32_t ModeFullPage = 2;

// Raises the system timer's resolution for as long as it lives.
struct TimerPeriodHold {
  PlayerPlatform& platform;
  uint32_t period;

  explicit TimerPeriodHold(PlayerPlatform& system);
  ~TimerPeriodHold();
  TimerPeriodHold(const TimerPeriodHold&) = delete;
  TimerPeriodHold& operator=(const TimerPeriodHold&) = delete;
};

struct Player {
  PlayerPlatform& platform;
  Player* next = nullptr;  // the host's list of live players
  // Declared before the stage, so the resolution is given back only after
  // the movie and its display list are gone.
  TimerPeriodHold timerPeriod;
  uint32_t mode = 0;
  char* streamUrl = nullptr;     // owned copy, or none
  char* name = nullptr;          // owned copy, or none
  const void* stream = nullptr;  // the one accepted stream; never cleared
  void* instance = nullptr;      // the browser's handle for this embed
  int32_t speedLimit = 0;        // bytes per second, 0 = unlimited
  int32_t streamStartTime = 0;
  int32_t lateTicks = 0;
  MovieStage stage;  // movie, display list and offscreen, wired together
  bool playRequested = true;
  bool started = false;
  bool highQuality = false;
  bool autoQuality = true;
  int32_t framesSinceSwitch = 1000;
  bool bestQuality = false;
  int32_t slowFrames = 0;
  int32_t fastFrames = 0;
  int32_t measuredFrames = 0;
  uint32_t viewFlags = 0;
  Rect zoomRect;         // movie units; empty = whole movie
  Rect panFeedbackRect;  // window pixels
  int32_t menuPointX = 0;
  int32_t menuPointY = 0;
  int32_t actionDepth = 0;
  bool menuEnabled = true;
  bool loop = true;
  bool stopped = true;
  int32_t nextFrameTime = 0;
  bool resumeOnWindow = false;

  explicit Player(PlayerPlatform& system);
  // Stops the clock, empties the movie, frees the strings and the
  // offscreen, then the stage, then the timer resolution.
  ~Player();
  Player(const Player&) = delete;
  Player& operator=(const Player&) = delete;
};

// Starts the frame clock; a non-looping movie at its end starts again
// from frame 0.
void play(Player& player);
// Stops the frame clock.
void stop(Player& player);
// Views the movie (the zoom rectangle, or the whole frame) in the window's
// client area and copies what changed to the window. Without a window, or
// when no offscreen can be made, nothing is drawn and the changed area
// waits for the next call.
void redraw(Player& player);

// A heap copy of `text` (none for none, or when memory is short), and its
// release; the player's owned strings use these.
char* copyString(const char* text);
void freeString(char*& text);

}  // namespace lmr
