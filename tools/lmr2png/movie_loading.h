// Loads a movie into a stage block by block, as a browser delivers a
// stream, up to the frame that is to be shown.
#pragma once

#include <cstdint>
#include <istream>
#include <string>

#include "player/host/movie_stage.h"

namespace lmr::lmr2png {

// Bytes handed to the movie at a time.
constexpr int32_t MovieBlockBytes = 8192;

enum class LoadState {
  FrameReached,      // the frame asked for is complete
  MovieEnded,        // the end tag came first
  DataEnded,         // the data ran out before the frame was complete
  HeaderIncomplete,  // the data ran out before the frame rectangle was known
  NotAMovie,         // no signature "LMV", or a declared length below the header
  TooLarge,          // the declared length is more than the movie can hold
  ReadFailed,        // the stream reported an error
};

struct LoadOutcome {
  LoadState state = LoadState::HeaderIncomplete;
  // The last complete frame, which the stage now shows; -1 when frame 0 is
  // incomplete (the stage then shows the part of it that arrived).
  int32_t frameShown = -1;
  int32_t bytesReceived = 0;
  int32_t fileLength = -1;  // declared; -1 when the 8 header bytes never came
};

// Appends `in` to the movie in blocks of `blockBytes`, seeking `frame`
// after each block, and stops reading once the frame is complete or the
// movie refuses more. When the frame is never reached the stage is wound
// back to the last complete frame, so that tags of an unfinished frame do
// not show. Frame actions are queued by the movie but never run.
LoadOutcome loadMovie(MovieStage& stage, std::istream& in, int32_t frame,
                      int32_t blockBytes = MovieBlockBytes);

// True when a picture can be rendered from what was loaded.
bool canRender(const LoadOutcome& outcome);

// One line for standard error: why nothing could be rendered, or why the
// picture is not of the frame asked for. Empty for FrameReached.
std::string describeOutcome(const LoadOutcome& outcome, const MovieStage& stage, int32_t frame);

}  // namespace lmr::lmr2png
