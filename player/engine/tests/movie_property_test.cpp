// However a movie's bytes are split into blocks, and however far they
// arrive, playing reaches the same frames with the same display list.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "player/engine/tests/movie_fixture.h"

namespace lmr {
namespace {

using test::Bytes;
using test::join;
using test::Stage;
using test::translation;

// Six frames of places, removes, backgrounds, redefinitions, drops,
// buttons, fonts, texts, images, actions and skipped tags.
Bytes richMovie() {
  const Rect box{0, 100, 0, 50};
  const Rect centred{-50, 50, -25, 25};
  Matrix scaled;
  scaled.a = 0x20000;
  scaled.d = 0x8000;
  scaled.c = -0x1000;
  scaled.tx = 300;
  scaled.ty = -40;
  Bytes frames = join({
      test::backgroundTag(10, 20, 30),
      test::shapeTag(1, box),
      test::shapeTag(2, centred),
      test::placeTag(1, 1, translation(10, 10)),
      test::placeTag(2, 2, scaled),
      test::buttonTag(3, {{1, 1, 10, translation(1, 2)}, {2 | 4, 2, 11, {}}, {8, 1, 12, {}}}),
      test::placeTag(3, 5, translation(500, 500)),
      test::frameTag(),

      test::placeTag(1, 3, translation(-20, 7)),
      test::removeTag(1, 1),
      test::tag(14, Bytes(70, 0x5A)),
      test::actionsTag(),
      test::frameTag(),

      test::backgroundTag(200, 0, 0),
      test::shapeTag(1, centred),
      test::placeTag(1, 4),
      test::dropTag(2),
      test::frameTag(),

      test::removeTag(3, 5),
      test::fontTag(7),
      test::fontFaceTag(7),
      test::textTag(8, box),
      test::placeTag(8, 6, scaled),
      test::frameTag(),

      test::jpegSetupTag(),
      test::jpegImageTag(9),
      test::placeTag(9, 7),
      test::removeTag(8, 6),
      test::frameTag(),

      test::placeTag(1, 1, translation(3, 3)),
      test::placeTag(3, 9),
      test::frameTag(),
      test::endTag(),
  });
  enc::MovieHeader header;
  header.frameCount = 6;
  return test::movieOf(frames, header);
}

// What the frame clock sees: after each block it steps as far as the data
// allows and records every frame it completes. The changed area is taken
// as rendered after each frame.
struct Player {
  Stage stage;
  std::vector<std::string> frames;

  void deliver(const Bytes& file, size_t from, size_t to) {
    test::feed(stage.movie, file, from, to);
    while (stage.movie.seekFrame(stage.movie.currentFrame + 1) == ResultOk) {
      frames.push_back(test::describe(stage));
      rectSetEmpty(stage.list.changedArea);
      EXPECT_TRUE(test::objectsPointAtLiveRecords(stage));
    }
  }
};

std::vector<std::string> playInOneBlock(const Bytes& file) {
  Player p;
  p.deliver(file, 0, file.size());
  return p.frames;
}

TEST(MovieProperty, EveryBlockSizeReachesTheSameFrames) {
  const Bytes file = richMovie();
  const std::vector<std::string> reference = playInOneBlock(file);
  ASSERT_EQ(reference.size(), 6u);
  for (size_t block = 1; block <= file.size(); ++block) {
    Player p;
    for (size_t at = 0; at < file.size(); at += block) p.deliver(file, at, at + block);
    ASSERT_EQ(p.frames, reference) << "blocks of " << block;
  }
}

TEST(MovieProperty, RandomSplitsReachTheSameFrames) {
  const Bytes file = richMovie();
  const std::vector<std::string> reference = playInOneBlock(file);
  for (uint32_t seed = 1; seed <= 300; ++seed) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<size_t> size(1, 40);
    Player p;
    for (size_t at = 0; at < file.size();) {
      size_t next = at + size(random);
      p.deliver(file, at, next);
      at = next;
    }
    ASSERT_EQ(p.frames, reference) << "seed " << seed;
  }
}

// A file cut anywhere (its declared length cut too, so the buffer ends
// exactly there) plays the frames that are complete and then waits.
TEST(MovieProperty, TruncatedFilesPlayTheirCompleteFrames) {
  const Bytes file = richMovie();
  const std::vector<std::string> reference = playInOneBlock(file);
  for (size_t length = 1; length < file.size(); ++length) {
    Bytes cut(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(length));
    if (length >= 8) {
      for (int i = 0; i < 4; ++i) cut[4 + i] = static_cast<uint8_t>(length >> (8 * i));
    }
    Player p;
    p.deliver(cut, 0, cut.size());
    ASSERT_LE(p.frames.size(), reference.size());
    for (size_t f = 0; f < p.frames.size(); ++f) ASSERT_EQ(p.frames[f], reference[f]) << length;
    EXPECT_EQ(p.stage.movie.seekFrame(100), ResultNeedData) << length;
  }
}

// Random tag streams of known codes with random bodies: nothing crashes or
// reads past the buffer, and no placed object outlives its record.
TEST(MovieProperty, RandomTagStreamsStaySound) {
  for (uint32_t seed = 1; seed <= 400; ++seed) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> code(0, 15);
    std::uniform_int_distribution<int> length(0, 24);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> smallId(0, 3);
    Bytes tags;
    for (int t = 0; t < 60; ++t) {
      int c = code(random);
      if (c == TagEnd) c = TagFrame;
      Bytes body(static_cast<size_t>(length(random)));
      for (uint8_t& b : body) b = static_cast<uint8_t>(byte(random));
      // Small ids, so that definitions, places, drops and button records meet.
      if (body.size() >= 2) body[1] = 0, body[0] = static_cast<uint8_t>(smallId(random));
      tags = join({tags, test::tag(static_cast<uint32_t>(c), body, c == TagJpegImage)});
    }
    Stage stage(test::movieOf(tags));
    EXPECT_EQ(stage.movie.seekFrame(1000), ResultNeedData) << seed;
    EXPECT_TRUE(test::objectsPointAtLiveRecords(stage)) << seed;
    stage.movie.seekFrame(-1);
    EXPECT_EQ(stage.objectCount(), 0);
  }
}

}  // namespace
}  // namespace lmr
