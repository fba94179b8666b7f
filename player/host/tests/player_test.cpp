// The player record: its initial state, the timer resolution it holds for
// its life, the order of its teardown, and play and stop.
#include "player/host/player.h"

#include <gtest/gtest.h>

#include "player/engine/geometry.h"
#include "player/engine/tests/movie_fixture.h"
#include "player/host/embed_parameters.h"
#include "player/host/player_stream.h"
#include "player/host/tests/fake_platform.h"

namespace lmr {
namespace {

using test::FakePlatform;

TEST(Player, StartsStoppedWithTheDefaultsAPageExpects) {
  FakePlatform platform;
  Player player(platform);
  EXPECT_EQ(player.mode, 0u);
  EXPECT_EQ(player.stream, nullptr);
  EXPECT_EQ(player.streamUrl, nullptr);
  EXPECT_EQ(player.name, nullptr);
  EXPECT_TRUE(player.playRequested);
  EXPECT_FALSE(player.started);
  EXPECT_FALSE(player.highQuality);
  EXPECT_TRUE(player.autoQuality);
  EXPECT_FALSE(player.bestQuality);
  EXPECT_EQ(player.framesSinceSwitch, 1000);
  EXPECT_TRUE(player.menuEnabled);
  EXPECT_TRUE(player.loop);
  EXPECT_TRUE(player.stopped);
  EXPECT_EQ(player.viewFlags, 0u);
  EXPECT_EQ(player.speedLimit, 0);
  EXPECT_TRUE(rectIsEmpty(player.zoomRect));
  EXPECT_TRUE(rectIsEmpty(player.panFeedbackRect));
  // The movie is wired to the player's own display list.
  EXPECT_EQ(player.stage.movie.displayList, &player.stage.list);
  EXPECT_FALSE(player.stage.hasOffscreen());
}

TEST(Player, HoldsATimerPeriodOfAtLeastTenMillisecondsForItsLife) {
  struct Case {
    uint32_t smallest;
    uint32_t expected;
  };
  for (const Case& c : {Case{1, 10}, Case{10, 10}, Case{16, 16}}) {
    FakePlatform platform;
    platform.smallestPeriod = c.smallest;
    {
      Player player(platform);
      EXPECT_EQ(player.timerPeriod.period, c.expected) << c.smallest;
      ASSERT_EQ(platform.calls.size(), 1u);
      EXPECT_EQ(platform.calls[0], "begin " + std::to_string(c.expected));
    }
    // Teardown stops the clock first and gives the resolution back last.
    ASSERT_EQ(platform.calls.size(), 3u);
    EXPECT_EQ(platform.calls[1], "stop 1");
    EXPECT_EQ(platform.calls[2], "end " + std::to_string(c.expected));
  }
}

// A player torn down with its stream half in, an offscreen and owned
// strings leaves nothing behind (the sanitizers see leaks and bad frees).
TEST(Player, TeardownFreesEverythingItOwns) {
  FakePlatform platform;
  platform.width = 40;
  platform.height = 30;
  const test::Bytes file = test::movieWith(
      test::join({test::backgroundTag(1, 2, 3), test::shapeTag(1, Rect{0, 100, 0, 100}), test::placeTag(1, 1),
                  test::frameTag(), test::frameTag(), test::endTag()}), 2);
  auto* player = new Player(platform);
  applyParameter(*player, "name", "movie");
  ASSERT_EQ(openStream(*player, &file, "a.lmr"), StreamAccepted);
  writeStream(*player, &file, file.data(), static_cast<int32_t>(file.size() - 3));
  ASSERT_TRUE(player->stage.hasOffscreen());
  delete player;
  EXPECT_EQ(platform.calls.back(), "end 10");
}

TEST(Player, PlayStartsTheFrameClockAndStopEndsIt) {
  FakePlatform platform;
  Player player(platform);
  const test::Bytes file = test::movieWith(test::join({test::frameTag(), test::frameTag(), test::endTag()}), 2, 20 << 8);
  openStream(player, &file, nullptr);
  player.playRequested = false;
  writeStream(player, &file, file.data(), static_cast<int32_t>(file.size()));
  platform.calls.clear();
  play(player);
  EXPECT_FALSE(player.stopped);
  EXPECT_TRUE(player.playRequested);
  EXPECT_EQ(platform.calls, std::vector<std::string>{"start 1 50"});
  stop(player);
  EXPECT_TRUE(player.stopped);
  EXPECT_EQ(platform.calls.back(), "stop 1");
}

// A movie that ran to its end without looping plays again from frame 0.
TEST(Player, PlayRewindsANonLoopingMovieAtItsEnd) {
  FakePlatform platform;
  Player player(platform);
  const test::Bytes file = test::movieWith(test::join({test::frameTag(), test::frameTag(), test::endTag()}), 2);
  openStream(player, &file, nullptr);
  player.playRequested = false;
  writeStream(player, &file, file.data(), static_cast<int32_t>(file.size()));
  struct Case {
    bool loop;
    int32_t expectedFrame;
  };
  for (const Case& c : {Case{false, 0}, Case{true, 1}}) {
    player.loop = c.loop;
    player.stage.movie.seekFrame(1);
    play(player);
    EXPECT_EQ(player.stage.movie.currentFrame, c.expectedFrame) << c.loop;
  }
}

}  // namespace
}  // namespace lmr
