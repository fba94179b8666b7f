// Placeholder JPEG glue: the decoder is a marker block that says "tables
// were set up", so image tags define their characters and every path that
// depends on the decoder (rewind, reset, redefinition) already runs. The
// libjpeg decompressor, its source and error managers and decodeBitmap
// replace the marker here.
#include "player/engine/jpeg_glue.h"

#include <cstdlib>

#include "player/engine/movie.h"
#include "player/engine/tag_codes.h"

namespace lmr {

void setupJpeg(Movie& movie) {
  if (movie.jpegDecoder) return;  // the first setup tag since the last rewind wins
  // Placeholder decoder block; none without memory, so images define nothing.
  movie.jpegDecoder = std::malloc(1);
}

void defineJpegImage(Movie& movie) {
  if (!movie.jpegDecoder) return;
  StreamReader& r = movie.reader;
  int32_t bodyStart = r.pos;
  // The decoder finds the JPEG data 6 bytes after the body offset (length
  // field and id); only the long form puts the length field there.
  if (bodyStart - movie.tagStart != TagLongHeaderBytes) return;
  uint16_t id = static_cast<uint16_t>(r.readU16());
  if (r.overrun) return;
  CharacterRecord* c = movie.addCharacter(id);
  if (!c) return;
  c->kind = KindBitmap;
  c->bodyOffset = movie.tagStart + TagShortHeaderBytes;  // the 32-bit length field
  c->tagEnd = movie.tagEnd;
  c->data.bitmap.image = BitmapImage{};
  c->data.bitmap.dataEnd = movie.tagEnd;
}

void destroyJpeg(Movie& movie) {
  std::free(movie.jpegDecoder);
  movie.jpegDecoder = nullptr;
}

}  // namespace lmr
