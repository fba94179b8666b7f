// The movie format as plain records, one per tag body, holding every choice
// an encoded body can make: field widths, optional parts, spare flag bits.
// The compiler fills them from source text, the dumper from movie bytes,
// and the body encoders turn them back into bytes. A width of -1 always
// means "the smallest that holds the values".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "player/engine/movie_format.h"
#include "player/engine/records.h"

namespace lmr::enc {

// The format's constants (tags, actions, button states, style and record
// flags) are the player's own: enc::TagShape is lmr::TagShape.
using namespace lmr::format;

// Widths of an encoded matrix. -1: smallest width, and the scale and
// rotate parts only when their values need them. 0 to 31: the part is
// written with exactly this width (scale and rotate then always present).
struct MatrixCoding {
  int scaleBits = -1;
  int rotateBits = -1;
  int translateBits = -1;
};

inline bool operator==(const MatrixCoding& p, const MatrixCoding& q) {
  return p.scaleBits == q.scaleBits && p.rotateBits == q.rotateBits && p.translateBits == q.translateBits;
}

struct CodedMatrix {
  Matrix m;
  MatrixCoding coding;
};

struct GradientStop {
  uint8_t ratio = 0;
  Rgb color;
};

struct FillStyleDef {
  uint8_t type = FillTypeSolid;
  Rgb color;                        // solid fills
  CodedMatrix matrix;               // gradient and bitmap fills
  std::vector<GradientStop> stops;  // gradient fills, at most 255
  uint16_t bitmapId = 0;            // bitmap fills
};

struct LineStyleDef {
  uint16_t width = 0;  // movie units
  Rgb color;
};

enum class LineForm { Auto, General, Vertical, Horizontal };

// One shape record. Edge deltas are relative to the current position, a
// move is absolute, as stored.
struct ShapeRecord {
  enum Kind { Line, Curve, Change } kind = Line;
  // Line: (dx, dy). Curve: control delta (cdx, cdy), then anchor delta (dx, dy).
  int32_t dx = 0, dy = 0, cdx = 0, cdy = 0;
  int bits = -1;  // edge delta width, 2 to 17
  LineForm form = LineForm::Auto;
  // Change: the 5 flag bits (never 0, which ends the records) and their data.
  uint8_t flags = 0;
  int32_t moveX = 0, moveY = 0;
  int moveBits = -1;  // 0 to 31
  uint32_t fill0 = 0, fill1 = 0, line = 0;
};

// A shape body, or a glyph outline when hasStyles is false.
struct ShapeBody {
  bool hasStyles = true;
  std::vector<FillStyleDef> fills;  // at most 255
  std::vector<LineStyleDef> lines;  // at most 255
  int fillBits = -1;                // 0 to 15
  int lineBits = -1;
  std::vector<ShapeRecord> records;  // the end record is implicit
};

struct ButtonRecord {
  uint8_t states = BtnIdle;  // never 0, which ends the records
  uint16_t id = 0;
  uint16_t depth = 0;
  CodedMatrix matrix;
};

// An action as stored: codes below 0x80 have no body.
struct Action {
  uint8_t code = 0;
  std::vector<uint8_t> body;
};

struct ButtonBody {
  std::vector<ButtonRecord> records;
  std::vector<Action> actions;
};

struct TextGlyph {
  uint32_t index = 0;
  int32_t advance = 0;  // movie units
};

struct TextRecord {
  uint8_t flags = 0;  // never 0, which ends the records; bits 4 to 7 carry no data
  uint16_t fontId = 0;
  uint16_t height = 0;
  Rgb color;
  int16_t x = 0, y = 0;
  std::vector<TextGlyph> glyphs;  // at most 255
};

struct TextBody {
  CodedMatrix matrix;
  int glyphBits = -1;  // 0 to 255 as stored; 0 to 32 make sense
  int advanceBits = -1;
  std::vector<TextRecord> records;
};

// Glyph outlines in the 1024-unit em square; the offset table is laid out
// contiguously in glyph order.
struct FontBody {
  std::vector<ShapeBody> glyphs;
};

struct FontFace {
  std::string name;  // at most 255 bytes
  uint8_t flags = 0;
  std::vector<uint16_t> codes;  // one per glyph; two bytes each with FaceTwoByteCodes
};

}  // namespace lmr::enc
