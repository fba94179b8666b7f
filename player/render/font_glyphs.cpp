#include "player/render/font_glyphs.h"

#include "player/engine/character_record.h"
#include "player/engine/movie.h"
#include "player/engine/stream_reader.h"

namespace lmr {

void OpenFontGlyphs(FontGlyphs& glyphs, const CharacterRecord* font) {
  glyphs = FontGlyphs{};
  if (!font || font->kind != KindFont || !font->movie || !font->movie->reader.data) return;
  const Movie& movie = *font->movie;
  glyphs.font = font;
  glyphs.bodyOffset = font->bodyOffset;
  glyphs.limit = font->tagEnd < movie.bytesReceived ? font->tagEnd : movie.bytesReceived;
  StreamReader r = StreamReader::over(movie.reader.data, glyphs.bodyOffset, glyphs.limit);
  const uint32_t first = r.readU16();
  if (r.overrun) return;
  // The first outline follows the table; a table cut by the tag's end
  // keeps only its whole entries.
  const uint32_t stored = static_cast<uint32_t>(glyphs.limit - glyphs.bodyOffset) / 2;
  glyphs.count = first / 2 < stored ? first / 2 : stored;
}

int32_t GlyphOutlineOffset(const FontGlyphs& glyphs, uint32_t index) {
  if (!glyphs.font || index >= glyphs.count) return -1;
  const Movie& movie = *glyphs.font->movie;
  StreamReader r = StreamReader::over(movie.reader.data, glyphs.bodyOffset + static_cast<int32_t>(2 * index),
                                      glyphs.limit);
  const int32_t offset = glyphs.bodyOffset + static_cast<int32_t>(r.readU16());
  if (r.overrun || offset >= glyphs.limit) return -1;
  return offset;
}

}  // namespace lmr
