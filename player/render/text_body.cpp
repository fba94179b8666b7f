#include "player/render/text_body.h"

#include "player/engine/character_record.h"
#include "player/engine/movie.h"

namespace lmr {

namespace {

int32_t FieldWidth(uint32_t stored) {
  return stored > MaxGlyphFieldBits ? MaxGlyphFieldBits : static_cast<int32_t>(stored);
}

// A signed field of 0 to 32 bits (the reader's signed reads stop at 31).
int32_t ReadSignedField(StreamReader& r, int32_t bits) {
  if (bits < MaxGlyphFieldBits) return r.readSignedBits(bits);
  return static_cast<int32_t>(r.readBits(bits));
}

}  // namespace

bool OpenTextBody(TextBodyReader& body, const CharacterRecord& text) {
  body = TextBodyReader{};
  const Movie* movie = text.movie;
  if (!movie || !movie->reader.data) return false;
  const int32_t limit = text.tagEnd < movie->bytesReceived ? text.tagEnd : movie->bytesReceived;
  body.reader = StreamReader::over(movie->reader.data, text.bodyOffset, limit);
  StreamReader& r = body.reader;
  body.matrix = r.readMatrix();
  // The widths are whole bytes after the matrix's last partly used byte.
  body.glyphBits = FieldWidth(r.readU8());
  body.advanceBits = FieldWidth(r.readU8());
  return !r.overrun;
}

bool ReadTextRecord(TextBodyReader& body, TextRecordHeader& record) {
  StreamReader& r = body.reader;
  // A record starts at the byte after the last bit of the one before.
  r.alignToByte();
  record = TextRecordHeader{};
  record.flags = r.readU8();
  if (r.overrun || record.flags == 0) return false;
  if (record.flags & TextFont) record.fontId = static_cast<uint16_t>(r.readU16());
  if (record.flags & TextColor) record.color = r.readRgb();
  if (record.flags & TextX) record.x = r.readS16();
  if (record.flags & TextY) record.y = r.readS16();
  if (record.flags & TextFont) record.height = static_cast<int32_t>(r.readU16());
  record.glyphCount = static_cast<int32_t>(r.readU8());
  r.alignToByte();  // glyph entries start at a byte boundary
  return !r.overrun;
}

bool ReadTextGlyph(TextBodyReader& body, TextGlyphEntry& glyph) {
  StreamReader& r = body.reader;
  glyph.index = r.readBits(body.glyphBits);
  glyph.advance = ReadSignedField(r, body.advanceBits);
  return !r.overrun;
}

}  // namespace lmr
