// Stream delivery: one stream per player, the speed limit's arithmetic,
// the block that starts the movie, and streams that are cut, garbled or
// torn down half way.
#include "player/host/player_stream.h"

#include <gtest/gtest.h>

#include <random>

#include "player/engine/display_list.h"
#include "player/engine/geometry.h"
#include "player/host/embed_parameters.h"
#include "player/host/player.h"
#include "player/host/tests/fake_platform.h"

namespace lmr {
namespace {

using test::Bytes;
using test::FakePlatform;

int32_t writeAll(Player& player, const Bytes& file, size_t from = 0, size_t to = SIZE_MAX) {
  if (to > file.size()) to = file.size();
  if (from > to) from = to;
  return writeStream(player, &file, file.data() + from, static_cast<int32_t>(to - from));
}

// Frame 0 places a square on a coloured background; frame 1 moves it.
struct TwoFrames {
  Bytes firstFrame = test::join({test::backgroundTag(0x20, 0x40, 0x60), test::shapeTag(1, Rect{0, 2000, 0, 2000}),
                                 test::placeTag(1, 1), test::frameTag()});
  Bytes file = test::movieWith(
      test::join({firstFrame, test::removeTag(1, 1), test::placeTag(1, 1, test::translation(100, 0)),
                  test::frameTag(), test::endTag()}),
      2);
  // Where frame 0's last tag ends in the file.
  size_t firstFrameEnd = file.size() - (test::removeTag(1, 1).size() +
                                        test::placeTag(1, 1, test::translation(100, 0)).size() +
                                        test::frameTag().size() + test::endTag().size());
};

TEST(PlayerStream, AcceptsOneStreamInAPlayersLife) {
  FakePlatform platform;
  platform.now = 1234;
  Player player(platform);
  const int first = 0, second = 0;
  EXPECT_EQ(openStream(player, nullptr, "none.lmr"), StreamRefused);
  ASSERT_EQ(openStream(player, &first, "http://pages/movie.lmr"), StreamAccepted);
  EXPECT_EQ(player.stream, &first);
  EXPECT_STREQ(player.streamUrl, "http://pages/movie.lmr");
  EXPECT_EQ(player.streamStartTime, 1234);
  EXPECT_EQ(openStream(player, &second, "other.lmr"), StreamRefused);
  // Closing, completed or not, does not free the slot.
  closeStream(player, &first);
  EXPECT_EQ(openStream(player, &first, "again.lmr"), StreamRefused);
  EXPECT_EQ(player.stream, &first);
  EXPECT_STREQ(player.streamUrl, "http://pages/movie.lmr");
}

TEST(PlayerStream, BlocksOfOtherStreamsAreNotStored) {
  FakePlatform platform;
  Player player(platform);
  const TwoFrames movie;
  const Bytes other = movie.file;
  ASSERT_EQ(openStream(player, &movie.file, "movie.lmr"), StreamAccepted);
  EXPECT_EQ(writeStream(player, &other, other.data(), 20), 0);
  EXPECT_EQ(writeStream(player, nullptr, other.data(), 20), 0);
  EXPECT_EQ(writeStream(player, &movie.file, nullptr, 20), 0);
  EXPECT_EQ(writeStream(player, &movie.file, movie.file.data(), -1), 0);
  EXPECT_EQ(player.stage.movie.bytesReceived, 0);
  // A player without a stream stores nothing either.
  Player idle(platform);
  EXPECT_EQ(writeAll(idle, movie.file), 0);
  EXPECT_EQ(idle.stage.movie.bytesReceived, 0);
}

TEST(PlayerStream, WriteReadyAllowsTheSpeedLimitPerTenthOfASecond) {
  struct Case {
    int32_t limit;
    int32_t start;
    int32_t now;
    int32_t received;
    int32_t expected;
  };
  const Case cases[] = {
      {0, 0, 999999, 0, UnlimitedWriteBytes},
      {0, 5000, 0, 100, UnlimitedWriteBytes},
      {2400, 0, 1050, 1000, 1400},          // ten tenths: 2400 - 1000
      {2400, 0, 50, 1000, 0},               // no tenth yet, and more than allowed came
      {2400, 0, 1099, 0, 2400},             // steps of a tenth, not of a millisecond
      {2400, 100, 1150, 0, 2400},           // measured from the stream's start
      {2400, 0, 1000, 3000, 0},             // ahead of the limit
      {10, 0, 150, 0, 1},
      {2400, 0x7FFFFF00, 0x00000300, 0, 2400},  // the 31-bit clock wrapped
      {INT32_MAX, 0, 0x7FFFFFFF, 0, UnlimitedWriteBytes},
  };
  for (const Case& c : cases) {
    FakePlatform platform;
    platform.now = c.start;
    Player player(platform);
    player.speedLimit = c.limit;
    const Bytes file = test::movieWith(Bytes(static_cast<size_t>(c.received), 0), 1);
    openStream(player, &file, nullptr);
    if (c.received > 0) writeAll(player, file, 0, static_cast<size_t>(c.received));
    ASSERT_EQ(player.stage.movie.bytesReceived, c.received);
    platform.now = c.now;
    EXPECT_EQ(writeReadyBytes(player), c.expected) << c.limit << " " << c.start << " " << c.now;
  }
}

// Byte by byte: the player starts on exactly the block that completes
// frame 0, and a movie of two frames starts its clock then, unless held.
TEST(PlayerStream, StartsOnTheBlockThatCompletesFrameZero) {
  const TwoFrames movie;
  for (bool playParameter : {true, false}) {
    FakePlatform platform;
    Player player(platform);
    applyParameter(player, "play", playParameter ? "true" : "false");
    openStream(player, &movie.file, nullptr);
    for (size_t at = 0; at < movie.file.size(); ++at) {
      ASSERT_EQ(writeAll(player, movie.file, at, at + 1), 1);
      ASSERT_EQ(player.started, at + 1 >= movie.firstFrameEnd) << at;
      if (player.started) break;
    }
    EXPECT_EQ(player.stage.movie.currentFrame, 0);
    EXPECT_EQ(player.stopped, !playParameter);
    EXPECT_EQ(platform.timerStarts(), playParameter ? 1 : 0);
    EXPECT_FALSE(player.highQuality);  // several frames: quality stays automatic low
    // Once started, blocks are only stored: the clock consumes them.
    writeAll(player, movie.file, movie.firstFrameEnd);
    EXPECT_EQ(player.stage.movie.currentFrame, 0);
    EXPECT_EQ(player.stage.movie.bytesReceived, static_cast<int32_t>(movie.file.size()));
    EXPECT_EQ(platform.timerStarts(), playParameter ? 1 : 0);
  }
}

TEST(PlayerStream, AStillMovieTurnsAutomaticQualityHigh) {
  struct Case {
    const char* quality;
    bool high;
  };
  const Bytes file = test::movieWith(test::join({test::shapeTag(1, Rect{0, 200, 0, 200}), test::placeTag(1, 1),
                                                 test::frameTag(), test::endTag()}),
                                     1);
  for (const Case& c : {Case{"autolow", true}, Case{"low", false}, Case{"high", true}}) {
    FakePlatform platform;
    Player player(platform);
    applyParameter(player, "quality", c.quality);
    openStream(player, &file, nullptr);
    writeAll(player, file);
    EXPECT_TRUE(player.started) << c.quality;
    EXPECT_TRUE(player.stopped) << c.quality;
    EXPECT_EQ(platform.timerStarts(), 0) << c.quality;
    EXPECT_EQ(player.highQuality, c.high) << c.quality;
  }
}

// A movie whose frame 0 never ends still starts once the whole file is in.
TEST(PlayerStream, AFileWithoutAFrameEndStartsWhenComplete) {
  FakePlatform platform;
  Player player(platform);
  const Bytes file = test::movieWith(test::join({test::shapeTag(1, Rect{0, 200, 0, 200}), test::placeTag(1, 1)}), 3);
  openStream(player, &file, nullptr);
  writeAll(player, file, 0, file.size() - 1);
  EXPECT_FALSE(player.started);
  writeAll(player, file, file.size() - 1);
  EXPECT_TRUE(player.started);
  EXPECT_EQ(platform.timerStarts(), 1);
}

// Every block while loading shows what has been built so far; after the
// start the stream draws nothing more. Without a window nothing is drawn,
// and the first redraw with one shows the whole picture.
TEST(PlayerStream, LoadingBlocksRedrawTheWindow) {
  const TwoFrames movie;
  FakePlatform platform;
  Player player(platform);
  openStream(player, &movie.file, nullptr);
  writeAll(player, movie.file, 0, 5);  // inside the header
  EXPECT_TRUE(platform.copies.empty());
  platform.width = 64;
  platform.height = 48;
  const size_t backgroundEnd =
      movie.firstFrameEnd - (movie.firstFrame.size() - test::backgroundTag(0, 0, 0).size());
  writeAll(player, movie.file, 5, backgroundEnd);
  ASSERT_EQ(platform.copies.size(), 1u);
  EXPECT_EQ(platform.copies[0], (Rect{0, 64, 0, 48}));
  EXPECT_EQ(platform.copiedCorner[0], 0x204060u);
  EXPECT_FALSE(player.started);
  writeAll(player, movie.file, backgroundEnd, movie.firstFrameEnd);
  EXPECT_TRUE(player.started);
  ASSERT_EQ(platform.copies.size(), 2u);
  EXPECT_FALSE(rectIsEmpty(platform.copies[1]));
  writeAll(player, movie.file, movie.firstFrameEnd);
  EXPECT_EQ(platform.copies.size(), 2u);
}

// A file that is not a movie never starts; each block still redraws only
// the background and nothing is stored past the refusal.
TEST(PlayerStream, ANonMovieNeverStarts) {
  FakePlatform platform;
  platform.width = 16;
  platform.height = 16;
  Player player(platform);
  Bytes file = TwoFrames().file;
  file[0] = 'X';
  openStream(player, &file, nullptr);
  for (size_t at = 0; at < file.size(); at += 7) writeAll(player, file, at, at + 7);
  EXPECT_FALSE(player.started);
  EXPECT_EQ(player.stage.movie.buffer, nullptr);
  EXPECT_EQ(platform.timerStarts(), 0);
}

// Cut, garbled or random files in small blocks, with the player torn down
// at every stage of the stream: nothing crashes and nothing leaks (the
// sanitizers watch), and a movie never runs past frame 0 from the stream.
TEST(PlayerStream, CutAndGarbledStreamsInSmallBlocks) {
  const Bytes good = TwoFrames().file;
  std::mt19937 random(12);
  std::vector<Bytes> files;
  for (size_t cut : {size_t{3}, size_t{8}, size_t{20}, good.size() / 2, good.size() - 1}) {
    files.emplace_back(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(cut));
  }
  for (int i = 0; i < 40; ++i) {
    Bytes garbled = good;
    for (int flips = 0; flips < 4; ++flips) {
      garbled[8 + random() % (garbled.size() - 8)] = static_cast<uint8_t>(random());
    }
    files.push_back(garbled);
    Bytes noise(8 + random() % 120);
    for (uint8_t& b : noise) b = static_cast<uint8_t>(random());
    noise[0] = 'L', noise[1] = 'M', noise[2] = 'V';
    files.push_back(noise);
  }
  for (const Bytes& file : files) {
    for (size_t stopAfter : {size_t{1}, file.size() / 2, file.size()}) {
      FakePlatform platform;
      platform.width = 32;
      platform.height = 24;
      auto* player = new Player(platform);
      applyParameter(*player, "play", "false");
      openStream(*player, &file, "cut.lmr");
      size_t at = 0;
      while (at < file.size() && at < stopAfter) {
        const size_t block = 1 + random() % 9;
        const size_t end = std::min(file.size(), at + block);
        ASSERT_EQ(writeAll(*player, file, at, end), static_cast<int32_t>(end - at));
        at = end;
      }
      EXPECT_LE(player->stage.movie.currentFrame, 0);
      delete player;
    }
  }
}

}  // namespace
}  // namespace lmr
