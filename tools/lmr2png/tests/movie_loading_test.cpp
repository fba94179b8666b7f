// Loading a movie block by block up to the frame asked for.
#include <gtest/gtest.h>

#include <random>
#include <sstream>

#include "player/engine/result_codes.h"
#include "tools/lmr2png/frame_render.h"
#include "tools/lmr2png/movie_loading.h"
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
  if (canRender(l.outcome) && renderFrame(stage, Format32, 40, 30, Quality::High, ScaleShowAll)) {
    l.rgb = offscreenToRgb(stage.offscreen);
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

TEST(MovieLoading, EveryCutLength) {
  // However short the file, loading neither fails nor goes backwards: the
  // header first, then ever later frames, frame 1 once its frame tag is in.
  const Bytes movie = twoFrameMovie();
  int32_t lastShown = -1;
  bool headerSeen = false;
  for (size_t length = 0; length <= movie.size(); ++length) {
    SCOPED_TRACE("first " + std::to_string(length) + " bytes");
    const Loaded l = loadAndRender(Bytes(movie.begin(), movie.begin() + static_cast<std::ptrdiff_t>(length)), 1, 3);
    const bool complete = length >= movie.size() - 2;  // all but the end tag
    if (!canRender(l.outcome)) {
      EXPECT_FALSE(headerSeen);
      EXPECT_EQ(l.outcome.state, LoadState::HeaderIncomplete);
      EXPECT_TRUE(l.rgb.empty());
      continue;
    }
    headerSeen = true;
    EXPECT_EQ(l.outcome.state, complete ? LoadState::FrameReached : LoadState::DataEnded);
    EXPECT_GE(l.outcome.frameShown, lastShown);
    EXPECT_EQ(l.rgb.size(), size_t{40 * 30 * 3});
    lastShown = l.outcome.frameShown;
  }
  EXPECT_EQ(lastShown, 1);
}

TEST(MovieLoading, DamagedBytesStaySafe) {
  // Seeded damage anywhere in the file: each load ends in a defined state
  // and renders (or refuses) without touching memory it does not own.
  const Bytes movie = twoFrameMovie();
  std::mt19937 random(2024);
  for (int round = 0; round < 300; ++round) {
    Bytes damaged = movie;
    const int flips = 1 + round % 3;
    for (int k = 0; k < flips; ++k) {
      damaged[random() % damaged.size()] ^= static_cast<uint8_t>(1 + random() % 255);
    }
    SCOPED_TRACE("round " + std::to_string(round));
    const Loaded l = loadAndRender(damaged, 1, 16);
    if (canRender(l.outcome)) {
      EXPECT_EQ(l.rgb.size(), size_t{40 * 30 * 3});
      EXPECT_LE(l.outcome.frameShown, 1);
    } else {
      EXPECT_TRUE(l.rgb.empty());
    }
  }
}

}  // namespace
}  // namespace lmr::lmr2png::test
