#include "player/engine/jpeg_glue.h"

#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <new>

#include "player/engine/jpeg_source.h"
#include "player/engine/jpeg_tables.h"
#include "player/engine/movie.h"
#include "player/engine/movie_format.h"
#include "player/render/bitmap_decode.h"
#include "player/render/pixel_format.h"

namespace lmr {

namespace {

// Tables that images put into slots the movie's tables leave empty are
// dropped from the slots before the next image, but libjpeg frees them only
// with the decompressor: once this many have piled up, the decompressor is
// made afresh. An image that keeps failing is retried on every draw, so
// without this its tables would grow the pool without end.
constexpr int32_t MaxDroppedJpegTables = 64;

// The decoder block behind Movie::jpegDecoder.
struct JpegDecoder {
  jpeg_decompress_struct info;
  SilentJpegErrors errors;
  MovieJpegSource source;
  MovieJpegTables tables;  // what the setup tag loaded
  int32_t droppedTables;   // tables left in the decompressor's pool
};

// libjpeg's error_exit must not return, so every libjpeg call that can
// fail runs inside one of the guarded functions below: setjmp arms the
// decoder's exit, and an error jumps back here, ending that step with
// false. These frames hold no object with a destructor, and locals that
// change after setjmp and are read after the jump are volatile. After a
// failed step the caller puts the decompressor back to its start state
// (jpeg_abort_decompress), which keeps the tables it has loaded.

bool CreateGuarded(JpegDecoder& d) {
  if (setjmp(d.errors.exit)) return false;
  jpeg_create_decompress(&d.info);
  return true;
}

bool ReadTablesGuarded(JpegDecoder& d) {
  if (setjmp(d.errors.exit)) return false;
  // A tables-only stream loads the quantisation and Huffman tables and
  // leaves the decompressor at its start state again.
  jpeg_read_header(&d.info, FALSE);
  return true;
}

// Puts the movie's tables back, so that tables an earlier image carried
// do not reach this one.
bool RestoreTablesGuarded(JpegDecoder& d) {
  if (setjmp(d.errors.exit)) return false;
  restoreJpegTables(d.info, d.tables, d.droppedTables);
  return true;
}

void ConvertRow(const JSAMPLE* rgb, uint8_t* out, int32_t width) {
  for (int32_t x = 0; x < width; ++x, rgb += 3) {
    const uint16_t p = Pack555(rgb[0], rgb[1], rgb[2]);
    std::memcpy(out + 2 * x, &p, 2);
  }
}

// Decodes the image the source is fed with into `image`. False when
// libjpeg gave up, the image is refused or memory is short; the image may
// then hold partial memory, which the caller releases.
bool DecodeGuarded(JpegDecoder& d, BitmapImage& image) {
  JSAMPLE* volatile rowBuffer = nullptr;
  if (setjmp(d.errors.exit)) {
    std::free(rowBuffer);
    return false;
  }
  jpeg_decompress_struct& info = d.info;
  if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) return false;
  if (int64_t{info.image_width} * info.image_height > MaxJpegPixels) return false;
  // Greyscale images too come out as three bytes a pixel.
  info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&info);
  if (info.output_components != 3) return false;
  const int32_t width = static_cast<int32_t>(info.output_width);
  if (!createImage(image, Bitmap555, width, static_cast<int32_t>(info.output_height), nullptr)) return false;
  rowBuffer = static_cast<JSAMPLE*>(std::malloc(static_cast<size_t>(width) * 3));
  if (!rowBuffer) return false;
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = rowBuffer;
    // The source never suspends, so each call yields its row; 0 would mean
    // no progress: give up rather than loop.
    if (jpeg_read_scanlines(&info, &row, 1) != 1) {
      std::free(rowBuffer);
      rowBuffer = nullptr;
      return false;
    }
    const int32_t y = static_cast<int32_t>(info.output_scanline) - 1;
    ConvertRow(row, image.pixels + static_cast<size_t>(y) * image.rowBytes, width);
  }
  std::free(rowBuffer);
  rowBuffer = nullptr;
  jpeg_finish_decompress(&info);
  return true;
}

// The JPEG data of an image tag: after the tag header and the 16-bit id, up
// to the tag end. The body offset is just after the 16-bit tag header in
// both forms; the header itself says whether a 32-bit length follows.
bool JpegDataOf(const Movie& movie, const CharacterRecord& character, StreamReader& data) {
  const int32_t end = character.data.bitmap.dataEnd;
  const int32_t headerAt = character.bodyOffset - TagShortHeaderBytes;
  if (!movie.buffer || headerAt < 0 || end > movie.bytesReceived) return false;
  StreamReader header = StreamReader::over(movie.buffer, headerAt, end);
  const bool longForm = (header.readU16() & TagLengthMask) == TagLongLength;
  const int32_t start = character.bodyOffset + (longForm ? 4 : 0) + 2;
  if (header.overrun || start > end) return false;
  data = StreamReader::over(movie.buffer, start, end);
  data.end = end;
  return true;
}

// A fresh decompressor in place of the old one, whose pool goes with it.
// False when there is no memory for it; the count of dropped tables then
// stays, so the next decode tries again (destroying a decompressor whose
// creation failed is safe).
bool RecreateDecompressor(JpegDecoder& d) {
  jpeg_destroy_decompress(&d.info);
  if (!CreateGuarded(d)) return false;
  installMovieSource(d.info, d.source);
  d.droppedTables = 0;
  return true;
}

}  // namespace

void setupJpeg(Movie& movie) {
  if (movie.jpegDecoder) return;  // the first setup tag since the last rewind wins
  auto* d = new (std::nothrow) JpegDecoder();
  if (!d) return;  // no decoder: image tags define nothing
  d->info.err = installSilentErrors(d->errors);
  if (!CreateGuarded(*d)) {
    jpeg_destroy_decompress(&d->info);
    delete d;
    return;
  }
  installMovieSource(d->info, d->source);
  movie.jpegDecoder = d;

  StreamReader tables = StreamReader::over(movie.reader.data, movie.reader.pos, movie.tagEnd);
  tables.end = movie.tagEnd;
  feedMovieSource(d->source, tables);
  // Broken tables leave what was loaded before the break; images that
  // carry their own tables still decode.
  ReadTablesGuarded(*d);
  // A setup tag holding a whole image leaves a header read: start over.
  jpeg_abort_decompress(&d->info);
  // Every image starts from these tables (see decodeBitmap).
  saveJpegTables(d->info, d->tables);
}

void defineJpegImage(Movie& movie) {
  if (!movie.jpegDecoder) return;
  StreamReader& r = movie.reader;
  const uint16_t id = static_cast<uint16_t>(r.readU16());
  if (r.overrun) return;
  CharacterRecord* c = movie.addCharacter(id);
  if (!c) return;
  c->kind = KindBitmap;
  // Just after the 16-bit header: the long form's length field, or the
  // short form's id. The data end comes from the tag itself, whatever a
  // length field says.
  c->bodyOffset = movie.tagStart + TagShortHeaderBytes;
  c->tagEnd = movie.tagEnd;
  c->data.bitmap.image = BitmapImage{};
  c->data.bitmap.dataEnd = movie.tagEnd;
}

void decodeBitmap(Movie& movie, CharacterRecord& character) {
  if (character.kind != KindBitmap) return;
  BitmapImage& image = character.data.bitmap.image;
  auto* d = static_cast<JpegDecoder*>(movie.jpegDecoder);
  if (image.pixels || !d) return;
  releaseImage(image);
  StreamReader data;
  if (!JpegDataOf(movie, character, data)) return;
  if (d->droppedTables >= MaxDroppedJpegTables && !RecreateDecompressor(*d)) return;
  feedMovieSource(d->source, data);
  // An image that carries tables of its own replaces the decompressor's
  // for itself only: each image starts from the movie's tables, so it
  // decodes the same whatever was decoded before it.
  if (!RestoreTablesGuarded(*d) || !DecodeGuarded(*d, image)) {
    // No pixels: the fill shows its fallback colour, and a later draw
    // tries again.
    releaseImage(image);
    jpeg_abort_decompress(&d->info);
  }
}

void destroyJpeg(Movie& movie) {
  auto* d = static_cast<JpegDecoder*>(movie.jpegDecoder);
  if (!d) return;
  jpeg_destroy_decompress(&d->info);
  delete d;
  movie.jpegDecoder = nullptr;
}

}  // namespace lmr
