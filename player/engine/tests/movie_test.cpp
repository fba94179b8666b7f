#include "player/engine/movie.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "player/engine/chunk_memory.h"
#include "player/engine/tests/movie_fixture.h"

namespace lmr {
namespace {

using test::Bytes;
using test::feed;
using test::join;
using test::Stage;

struct ChunkFailGuard {
  explicit ChunkFailGuard(long n) { setChunkFailAfter(n); }
  ~ChunkFailGuard() { setChunkFailAfter(-1); }
};

const Rect kBox{0, 100, 0, 50};

// Two frames: a shape placed in frame 0, placed again in frame 1.
Bytes twoFrameMovie() {
  return test::movieOf(join({test::shapeTag(1, kBox), test::placeTag(1, 1), test::frameTag(),
                             test::placeTag(1, 2), test::frameTag(), test::endTag()}));
}

Bytes withDeclaredLength(Bytes file, uint32_t length) {
  for (int i = 0; i < 4; ++i) file[4 + i] = static_cast<uint8_t>(length >> (8 * i));
  return file;
}

TEST(MovieStates, ResultCodesInEveryState) {
  struct Case {
    const char* state;
    std::function<void(Movie&)> setup;
    int32_t seek;  // seekFrame(1)
    int32_t step;  // stepTag() after that
    int readHeader;
  };
  const Bytes good = twoFrameMovie();
  Bytes badMagic = good;
  badMagic[2] = 'X';
  enc::MovieHeader longer;
  longer.declaredLength = 1000;
  const Bytes waiting = test::movieOf(join({test::shapeTag(1, kBox), test::frameTag()}), longer);
  const Case cases[] = {
      {"empty", [](Movie&) {}, ResultNeedData, ResultNoData, 0},
      {"collecting header", [&](Movie& m) { feed(m, good, 0, 5); }, ResultNeedData, ResultNoData, 0},
      {"bad magic", [&](Movie& m) { feed(m, badMagic); }, ResultBadMagic, ResultBadMagic, 0},
      {"length below 8", [&](Movie& m) { feed(m, withDeclaredLength(good, 7)); }, ResultBadMagic,
       ResultBadMagic, 0},
      {"length above the cap", [&](Movie& m) { feed(m, withDeclaredLength(good, MaxMovieBytes + 1u)); },
       ResultOutOfMemory, ResultOutOfMemory, 0},
      {"loading header", [&](Movie& m) { feed(m, good, 0, 15); }, ResultNeedData, ResultNeedData, 0},
      {"playing", [&](Movie& m) { feed(m, good); }, ResultOk, ResultOk, 1},  // the end tag runs
      {"inside a frame", [&](Movie& m) { feed(m, waiting, 0, waiting.size() - 1); }, ResultNeedData,
       ResultNeedData, 1},
      {"waiting for the next frame", [&](Movie& m) { feed(m, waiting); }, ResultNeedData, ResultNeedData, 1},
      {"ended",
       [&](Movie& m) {
         feed(m, good);
         m.seekFrame(5);
       },
       ResultOk, ResultEnded, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.state);
    Movie movie;
    c.setup(movie);
    EXPECT_EQ(movie.seekFrame(1), c.seek);
    EXPECT_EQ(movie.stepTag(), c.step);
    EXPECT_EQ(movie.readHeader(), c.readHeader);
    EXPECT_LE(movie.bytesReceived, movie.fileLength < 0 ? 0 : movie.fileLength);
    // Reset always returns to the empty state.
    movie.reset();
    EXPECT_EQ(movie.seekFrame(0), ResultNeedData);
    EXPECT_EQ(movie.stepTag(), ResultNoData);
    EXPECT_EQ(movie.fileLength, -1);
    EXPECT_EQ(movie.bytesReceived, 0);
  }
}

TEST(MovieStates, EndedMovieEndsEveryLaterSeek) {
  Movie movie;
  feed(movie, twoFrameMovie());
  EXPECT_EQ(movie.seekFrame(5), ResultEnded);
  EXPECT_EQ(movie.currentFrame, 1);
  EXPECT_TRUE(movie.ended);
  EXPECT_EQ(movie.seekFrame(2), ResultEnded);
  EXPECT_EQ(movie.seekFrame(1), ResultOk);  // already there: nothing to do
  EXPECT_TRUE(movie.ended);
}

TEST(MovieHeader, WrongSignatureFailsAtTheEighthByte) {
  for (int wrong = 0; wrong < 3; ++wrong) {
    SCOPED_TRACE(wrong);
    Bytes file = twoFrameMovie();
    file[wrong] ^= 0x20;
    Movie movie;
    for (size_t i = 0; i < 7; ++i) {
      feed(movie, file, i, i + 1);
      EXPECT_EQ(movie.seekFrame(0), ResultNeedData);
      EXPECT_EQ(movie.error, 0);
    }
    feed(movie, file, 7, 8);
    EXPECT_EQ(movie.seekFrame(0), ResultBadMagic);
    feed(movie, file, 8);
    EXPECT_EQ(movie.seekFrame(0), ResultBadMagic);
    EXPECT_EQ(movie.bytesReceived, 0);
    EXPECT_EQ(movie.buffer, nullptr);
  }
}

TEST(MovieHeader, DeclaredLengthsOutsideTheSaneRangeAreRefused) {
  struct Case {
    uint32_t length;
    int32_t error;
  };
  const Case cases[] = {
      {0, ResultBadMagic},
      {7, ResultBadMagic},
      {8, 0},
      {static_cast<uint32_t>(MaxMovieBytes) + 1, ResultOutOfMemory},
      {0x80000000u, ResultOutOfMemory},
      {0xFFFFFFFFu, ResultOutOfMemory},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.length);
    Movie movie;
    feed(movie, withDeclaredLength(twoFrameMovie(), c.length));
    EXPECT_EQ(movie.error, c.error);
    EXPECT_EQ(movie.buffer == nullptr, c.error != 0);
  }
  // Eight bytes hold the fixed header only: the movie waits for ever.
  Movie movie;
  feed(movie, withDeclaredLength(twoFrameMovie(), 8));
  EXPECT_EQ(movie.bytesReceived, 8);
  EXPECT_EQ(movie.seekFrame(0), ResultNeedData);
}

TEST(MovieHeader, SplitOverAnyTwoCutsReadsTheSame) {
  const Bytes file = twoFrameMovie();
  for (size_t i = 1; i < 26; ++i) {
    for (size_t j = i; j < 26; ++j) {
      Movie movie;
      feed(movie, file, 0, i);
      movie.readHeader();
      feed(movie, file, i, j);
      movie.readHeader();
      feed(movie, file, j);
      ASSERT_EQ(movie.readHeader(), 1) << i << " " << j;
      EXPECT_EQ(movie.version, 1);
      EXPECT_EQ(movie.fileLength, static_cast<int32_t>(file.size()));
      EXPECT_EQ(movie.bytesReceived, movie.fileLength);
      EXPECT_EQ(movie.frameRect, (Rect{0, 11000, 0, 8000}));
      EXPECT_EQ(movie.frameCount, 1);
      EXPECT_EQ(movie.firstTagOffset, 21);
      EXPECT_EQ(movie.seekFrame(1), ResultOk);
    }
  }
}

TEST(MovieHeader, WaitsForItsOwnRectangle) {
  struct Case {
    int rectWidth;
    Rect frame;
    int32_t headerBytes;
  };
  const Case cases[] = {
      {0, Rect{0, 0, 0, 0}, 13},         {12, Rect{0, 2000, 0, 1000}, 19},
      {15, Rect{0, 11000, 0, 8000}, 21}, {16, Rect{-20000, 20000, 0, 8000}, 21},
      {31, Rect{0, 11000, 0, 8000}, 29},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.rectWidth);
    enc::MovieHeader header;
    header.rectWidth = c.rectWidth;
    header.frame = c.frame;
    Bytes file = test::movieOf(join({test::frameTag(), test::endTag()}), header);
    Movie movie;
    feed(movie, file, 0, c.headerBytes - 1);
    EXPECT_EQ(movie.readHeader(), 0);
    EXPECT_EQ(movie.seekFrame(0), ResultNeedData);
    feed(movie, file, c.headerBytes - 1, c.headerBytes);
    EXPECT_EQ(movie.readHeader(), 1);
    EXPECT_EQ(movie.frameRect, c.frame);
    EXPECT_EQ(movie.firstTagOffset, c.headerBytes);
    EXPECT_EQ(movie.currentFrame, -1);
  }
}

TEST(MovieHeader, FrameRates) {
  struct Case {
    uint32_t rate;  // 8.8 as in the file
    Fixed frameRate;
    int32_t frameMillis;
  };
  const Case cases[] = {
      {0x0C00, 0xC0000, 83},  {0x0100, 0x10000, 1000},
      {0x0080, 0x8000, 2000}, {0x0001, 0x100, 256000},
      {0xFFFF, 0xFFFF00, 3},  {0x0000, 0, FrameMillisForZeroRate},  // no rate: a safe, slow frame clock
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.rate);
    enc::MovieHeader header;
    header.rate = c.rate;
    Movie movie;
    feed(movie, test::movieOf(test::endTag(), header));
    ASSERT_EQ(movie.readHeader(), 1);
    EXPECT_EQ(movie.frameRate, c.frameRate);
    EXPECT_EQ(movie.frameMillis, c.frameMillis);
  }
}

TEST(MovieTags, UnknownCodesAreSkippedByTheirLength) {
  struct Case {
    uint32_t code;
    size_t bodyBytes;
    bool longForm;
    int32_t skipped;
  };
  const Case cases[] = {
      {14, 5, false, 7}, {14, 0, false, 2}, {1023, 5, true, 11}, {500, 62, false, 64}, {77, 63, false, 69},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    Movie movie;
    feed(movie, test::movieOf(join({test::tag(c.code, Bytes(c.bodyBytes, 0xAB), c.longForm), test::frameTag(),
                                    test::endTag()})));
    ASSERT_EQ(movie.readHeader(), 1);
    int32_t start = movie.reader.pos;
    EXPECT_EQ(movie.stepTag(), ResultOk);
    EXPECT_EQ(movie.reader.pos - start, c.skipped);
    EXPECT_EQ(movie.currentFrame, -1);
  }
}

TEST(MovieTags, LongHeaderSplitAcrossBlocksWaitsAtTheTagStart) {
  const Bytes first = test::movieOf(test::frameTag());
  const Bytes file = test::movieOf(
      join({test::frameTag(), test::tag(14, {1, 2, 3}, true), test::frameTag(), test::endTag()}));
  const size_t tagStart = first.size();
  for (size_t cut = tagStart; cut < tagStart + 9; ++cut) {
    SCOPED_TRACE(cut - tagStart);
    Movie movie;
    feed(movie, file, 0, cut);
    ASSERT_EQ(movie.seekFrame(0), ResultOk);
    EXPECT_EQ(movie.seekFrame(1), ResultNeedData);
    EXPECT_EQ(movie.reader.pos, static_cast<int32_t>(tagStart));
    EXPECT_EQ(movie.seekFrame(1), ResultNeedData);  // asking again changes nothing
    feed(movie, file, cut);
    EXPECT_EQ(movie.seekFrame(1), ResultOk);
    EXPECT_EQ(movie.currentFrame, 1);
  }
}

TEST(MovieTags, TagsBeyondTheDeclaredLengthNeverComplete) {
  // A long header that claims 4 GiB of body: the movie waits at that tag.
  enc::BitWriter hostile;
  hostile.u16(14 << 6 | 0x3F);
  hostile.u32(0xFFFFFFF0u);
  const Bytes file = test::movieOf(join({test::frameTag(), hostile.bytes, test::frameTag()}));
  Movie movie;
  feed(movie, file);
  feed(movie, Bytes(100, 0));  // bytes past the declared length are dropped
  EXPECT_EQ(movie.bytesReceived, movie.fileLength);
  EXPECT_EQ(movie.seekFrame(0), ResultOk);
  EXPECT_EQ(movie.seekFrame(1), ResultNeedData);
  EXPECT_EQ(movie.seekFrame(1), ResultNeedData);
  EXPECT_EQ(movie.currentFrame, 0);
}

TEST(MovieTags, DeclaredLengthLargerThanWhatArrives) {
  enc::MovieHeader header;
  header.declaredLength = 500;
  Movie movie;
  feed(movie, test::movieOf(join({test::frameTag(), test::shapeTag(1, kBox), test::frameTag()}), header));
  EXPECT_EQ(movie.seekFrame(5), ResultNeedData);
  EXPECT_EQ(movie.currentFrame, 1);
  feed(movie, Bytes(1000, 0x40));  // only the bytes up to the declared 500 are kept
  EXPECT_EQ(movie.bytesReceived, 500);
  EXPECT_EQ(movie.fileLength, 500);
}

TEST(MovieSeek, ForwardsBackwardsAndPastTheEnd) {
  Stage stage(twoFrameMovie());
  Movie& movie = stage.movie;

  EXPECT_EQ(movie.seekFrame(0), ResultOk);
  EXPECT_EQ(movie.currentFrame, 0);
  EXPECT_EQ(stage.objectCount(), 1);
  int32_t afterFrame0 = movie.reader.pos;
  EXPECT_EQ(movie.seekFrame(0), ResultOk);  // the frame already shown: nothing runs
  EXPECT_EQ(movie.reader.pos, afterFrame0);

  EXPECT_EQ(movie.seekFrame(2), ResultEnded);
  EXPECT_EQ(movie.currentFrame, 1);
  EXPECT_EQ(stage.objectCount(), 2);

  // Backwards: the display list and dictionary are rebuilt from the first tag.
  EXPECT_EQ(movie.seekFrame(0), ResultOk);
  EXPECT_EQ(movie.currentFrame, 0);
  EXPECT_FALSE(movie.ended);
  EXPECT_EQ(stage.objectCount(), 1);
  EXPECT_NE(movie.findCharacter(1), nullptr);

  // To -1: rewinds and runs no tag.
  EXPECT_EQ(movie.seekFrame(-1), ResultOk);
  EXPECT_EQ(movie.currentFrame, -1);
  EXPECT_EQ(stage.objectCount(), 0);
  EXPECT_EQ(movie.findCharacter(1), nullptr);
  EXPECT_EQ(movie.reader.pos, movie.firstTagOffset);
}

TEST(MovieSeek, BackFromFrameFiveRebuildsFrameZero) {
  Bytes tags = join({test::shapeTag(1, kBox), test::placeTag(1, 1), test::frameTag()});
  for (uint16_t f = 1; f <= 5; ++f) {
    tags = join({tags, test::shapeTag(static_cast<uint16_t>(10 + f), kBox),
                 test::placeTag(static_cast<uint16_t>(10 + f), f), test::frameTag()});
  }
  Stage stage(test::movieOf(join({tags, test::endTag()})));
  ASSERT_EQ(stage.movie.seekFrame(5), ResultOk);
  EXPECT_EQ(stage.objectCount(), 6);
  stage.list.changedArea = Rect{};
  std::string frame5 = test::describe(stage);

  ASSERT_EQ(stage.movie.seekFrame(0), ResultOk);
  EXPECT_EQ(stage.objectCount(), 1);
  for (uint16_t f = 1; f <= 5; ++f) EXPECT_EQ(stage.movie.findCharacter(10 + f), nullptr);
  ASSERT_EQ(stage.movie.seekFrame(5), ResultOk);
  // The changed area also holds what the rewind cleared: compare without it.
  stage.list.changedArea = Rect{};
  EXPECT_EQ(test::describe(stage), frame5);
}

TEST(MovieTags, SeventeenthActionTagIsIgnored) {
  Bytes tags;
  for (int i = 0; i < 17; ++i) tags = join({tags, test::actionsTag()});
  Movie movie;
  feed(movie, test::movieOf(join({tags, test::frameTag(), test::endTag()})));
  ASSERT_EQ(movie.seekFrame(0), ResultOk);
  EXPECT_EQ(movie.actionCount, MaxQueuedActions);
  for (int i = 0; i < MaxQueuedActions; ++i) {
    // Each tag is 4 bytes: a 2-byte header and a 2-byte list.
    EXPECT_EQ(movie.actionOffsets[i], movie.firstTagOffset + 4 * i + 2);
    EXPECT_EQ(movie.actionEnds[i], movie.actionOffsets[i] + 2);
  }
  // A rewind keeps the queue; the interpreter empties it.
  movie.seekFrame(-1);
  EXPECT_EQ(movie.actionCount, MaxQueuedActions);
}

TEST(MovieTags, DefinitionsRecordBodiesAndTagEnds) {
  Bytes shape = test::shapeTag(1, kBox);
  Bytes tags = join({shape, test::fontTag(2), test::fontFaceTag(2), test::textTag(3, kBox),
                     test::buttonTag(4, {}), test::fontFaceTag(1), test::fontFaceTag(9), test::frameTag()});
  Movie movie;
  feed(movie, test::movieOf(tags));
  ASSERT_EQ(movie.seekFrame(0), ResultOk);
  int32_t at = movie.firstTagOffset;

  const CharacterRecord* s = movie.findCharacter(1);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->kind, KindShape);
  EXPECT_EQ(s->bounds, kBox);
  // Header 2, id 2, a rectangle of 8-bit fields (5 bytes), then the body.
  EXPECT_EQ(s->bodyOffset, at + 9);
  EXPECT_EQ(s->tagEnd, at + static_cast<int32_t>(shape.size()));
  at = s->tagEnd;

  const CharacterRecord* f = movie.findCharacter(2);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->kind, KindFont);
  EXPECT_EQ(f->bounds, Rect{});
  EXPECT_EQ(f->bodyOffset, at + 4);
  at = f->tagEnd;
  // The font-details tag: header 2, id 2, then the details to its end.
  EXPECT_EQ(f->data.font.fontDetailsOffset, at + 4);
  EXPECT_EQ(f->data.font.fontDetailsEnd, at + 4 + 5);
  EXPECT_EQ(f->data.font.deviceFontState, DeviceFontUnknown);

  const CharacterRecord* t = movie.findCharacter(3);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->kind, KindText);
  EXPECT_EQ(t->bounds, kBox);
  EXPECT_EQ(t->data.text.deviceTextState, 0);

  const CharacterRecord* b = movie.findCharacter(4);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->kind, KindButton);
  EXPECT_EQ(b->bounds, Rect{});
  EXPECT_EQ(b->bodyOffset + 2, b->tagEnd);  // end marker and empty action list

  // Font details for a shape or an undefined id change nothing.
  EXPECT_EQ(s->data.font.fontDetailsOffset, 0);
  EXPECT_EQ(movie.findCharacter(9), nullptr);
}

TEST(MovieTags, JpegImagesNeedASetup) {
  struct Case {
    const char* name;
    Bytes tags;
    bool defined;
  };
  const Case cases[] = {
      {"image before setup", join({test::jpegImageTag(9), test::jpegSetupTag()}), false},
      {"image after setup", join({test::jpegSetupTag(), test::jpegImageTag(9)}), true},
      {"short-form image", join({test::jpegSetupTag(), test::jpegImageTag(9, false)}), true},
      {"second setup", join({test::jpegSetupTag(), test::jpegSetupTag(), test::jpegImageTag(9)}), true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Stage stage(test::movieOf(join({c.tags, test::placeTag(9, 1), test::frameTag(), test::endTag()})));
    ASSERT_EQ(stage.movie.seekFrame(0), ResultOk);
    EXPECT_NE(stage.movie.jpegDecoder, nullptr);
    const CharacterRecord* image = stage.movie.findCharacter(9);
    ASSERT_EQ(image != nullptr, c.defined);
    EXPECT_EQ(stage.objectCount(), c.defined ? 1 : 0);
    if (!image) continue;
    EXPECT_EQ(image->kind, KindBitmap);
    EXPECT_EQ(image->data.bitmap.image.pixels, nullptr);
    EXPECT_EQ(image->data.bitmap.dataEnd, image->tagEnd);
    // The body offset follows the 16-bit tag header: in the long form the
    // length field, which holds the body length (id and JPEG data up to
    // the tag end); in the short form the id.
    const uint8_t* at = stage.movie.buffer + image->bodyOffset;
    const bool longForm = (at[-2] & TagLengthMask) == TagLongLength;
    EXPECT_EQ(image->bodyOffset + (longForm ? 4 + at[0] : 2 + 4), image->tagEnd);
    // Placing a bitmap by itself draws nothing.
    EXPECT_TRUE(rectIsEmpty(stage.list.firstObject->deviceBounds));
  }
}

TEST(MovieTags, SecondSetupKeepsTheDecoderAndRewindDestroysIt) {
  Movie movie;
  feed(movie, test::movieOf(join({test::jpegSetupTag(), test::frameTag(), test::jpegSetupTag(),
                                  test::frameTag(), test::endTag()})));
  ASSERT_EQ(movie.seekFrame(0), ResultOk);
  void* decoder = movie.jpegDecoder;
  ASSERT_NE(decoder, nullptr);
  ASSERT_EQ(movie.seekFrame(1), ResultOk);
  EXPECT_EQ(movie.jpegDecoder, decoder);
  movie.seekFrame(-1);
  EXPECT_EQ(movie.jpegDecoder, nullptr);
}

TEST(MovieTags, DroppingAPlacedCharacterRemovesItsObjectsFirst) {
  const Rect small{0, 10, 0, 10};
  Bytes tags = join({test::shapeTag(1, kBox), test::shapeTag(2, small),
                     test::buttonTag(3, {{1, 1, 1, {}}, {2, 2, 2, {}}}), test::placeTag(1, 1),
                     test::placeTag(1, 2), test::placeTag(2, 3), test::placeTag(3, 10), test::frameTag(),
                     test::dropTag(1), test::frameTag(), test::dropTag(3), test::frameTag(), test::endTag()});
  Stage stage(test::movieOf(tags));
  ASSERT_EQ(stage.movie.seekFrame(0), ResultOk);
  // Objects: 1@1, 1@2, 2@3, the button 3@10 and its idle child 1@11.
  EXPECT_EQ(stage.objectCount(), 5);

  ASSERT_EQ(stage.movie.seekFrame(1), ResultOk);
  EXPECT_EQ(stage.objectCount(), 2);  // 2@3 and the button, whose idle child went
  EXPECT_EQ(stage.movie.findCharacter(1), nullptr);
  EXPECT_TRUE(test::objectsPointAtLiveRecords(stage));

  ASSERT_EQ(stage.movie.seekFrame(2), ResultOk);
  EXPECT_EQ(stage.objectCount(), 1);
  EXPECT_EQ(stage.list.firstObject->key, objectKey(2, 3));
  EXPECT_TRUE(test::objectsPointAtLiveRecords(stage));
}

TEST(MovieTags, PlaceRemoveAndBackgroundReachTheDisplayList) {
  Stage stage(test::movieOf(
      join({test::backgroundTag(1, 2, 3), test::shapeTag(1, kBox),
            test::placeTag(1, 7, test::translation(5, 6)), test::placeTag(8, 1), test::frameTag(),
            test::removeTag(1, 7), test::removeTag(1, 8), test::frameTag(), test::endTag()})));
  ASSERT_EQ(stage.movie.seekFrame(0), ResultOk);
  EXPECT_EQ(stage.list.background, packColor(1, 2, 3));
  EXPECT_EQ(stage.list.backgroundPriority, BackgroundFromMovie);
  ASSERT_EQ(stage.objectCount(), 1);  // id 8 is not defined: no object
  EXPECT_EQ(stage.list.firstObject->key, objectKey(1, 7));
  EXPECT_EQ(stage.list.firstObject->placement, test::translation(5, 6));
  ASSERT_EQ(stage.movie.seekFrame(1), ResultOk);
  EXPECT_EQ(stage.objectCount(), 0);
  // A rewind forgets the movie's background.
  stage.movie.seekFrame(-1);
  EXPECT_EQ(stage.list.background, BackgroundWhite);
}

TEST(MovieMemory, DefinitionWithoutMemoryIsSkipped) {
  Stage stage;
  ChunkFailGuard failing(0);
  feed(
      stage.movie,
      test::movieOf(join({test::shapeTag(1, kBox), test::placeTag(1, 1), test::frameTag(), test::endTag()})));
  EXPECT_EQ(stage.movie.seekFrame(0), ResultOk);
  EXPECT_EQ(stage.movie.findCharacter(1), nullptr);
  EXPECT_EQ(stage.objectCount(), 0);
}

TEST(MovieMemory, PlaceWithoutMemoryIsDroppedAndItsRemoveDoesNothing) {
  Stage stage(test::movieOf(join({test::shapeTag(1, kBox), test::frameTag(), test::placeTag(1, 1),
                                  test::frameTag(), test::removeTag(1, 1), test::frameTag(),
                                  test::placeTag(1, 2), test::frameTag(), test::endTag()})));
  ASSERT_EQ(stage.movie.seekFrame(0), ResultOk);
  {
    ChunkFailGuard failing(0);
    EXPECT_EQ(stage.movie.seekFrame(1), ResultOk);
    EXPECT_EQ(stage.objectCount(), 0);
    EXPECT_EQ(stage.movie.seekFrame(2), ResultOk);
  }
  EXPECT_EQ(stage.movie.seekFrame(3), ResultOk);  // memory is back: playing goes on
  EXPECT_EQ(stage.objectCount(), 1);
}

// A tag whose body stops inside its fixed fields does nothing, even when
// it is the last thing in the file (the reader must not cross the buffer).
TEST(MovieTags, BodiesCutInsideTheirFieldsDoNothing) {
  struct Case {
    const char* name;
    Bytes fullTag;
    size_t fixedBytes;  // id, bounds, depth, matrix ... that the handler needs
  };
  Matrix scaled;
  scaled.a = 0x18000;
  scaled.d = 0x8000;
  scaled.b = 0x100;
  scaled.tx = -300;
  const Case cases[] = {
      {"shape", test::shapeTag(5, kBox), 2 + 5},
      {"text", test::textTag(5, kBox), 2 + 5},
      {"font", test::fontTag(5), 2},
      {"button", test::buttonTag(5, {{1, 1, 1, {}}}), 2},
      {"place", test::placeTag(1, 4, scaled), 4 + 12},
      {"remove", test::removeTag(1, 1), 4},
      {"drop", test::dropTag(1), 2},
      {"background", test::backgroundTag(9, 9, 9), 3},
      {"font details", test::fontFaceTag(2), 2},
      {"image", test::jpegImageTag(5), 2},
  };
  const Bytes before = join({test::shapeTag(1, kBox), test::fontTag(2), test::jpegSetupTag(),
                             test::placeTag(1, 1), test::frameTag()});
  for (const Case& c : cases) {
    bool longForm = (c.fullTag[0] & 0x3F) == 0x3F;
    size_t header = longForm ? 6 : 2;
    Bytes body(c.fullTag.begin() + static_cast<std::ptrdiff_t>(header), c.fullTag.end());
    for (size_t cut = 0; cut < c.fixedBytes; ++cut) {
      SCOPED_TRACE(std::string(c.name) + " cut to " + std::to_string(cut));
      Bytes cutBody(body.begin(), body.begin() + static_cast<std::ptrdiff_t>(cut));
      uint32_t code = (c.fullTag[0] | c.fullTag[1] << 8) >> TagCodeShift;
      Stage stage(test::movieOf(join({before, test::tag(code, cutBody, longForm)})));
      ASSERT_EQ(stage.movie.seekFrame(0), ResultOk);
      stage.list.changedArea = Rect{};
      std::string expected = test::describe(stage);
      EXPECT_EQ(stage.movie.stepTag(), ResultOk);
      EXPECT_EQ(test::describe(stage), expected);
      EXPECT_EQ(stage.movie.reader.pos, stage.movie.fileLength);
    }
  }
}

}  // namespace
}  // namespace lmr
