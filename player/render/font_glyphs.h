// The glyph table of a font character: one 16-bit offset per glyph,
// counted from the start of the font body; glyph i's outline (a shape body
// without style arrays, 1024 units per em) starts at body + offset[i].
//
// Nothing stores the number of glyphs. The table ends where the first
// outline begins (first offset / 2 entries) and never runs past the font
// tag's end; indices beyond it name no glyph.
#pragma once

#include <cstdint>

namespace lmr {

struct CharacterRecord;

struct FontGlyphs {
  const CharacterRecord* font;  // none: no font, no glyphs
  int32_t bodyOffset;           // file offset of the table
  int32_t limit;                // the font tag's end (or the bytes received)
  uint32_t count;               // entries of the table
};

// The table of `font`; no glyphs when it is none or not a font character.
void OpenFontGlyphs(FontGlyphs& glyphs, const CharacterRecord* font);
// The file offset where glyph `index`'s outline starts, or -1 when the
// index is outside the table or the outline starts at or past the limit.
int32_t GlyphOutlineOffset(const FontGlyphs& glyphs, uint32_t index);

}  // namespace lmr
