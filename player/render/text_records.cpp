#include "player/render/text_records.h"

#include <cstdint>

#include "player/engine/character_record.h"
#include "player/engine/display_list.h"
#include "player/engine/display_object.h"
#include "player/engine/geometry.h"
#include "player/engine/movie.h"
#include "player/render/fill_prepare.h"
#include "player/render/fill_style.h"
#include "player/render/font_glyphs.h"
#include "player/render/shape_walk.h"
#include "player/render/text_body.h"

namespace lmr {

namespace {

// A record's height in movie units per em as a 16.16 scale of the
// 1024-unit em square: height / 1024 = height * 64 / 65536.
constexpr int32_t EmScalePerHeightUnit = 64;

// The pen moves by stored advances: saturate instead of wrapping, so a
// hostile text cannot overflow it.
int32_t AddSaturated(int32_t a, int32_t b) {
  const int64_t sum = int64_t{a} + b;
  return sum > INT32_MAX ? INT32_MAX : sum < INT32_MIN ? INT32_MIN : static_cast<int32_t>(sum);
}

// The walk over one glyph's outline, filled by winding with the current
// colour fill as its only fill and no line styles.
void BuildGlyph(DisplayObject& object, Movie& movie, const FontGlyphs& font, int32_t outline,
                const Matrix& glyphToDevice, FillStyle& colour) {
  ShapeContext context;
  OpenShapeContext(context, *object.list, movie, outline, font.limit, glyphToDevice);
  context.glyphMode = true;
  context.fills[1] = &colour;
  context.fillCount = 1;
  context.lineCount = 0;
  context.object = &object;
  BuildShapeEdges(context, false, &object.deviceBounds);
}

}  // namespace

void BuildTextRecords(DisplayObject& object) {
  CharacterRecord* text = object.character;
  if (!text || text->kind != KindText || !text->movie || !object.list) return;
  Movie& movie = *text->movie;
  DisplayList& list = *object.list;
  TextBodyReader body;
  if (!OpenTextBody(body, *text)) return;
  const Matrix textToDevice = matrixConcat(body.matrix, object.deviceMatrix);

  // Each colour gets a fill of its own, stacked in order within the
  // object's depth band (depth << 16 | counter). The counter stays in its
  // low half: colours past 65535 share the top priority rather than
  // spilling into the next depth.
  uint32_t priority = object.key << 16;
  Matrix run = matrixIdentity();  // G: em units at the record's height and pen to text units
  FontGlyphs font{};
  FillStyle* colour = nullptr;
  TextRecordHeader record;
  int32_t drawn = 0;  // glyphs built so far, up to MaxTextGlyphs
  // Records and glyph entries are bounded by the text tag's bytes (every
  // read stops at its end), glyphs drawn by MaxTextGlyphs.
  while (ReadTextRecord(body, record)) {
    if (record.flags & TextFont) {
      // An id that names no font character leaves the run without a font.
      OpenFontGlyphs(font, movie.findCharacter(record.fontId));
    }
    if (record.flags & TextColor) {
      colour = list.fillPool.alloc<FillStyle>();
      if (!colour) return;  // no memory: the text stops here, earlier glyphs stay
      InitFill(*colour, &list.rasterContext);
      colour->next = object.fillRecords;
      object.fillRecords = colour;
      colour->priority = priority;
      if ((priority & 0xFFFF) != 0xFFFF) ++priority;
      colour->red = record.color.red;
      colour->green = record.color.green;
      colour->blue = record.color.blue;
      if (list.rasterContext.target) PrepareFill(*colour);
    }
    if (record.flags & TextX) run.tx = record.x;
    if (record.flags & TextY) run.ty = record.y;
    if (record.flags & TextFont) run.a = run.d = record.height * EmScalePerHeightUnit;

    for (int32_t i = 0; i < record.glyphCount; ++i) {
      TextGlyphEntry glyph;
      if (!ReadTextGlyph(body, glyph)) return;
      // A glyph without a font, outside the font's table, or before any
      // colour shows nothing; the pen moves on all the same.
      const int32_t outline = GlyphOutlineOffset(font, glyph.index);
      if (outline >= 0 && colour) {
        if (drawn == MaxTextGlyphs) return;
        ++drawn;
        BuildGlyph(object, movie, font, outline, matrixConcat(run, textToDevice), *colour);
      }
      run.tx = AddSaturated(run.tx, glyph.advance);
    }
  }
}

}  // namespace lmr
