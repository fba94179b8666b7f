// Text bodies as stored: the text matrix, the bit widths of the glyph
// entries, then runs of glyphs (text records) until a flags byte of 0.
// Only reads; what the records draw is up to the caller.
//
// Call order: OpenTextBody, then ReadTextRecord and, for each of its
// glyphs, ReadTextGlyph, until ReadTextRecord returns false.
#pragma once

#include <cstdint>

#include "player/engine/movie_format.h"
#include "player/engine/records.h"
#include "player/engine/stream_reader.h"

namespace lmr {

struct CharacterRecord;

// Glyph entries wider than this are read as this wide, as the movie
// compiler writes them.
constexpr int32_t MaxGlyphFieldBits = 32;

struct TextBodyReader {
  StreamReader reader;  // hard limit: the text tag's end
  Matrix matrix;        // text units to the character's own units
  int32_t glyphBits;    // width of a glyph index
  int32_t advanceBits;  // width of a signed advance
};

// One record's fields; only those named by `flags` were read.
struct TextRecordHeader {
  uint32_t flags;
  uint16_t fontId;
  Rgb color;
  int32_t x;       // movie units
  int32_t y;
  int32_t height;  // movie units per em
  int32_t glyphCount;
};

struct TextGlyphEntry {
  uint32_t index;   // into the font's glyph table
  int32_t advance;  // movie units, added to the pen after the glyph
};

// Reads the matrix and the two widths of the text's body. False when they
// run past the tag's end (or the bytes received so far).
bool OpenTextBody(TextBodyReader& body, const CharacterRecord& text);
// The next record's fields and glyph count; the reader is left at the
// byte boundary where its glyph entries start. False at the end record
// or when the record runs past the tag.
bool ReadTextRecord(TextBodyReader& body, TextRecordHeader& record);
// The next glyph entry of the current record. False when it runs past the
// tag.
bool ReadTextGlyph(TextBodyReader& body, TextGlyphEntry& glyph);

}  // namespace lmr
