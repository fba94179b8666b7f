// A movie playing into a display list that renders into an offscreen: the
// set-up, the wiring and the order of teardown that every player of movies
// shares. The plug-in's player owns one per embed; lmr2png, the benchmark,
// the fuzzers and the tests use the same record.
//
// Use: construct, appendData as the file arrives (the movie seeks and
// places through the list), makeOffscreen and viewWindow once the frame
// rectangle is known (movie.headerParsed), then list.render() whenever the
// changed area should reach the offscreen.
#pragma once

#include <cstdint>

#include "player/engine/display_list.h"
#include "player/engine/movie.h"
#include "player/render/offscreen.h"

namespace lmr {

struct ColorTable;

struct MovieStage {
  // Declared first, destroyed last: the movie points at the list, and
  // emptying the movie removes its objects from it.
  DisplayList list;
  Movie movie;
  Offscreen offscreen;  // no bitmap until makeOffscreen succeeds

  MovieStage();
  ~MovieStage();
  MovieStage(const MovieStage&) = delete;
  MovieStage& operator=(const MovieStage&) = delete;

  // Hands a block of the file to the movie (copied; `data` may go after).
  void appendData(const uint8_t* data, int32_t length);

  // Makes the offscreen anew in one of the eight formats (with `table`, or
  // the format's default colours) and points the list at it; the whole
  // picture becomes the changed area. False: no offscreen, and the list
  // draws nowhere until the next success.
  bool makeOffscreen(int32_t formatIndex, int32_t width, int32_t height, bool bottomUp,
                     ColorTable* table = nullptr);
  bool hasOffscreen() const { return offscreen.bitmap != nullptr; }
  void releaseOffscreen();

  // Views the movie's frame rectangle in a window of width x height pixels
  // with the scale and alignment flags of computeViewMatrix; antialias
  // renders in quarter pixels.
  void viewWindow(int32_t width, int32_t height, bool antialias, uint32_t viewFlags);
};

}  // namespace lmr
