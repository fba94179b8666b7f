#include <gtest/gtest.h>

#include "player/engine/chunk_memory.h"
#include "player/engine/movie.h"

namespace lmr {
namespace {

// Restores the chunk allocator after a test that makes it fail.
struct ChunkFailGuard {
  explicit ChunkFailGuard(long n) { setChunkFailAfter(n); }
  ~ChunkFailGuard() { setChunkFailAfter(-1); }
};

TEST(Dictionary, IdsSharingABucketStayApart) {
  Movie movie;
  for (uint16_t id : {1, 33, 65, 0x0101}) ASSERT_NE(movie.addCharacter(id), nullptr);
  // All four land in bucket 1; the lookup compares the full 16 bits.
  for (uint16_t id : {1, 33, 65, 0x0101}) {
    ASSERT_NE(movie.findCharacter(id), nullptr) << id;
    EXPECT_EQ(movie.findCharacter(id)->id, id);
  }
  EXPECT_EQ(movie.findCharacter(0x0201), nullptr);
  EXPECT_EQ(movie.findCharacter(97), nullptr);

  movie.removeCharacters(33);
  EXPECT_EQ(movie.findCharacter(33), nullptr);
  for (uint16_t id : {1, 65, 0x0101}) EXPECT_NE(movie.findCharacter(id), nullptr) << id;
}

TEST(Dictionary, RedefinitionFindsNewestAndRemovalTakesAll) {
  Movie movie;
  CharacterRecord* first = movie.addCharacter(5);
  CharacterRecord* second = movie.addCharacter(5);
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(movie.findCharacter(5), second);
  EXPECT_EQ(second->next, first);
  EXPECT_EQ(second->movie, &movie);
  movie.removeCharacters(5);
  EXPECT_EQ(movie.findCharacter(5), nullptr);
  EXPECT_EQ(movie.buckets[5], nullptr);
}

TEST(Dictionary, NewRecordsStartEmpty) {
  Movie movie;
  CharacterRecord* r = movie.addCharacter(7);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->kind, KindShape);
  EXPECT_EQ(r->bodyOffset, 0);
  EXPECT_EQ(r->tagEnd, 0);
  EXPECT_EQ(r->bounds, Rect{});
  EXPECT_EQ(r->data.bitmap.image.pixels, nullptr);
  EXPECT_EQ(r->data.bitmap.image.palette, nullptr);
}

TEST(Dictionary, FreeingABitmapReleasesItsImage) {
  Movie movie;
  CharacterRecord* r = movie.addCharacter(3);
  ASSERT_NE(r, nullptr);
  r->kind = KindBitmap;
  ASSERT_TRUE(createImage(r->data.bitmap.image, Bitmap555, 3, 2, nullptr));
  EXPECT_EQ(r->data.bitmap.image.rowBytes, 8);
  // The leak checker fails the run if the pixels were not freed.
  movie.removeCharacters(3);
  ASSERT_NE(movie.addCharacter(4), nullptr);
  movie.findCharacter(4)->kind = KindBitmap;
  ASSERT_TRUE(createImage(movie.findCharacter(4)->data.bitmap.image, Bitmap555, 1, 1, nullptr));
  movie.freeAllCharacters();
  for (CharacterRecord* head : movie.buckets) EXPECT_EQ(head, nullptr);
}

TEST(Dictionary, ChunksFillOldestFirstAndAreKept) {
  Movie movie;
  long before = chunkRequestCount();
  CharacterRecord* records[CharactersPerChunk + 1];
  for (uint32_t i = 0; i <= CharactersPerChunk; ++i) {
    records[i] = movie.addCharacter(static_cast<uint16_t>(100 + i));
    ASSERT_NE(records[i], nullptr);
  }
  // 33 records need a second chunk.
  EXPECT_EQ(chunkRequestCount() - before, 2);

  // A freed block of the first chunk makes that chunk current again: the
  // next record reuses exactly that block.
  CharacterRecord* freed = records[5];
  movie.removeCharacters(105);
  EXPECT_EQ(movie.addCharacter(500), freed);

  // Emptying the second chunk keeps it: refilling it asks for no memory.
  movie.removeCharacters(100 + CharactersPerChunk);
  long afterTwo = chunkRequestCount();
  EXPECT_NE(movie.addCharacter(501), nullptr);
  EXPECT_EQ(chunkRequestCount(), afterTwo);
}

TEST(Dictionary, NoMemoryGivesNoRecord) {
  Movie movie;
  ChunkFailGuard failing(0);
  EXPECT_EQ(movie.addCharacter(1), nullptr);
  EXPECT_EQ(movie.findCharacter(1), nullptr);
}

TEST(BitmapImage, RowBytesPerFormat) {
  struct Case {
    int32_t format;
    int32_t width;
    int32_t rowBytes;
  };
  const Case cases[] = {
      {BitmapPalette1, 1, 4}, {BitmapPalette1, 33, 8}, {BitmapPalette2, 16, 4}, {BitmapPalette2, 17, 8},
      {BitmapPalette4, 8, 4}, {BitmapPalette4, 9, 8},  {BitmapPalette8, 5, 8},  {Bitmap555, 3, 8},
      {Bitmap555, 2, 4},      {Bitmap32, 3, 12},       {Bitmap555, 0, 0},       {6, 10, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(bitmapRowBytes(c.format, c.width), c.rowBytes) << c.format << " " << c.width;
  }
}

TEST(BitmapImage, HugeOrBadSizesGetNoPixels) {
  BitmapImage image;
  EXPECT_FALSE(createImage(image, Bitmap555, 65535, 65535, nullptr));
  EXPECT_EQ(image.pixels, nullptr);
  EXPECT_FALSE(createImage(image, Bitmap555, 10, 0, nullptr));
  EXPECT_FALSE(createImage(image, Bitmap555, -1, 10, nullptr));
  EXPECT_EQ(image.pixels, nullptr);
}

TEST(BitmapImage, PaletteCopyIsCappedAt256Entries) {
  uint32_t palette[BitmapPaletteWords] = {};
  palette[0] = 1000;  // a hostile count
  palette[1] = 0x00FF0000;
  palette[BitmapPaletteEntries] = 0x12345678;
  BitmapImage image;
  ASSERT_TRUE(createImage(image, BitmapPalette8, 4, 4, palette));
  ASSERT_NE(image.palette, nullptr);
  EXPECT_EQ(image.palette[0], 256u);
  EXPECT_EQ(image.palette[1], 0x00FF0000u);
  EXPECT_EQ(image.palette[BitmapPaletteEntries], 0x12345678u);
  releaseImage(image);
  EXPECT_EQ(image.palette, nullptr);
  EXPECT_EQ(image.pixels, nullptr);
}

}  // namespace
}  // namespace lmr
