#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <jpeglib.h>

#include "player/engine/jpeg_glue.h"
#include "player/engine/tests/movie_fixture.h"
#include "player/render/bitmap_decode.h"
#include "player/render/pixel_format.h"
#include "tools/lmrc/lib/jpeg_split.h"
#include "tools/lmrc/lib/tag_bodies.h"

namespace lmr::test {
namespace {

struct Colour {
  int red, green, blue;
};

// A picture of w x h pixels of one colour.
enc::RgbPicture Flat(int w, int h, Colour c) {
  enc::RgbPicture p;
  p.width = w;
  p.height = h;
  for (int i = 0; i < w * h; ++i) {
    p.rgb.push_back(static_cast<uint8_t>(c.red));
    p.rgb.push_back(static_cast<uint8_t>(c.green));
    p.rgb.push_back(static_cast<uint8_t>(c.blue));
  }
  return p;
}

// A JPEG file of w x h pixels with `components` bytes each, every row
// `row`; `configure` may change the defaults (tables, quality) before
// compression starts.
template <typename Configure>
Bytes CompressJpeg(int w, int h, int components, const uint8_t* row, Configure configure) {
  jpeg_compress_struct info;
  jpeg_error_mgr errors;
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* out = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &out, &size);
  info.image_width = static_cast<JDIMENSION>(w);
  info.image_height = static_cast<JDIMENSION>(h);
  info.input_components = components;
  info.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&info);
  configure(info);
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    JSAMPROW r = const_cast<JSAMPLE*>(row);
    jpeg_write_scanlines(&info, &r, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  Bytes file(out, out + size);
  std::free(out);
  return file;
}

// A one-component (greyscale) JPEG file, which the encoding library does
// not make.
Bytes GreyJpeg(int w, int h, int grey) {
  const Bytes row(static_cast<size_t>(w), static_cast<uint8_t>(grey));
  return CompressJpeg(w, h, 1, row.data(), [](jpeg_compress_struct& info) { jpeg_set_quality(&info, 95, TRUE); });
}

// A JPEG file of one colour whose components all use quantisation table
// `slot`, which holds every coefficient step as `step`; the tables are
// inside the file.
Bytes JpegWithTableInSlot(int w, int h, Colour c, int slot, unsigned int step) {
  const enc::RgbPicture picture = Flat(w, 1, c);
  return CompressJpeg(w, h, 3, picture.rgb.data(), [slot, step](jpeg_compress_struct& info) {
    unsigned int steps[DCTSIZE2];
    for (unsigned int& s : steps) s = step;
    jpeg_add_quant_table(&info, slot, steps, 100, TRUE);
    for (int i = 0; i < info.num_components; ++i) info.comp_info[i].quant_tbl_no = slot;
  });
}

Bytes SetupTag(const Bytes& tables) { return tag(TagJpegSetup, tables); }

Bytes ImageTag(uint16_t id, const Bytes& data, bool longForm = true) {
  return tag(TagJpegImage, enc::jpegImageBody(id, data), longForm);
}

// Offset of the first marker `code` (FF code) in a JPEG stream.
size_t MarkerAt(const Bytes& jpeg, uint8_t code) {
  for (size_t i = 0; i + 1 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xFF && jpeg[i + 1] == code) return i;
  }
  return jpeg.size();
}

// The movie's bitmap character `id`, decoded.
const BitmapImage& Decoded(Movie& movie, uint16_t id) {
  CharacterRecord* c = movie.findCharacter(id);
  static const BitmapImage none{};
  if (!c) {
    ADD_FAILURE() << "no character " << id;
    return none;
  }
  decodeBitmap(movie, *c);
  return c->data.bitmap.image;
}

// Every pixel of the image within `tolerance` of the colour (the image is
// lossy and 5-5-5).
::testing::AssertionResult ShowsColour(const BitmapImage& image, Colour c, int tolerance = 12) {
  if (!image.pixels) return ::testing::AssertionFailure() << "no pixels";
  for (int32_t y = 0; y < image.height; ++y) {
    for (int32_t x = 0; x < image.width; ++x) {
      uint16_t p;
      std::memcpy(&p, image.pixels + y * image.rowBytes + 2 * x, 2);
      const int got[3] = {(p >> 10 & 31) << 3, (p >> 5 & 31) << 3, (p & 31) << 3};
      const int want[3] = {c.red & 0xF8, c.green & 0xF8, c.blue & 0xF8};
      for (int k = 0; k < 3; ++k) {
        if (std::abs(got[k] - want[k]) > tolerance || (p & 0x8000)) {
          return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") is " << std::hex << p;
        }
      }
    }
  }
  return ::testing::AssertionSuccess();
}

TEST(JpegGlue, PixelsAreStoredAs555) {
  struct Case {
    uint32_t red, green, blue;
    uint16_t stored;
  };
  const Case cases[] = {
      {255, 128, 7, 0x7E00},  // 31 << 10 | 16 << 5 | 0
      {0, 0, 0, 0x0000},
      {255, 255, 255, 0x7FFF},
      {8, 7, 255, 0x041F},  // each channel keeps its top five bits
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Pack555(c.red, c.green, c.blue), c.stored) << c.red << " " << c.green << " " << c.blue;
  }
}

TEST(JpegGlue, ImagesDecodeOnFirstUse) {
  struct Case {
    const char* name;
    Bytes file;
    bool longForm;
    Colour shown;
    int32_t width, height, rowBytes;
  };
  const Colour orange{200, 120, 40};
  const Case cases[] = {
      {"three pixels wide", enc::compressJpeg(Flat(3, 2, orange), 95), true, orange, 3, 2, 8},
      {"wider than one block", enc::compressJpeg(Flat(21, 9, orange), 95), true, orange, 21, 9, 44},
      // A small greyscale image fits a short-form tag; it comes out as RGB.
      {"greyscale, short form", GreyJpeg(5, 3, 90), false, Colour{90, 90, 90}, 5, 3, 12},
      {"greyscale, long form", GreyJpeg(5, 3, 90), true, Colour{90, 90, 90}, 5, 3, 12},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const enc::JpegParts parts = enc::splitJpeg(c.file);
    const Bytes image = ImageTag(7, parts.image, c.longForm);
    ASSERT_EQ((image[0] & TagLengthMask) == TagLongLength, c.longForm) << "body too long for the short form";
    Movie movie;
    feed(movie, movieOf(join({SetupTag(parts.tables), image, frameTag(), endTag()})));
    ASSERT_EQ(movie.seekFrame(0), ResultOk);
    CharacterRecord* character = movie.findCharacter(7);
    ASSERT_NE(character, nullptr);
    EXPECT_EQ(character->data.bitmap.image.pixels, nullptr);  // nothing decoded until a fill needs it

    const BitmapImage& decoded = Decoded(movie, 7);
    EXPECT_EQ(decoded.format, Bitmap555);
    EXPECT_EQ(decoded.width, c.width);
    EXPECT_EQ(decoded.height, c.height);
    EXPECT_EQ(decoded.rowBytes, c.rowBytes);
    EXPECT_EQ(decoded.palette, nullptr);
    EXPECT_TRUE(ShowsColour(decoded, c.shown));

    // A second use keeps the pixels it has.
    const uint8_t* pixels = decoded.pixels;
    EXPECT_EQ(Decoded(movie, 7).pixels, pixels);
  }
}

TEST(JpegGlue, DamagedImagesFailAloneAndTheDecoderGoesOn) {
  const Colour blue{30, 60, 220}, green{40, 200, 60};
  const enc::JpegParts damagedSource = enc::splitJpeg(enc::compressJpeg(Flat(16, 16, blue), 90));
  const enc::JpegParts good = enc::splitJpeg(enc::compressJpeg(Flat(8, 8, green), 90));
  const Bytes& image = damagedSource.image;
  const size_t scan = MarkerAt(image, 0xDA), frame = MarkerAt(image, 0xC0);
  ASSERT_LT(frame, scan);
  ASSERT_LT(scan, image.size());

  struct Case {
    const char* name;
    Bytes data;
    bool decodes;
    bool showsColour;  // intact pixels
  };
  // The frame header claims 5000 x 5000 pixels: above the pixel cap,
  // though its 5-5-5 pixels alone would be allocatable.
  Bytes huge = image;
  huge[frame + 5] = huge[frame + 7] = 0x13;
  huge[frame + 6] = huge[frame + 8] = 0x88;
  Bytes trailing = image;  // bytes after the end marker, inside the tag
  trailing.insert(trailing.end(), {0x12, 0x34, 0x56, 0x78, 0xFF, 0xD8});
  Bytes noComponents = image;
  noComponents[frame + 9] = 0;
  const Case cases[] = {
      // The source supplies an end marker once the tag's bytes run out:
      // libjpeg finishes the image with what it has.
      {"entropy data cut short", Bytes(image.begin(), image.begin() + static_cast<long>(scan) + 20), true, false},
      {"bytes after the end marker", trailing, true, true},
      {"ends before the scan", Bytes(image.begin(), image.begin() + static_cast<long>(scan)), false, false},
      {"no start of image", Bytes(image.begin() + 2, image.end()), false, false},
      {"no data at all", Bytes{}, false, false},
      {"over the size cap", huge, false, false},
      {"frame without components", noComponents, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Movie movie;
    feed(movie, movieOf(join({SetupTag(damagedSource.tables), ImageTag(1, c.data), ImageTag(2, good.image),
                              frameTag(), endTag()})));
    ASSERT_EQ(movie.seekFrame(0), ResultOk);
    const BitmapImage& damaged = Decoded(movie, 1);
    EXPECT_EQ(damaged.pixels != nullptr, c.decodes);
    EXPECT_EQ(damaged.palette, nullptr);
    if (c.decodes) {
      EXPECT_EQ(damaged.width, 16);
      EXPECT_EQ(damaged.height, 16);
      if (c.showsColour) {
        EXPECT_TRUE(ShowsColour(damaged, blue));
      }
    }
    // A failed image is tried again on its next use, and fails the same way.
    EXPECT_EQ(Decoded(movie, 1).pixels != nullptr, c.decodes);
    // The decompressor is still usable, with the movie's tables.
    EXPECT_TRUE(ShowsColour(Decoded(movie, 2), green));
  }
}

TEST(JpegGlue, TheFirstSetupSinceARewindWins) {
  // Two sets of tables that differ (quality 15 and 95); the image needs
  // the first set. Decoded with the second, its colour would be far off.
  const Colour colour{180, 90, 140};
  const enc::JpegParts coarse = enc::splitJpeg(enc::compressJpeg(Flat(16, 16, colour), 15));
  const enc::JpegParts fine = enc::splitJpeg(enc::compressJpeg(Flat(16, 16, colour), 95));
  ASSERT_NE(coarse.tables, fine.tables);

  struct Case {
    const char* name;
    Bytes firstTables, secondTables;
    bool rightColour;
  };
  const Case cases[] = {
      {"its own tables first", coarse.tables, fine.tables, true},
      {"other tables first", fine.tables, coarse.tables, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Movie movie;
    feed(movie, movieOf(join({SetupTag(c.firstTables), SetupTag(c.secondTables), ImageTag(3, coarse.image),
                              frameTag(), frameTag(), endTag()})));
    ASSERT_EQ(movie.seekFrame(0), ResultOk);
    EXPECT_EQ(ShowsColour(Decoded(movie, 3), colour, 24), c.rightColour);
    // Going back rewinds: decoder and characters go, and the same first
    // tag sets the tables up again.
    ASSERT_EQ(movie.seekFrame(1), ResultOk);
    movie.seekFrame(0);
    EXPECT_EQ(movie.findCharacter(3)->data.bitmap.image.pixels, nullptr);
    EXPECT_EQ(ShowsColour(Decoded(movie, 3), colour, 24), c.rightColour);
  }
}

TEST(JpegGlue, ImagesThatCarryTheirOwnTablesDecode) {
  // lmrc keeps the tables inside an image whose tables differ from the
  // movie's; such an image replaces them for itself.
  const Colour colour{250, 250, 20};
  const enc::JpegParts movieTables = enc::splitJpeg(enc::compressJpeg(Flat(8, 8, Colour{0, 0, 0}), 10));
  const Bytes whole = enc::compressJpeg(Flat(8, 8, colour), 95);
  Movie movie;
  feed(movie, movieOf(join({SetupTag(movieTables.tables), ImageTag(4, whole), frameTag(), endTag()})));
  ASSERT_EQ(movie.seekFrame(0), ResultOk);
  EXPECT_TRUE(ShowsColour(Decoded(movie, 4), colour));
}

// Fault "JPEG tables leak between images": an image carrying its own
// tables replaced those of the movie's one decompressor, so abbreviated
// images decoded after it used the wrong tables and their colours depended
// on the order of decoding. Each image now starts from the movie's tables.
TEST(JpegGlue, AnImageDecodesTheSameWhateverWasDecodedBefore) {
  const Colour colour{200, 56, 24};
  // The movie's tables (quality 95) and an abbreviated image that needs
  // them; another image with coarse tables of its own in the same slots.
  const enc::JpegParts fine = enc::splitJpeg(enc::compressJpeg(Flat(16, 16, colour), 95));
  const Bytes coarseWhole = enc::compressJpeg(Flat(16, 16, Colour{60, 180, 90}), 10);
  // Components on quantisation table 2, which the movie's tables leave
  // empty: alone, the abbreviated form cannot decode.
  const Bytes slot2Whole = JpegWithTableInSlot(16, 16, Colour{90, 90, 200}, 2, 4);
  const Bytes slot2Image = enc::splitJpeg(slot2Whole).image;

  struct Case {
    const char* name;
    std::vector<uint16_t> decodedBefore;
    uint16_t id;
    bool decodes;
  };
  const Case cases[] = {
      {"abbreviated image first", {}, 2, true},
      {"after an image with its own tables", {1}, 2, true},
      {"after its own tables' image, twice", {1, 2, 1}, 2, true},
      {"table slot left empty, alone", {}, 4, false},
      // The slot the image before it filled is empty again.
      {"table slot left empty, after an image filling it", {3}, 4, false},
  };
  Bytes reference;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Movie movie;
    feed(movie, movieOf(join({SetupTag(fine.tables), ImageTag(1, coarseWhole), ImageTag(2, fine.image),
                              ImageTag(3, slot2Whole), ImageTag(4, slot2Image), frameTag(), endTag()})));
    ASSERT_EQ(movie.seekFrame(0), ResultOk);
    for (uint16_t before : c.decodedBefore) EXPECT_NE(Decoded(movie, before).pixels, nullptr) << before;
    const BitmapImage& image = Decoded(movie, c.id);
    ASSERT_EQ(image.pixels != nullptr, c.decodes);
    if (!c.decodes) continue;
    EXPECT_TRUE(ShowsColour(image, colour));
    const Bytes pixels(image.pixels, image.pixels + image.rowBytes * image.height);
    if (reference.empty()) reference = pixels;
    EXPECT_TRUE(pixels == reference) << "the pixels differ from the first decode's";
  }
}

TEST(JpegGlue, ImagesThatKeepFailingWithTablesOfTheirOwnLeaveTheDecoderSound) {
  // Every failed try loads a table into a slot the movie's tables leave
  // empty, which is emptied again before the next image; the decompressor
  // is made afresh now and then to free such tables. Through all that the
  // other images decode with the movie's tables.
  const Colour colour{40, 90, 210};
  const enc::JpegParts movieParts = enc::splitJpeg(enc::compressJpeg(Flat(8, 8, colour), 90));
  const Bytes slot2Whole = JpegWithTableInSlot(8, 8, Colour{200, 200, 20}, 2, 4);
  const Bytes noScan(slot2Whole.begin(), slot2Whole.begin() + static_cast<long>(MarkerAt(slot2Whole, 0xDA)));
  Movie movie;
  feed(movie, movieOf(join({SetupTag(movieParts.tables), ImageTag(1, noScan), ImageTag(2, movieParts.image),
                            ImageTag(3, enc::splitJpeg(slot2Whole).image), frameTag(), endTag()})));
  ASSERT_EQ(movie.seekFrame(0), ResultOk);
  for (int attempt = 0; attempt < 300; ++attempt) {
    ASSERT_EQ(Decoded(movie, 1).pixels, nullptr);
    if (attempt % 50 == 0) {
      EXPECT_EQ(Decoded(movie, 3).pixels, nullptr) << attempt;
    }
  }
  EXPECT_TRUE(ShowsColour(Decoded(movie, 2), colour));
  EXPECT_EQ(Decoded(movie, 3).pixels, nullptr);
}

TEST(JpegGlue, ResetAndDestructionFreeTheDecoderAndImages) {
  // Under AddressSanitizer a leak of the decoder block, libjpeg's pools or
  // decoded pixels fails this test.
  const enc::JpegParts parts = enc::splitJpeg(enc::compressJpeg(Flat(4, 4, Colour{1, 2, 3}), 80));
  const Bytes file = movieOf(join({SetupTag(parts.tables), ImageTag(5, parts.image), frameTag(), endTag()}));
  Movie movie;
  feed(movie, file);
  ASSERT_EQ(movie.seekFrame(0), ResultOk);
  EXPECT_NE(Decoded(movie, 5).pixels, nullptr);
  movie.reset();
  EXPECT_EQ(movie.jpegDecoder, nullptr);
  feed(movie, file);
  ASSERT_EQ(movie.seekFrame(0), ResultOk);
  EXPECT_NE(Decoded(movie, 5).pixels, nullptr);
}

}  // namespace
}  // namespace lmr::test
