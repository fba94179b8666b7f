#include "tools/lmr2png/movie_loading.h"

#include <vector>

#include "player/engine/result_codes.h"

namespace lmr::lmr2png {

LoadOutcome loadMovie(MovieStage& stage, std::istream& in, int32_t frame, int32_t blockBytes) {
  Movie& movie = stage.movie;
  LoadOutcome outcome;
  std::vector<char> block(static_cast<size_t>(blockBytes > 0 ? blockBytes : MovieBlockBytes));
  int32_t result = ResultNeedData;
  bool readFailed = false;
  for (;;) {
    in.read(block.data(), static_cast<std::streamsize>(block.size()));
    const std::streamsize got = in.gcount();
    if (in.bad()) readFailed = true;
    if (got > 0) {
      stage.appendData(reinterpret_cast<const uint8_t*>(block.data()), static_cast<int32_t>(got));
      result = movie.seekFrame(frame);
    }
    if (readFailed || got <= 0 || result != ResultNeedData) break;
    // Bytes past the declared length are dropped: no need to read them.
    if (movie.fileLength >= 0 && movie.bytesReceived >= movie.fileLength) break;
  }
  outcome.bytesReceived = movie.bytesReceived;
  outcome.fileLength = movie.fileLength;

  if (movie.error == ResultBadMagic) {
    outcome.state = LoadState::NotAMovie;
  } else if (movie.error == ResultOutOfMemory) {
    outcome.state = LoadState::TooLarge;
  } else if (readFailed) {
    outcome.state = LoadState::ReadFailed;
  } else if (!movie.headerParsed) {
    outcome.state = LoadState::HeaderIncomplete;
  } else if (movie.currentFrame >= frame) {
    outcome.state = LoadState::FrameReached;
  } else {
    outcome.state = result == ResultEnded ? LoadState::MovieEnded : LoadState::DataEnded;
    // Tags after the last frame boundary (an unfinished frame, or tags
    // before an end tag) would mix into the picture: show the frame itself.
    const int32_t last = movie.currentFrame;
    if (last >= 0) {
      movie.rewind();
      movie.seekFrame(last);
    }
  }
  outcome.frameShown = movie.currentFrame;
  return outcome;
}

bool canRender(const LoadOutcome& outcome) {
  switch (outcome.state) {
    case LoadState::FrameReached:
    case LoadState::MovieEnded:
    case LoadState::DataEnded: return true;
    default: return false;
  }
}

std::string describeOutcome(const LoadOutcome& outcome, const MovieStage& stage, int32_t frame) {
  const std::string received = std::to_string(outcome.bytesReceived);
  const std::string declared = std::to_string(outcome.fileLength);
  const std::string shown = outcome.frameShown >= 0
                                ? "the picture shows frame " + std::to_string(outcome.frameShown)
                                : "the picture shows the part of frame 0 that is there";
  const std::string wanted = "frame " + std::to_string(frame) + " not reached: ";
  switch (outcome.state) {
    case LoadState::FrameReached: return "";
    case LoadState::MovieEnded:
      return wanted + "the movie ends after " + std::to_string(outcome.frameShown + 1) +
             " frame(s); " + shown;
    case LoadState::DataEnded:
      if (outcome.bytesReceived >= outcome.fileLength) {
        return wanted + "a tag runs past the declared end of the file; " + shown;
      }
      return wanted + "the data ends after " + received + " of " + declared + " bytes; " + shown;
    case LoadState::HeaderIncomplete:
      if (outcome.bytesReceived == 0 && stage.movie.headerBytesSeen == 0) return "not a movie: the file is empty";
      return "not a movie: the file ends before its header is complete";
    case LoadState::NotAMovie: {
      const uint8_t* h = stage.movie.headerBytes;
      if (h[0] != 'L' || h[1] != 'M' || h[2] != 'V') return "not a movie: it does not start with \"LMV\"";
      return "not a movie: its declared length is shorter than its header";
    }
    case LoadState::TooLarge:
      return "the movie cannot be loaded: its declared length is over " +
             std::to_string(MaxMovieBytes >> 20) + " MiB, or memory is short";
    case LoadState::ReadFailed: return "cannot read the file";
  }
  return "";
}

}  // namespace lmr::lmr2png
