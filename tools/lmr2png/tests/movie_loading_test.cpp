// Loading a movie block by block up to the frame asked for.
#include <gtest/gtest.h>

#include <sstream>

#include "player/engine/result_codes.h"
#include "tools/lmr2png/frame_render.h"
#include "tools/lmr2png/movie_stage.h"
#include "tools/lmr2png/pixel_readback.h"
#include "tools/lmr2png/tests/lmr2png_fixture.h"

namespace lmr::lmr2png::test {
namespace {

struct Loaded {
  LoadOutcome outcome;
  Bytes rgb;
};

Loaded loadAndRender(const Bytes& file, int32_t frame, int32_t blockBytes, bool withPageColor = false) {
  MovieStage stage;
  if (withPageColor) stage.list.setBackground(packColor(0, 255, 0), BackgroundFromPage);
  std::istringstream in(std::string(file.begin(), file.end()));
  Loaded l;
  l.outcome = loadMovie(stage, in, frame, blockBytes);
  FrameImage image;
  if (canRender(l.outcome) && renderFrame(stage, Format32, 40, 30, Quality::High, ScaleShowAll, image)) {
    l.rgb = offscreenToRgb(image.offscreen);
  }
  return l;
}

TEST(MovieLoading, BlockSizeDoesNotMatter) {
  // The header split over many blocks, tags split at every byte: the
  // picture is the one of the whole file in one block.
  const Bytes movie = twoFrameMovie();
  for (int32_t frame : {0, 1}) {
    const Loaded whole = loadAndRender(movie, frame, static_cast<int32_t>(movie.size()));
    ASSERT_EQ(whole.outcome.state, LoadState::FrameReached);
    for (int32_t block : {1, 2, 3, 7, 8, 9, 64, MovieBlockBytes}) {
      SCOPED_TRACE("frame " + std::to_string(frame) + ", blocks of " + std::to_string(block));
      const Loaded l = loadAndRender(movie, frame, block);
      EXPECT_EQ(l.outcome.state, LoadState::FrameReached);
      EXPECT_EQ(l.outcome.frameShown, frame);
      EXPECT_EQ(l.rgb, whole.rgb);
    }
  }
}

TEST(MovieLoading, UnfinishedFrameIsNotShown) {
  // Cut where frame 1 has removed the red square and placed the blue one
  // but has not ended: the picture is frame 0, as complete as it was, and
  // the page colour survives the wind-back.
  const Bytes movie = twoFrameMovie();
  const Bytes cut(movie.begin(), movie.end() - 4);
  for (bool pageColor : {false, true}) {
    SCOPED_TRACE(pageColor ? "page colour" : "no page colour");
    const Loaded frame0 = loadAndRender(movie, 0, MovieBlockBytes, pageColor);
    const Loaded l = loadAndRender(cut, 1, 5, pageColor);
    EXPECT_EQ(l.outcome.state, LoadState::DataEnded);
    EXPECT_EQ(l.outcome.frameShown, 0);
    EXPECT_EQ(l.rgb, frame0.rgb);
  }
}

TEST(MovieLoading, PartOfFrameZeroIsShown) {
  // Everything of frame 0 up to its place has arrived, its frame tag has
  // not: what is there is shown, as the player shows a loading movie.
  const Bytes movie = twoFrameMovie();
  MovieStage probe;
  probe.movie.appendData(movie.data(), static_cast<int32_t>(movie.size()));
  while (!probe.list.firstObject && probe.movie.stepTag() == ResultOk) {
  }
  ASSERT_NE(probe.list.firstObject, nullptr);
  const Bytes cut(movie.begin(), movie.begin() + probe.movie.tagEnd);

  const Loaded l = loadAndRender(cut, 0, MovieBlockBytes);
  EXPECT_EQ(l.outcome.state, LoadState::DataEnded);
  EXPECT_EQ(l.outcome.frameShown, -1);
  EXPECT_EQ(l.rgb, loadAndRender(movie, 0, MovieBlockBytes).rgb);
}

}  // namespace
}  // namespace lmr::lmr2png::test
